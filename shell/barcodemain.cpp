#include "shell/barcodemain.h"

#include <QDir>
#include <QStandardPaths>

#include "common/captions.h"
#include "common/comma_text.h"
#include "common/messages.h"
#include "common/settings_store.h"
#include "common/user_prompts.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "documents/file_stamp.h"
#include "documents/textlist_form.h"
#include "shell/document_area.h"
#include "shell/edit_commands.h"
#include "shell/edit_menu.h"
#include "shell/file_commands.h"
#include "shell/find_commands.h"
#include "shell/help_commands.h"
#include "shell/localisation.h"
#include "shell/main_actions.h"
#include "shell/port_combo.h"
#include "shell/shape.h"
#include "shell/transfer_commands.h"
#include "shell/window_commands.h"
#include "ui_barcodemain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTextEdit>

namespace {

constexpr char LinkedActionProperty[] = "linkedAction";

// Makes the button run the action and follow its enabled state; its caption
// is set by LabelHeadButtons.
void LinkButton(QPushButton *button, QAction *action)
{
    button->setText(action->text());
    button->setProperty(LinkedActionProperty, QVariant::fromValue<QObject *>(action));
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button, [button, action] {
        button->setEnabled(action->isEnabled());
        button->setStatusTip(action->statusTip());
    });
}

QFont TahomaPixels(int pixels, bool bold)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The window's widgets and menus as the form lays them out.
std::unique_ptr<Ui::TOstrelMain> SetUpForm(QMainWindow &window)
{
    auto form = std::make_unique<Ui::TOstrelMain>();
    form->setupUi(&window);
    return form;
}

QPixmap LogoPicture()
{
    // A neutral maker's mark: the name on a dark plate.
    QPixmap picture(84, 50);
    picture.fill(QColor(0x20, 0x3a, 0x5c));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xe8, 0xb0, 0x30), 2));
    p.drawRoundedRect(QRectF(3, 3, 78, 44), 6, 6);
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 6, 84, 22), Qt::AlignCenter, QStringLiteral("KOV"));
    f.setPixelSize(10);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(0, 26, 84, 16), Qt::AlignCenter, QStringLiteral("Brenvik"));
    return picture;
}

QString HintAt(QWidget *widget)
{
    // The first control from the one under the mouse up through its parents that has a hint.
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (!w->statusTip().isEmpty())
            return w->statusTip();
        if (w->isWindow())
            break;
    }
    return QString();
}

// The transfer cancel button's caption, and what it says while a stopped
// transfer waits for the controller to end its reply.
QString CancelCaption()
{
    return LocaleLookup(QStringLiteral("TransferCancel.Caption"), QStringLiteral("Cancel (Esc)"));
}
QString SettlingCaption()
{
    return LocaleLookup(QStringLiteral("TransferSettling"),
                        QStringLiteral("Waiting for the controller to finish its reply..."));
}
} // namespace

void LabelHeadButtons(QWidget *container)
{
    for (QObject *child : container->children())
        if (auto *w = qobject_cast<QWidget *>(child))
            LabelHeadButtons(w);
    auto *button = qobject_cast<QAbstractButton *>(container);
    if (!button)
        return;
    auto *action = qobject_cast<QAction *>(button->property(LinkedActionProperty).value<QObject *>());
    QString caption = StripAccelSuffix(action ? action->text() : button->text());
    if (action) {
        // Only a plain key (no Ctrl, Shift or Alt) is shown on the button.
        QString key;
        for (const QKeySequence &shortcut : action->shortcuts()) {
            if (!shortcut.isEmpty() && shortcut.count() == 1 && shortcut[0].keyboardModifiers() == Qt::NoModifier) {
                key = shortcut.toString(QKeySequence::NativeText);
                break;
            }
        }
        if (!key.isEmpty())
            caption = key + u':' + caption;
    }
    button->setText(caption);
}

