#pragma once

#include "device/port_selection.h"
#include "documents/file_recognition.h"
#include "documents/parallel_send.h"
#include "common/user_prompts.h"
#include "documents/table_transfer.h"
#include "documents/transfer_run.h"
#include "shell/command_host.h"
#include "shell/document_area.h"
#include "shell/main_actions.h"
#include "shell/port_combo.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QUndoGroup>
#include <memory>

class QAbstractButton;
class QAction;
class QShortcut;
class QComboBox;
class QPlainTextEdit;
class QTextEdit;
class SettingsStore;
class TShape;
class TTextList2Form;
class EditCommands;
class EditMenu;
class FindCommands;
class HelpCommands;
class FileCommands;
class MainLocalisation;
class TransferCommands;
class WindowCommands;
namespace zered { class RichEditLog; }
namespace Ui { class TOstrelMain; }

// The multiple-document main window: head bar, document area, hint pane,
// message pane with the progress indicator, and the command table; its
// commands see it as their CommandHost; its table windows start their
// transfers through it, one at a time, on the port the selectors name.
class TOstrelMain : public QMainWindow, public TransferLauncher, public CommandHost
{
    Q_OBJECT
public:
    // Settings are loaded from and saved to settings; without one they live
    // in memory for this window only.
    explicit TOstrelMain(const QStringList &commandLineFiles = {}, SettingsStore *settings = nullptr,
                         QWidget *parent = nullptr);
    ~TOstrelMain() override;

    // Placement, pane heights, recent lists, port and baud texts, field lengths:
    // read once by the constructor, written once when the window closes (or is
    // destroyed without closing).
    virtual void LoadSettings();
    virtual void SaveSettings();

    TTextList2Form *OpenDocument(const QString &path, int kind = FileKindAuto) override;
    TTextList2Form *NewDocument(const QString &name) override;
    void SetActiveChildState(bool normal) override;

    // Raises when a transfer is under way already.
    void StartTransfer(TransferRun::Operation operation, QObject *context, Done done) override;
    bool transferRunning() const { return m_transfer || m_several; }
    // The progress indicator and the cancel button's caption, as a transfer's signals drive them.
    void ProgressStart(int total, int position, int colour);
    void ProgressStep(int position, int colour);
    void ProgressEnd();
    void LineSettling(bool settling);
    // Where a send backs up the controller's table: "backups" in the user's data folder.
    static QString BackupFolder();
    SendChoices &sendChoices() override { return m_sendChoices; }
    ParallelSend &StartSendToSeveral(const QStringList &ports, const QByteArray &image, const SendChoices &choices,
                                     const QString &table) override;
    TransferCommands &transferCommands() { return *m_transferCommands; }
    QAbstractButton *transferCancelButton() const;

    // Makes the ports transfers open.
    PortHolder &ports() { return m_ports; }
    HelpCommands &helpCommands() { return *m_helpCommands; }
    FindCommands &findCommands() { return *m_findCommands; }
    // Puts a port name into the selector as if it had been chosen.
    void SelectPort(const QString &name);
    // The same for this run only: the settings keep the port chosen before.
    void SelectPortForThisRun(const QString &name);

    // Files forwarded by a later start, as one comma text.
    void CopyDataMessage(const QString &commaText);
    // Files dropped on the window, in drop order.
    void DropFiles(const QStringList &paths);

    QList<TTextList2Form *> documents() const override;
    TTextList2Form *activeTable() const override;
    QAction *action(MainAction id) const override { return m_actions[id]; }
    // The file commands and the recent lists.
    FileCommands &fileCommands() const { return *m_fileCommands; }
    // Re-evaluates every command's enabled state.
    void updateActions();
    // Offers to read the active window's file again when another program has
    // changed it (run whenever a window or the program becomes active).
    void CheckActiveFileOnDisk();

    DocumentArea *documentArea() const;
    PortComboBox *portCombo() const;
    QComboBox *baudCombo() const;
    QPlainTextEdit *hintMemo() const;
    QTextEdit *messagePane() const;
    TShape *progressBar() const;
    QWidget *headPanel() const;

    static constexpr int DesignClientWidth = 640;
    static constexpr int DesignClientHeight = 480;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Raises "a transfer is under way" while one runs.
    void RefuseWhileTransferring() const;
    void createActions();
    void linkHeadButtons();
    void applyFaces();
    void FormShow();
    void FormResize();
    void placeCornerPanels();
    void ShowHint(const QString &hint);
    // Ends the transfer under way: the window's own state, then done unless its context is gone.
    void TransferEnded(const QPointer<QObject> &context, const Done &done);
    TTextList2Form *createTableWindow();
    // The window that has path open; none when no window has.
    TTextList2Form *windowOf(const QString &path) const;

    // Laid out first: the command table takes over the actions the form names.
    std::unique_ptr<Ui::TOstrelMain> m_form;
    MainActions m_actions;
    std::unique_ptr<SettingsStore> m_ownSettings;
    SettingsStore *m_settings;
    std::unique_ptr<zered::RichEditLog> m_log;
    std::unique_ptr<MainLocalisation> m_localisation;
    QUndoGroup m_undoGroup;   // follows the active table window
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<WindowCommands> m_windowCommands;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<TransferCommands> m_transferCommands;
    std::unique_ptr<HelpCommands> m_helpCommands;
    std::unique_ptr<FindCommands> m_findCommands;
    std::unique_ptr<EditMenu> m_editMenu;
    PortHolder m_ports;
    SendChoices m_sendChoices;
    std::unique_ptr<TransferRun> m_transfer;
    std::unique_ptr<ParallelSend> m_several;   // a send to several ports, beside no other transfer
    QShortcut *m_cancelKey = nullptr;   // Esc, while a transfer runs
    int m_convStrWidth = 0;   // what new table windows give their conversion-string column; 0: their default
    QStringList m_commandLineFiles;
    QString m_currentHint;
    QString m_portForThisRun, m_portBeforeThisRun;
    int m_progressTotal = 1;
    bool m_shown = false;
    bool m_destroying = false;
    bool m_settingsSaved = false;
};

// Puts each head-bar button's function key in front of its caption
// ("F2:&Open ..."), depth first through the container's children.
void LabelHeadButtons(QWidget *container);
