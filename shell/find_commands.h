#pragma once

class CommandHost;
class DocumentArea;
class QWidget;
class TFindDialog;

// The Search menu: "&Find Text" shows the find dialog, whose Find Next button
// and "Find &Next" run one search step in the active table window, which the
// document area then scrolls into sight; "Check &Table" checks that window.
class FindCommands
{
public:
    FindCommands(CommandHost &host, DocumentArea &area, QWidget &window);

    void SearchFind1Execute();
    void SearchFindNext1Execute();
    void FindDialog1Find();
    TFindDialog *dialog() const { return m_dialog; }

private:
    CommandHost &m_host;
    DocumentArea &m_area;
    TFindDialog *m_dialog;
};