TOstrelMain::TOstrelMain(const QStringList &commandLineFiles, SettingsStore *settings, QWidget *parent)
    : QMainWindow(parent),
      m_form(SetUpForm(*this)),
      m_actions(MainActionSpecs, this),
      m_ownSettings(settings ? nullptr : std::make_unique<MemorySettingsStore>()),
      m_settings(settings ? settings : m_ownSettings.get()),
      m_commandLineFiles(commandLineFiles)
{
    createActions();
    linkHeadButtons();
    m_form->TransferCancel->setText(CancelCaption());
    applyFaces();
    // The splitters make their handles themselves; the hints find them by these names.
    m_form->HintPaneSplitter->handle(1)->setObjectName(QStringLiteral("SplitterB"));
    m_form->FooterSplitter->handle(1)->setObjectName(QStringLiteral("MessageSplitter"));
    centralWidget()->installEventFilter(this);
    m_form->FooterSplitter->installEventFilter(this);
    m_form->FooterPanel->installEventFilter(this);

    DocumentArea &area = *m_form->documentArea;
    m_editCommands = std::make_unique<EditCommands>(*this, m_undoGroup);
    m_windowCommands = std::make_unique<WindowCommands>(*this, area, m_form->WindowMenu);
    m_fileCommands = std::make_unique<FileCommands>(*this, *this, m_form->FileRecentMenu, m_form->FileRecentSep);
    m_transferCommands = std::make_unique<TransferCommands>(*this, m_form->PortCombo, m_form->BaudCombo,
                                                            [this] { return transferRunning(); });
    const auto cancelTransfer = [this] {
        if (m_transfer && m_form->TransferCancel->isEnabled())
            m_transfer->cancel();
    };
    connect(m_form->TransferCancel, &QAbstractButton::clicked, this, cancelTransfer);
    m_cancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this, cancelTransfer);
    m_cancelKey->setEnabled(false);
    m_helpCommands = std::make_unique<HelpCommands>(*this, *this, m_form->RichEdit1, m_form->LogoImage);
    m_findCommands = std::make_unique<FindCommands>(*this, area, *this);
    m_editMenu = std::make_unique<EditMenu>(*this, *menuBar(), m_form->SearchMenu);

    // The log exists from here on, so everything later can report.
    m_log = std::make_unique<zered::RichEditLog>(m_form->RichEdit1);
    zered::LogAttach(m_log.get());
    m_form->RichEdit1->clear();
    zered::SetErrorPane(m_form->RichEdit1);
    SetPromptParent(this);
    setAcceptDrops(true);
    m_localisation = std::make_unique<MainLocalisation>(this);
    m_helpCommands->BuildVersionCaption();

    connect(documentArea(), &QMdiArea::subWindowActivated, this, &TOstrelMain::updateActions);
    // After the activation is done: a question must not open in the middle of it.
    connect(documentArea(), &QMdiArea::subWindowActivated, this, &TOstrelMain::CheckActiveFileOnDisk,
            Qt::QueuedConnection);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            QMetaObject::invokeMethod(this, &TOstrelMain::CheckActiveFileOnDisk, Qt::QueuedConnection);
    });
    // The active table's history: what its Undo and Redo would do.
    for (auto changed : {&QUndoGroup::canUndoChanged, &QUndoGroup::canRedoChanged})
        connect(&m_undoGroup, changed, this, &TOstrelMain::updateActions);
    for (auto changed : {&QUndoGroup::undoTextChanged, &QUndoGroup::redoTextChanged})
        connect(&m_undoGroup, changed, this, &TOstrelMain::updateActions);
    connect(qApp, &QApplication::focusChanged, this, &TOstrelMain::updateActions);
    qApp->installEventFilter(this);   // hints follow the mouse over every control
    resize(DesignClientWidth, DesignClientHeight + menuBar()->sizeHint().height());
    move(0, 0);
    m_form->HintPaneSplitter->setSizes({DesignClientHeight, 34});
    m_form->FooterSplitter->setSizes({DesignClientHeight + 34, 17});
    LoadSettings();
    m_helpCommands->HelpAboutExecute();
    m_transferCommands->PortComboClick();
    documentArea()->setFocus();   // not the port selector, which comes first otherwise
    updateActions();
}

