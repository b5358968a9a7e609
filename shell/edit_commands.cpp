#include "shell/edit_commands.h"

#include "shell/barcodemain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

struct EditorState
{
    bool writable = false, hasSelection = false, hasText = false, canUndo = false;
};

EditorState StateOf(QWidget *editor)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        return {!line->isReadOnly(), line->hasSelectedText(), !line->text().isEmpty(), line->isUndoAvailable()};
    if (auto *text = qobject_cast<QTextEdit *>(editor))
        return {!text->isReadOnly(), text->textCursor().hasSelection(), !text->document()->isEmpty(),
                text->document()->isUndoAvailable()};
    if (auto *plain = qobject_cast<QPlainTextEdit *>(editor))
        return {!plain->isReadOnly(), plain->textCursor().hasSelection(), !plain->document()->isEmpty(),
                plain->document()->isUndoAvailable()};
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

EditCommands::EditCommands(TOstrelMain &main) : m_main(main)
{
    auto bind = [this](MainAction id, auto op) {
        QObject::connect(m_main.action(id), &QAction::triggered, &m_main, [this, op] {
            OnEditor(focusedEditor(), op);
        });
    };
    bind(MainAction::EditCut1, [](auto *e) { e->cut(); });
    bind(MainAction::EditCopy1, [](auto *e) { e->copy(); });
    bind(MainAction::EditPaste1, [](auto *e) { e->paste(); });
    bind(MainAction::EditSelectAll1, [](auto *e) { e->selectAll(); });
    bind(MainAction::EditUndo1, [](auto *e) { e->undo(); });
    bind(MainAction::EditDelete1, [](auto *e) { DeleteSelection(e); });
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, &m_main, [this] { updateActions(); });
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
    m_main.action(MainAction::EditCut1)->setEnabled(s.hasSelection && s.writable);
    m_main.action(MainAction::EditDelete1)->setEnabled(s.hasSelection && s.writable);
    m_main.action(MainAction::EditCopy1)->setEnabled(s.hasSelection);
    m_main.action(MainAction::EditPaste1)->setEnabled(clipText && s.writable);
    m_main.action(MainAction::EditSelectAll1)->setEnabled(s.hasText);
    m_main.action(MainAction::EditUndo1)->setEnabled(s.canUndo && s.writable);
}
