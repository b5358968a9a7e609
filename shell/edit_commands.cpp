#include "shell/edit_commands.h"

#include "common/zered_gui.h"
#include "documents/textlist_form.h"
#include "shell/command_host.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUndoGroup>

namespace {

struct EditorState
{
    bool writable = false, hasSelection = false, hasText = false, canUndo = false, canRedo = false;
};

EditorState StateOf(QWidget *editor)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        return {!line->isReadOnly(), line->hasSelectedText(), !line->text().isEmpty(), line->isUndoAvailable(),
                line->isRedoAvailable()};
    if (auto *text = qobject_cast<QTextEdit *>(editor))
        return {!text->isReadOnly(), text->textCursor().hasSelection(), !text->document()->isEmpty(),
                text->document()->isUndoAvailable(), text->document()->isRedoAvailable()};
    if (auto *plain = qobject_cast<QPlainTextEdit *>(editor))
        return {!plain->isReadOnly(), plain->textCursor().hasSelection(), !plain->document()->isEmpty(),
                plain->document()->isUndoAvailable(), plain->document()->isRedoAvailable()};
    return {};
}

// Calls the same-named operation on whichever kind of editor it is.
template <typename Operation>
void OnEditor(QWidget *editor, Operation op)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        op(line);
    else if (auto *text = qobject_cast<QTextEdit *>(editor))
        op(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(editor))
        op(plain);
}

void DeleteSelection(QLineEdit *e) { e->del(); }
void DeleteSelection(QTextEdit *e) { e->textCursor().removeSelectedText(); }
void DeleteSelection(QPlainTextEdit *e) { e->textCursor().removeSelectedText(); }

} // namespace

EditCommands::EditCommands(CommandHost &host, const QUndoGroup &undoGroup) : m_host(host), m_undoGroup(undoGroup)
{
    auto bind = [this](MainAction id, auto op, void (TTextList2Form::*tableCommand)()) {
        QAction *command = m_host.action(id);
        QObject::connect(command, &QAction::triggered, command, [this, op, tableCommand] {
            if (QWidget *editor = focusedEditor())
                OnEditor(editor, op);
            else if (TTextList2Form *table = focusedTable(); table && tableCommand)
                zered::Guarded([&] { (table->*tableCommand)(); });
        });
    };
    bind(MainAction::EditCut1, [](auto *e) { e->cut(); }, &TTextList2Form::GridCut1Execute);
    bind(MainAction::EditCopy1, [](auto *e) { e->copy(); }, &TTextList2Form::GridCopy1Execute);
    bind(MainAction::EditPaste1, [](auto *e) { e->paste(); }, &TTextList2Form::GridPaste1Execute);
    bind(MainAction::EditSelectAll1, [](auto *e) { e->selectAll(); }, nullptr);
    bind(MainAction::EditUndo1, [](auto *e) { e->undo(); }, &TTextList2Form::Undo1Execute);
    bind(MainAction::EditRedo1, [](auto *e) { e->redo(); }, &TTextList2Form::Redo1Execute);
    bind(MainAction::EditDelete1, [](auto *e) { DeleteSelection(e); }, nullptr);
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, m_host.action(MainAction::EditPaste1),
                     [this] { updateActions(); });
}

TTextList2Form *EditCommands::focusedTable() const
{
    return focusedEditor() ? nullptr : m_host.activeTable();
}

QWidget *EditCommands::focusedEditor() const
{
    QWidget *w = QApplication::focusWidget();
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QTextEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
        return w;
    return nullptr;
}

void EditCommands::updateActions()
{
    const EditorState s = StateOf(focusedEditor());
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    const bool clipText = clip && clip->hasText();
    const TTextList2Form *table = focusedTable();
    m_host.action(MainAction::EditCut1)->setEnabled((s.hasSelection && s.writable) || table);
    m_host.action(MainAction::EditDelete1)->setEnabled(s.hasSelection && s.writable);
    m_host.action(MainAction::EditCopy1)->setEnabled(s.hasSelection || table);
    m_host.action(MainAction::EditPaste1)->setEnabled(clipText && (s.writable || table));
    m_host.action(MainAction::EditSelectAll1)->setEnabled(s.hasText);
    QAction *undo = m_host.action(MainAction::EditUndo1), *redo = m_host.action(MainAction::EditRedo1);
    if (table) {
        // The group follows the active window; the captions are its window's own.
        undo->setEnabled(m_undoGroup.canUndo());
        undo->setText(table->action(TableAction::Undo1)->text());
        redo->setEnabled(m_undoGroup.canRedo());
        redo->setText(table->action(TableAction::Redo1)->text());
    } else {
        undo->setEnabled(s.canUndo && s.writable);
        redo->setEnabled(s.canRedo && s.writable);
    }
}