TOstrelMain::~TOstrelMain()
{
    if (!m_settingsSaved)
        SaveSettings();
    // The windows and actions die after this body; nothing may update them then.
    m_destroying = true;
    disconnect(qApp, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    zered::LogShutdown();
    zered::LogAttach(nullptr);
    zered::SetErrorPane(nullptr);
    // The panes and windows go while this is still the main window their signals reach.
    delete takeCentralWidget();
    m_localisation.reset();
}

void TOstrelMain::createActions()
{
    for (QAction *a : m_actions.all()) {
        // The main window's keys also work while a document window has the keyboard.
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    connect(action(MainAction::FileNew1), &QAction::triggered, this, [this] {
        zered::Guarded([this] { NewDocument(QString()); });
    });
    connect(action(MainAction::FileExit1), &QAction::triggered, this, &QWidget::close);
    connect(action(MainAction::FileReload1), &QAction::triggered, this, [this] {
        if (TTextList2Form *table = activeTable())
            zered::Guarded([table] { table->Reload1Execute(); });
    });
}

void TOstrelMain::linkHeadButtons()
{
    const std::pair<QPushButton *, MainAction> links[] = {
        {m_form->ButtonF2, MainAction::FileOpen1}, {m_form->ButtonF3, MainAction::FileSave1},
        {m_form->Button1, MainAction::Recv1},      {m_form->Button2, MainAction::Send1},
        {m_form->Button5, MainAction::FileExit1},
    };
    for (const auto &[button, id] : links)
        LinkButton(button, action(id));
}

void TOstrelMain::applyFaces()
{
    // Colours taken from the desktop's palette and faces sized in pixels, which a form cannot hold.
    documentArea()->setBackground(palette().brush(QPalette::Dark));
    QPalette head = m_form->HeadPanel->palette();
    head.setColor(QPalette::Window, palette().color(QPalette::Dark));
    m_form->HeadPanel->setPalette(head);

    QPalette hint = m_form->HintPanel->palette();
    hint.setColor(QPalette::Window, hint.color(QPalette::ToolTipBase));
    hint.setColor(QPalette::Base, hint.color(QPalette::ToolTipBase));
    hint.setColor(QPalette::Text, QColor(0, 128, 0));
    m_form->HintPanel->setPalette(hint);
    m_form->HintMemo->setPalette(hint);
    m_form->HintMemo->setFont(TahomaPixels(11, true));

    QPalette messages = m_form->RichEdit1->palette();
    messages.setColor(QPalette::Base, messages.color(QPalette::Button));
    messages.setColor(QPalette::Text, Qt::black);
    m_form->RichEdit1->setPalette(messages);
    m_form->RichEdit1->setFont(TahomaPixels(11, false));

    m_form->LogoImage->setPixmap(LogoPicture());
}

void TOstrelMain::placeCornerPanels()
{
    QWidget *footer = m_form->FooterPanel, *progress = m_form->ProgressPanel, *logo = m_form->LogoPanel;
    QAbstractButton *cancel = m_form->TransferCancel;
    progress->move(footer->width() - progress->width(), footer->height() - progress->height());
    progress->raise();
    cancel->adjustSize();
    cancel->move(progress->x() - cancel->width(), footer->height() - cancel->height());
    cancel->raise();
    // The logo sits at the right end of the hint pane, its foot on the pane's foot.
    const QPoint hintFoot = m_form->HintPanel->mapTo(centralWidget(), QPoint(0, m_form->HintPanel->height()));
    logo->move(centralWidget()->width() - logo->width(), hintFoot.y() - logo->height());
    logo->raise();
}

bool TOstrelMain::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::Enter || event->type() == QEvent::Leave) && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->window() == this) {
            if (event->type() == QEvent::Enter) {
                ShowHint(HintAt(widget));
            } else {
                // After the control's own leave handling: the hint of what is under the mouse now.
                QMetaObject::invokeMethod(this, [this] {
                    QWidget *under = QApplication::widgetAt(QCursor::pos());
                    ShowHint(under && under->window() == this ? HintAt(under) : QString());
                }, Qt::QueuedConnection);
            }
        }
    }
    if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest) {
        if (watched == centralWidget() && event->type() == QEvent::Resize)
            FormResize();
        if (watched == centralWidget() || watched == m_form->FooterPanel || watched == m_form->FooterSplitter || watched == m_form->HintPanel)
            placeCornerPanels();
    } else if (event->type() == QEvent::Move && watched == m_form->HintPanel) {
        placeCornerPanels();   // the logo stands on the hint pane's foot
    }
    return QMainWindow::eventFilter(watched, event);
}

