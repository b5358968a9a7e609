#include "shell/barcodemain.h"

#include "shell/transfer_guard.h"
#include <QDir>
#include <QStandardPaths>
#include <QToolButton>

#include "common/captions.h"
#include "common/comma_text.h"
#include "common/messages.h"
#include "common/settings_store.h"
#include "common/user_prompts.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "documents/textlist_form.h"
#include "shell/document_area.h"
#include "shell/edit_commands.h"
#include "shell/file_commands.h"
#include "shell/find_commands.h"
#include "shell/help_commands.h"
#include "shell/localisation.h"
#include "shell/main_actions.h"
#include "shell/port_combo.h"
#include "shell/shape.h"
#include "shell/transfer_commands.h"
#include "shell/window_commands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr char LinkedActionProperty[] = "linkedAction";

// A push button that runs an action and follows its enabled state; its caption
// is set by LabelHeadButtons.
QPushButton *LinkedButton(const char *name, QAction *action, QWidget *parent)
{
    auto *button = new QPushButton(action->text(), parent);
    button->setObjectName(QLatin1String(name));
    button->setProperty(LinkedActionProperty, QVariant::fromValue<QObject *>(action));
    button->setFixedSize(75, 25);
    button->setFocusPolicy(Qt::NoFocus);
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button, [button, action] {
        button->setEnabled(action->isEnabled());
        button->setStatusTip(action->statusTip());
    });
    return button;
}

QLabel *HeadLabel(const char *name, const QString &caption, int width, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setMinimumWidth(width);   // wider when the face in use needs it
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setStyleSheet(QStringLiteral("color: white; font-weight: bold"));
    return label;
}

template <typename Combo = QComboBox>
Combo *HeadCombo(const char *name, int width, QWidget *parent)
{
    auto *combo = new Combo(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setFixedSize(width, 21);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
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
      m_actions(MainActionSpecs, this),
      m_ownSettings(settings ? nullptr : std::make_unique<MemorySettingsStore>()),
      m_settings(settings ? settings : m_ownSettings.get()),
      m_commandLineFiles(commandLineFiles)
{
    setObjectName(QStringLiteral("TOstrelMain"));
    setWindowTitle(QStringLiteral("KOV-Ostrel Manager"));
    createActions();
    createMenus();

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *bevel = new QFrame(client);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Raised);
    bevel->setFixedHeight(2);
    column->addWidget(bevel);
    column->addWidget(createHeadPanel());

    m_mdiArea = new DocumentArea(client);
    m_mdiArea->setBackground(palette().brush(QPalette::Dark));
    // Each splitter resizes only the pane below it; the document area gives way.
    // Nested, so that dragging the message splitter leaves the hint pane as it is.
    m_splitter = new QSplitter(Qt::Vertical, client);
    m_splitter->setObjectName(QStringLiteral("FooterSplitter"));
    auto *upper = new QSplitter(Qt::Vertical, m_splitter);
    upper->setObjectName(QStringLiteral("HintPaneSplitter"));
    for (QSplitter *splitter : {m_splitter, upper}) {
        splitter->setHandleWidth(3);
        splitter->setChildrenCollapsible(false);
    }
    upper->addWidget(m_mdiArea);
    upper->addWidget(createHintPanel());
    upper->setStretchFactor(0, 1);
    upper->setStretchFactor(1, 0);
    upper->handle(1)->setObjectName(QStringLiteral("SplitterB"));
    m_splitter->addWidget(upper);
    m_splitter->addWidget(createFooterPanel());
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->handle(1)->setObjectName(QStringLiteral("MessageSplitter"));
    column->addWidget(m_splitter, 1);
    setCentralWidget(client);
    LogoPanel = createLogoPanel();
    client->installEventFilter(this);
    m_splitter->installEventFilter(this);

    m_editCommands = std::make_unique<EditCommands>(*this);
    m_windowCommands = std::make_unique<WindowCommands>(*this, WindowMenu);
    m_fileCommands = std::make_unique<FileCommands>(*this);
    m_transferCommands = std::make_unique<TransferCommands>(*this);
    m_helpCommands = std::make_unique<HelpCommands>(*this);
    m_findCommands = std::make_unique<FindCommands>(*this);

    // The log exists from here on, so everything later can report.
    m_log = std::make_unique<zered::RichEditLog>(RichEdit1);
    zered::LogAttach(m_log.get());
    RichEdit1->clear();
    zered::SetErrorPane(RichEdit1);
    SetPromptParent(this);
    setAcceptDrops(true);
    m_localisation = std::make_unique<MainLocalisation>(this);
    m_helpCommands->BuildVersionCaption();

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TOstrelMain::updateActions);
    connect(qApp, &QApplication::focusChanged, this, &TOstrelMain::updateActions);
    qApp->installEventFilter(this);   // hints follow the mouse over every control
    resize(DesignClientWidth, DesignClientHeight + menuBar()->sizeHint().height());
    move(0, 0);
    upper->setSizes({DesignClientHeight, 34});
    m_splitter->setSizes({DesignClientHeight + 34, 17});
    LoadSettings();
    m_helpCommands->HelpAboutExecute();
    m_transferCommands->PortComboClick();
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
}

