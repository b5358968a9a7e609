#include "documents/child_form.h"

#include "common/file_dialog.h"
#include "common/messages.h"
#include "common/zered_lang.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "documents/table_image.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiSubWindow>

int TChildForm::UntitledCounter = 0;
int TChildForm::ClosingModifiedCount = 0;
SaveAnswer TChildForm::CloseAnswer = SaveAnswer::None;

TChildForm::TChildForm(const DocumentServices &services, QWidget *parent)
    : QWidget(parent), m_services(services)
{
    resize(640, 480);
    m_untitledNumber = ++UntitledCounter;
    connect(&m_document, &TableDocument::fileNameChanged, this, &TChildForm::UpdateCaption);
    connect(&m_document, &TableDocument::modifiedChanged, this, &TChildForm::UpdateCaption);
    UpdateCaption();
}

bool TChildForm::IsModified() const
{
    return m_document.isModified();
}

QString TChildForm::UntitledCaption(int number)
{
    return LocaleLookupFormat(QStringLiteral("untitled"), {number});
}

QString TChildForm::DocumentName() const
{
    const QString &fileName = m_document.fileName();
    return fileName.isEmpty() ? UntitledCaption(m_untitledNumber) : fileName;
}

void TChildForm::UpdateCaption()
{
    const QString &fileName = m_document.fileName();
    QString caption = fileName.isEmpty() ? UntitledCaption(m_untitledNumber) : QFileInfo(fileName).fileName();
    if (m_document.isModified())
        caption += u'*';
    setWindowTitle(caption);
}

void TChildForm::FormCloseQuery()
{
    if (!IsModified())
        return;
    SaveAnswer answer = CloseAnswer;
    if (answer != SaveAnswer::YesToAll && answer != SaveAnswer::NoToAll) {
        answer = Prompts().AskSave(QString::fromUtf8(Msg::AskSaveDocument).arg(windowTitle()),
                                   ClosingModifiedCount >= 2);
        CloseAnswer = answer;
    }
    switch (answer) {
    case SaveAnswer::Yes:
    case SaveAnswer::YesToAll:
        if (FileName().isEmpty()) {
            SaveUnderChosenName();
            return;
        }
        SaveToFile(FileName(), FileKindOwn);
        return;
    case SaveAnswer::No:
    case SaveAnswer::NoToAll:
        return;
    default:
        throw OstrelError::cancel();
    }
}

void TChildForm::SaveUnderChosenName()
{
    TFileDialog *saveAs = m_services.saveAsDialog;
    if (!saveAs || !saveAs->Execute())
        throw OstrelError::cancel();
    // The chosen type, as Save As honours it; the name changes only with a save that went through.
    SaveToFile(saveAs->FileName(), saveAs->FilterIndex());
}

void TChildForm::CloseAllChildren(const QList<TChildForm *> &children)
{
    struct ResetCloseState
    {
        ~ResetCloseState()
        {
            CloseAnswer = SaveAnswer::None;
            ClosingModifiedCount = 0;
        }
    } reset;
    ClosingModifiedCount = 0;
    for (TChildForm *child : children)
        if (child->IsModified())
            ++ClosingModifiedCount;
    CloseAnswer = SaveAnswer::None;
    for (TChildForm *child : children) {
        child->FormCloseQuery();
        child->m_closeApproved = true;
        // The frame deletes closed windows later, so the walk sees each one once.
        if (auto *frame = qobject_cast<QMdiSubWindow *>(child->parentWidget()))
            frame->close();
        else
            child->close();
    }
}

void TChildForm::closeEvent(QCloseEvent *event)
{
    if (m_closeApproved || zered::Guarded([this] { FormCloseQuery(); }))
        event->accept();
    else
        event->ignore();
}