void TOstrelMain::FormResize()
{
    const QSize client = centralWidget()->size();
    m_form->HintMemo->setPlainText(QStringLiteral("%1x%2").arg(client.width()).arg(client.height()));
}

void TOstrelMain::ShowHint(const QString &hint)
{
    // Only a change of the current hint rewrites the pane (a size shown there stays until then).
    const QString text = zered::LongHint(hint);
    if (text == m_currentHint)
        return;
    m_currentHint = text;
    m_form->HintMemo->setPlainText(text);
}

bool TOstrelMain::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TOstrelMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    m_settingsSaved = false;   // shown again after a close: the next close saves anew
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TOstrelMain::FormShow()
{
    LabelHeadButtons(m_form->HeadPanel);
    int count = 0;
    for (const QString &path : std::as_const(m_commandLineFiles)) {
        ++count;
        try {
            OpenDocument(path);
            m_fileCommands->AddRecent(path);
        } catch (const OstrelError &e) {
            zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(e.message()));
            if (!e.detail().isEmpty())
                zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(e.detail()));
        }
    }
    if (count == 1)
        SetActiveChildState(false);
}

void TOstrelMain::closeEvent(QCloseEvent *event)
{
    const QList<TTextList2Form *> tables = documents();
    if (zered::Guarded([&] { TChildForm::CloseAllChildren({tables.cbegin(), tables.cend()}); })) {
        // While the window is still shown: a hidden one would be stored as hidden.
        SaveSettings();
        m_settingsSaved = true;
        event->accept();
    } else
        event->ignore();
}

DocumentArea *TOstrelMain::documentArea() const { return m_form->documentArea; }
PortComboBox *TOstrelMain::portCombo() const { return m_form->PortCombo; }
QComboBox *TOstrelMain::baudCombo() const { return m_form->BaudCombo; }
QPlainTextEdit *TOstrelMain::hintMemo() const { return m_form->HintMemo; }
QTextEdit *TOstrelMain::messagePane() const { return m_form->RichEdit1; }
TShape *TOstrelMain::progressBar() const { return m_form->Shape1; }
QWidget *TOstrelMain::headPanel() const { return m_form->HeadPanel; }
QAbstractButton *TOstrelMain::transferCancelButton() const { return m_form->TransferCancel; }

QList<TTextList2Form *> TOstrelMain::documents() const
{
    return m_form->documentArea->documents();
}

TTextList2Form *TOstrelMain::activeTable() const
{
    return m_form->documentArea->activeDocument();
}

TTextList2Form *TOstrelMain::createTableWindow()
{
    auto *form = new TTextList2Form(
        {this, &m_fileCommands->saveAsDialog(), &m_sendChoices, BackupFolder(), &m_undoGroup, &m_convStrWidth});
    connect(&form->document(), &TableDocument::modifiedChanged, this, &TOstrelMain::updateActions);
    connect(&form->document(), &TableDocument::fileNameChanged, this, &TOstrelMain::updateActions);
    // As large as the area lets it be; the area leaves room for the next few windows.
    m_form->documentArea->addDocument(form, m_form->documentArea->viewport()->size());
    connect(form->parentWidget(), &QObject::destroyed, this, &TOstrelMain::updateActions, Qt::QueuedConnection);
    updateActions();
    return form;
}

TTextList2Form *TOstrelMain::windowOf(const QString &path) const
{
    for (TTextList2Form *form : documents())
        if (!form->FileName().isEmpty() && SameFile(form->FileName(), path))
            return form;
    return nullptr;
}

TTextList2Form *TOstrelMain::OpenDocument(const QString &path, int kind)
{
    if (!QFileInfo::exists(path))
        throw OstrelError(Msg::FileNotFound, QString::fromUtf8(Msg::MissingFile).arg(path));
    // Two windows on one file: the second save would undo the first unseen.
    if (TTextList2Form *open = windowOf(path)) {
        zered::LogPrint(zered::clBlack, Msg::AlreadyOpen, qUtf8Printable(path));
        m_form->documentArea->showDocument(open);
        return open;
    }
    TTextList2Form *form = createTableWindow();
    form->LoadFromFile(path, ResolveLoadKind(kind, path));
    return form;
}

