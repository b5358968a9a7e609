#pragma once

class TFindDialog;
class TOstrelMain;

// The Search menu: "&Find Text" shows the find dialog, whose Find Next button
// and "Find &Next" run one search step in the active table window.
class FindCommands
{
public:
    explicit FindCommands(TOstrelMain &main);

    void SearchFind1Execute();
    void SearchFindNext1Execute();
    void FindDialog1Find();
    TFindDialog *dialog() const { return m_dialog; }

private:
    TOstrelMain &m_main;
    TFindDialog *m_dialog;
};