void TOstrelMain::createMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    file->addAction(action(MainAction::FileNew1));
    file->addAction(action(MainAction::FileOpen1));
    QMenu *recent = file->addMenu(QStringLiteral("&Recent Files"));
    recent->setObjectName(QStringLiteral("FileRecentMenu"));
    recent->addSeparator()->setObjectName(QStringLiteral("FileRecentSep"));
    file->addSeparator();
    file->addAction(action(MainAction::FileSaveOverwrite1));
    file->addAction(action(MainAction::FileSaveAs1));
    file->addAction(action(MainAction::WindowClose1));
    file->addAction(action(MainAction::WindowCloseAll1));
    file->addSeparator();
    file->addAction(action(MainAction::FileExit1));

    QMenu *search = bar->addMenu(QStringLiteral("&Search"));
    search->setObjectName(QStringLiteral("SearchMenu"));
    search->addAction(action(MainAction::SearchFind1));
    search->addAction(action(MainAction::SearchFindNext1));
    search->addAction(action(MainAction::SearchCheckTable1));

    QMenu *kov = bar->addMenu(QStringLiteral("&KOV"));
    kov->setObjectName(QStringLiteral("KOV1"));
    kov->addAction(action(MainAction::Recv1));
    kov->addAction(action(MainAction::Send1));
    kov->addAction(action(MainAction::Compare1));

    WindowMenu = bar->addMenu(QStringLiteral("&Window"));
    WindowMenu->setObjectName(QStringLiteral("WindowMenu"));
    WindowMenu->addAction(action(MainAction::WindowCascade1));
    WindowMenu->addAction(action(MainAction::WindowTileHorizontal1));
    WindowMenu->addAction(action(MainAction::WindowTileVertical1));

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(action(MainAction::HelpAbout));
}

QWidget *TOstrelMain::createHeadPanel()
{
    HeadPanel = new QWidget;
    HeadPanel->setObjectName(QStringLiteral("HeadPanel"));
    HeadPanel->setFixedHeight(27);
    HeadPanel->setAutoFillBackground(true);
    QPalette p = HeadPanel->palette();
    p.setColor(QPalette::Window, palette().color(QPalette::Dark));
    HeadPanel->setPalette(p);
    auto *row = new QHBoxLayout(HeadPanel);
    row->setContentsMargins(0, 1, 0, 1);
    row->setSpacing(0);
    row->addWidget(LinkedButton("ButtonF2", action(MainAction::FileOpen1), HeadPanel));
    row->addWidget(LinkedButton("ButtonF3", action(MainAction::FileSave1), HeadPanel));
    row->addWidget(HeadLabel("PortLabel", QStringLiteral("Port:"), 27, HeadPanel));
    PortCombo = HeadCombo<PortComboBox>("PortCombo", 65, HeadPanel);
    PortCombo->setEditText(QStringLiteral("USB"));
    row->addWidget(PortCombo);
    row->addWidget(HeadLabel("BaudLabel", QStringLiteral("Baud:"), 31, HeadPanel));
    BaudCombo = HeadCombo("BaudCombo", 65, HeadPanel);
    BaudCombo->addItems({QStringLiteral("default"), QStringLiteral("9600"), QStringLiteral("19200"),
                         QStringLiteral("38400"), QStringLiteral("57600"), QStringLiteral("115.2k"),
                         QStringLiteral("250k"), QStringLiteral("312.5k"), QStringLiteral("500k")});
    BaudCombo->setCurrentIndex(5);
    row->addWidget(BaudCombo);
    QLabel *headLabel = HeadLabel("HeadNoLabel", QStringLiteral("Head:"), 32, HeadPanel);
    headLabel->hide();
    row->addWidget(headLabel);
    QComboBox *headCombo = HeadCombo("HeadCombo", 33, HeadPanel);
    headCombo->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    headCombo->setCurrentIndex(0);
    headCombo->hide();
    row->addWidget(headCombo);
    row->addWidget(LinkedButton("Button1", action(MainAction::Recv1), HeadPanel));
    row->addWidget(LinkedButton("Button2", action(MainAction::Send1), HeadPanel));
    row->addStretch(1);
    row->addWidget(LinkedButton("Button5", action(MainAction::FileExit1), HeadPanel));
    return HeadPanel;
}