TTextList2Form *TOstrelMain::NewDocument(const QString &name)
{
    TTextList2Form *form = createTableWindow();
    form->SetFileName(name);
    return form;
}

void TOstrelMain::SetActiveChildState(bool normal)
{
    m_form->documentArea->setActiveDocumentState(normal);
}

void TOstrelMain::ProgressStart(int total, int position, int colour)
{
    m_progressTotal = total > 0 ? total : 1;
    m_form->Shape1->setFixedWidth(position * 100 / m_progressTotal);
    m_form->Shape1->setFill(zered::ToQColor(colour));
    m_form->Shape1->show();
}

void TOstrelMain::ProgressStep(int position, int colour)
{
    m_form->Shape1->setFixedWidth(position * 100 / m_progressTotal);
    m_form->Shape1->setFill(zered::ToQColor(colour));
    m_form->Shape1->setOutline(zered::ToQColor(colour));
    m_form->Shape1->update();
}

void TOstrelMain::ProgressEnd()
{
    m_form->Shape1->setOutline(zered::ToQColor(zered::clGray));
}

void TOstrelMain::RefuseWhileTransferring() const
{
    if (m_transfer)
        throw OstrelError(QString::fromUtf8(Msg::TransferUnderWay).arg(m_transfer->portText()));
    if (m_several) {
        QStringList ports;
        for (const std::unique_ptr<TransferRun> &run : m_several->runs())
            ports.append(run->portText());
        throw OstrelError(QString::fromUtf8(Msg::TransferUnderWay).arg(ports.join(u", ")));
    }
}

ParallelSend &TOstrelMain::StartSendToSeveral(const QStringList &ports, const QByteArray &image,
                                              const SendChoices &choices, const QString &table)
{
    RefuseWhileTransferring();
    m_several = std::make_unique<ParallelSend>(ports, m_form->BaudCombo->currentText(), m_ports.factory());
    ParallelSend &send = *m_several;
    // The log hears every port to the end, whoever follows the send meanwhile.
    for (const std::unique_ptr<TransferRun> &run : send.runs())
        connect(run.get(), &TransferRun::logLine, this,
                [label = PortLabel(run->portText())](int colour, const QString &message) {
                    zered::LogText(colour, label + QStringLiteral(": ") + message);
                });
    connect(&send, &ParallelSend::portEnded, this, [&send](int index) {
        for (const QString &line : send.FailureLines(index))
            zered::LogText(zered::clRed, PortLabel(send.runs()[index]->portText()) + QStringLiteral(": ") + line);
    });
    // Deleted later: this runs in the send's own signal, before its other receivers.
    connect(&send, &ParallelSend::ended, this, [this] {
        ParallelSend *ended = m_several.release();
        ended->deleteLater();
        updateActions();
        zered::Guarded([ended] { zered::LogText(zered::clBlack, ended->Summary()); });
    });
    send.start(image, SendSafety{choices.backup ? BackupFolder() : QString(), choices.verify}, table);
    updateActions();
    return send;
}

void TOstrelMain::StartTransfer(TransferRun::Operation operation, QObject *context, Done done)
{
    RefuseWhileTransferring();
    m_transfer = std::make_unique<TransferRun>(m_form->PortCombo->currentText(), m_form->BaudCombo->currentText(),
                                               m_ports.factory());
    TransferRun *run = m_transfer.get();
    connect(run, &TransferRun::progressStarted, this, &TOstrelMain::ProgressStart);
    connect(run, &TransferRun::progressStepped, this, &TOstrelMain::ProgressStep);
    connect(run, &TransferRun::progressEnded, this, &TOstrelMain::ProgressEnd);
    connect(run, &TransferRun::lineSettling, this, &TOstrelMain::LineSettling);
    connect(run, &TransferRun::cancellableChanged, m_form->TransferCancel, &QWidget::setEnabled);
    connect(run, &TransferRun::logLine, this,
            [](int colour, const QString &message) { zered::LogText(colour, message); });
    // A window closed meanwhile has no use for what is still to come.
    connect(context, &QObject::destroyed, run, &TransferRun::cancel);
    connect(run, &TransferRun::finished, this,
            [this, context = QPointer<QObject>(context), done = std::move(done)] { TransferEnded(context, done); });
    m_form->TransferCancel->setEnabled(true);
    m_form->TransferCancel->show();
    m_cancelKey->setEnabled(true);
    placeCornerPanels();
    run->start(std::move(operation));
    updateActions();
}

