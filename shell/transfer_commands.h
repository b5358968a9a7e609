#pragma once

class TOstrelMain;

// The main window's KOV commands and the port selector: "Recv" reads the
// controller's table into a new window, "Send ..." writes the active table;
// the selector's list is refreshed as it drops down, and choosing USB
// disables the baud selector.
class TransferCommands
{
public:
    explicit TransferCommands(TOstrelMain &main);

    void Recv1Execute();
    void Send1Execute();
    void PortComboDropDown();
    void PortComboClick();

private:
    TOstrelMain &m_main;
};