QWidget *TOstrelMain::createHintPanel()
{
    HintPanel = new QWidget;
    HintPanel->setObjectName(QStringLiteral("HintPanel"));
    HintPanel->setMinimumHeight(17);
    HintPanel->setAutoFillBackground(true);
    QPalette p = HintPanel->palette();
    p.setColor(QPalette::Window, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, QColor(0, 128, 0));
    HintPanel->setPalette(p);
    auto *box = new QVBoxLayout(HintPanel);
    box->setContentsMargins(3, 0, 110, 0);   // keeps the text clear of the logo
    HintMemo = new QPlainTextEdit(QStringLiteral("Hint"), HintPanel);
    HintMemo->setObjectName(QStringLiteral("HintMemo"));
    HintMemo->setReadOnly(true);
    HintMemo->setFrameShape(QFrame::NoFrame);
    HintMemo->setPalette(p);
    HintMemo->setFocusPolicy(Qt::NoFocus);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    f.setBold(true);
    HintMemo->setFont(f);
    box->addWidget(HintMemo);
    return HintPanel;
}

QWidget *TOstrelMain::createFooterPanel()
{
    FooterPanel = new QWidget;
    FooterPanel->setObjectName(QStringLiteral("FooterPanel"));
    FooterPanel->setMinimumHeight(17);
    auto *box = new QVBoxLayout(FooterPanel);
    box->setContentsMargins(0, 0, 0, 0);
    RichEdit1 = new QTextEdit(QStringLiteral("messages"), FooterPanel);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette p = RichEdit1->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    p.setColor(QPalette::Text, Qt::black);
    RichEdit1->setPalette(p);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    RichEdit1->setFont(f);
    box->addWidget(RichEdit1);

    ProgressPanel = new QWidget(FooterPanel);
    ProgressPanel->setObjectName(QStringLiteral("ProgressPanel"));
    ProgressPanel->setFixedSize(122, 16);
    ProgressPanel->setAutoFillBackground(true);
    Shape2 = new TShape(Qt::black, Qt::black, ProgressPanel);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(1, 6, 102, 4);
    Shape1 = new TShape(QColor(0, 255, 0), QColor(0, 255, 0), ProgressPanel);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    // Empty until a transfer starts: a full bar at start-up would claim one had finished.
    Shape1->setGeometry(2, 7, 0, 2);
    // Beside the bar while a transfer that can be cancelled runs.
    auto *cancel = new QToolButton(FooterPanel);
    cancel->setObjectName(QStringLiteral("TransferCancel"));
    cancel->setText(CancelCaption());
    cancel->setFocusPolicy(Qt::NoFocus);
    cancel->hide();
    TransferCancel = cancel;
    FooterPanel->installEventFilter(this);
    return FooterPanel;
}

QWidget *TOstrelMain::createLogoPanel()
{
    auto *panel = new QWidget(centralWidget());
    panel->setObjectName(QStringLiteral("LogoPanel"));
    panel->setFixedSize(84, 50);
    auto *logo = new QLabel(panel);
    logo->setObjectName(QStringLiteral("LogoImage"));
    logo->setPixmap(LogoPicture());
    logo->setScaledContents(true);
    logo->setGeometry(0, 0, 84, 50);
    logo->setCursor(Qt::PointingHandCursor);
    return panel;
}

void TOstrelMain::placeCornerPanels()
{
    ProgressPanel->move(FooterPanel->width() - ProgressPanel->width(),
                        FooterPanel->height() - ProgressPanel->height());
    ProgressPanel->raise();
    TransferCancel->adjustSize();
    TransferCancel->move(ProgressPanel->x() - TransferCancel->width(), FooterPanel->height() - TransferCancel->height());
    TransferCancel->raise();
    // The logo sits at the right end of the hint pane, its foot on the pane's foot.
    const QPoint hintFoot = HintPanel->mapTo(centralWidget(), QPoint(0, HintPanel->height()));
    LogoPanel->move(centralWidget()->width() - LogoPanel->width(), hintFoot.y() - LogoPanel->height());
    LogoPanel->raise();
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
        if (watched == centralWidget() || watched == FooterPanel || watched == m_splitter || watched == HintPanel)
            placeCornerPanels();
    } else if (event->type() == QEvent::Move && watched == HintPanel) {
        placeCornerPanels();   // the logo stands on the hint pane's foot
    }
    return QMainWindow::eventFilter(watched, event);
}

void TOstrelMain::FormResize()
{
    const QSize client = centralWidget()->size();
    HintMemo->setPlainText(QStringLiteral("%1x%2").arg(client.width()).arg(client.height()));
}