void TOstrelMain::TransferEnded(const QPointer<QObject> &context, const Done &done)
{
    // Deleted later: this runs in the run's own signal.
    TransferRun *run = m_transfer.release();
    run->deleteLater();
    m_form->TransferCancel->hide();
    m_form->TransferCancel->setText(CancelCaption());
    m_cancelKey->setEnabled(false);
    if (context)
        zered::Guarded([&] { done(run->outcome()); });
    updateActions();
    CheckActiveFileOnDisk();   // a change on disk met while the table was locked
}

void TOstrelMain::LineSettling(bool settling)
{
    // Its caption says what is awaited; after a stop the button is greyed too.
    m_form->TransferCancel->setText(settling ? SettlingCaption() : CancelCaption());
    placeCornerPanels();
}

QString TOstrelMain::BackupFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("backups"));
}

void TOstrelMain::SelectPort(const QString &name)
{
    m_form->PortCombo->setPortText(name);
    m_transferCommands->PortComboClick();
}

void TOstrelMain::SelectPortForThisRun(const QString &name)
{
    m_portBeforeThisRun = m_form->PortCombo->currentText();
    m_portForThisRun = name;
    SelectPort(name);
}

void TOstrelMain::CopyDataMessage(const QString &commaText)
{
    for (const QString &path : CommaTextSplit(commaText)) {
        if (!QFileInfo::exists(path))
            throw OstrelError(QString::fromUtf8(Msg::FileNoExists) + path);
        OpenDocument(path);
    }
}

void TOstrelMain::DropFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        OpenDocument(path);
        m_fileCommands->AddRecent(path);
    }
}

void TOstrelMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TOstrelMain::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    zered::Guarded([&] { DropFiles(paths); });
}

void TOstrelMain::CheckActiveFileOnDisk()
{
    // A table in transfer is read again once the transfer ended.
    TTextList2Form *table = activeTable();
    if (table && !table->Transferring())
        zered::Guarded([table] { table->OfferReloadIfChanged(); });
}

void TOstrelMain::updateActions()
{
    if (m_destroying)
        return;
    TTextList2Form *table = activeTable();
    // A table in transfer keeps its history still until the transfer ends. A
    // window being destroyed has left the group already: its history never
    // becomes active again, or the group would hold it past its end.
    QUndoStack *history = table && !table->Transferring() ? table->undoStack() : nullptr;
    m_undoGroup.setActiveStack(m_undoGroup.stacks().contains(history) ? history : nullptr);
    for (MainAction id : {MainAction::FileSave1, MainAction::FileSaveAs1, MainAction::SearchFind1,
                          MainAction::SearchFindNext1, MainAction::SearchCheckTable1})
        action(id)->setEnabled(table != nullptr);
    // One transfer at a time, on the port it started on.
    const bool transferring = transferRunning();
    action(MainAction::Recv1)->setEnabled(!transferring);
    for (MainAction id : {MainAction::Send1, MainAction::SendSeveral1, MainAction::Compare1})
        action(id)->setEnabled(table && !transferring);
    m_form->PortCombo->setEnabled(!transferring);
    m_form->BaudCombo->setEnabled(!transferring && !IsUsbPortName(m_form->PortCombo->currentText()));
    action(MainAction::FileSaveOverwrite1)->setEnabled(table && table->IsModified());
    action(MainAction::FileReload1)->setEnabled(table && !table->FileName().isEmpty());
    action(MainAction::WindowCloseAll1)->setEnabled(!m_form->documentArea->subWindowList().isEmpty());
    m_windowCommands->updateActions();
    m_editCommands->updateActions();
}
