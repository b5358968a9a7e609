#pragma once

class TFileDialog;
class TransferHost;

// What a document window borrows from the window that hosts it, handed over
// when the window is created.
struct DocumentServices
{
    TransferHost *transfer = nullptr;      // the device port and the progress indicator
    TFileDialog *saveAsDialog = nullptr;   // run by the close prompt of an untitled window
};