void TOstrelMain::ShowHint(const QString &hint)
{
    // Only a change of the current hint rewrites the pane (a size shown there stays until then).
    const QString text = zered::LongHint(hint);
    if (text == m_currentHint)
        return;
    m_currentHint = text;
    HintMemo->setPlainText(text);
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
    LabelHeadButtons(HeadPanel);
    int count = 0;
    for (const QString &path : std::as_const(m_commandLineFiles)) {
        ++count;
        try {
            OpenDocument(path);
            m_fileCommands->AddRecent(path);
        } catch (const OstrelError &e) {
            zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(e.message()));
        }
    }
    if (count == 1)
        SetActiveChildState(false);
}

void TOstrelMain::closeEvent(QCloseEvent *event)
{
    if (zered::Guarded([this] { TChildForm::CloseAllChildren(children()); })) {
        // While the window is still shown: a hidden one would be stored as hidden.
        SaveSettings();
        m_settingsSaved = true;
        event->accept();
    } else
        event->ignore();
}

QList<TChildForm *> TOstrelMain::children() const
{
    return m_mdiArea->documents();
}

TChildForm *TOstrelMain::activeChild() const
{
    return m_mdiArea->activeDocument();
}

TTextList2Form *TOstrelMain::createTableWindow()
{
    auto *form = new TTextList2Form({this, &m_fileCommands->saveAsDialog(), &m_sendChoices, BackupFolder()});
    connect(form, &TChildForm::stateChanged, this, &TOstrelMain::updateActions);
    m_mdiArea->addDocument(form, {TableWindowClientWidth, TableWindowClientHeight});
    connect(form->parentWidget(), &QObject::destroyed, this, &TOstrelMain::updateActions, Qt::QueuedConnection);
    updateActions();
    return form;
}

TTextList2Form *TOstrelMain::OpenDocument(const QString &path, int kind)
{
    if (!QFileInfo::exists(path))
        throw OstrelError(Msg::FileNotFound);
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
    m_mdiArea->setActiveDocumentState(normal);
}

void TOstrelMain::ProgressStart(int total, int position, int colour)
{
    m_progressTotal = total > 0 ? total : 1;
    Shape1->setFixedWidth(position * 100 / m_progressTotal);
    Shape1->setFill(zered::ToQColor(colour));
    Shape1->show();
}

void TOstrelMain::ProgressStep(int position, int colour)
{
    Shape1->setFixedWidth(position * 100 / m_progressTotal);
    Shape1->setFill(zered::ToQColor(colour));
    Shape1->setOutline(zered::ToQColor(colour));
    // The caller runs a blocking loop: paint now, not when the loop returns.
    Shape1->repaint();
}

void TOstrelMain::ProgressEnd()
{
    Shape1->setOutline(zered::ToQColor(zered::clGray));
}

TKOVPort &TOstrelMain::OpenPort()
{
    // From here to ClosePort the window stays alive but takes no input.
    if (!m_transferGuard) {
        m_transferGuard = std::make_unique<TransferGuard>(TransferCancel);
        TransferCancel->show();
        placeCornerPanels();
    }
    return m_ports.OpenPort(PortCombo->currentText(), BaudCombo->currentText());
}

void TOstrelMain::ClosePort()
{
    struct EndGuard
    {
        TOstrelMain &main;
        ~EndGuard()
        {
            main.m_transferGuard.reset();
            main.TransferCancel->hide();
        }
    } endGuard{*this};
    m_ports.ClosePort();
}

void TOstrelMain::KeepAlive(bool cancellable)
{
    if (m_transferGuard)
        m_transferGuard->KeepAlive(cancellable);
}

void TOstrelMain::LineSettling(bool settling)
{
    // The cancel button is greyed meanwhile; its caption says what is awaited.
    TransferCancel->setText(settling ? SettlingCaption() : CancelCaption());
    placeCornerPanels();
}

QString TOstrelMain::BackupFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("backups"));
}

void TOstrelMain::SelectPort(const QString &name)
{
    PortCombo->setPortText(name);
    m_transferCommands->PortComboClick();
}

void TOstrelMain::SelectPortForThisRun(const QString &name)
{
    m_portBeforeThisRun = PortCombo->currentText();
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

void TOstrelMain::updateActions()
{
    if (m_destroying)
        return;
    TChildForm *child = activeChild();
    const bool hasChild = child != nullptr;
    for (MainAction id : {MainAction::FileSave1, MainAction::FileSaveAs1, MainAction::SearchFind1,
                          MainAction::SearchFindNext1})
        action(id)->setEnabled(hasChild);
    action(MainAction::FileSaveOverwrite1)->setEnabled(hasChild && child->IsModified());
    for (MainAction id : {MainAction::Send1, MainAction::Compare1, MainAction::SearchCheckTable1})
        action(id)->setEnabled(qobject_cast<TTextList2Form *>(child) != nullptr);
    action(MainAction::WindowCloseAll1)->setEnabled(!m_mdiArea->subWindowList().isEmpty());
    m_windowCommands->updateActions();
    m_editCommands->updateActions();
}
