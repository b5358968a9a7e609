#pragma once

class CommandHost;
class DocumentArea;
class QWidget;
class TFindDialog;
class TReplaceDialog;

// The Search menu: "&Find Text" shows the find dialog, whose Find Next button
// and "Find &Next" run one search step in the active table window, which the
// document area then scrolls into sight; "Check &Table" checks that window;
// "&Replace ..." finds and replaces.
class FindCommands
{
public:
    FindCommands(CommandHost &host, DocumentArea &area, QWidget &window);

    void SearchFind1Execute();
    void SearchFindNext1Execute();
    void FindDialog1Find();
    TFindDialog *dialog() const { return m_dialog; }
    // "&Replace ..." shows the replace dialog; its buttons run a step in the active table window.
    void SearchReplace1Execute();
    TReplaceDialog *replaceDialog() const { return m_replaceDialog; }

private:
    CommandHost &m_host;
    DocumentArea &m_area;
    TFindDialog *m_dialog;
    TReplaceDialog *m_replaceDialog;
};
