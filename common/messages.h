#pragma once

#include <utility>

// Every fixed text the program raises, logs or asks, in one place. The English
// technical texts are kept exactly as operators and their tools know them,
// misspellings included; prompts are fixed Japanese texts in every language.
namespace Msg {

// Table files and documents
inline constexpr char CsvEmpty[] = "csv empty";
inline constexpr char SizeMismatched[] = "size missmacthed";
inline constexpr char FileNotFound[] = "file not found";
inline constexpr char FileNoExists[] = "file no exists ";   // followed by the path
inline constexpr char LoadFrom[] = "load from '%s'; %dmsec";
inline constexpr char SaveToTimed[] = "save to '%s'; %dmsec";
inline constexpr char SaveTo[] = "save to '%s'";
// Open files and files changed on disk (our own wording)
inline constexpr char MissingFile[] = "'%1' is not there: moved, renamed or deleted";   // the detail of FileNotFound
inline constexpr char AlreadyOpen[] = "'%s' is already open; its window is brought to the front";
inline constexpr char OpenInAnotherWindow[] =
    "cannot save to '%1': it is open in another window; save it there or close that window first";
inline constexpr char ReloadedChanged[] =
    "'%s' was changed on disk and is read again (Undo brings back the table as it was)";
inline constexpr char SavedAsBinaryByName[] = "'%s' has the name of a binary file: saved as the 64 KiB table image";
inline constexpr char SavedAsTextDespiteName[] =
    "'%s' has the name of a binary file but holds CSV/text, as the type chosen says";
// Follows a refused cell text that stopped a save.
inline constexpr char NothingSaved[] = ", and nothing was saved";
// File layer (our own wording; always names the file)
inline constexpr char CannotOpenFile[] = "cannot open '%1': %2";
inline constexpr char CannotReadFile[] = "cannot read '%1': %2";
inline constexpr char CannotWriteFile[] = "cannot write '%1': %2";
inline constexpr char NotAFile[] = "cannot open '%1': it is a folder, not a file";
inline constexpr char NotARegularFile[] = "cannot open '%1': it is a device, pipe or socket, not a file";
inline constexpr char TextFileTooLong[] =
    "cannot open '%1': it holds more than %2 bytes before the end of line %3, which no table file does";
inline constexpr char SavedInPlace[] =
    "'%s' was written in place: its folder cannot take a temporary file, so a failed write could have cut it";
inline constexpr char LineBreakInField[] =
    "cannot save '%1': row %2 holds a line break, which a text file cannot carry";
inline constexpr char NulByteInField[] =
    "cannot save '%1': row %2 holds a 0x00 byte, which a text file cannot carry";
// Kinds recognised, text left out, spreadsheet CSV (our own wording)
inline constexpr char ReadAsImage[] = "'%s' is a 64 KiB table image; read as binary";
inline constexpr char ReadAsSheet[] = "'%s' starts with a UTF-8 byte order mark; read as spreadsheet CSV";
inline constexpr char ReadAsUtf8Sheet[] = "'%s' holds UTF-8 text; read as spreadsheet CSV";
inline constexpr char TextLeftOut[] = "'%1': %2 line(s) lost text; line %3: '%4' left out";
inline constexpr char TextUnclosedQuote[] =
    "'%1': %2 line(s) open a quote that never closes, so the field runs to the end; line %3: '%4'";
inline constexpr char TextEndsAtNul[] = "'%1': a 0x00 byte in line %2 ends the text; '%3' and all after it left out";
inline constexpr char ImageLongerThanTable[] =
    "'%1' holds %2 bytes; only its first 65536 were read as the table, the %3 after them left out";
inline constexpr char SheetBreakInField[] =
    "cannot load '%1': row %2, column %3 holds a line break, which a table cell cannot hold";
inline constexpr char SheetNulByte[] =
    "cannot load '%1': it holds a 0x00 byte, so it is no spreadsheet CSV (save it as CSV UTF-8)";
inline constexpr char SheetCannotHold[] =
    "cannot load '%1': row %2, column %3 holds '%4' (U+%5), which Shift-JIS cannot hold";
inline constexpr char SheetNotShiftJis[] =
    "cannot save '%1': row %2 holds bytes that are not Shift-JIS, which a spreadsheet file cannot carry";
// Excel workbooks (our own wording)
inline constexpr char ReadAsWorkbook[] = "'%s' is an Excel workbook; read as xlsx";
inline constexpr char WorkbookTooLong[] = "cannot open '%1': it holds more than %2 bytes, which no table workbook does";
inline constexpr char XlsxDamaged[] = "cannot load '%1': it is no Excel workbook or a damaged one (%2)";
inline constexpr char XlsxNumbers[] = "'%1': a bar code stored as a number may have lost leading zeros: %2 row(s), %3";
inline constexpr char XlsxFormulas[] = "'%1': %2 cell(s) hold a formula, read as the value it last gave: %3";
inline constexpr char XlsxOtherSheets[] = "'%1': only the first sheet, '%2', was read; %3 more sheet(s) left out";
inline constexpr char XlsxWriterFailed[] = "cannot save '%1': the workbook could not be written (%2)";

// Check Table (our own wording)
inline constexpr char CheckCut[] = "row %1: %2 of %3 bytes is cut to %4: '%5'";
inline constexpr char CheckCutSplits[] = "row %1: %2 of %3 bytes is cut to %4 in the middle of a double-byte character: '%5'";
inline constexpr char CheckDuplicate[] = "row %1: bar code '%2' also in row %3";
inline constexpr char CheckAfterEnd[] =
    "row %1: '%2' lies after the last bar code (row %3); the controller will not see it";
inline constexpr char CheckNoBarcode[] = "row %1: '%2' has no bar code in the table; the controller will not see it";
inline constexpr char CheckNotShiftJis[] = "row %1: %2 holds bytes that are not Shift-JIS";
inline constexpr char CheckOtherForm[] =
    "row %1: %2 holds '%3' as %4; read back from a spreadsheet file it is stored as %5, the other form of it";
inline constexpr char CheckExponent[] =
    "row %1: %2 '%3' is a number in exponent form, as a spreadsheet writes it; the digits it stood for are lost";
inline constexpr char CheckFormula[] = "row %1: %2 '%3' starts with \"=\", which a spreadsheet takes for a formula";
inline constexpr char CheckDate[] = "row %1: %2 '%3' looks like a date, which a spreadsheet makes of such a text";
inline constexpr char CheckShortDigits[] =
    "row %1: bar code '%2' has %3 digits where %4 other rows have %5; a spreadsheet may have dropped its leading "
    "zeros ('%6')";
inline constexpr char CheckFound[] = "check table: %1 finding(s)";
inline constexpr char CheckClean[] = "check table: nothing found";
inline constexpr char CliLosingData[] =
    "nothing written: the table would lose the texts listed above (--force writes it all the same)";

// Single instance (our own wording; written to stderr before any window exists)
inline constexpr char InstanceLockFailed[] =
    "cannot create the lock file '%1'; this start does not check for a running instance";
inline constexpr char InstanceListenFailed[] =
    "cannot listen on '%1' (%2); later starts cannot reach this instance";
inline constexpr char InstanceNoAnswer[] =
    "the running instance did not answer within %1 ms; this start opens its files itself";
inline constexpr char InstanceRequestRefused[] =
    "the running instance refused this start's files (more than %1 bytes or a path longer than %2 characters)";
// Written to the running instance's log
inline constexpr char ForwardedTooLong[] =
    "a later start's files were refused: %d bytes, at most %d are taken";
inline constexpr char ForwardedPathTooLong[] =
    "a later start's files were refused: a path of %d characters, at most %d are taken";

// Grid commands
inline constexpr char GridDeleteRowTooFew[] = "GridDeleteRow; row count too few";
inline constexpr char GetGridEditorNoEdit[] = "GetGridEditor(); no edit";
inline constexpr char RowMoved[] = "row moved %d to %d";
inline constexpr char Sorted[] = "sorted col%d %s";
inline constexpr char NotFound[] = "NOT FOUND[%1]";
// Cell input (our own wording; names the character and the cell)
inline constexpr char CannotStoreCharacter[] =
    "'%1' (U+%2) cannot be stored in row %3, %4: Shift-JIS has no such character; nothing was changed";
inline constexpr char CellControlCharacter[] =
    "row %1, %2: a cell cannot hold a line break, a tab or a 0x00 byte; nothing was changed";
inline constexpr char PastedRestLeftOut[] =
    "row %1, %2: only the first line of the pasted text went into the cell; the rest was left out";
// Replace, fill, go to row (our own wording). "{one|many}" picks by the count (CountedText).
inline constexpr char BadRegularExpression[] = "the regular expression '%1' is not valid: %2 (at character %3)";
inline constexpr char Replaced[] = "replace '%1' with '%2': %3 {cell|cells} changed";
inline constexpr char ReplaceNotFound[] = "replace: '%1' is not found where the search looks";
inline constexpr char ReplaceOverlong[] = "row %1, %2: %3 of %4 bytes: '%5'";
inline constexpr char JanSeriesRunsOut[] =
    "fill series: the series of '%1' runs out of digits at row %2 (a JAN/EAN code keeps its %3 digits); nothing was changed";
inline constexpr char NoSuchRow[] = "go to row: '%1' is no row; give a number from %2 to %3 or '%4'";

// Device link
inline constexpr char ReadTimeout[] = "Read timeout";
inline constexpr char ReplyHeaderMissing[] = "reply header missing";
inline constexpr char ChecksumMismatched[] = "checksum missmatched";
inline constexpr char SerialCannotOpen[] = "serial port cannot open";
inline constexpr char SetCommStateRet[] = "SetCommState; ret ";   // followed by the error code
inline constexpr char CloseHandleFailed[] = "CloseHandle()";
inline constexpr char ClearCommErrorFailed[] = "ClearCommError()";
inline constexpr char SerialReadFailed[] = "TKOVSerial; ReadFile()";
inline constexpr char SerialWriteError[] = "TKOVSerial; WriteFile() error";
inline constexpr char SerialWriteShort[] = "TKOVSerial; WriteFile() short";
inline constexpr char UsbNotFound[] = "not found KOV in USB ports";
// The detail of UsbNotFound for a controller named by its chip's serial number (our own wording).
inline constexpr char UsbSerialNotFound[] = "no KOV Vision Sensor has the serial number %1 (connected: %2)";
inline constexpr char UsbOpenFailed[] = "IDS_STRING_FUD";
inline constexpr char UsbTimeoutsFailed[] = "IDS_STRING_FUT";
inline constexpr char UsbWriteFailed[] = "IDS_STRING_FUW";
inline constexpr char UsbWriteShort[] = "IDS_STRING_IUD";
inline constexpr char UsbReadFailed[] = "IDS_STRING_IUR";
inline constexpr char UsbReadShort[] = "IDS_STRING_IRN";
inline constexpr char UsbBadAnswer[] = "IDS_STRING_IRR";
inline constexpr char UsbClearCommErrorFailed[] = "FT_W32_ClearCommError()";
inline constexpr char UsbReadError[] = "TKOVUSB; FT_W32_ReadFile() error";
inline constexpr char UsbWriteError[] = "TKOVUSB; FT_W32_WriteFile() error";
// Device link (our own wording)
inline constexpr char NotAnInteger[] = "'%1' is not a valid integer value";
inline constexpr char NotAFloat[] = "'%1' is not a valid floating point value";
inline constexpr char DebugCopyCannotCreate[] = "cannot create '%s': %s; the transfer goes on without it";
inline constexpr char SerialOpenReason[] = "serial port '%s': %s";
inline constexpr char UsbDriverMissing[] = "ftd2xx.dll cannot be loaded (%1); install FTDI's D2XX driver";
inline constexpr char SerialAccessHint[] =
    " (join the dialout group or install the udev rule, log in again and replug the cable)";
inline constexpr char UsbControllerPresent[] = "%1 attached";
inline constexpr char UsbControllerAbsent[] = "no %1 found";
inline constexpr char SerialBusy[] = "the port is busy: another program has it open";
inline constexpr char SerialHeldBy[] = " (process %1, %2)";
inline constexpr char SerialPortGone[] = "the serial port %1 is gone: unplugged? (%2)";
inline constexpr char UsbDeviceGone[] = "the USB device %1 is gone: unplugged? (%2)";
inline constexpr char LineErrorsSeen[] = "the line reported errors: %1";
inline constexpr char ParityErrors[] = "%1 parity";
inline constexpr char FramingErrors[] = "%1 framing";
inline constexpr char OverrunErrors[] = "%1 overrun";
inline constexpr char LatencyTimerHigh[] =
    "%s: the USB-serial adapter holds received bytes up to %d ms (its latency timer), which slows every reply; "
    "set it to 1 ms: echo 1 | sudo tee %s, or install the udev rule 60-kov-ftdi.rules (see the README)";
inline constexpr char LatencyTimerHighWindows[] =
    "%s: the FTDI adapter holds received bytes up to %d ms (its latency timer), which slows every reply; set it "
    "to 1 ms in Device Manager > Ports (COM & LPT) > %s > Port Settings > Advanced > Latency Timer";
inline constexpr char PortPluggedIn[] = "port plugged in: %s";
inline constexpr char PortUnplugged[] = "port unplugged: %s";

// Table transfer
inline constexpr char SendError[] = "send error";
inline constexpr char NoAck[] = "no ACK";
inline constexpr char RecvError[] = "recv error";
inline constexpr char SendTextList[] = "send text list; %dmsec";
inline constexpr char RecvTextList[] = "recv text list; %dmsec";
inline constexpr char VerifyMismatch[] = "verify failed: record %1 (row %2) differs from what was sent";
// Safe send, compare (our own wording)
inline constexpr char CompareResult[] = "compare with controller: %1 {field differs|fields differ}";
inline constexpr char VerifiedTable[] = "read back: the controller holds the table as sent";
inline constexpr char BackupSavedTo[] = "backup of the controller's table saved to '%s'";
inline constexpr char CannotMakeFolder[] = "the folder cannot be made";
inline constexpr char SendBlock0Only[] = "the controller's table may have changed in block 0 only";
inline constexpr char SendPartlyWritten[] =
    "the controller now holds a partly written table: blocks 0 to %1 of 256 were written, block %2 may have been";
inline constexpr char SendBackupIs[] = "; its table from before the send is saved in '%1'";
inline constexpr char SendNoBackup[] = "; there is no backup of its table from before the send";
inline constexpr char RecvCancelled[] = "recv text list cancelled; nothing was changed";
inline constexpr char BackupCancelled[] = "send cancelled while backing up the controller's table; nothing was written";
inline constexpr char VerifyCancelled[] = "read-back cancelled: the table was written but is not verified";
inline constexpr char LineStillBusy[] = "the controller was still sending %d s after the transfer stopped";
inline constexpr char LineNotQuiet[] =
    "the line did not fall quiet: bytes kept coming for %1 s, so nothing was asked of the controller";
inline constexpr char BlockAgain[] = "block %d again: %s";
inline constexpr char TableInTransfer[] = "the table is being transferred: it can be changed once the transfer ends";
inline constexpr char SentToAllPorts[] = "sent to all %1 ports: %2";
inline constexpr char UnchangedPort[] = "held the table already";
inline constexpr char SendFailedOnPorts[] = "send failed on %1 of %2 ports: %3";
inline constexpr char TransferUnderWay[] = "a transfer is under way on %1: wait for its end or cancel it";
// What a send changes, seen in the backup before it writes (our own wording)
inline constexpr char SendChangesRows[] = "the send changes %1 {row|rows} of the controller's table";
inline constexpr char SendChangesNothing[] = "the controller already holds this table; nothing was written";
inline constexpr char SendChangesRefused[] = "send cancelled: the controller's table was backed up and left as it was";
inline constexpr char ChangeNotShown[] = "row %1 differs in bytes the grid does not show";
inline constexpr char DryRunChanges[] =
    "dry run: %1 {row|rows} of the controller's table would change; the first %2 (now / after the send):";
inline constexpr char DryRunNothing[] = "dry run: the controller already holds this table; nothing would be written";
// Transfer journal (our own wording)
inline constexpr char JournalCancelled[] = "cancelled";
inline constexpr char JournalNotWritten[] = "not recorded in the transfer journal: %s";

// Localisation, banner, logo
inline constexpr char LangLoadFailed[] = "TZeredLang; %s";
inline constexpr char LocaleNotSupported[] = "ApplyLocale(); not support %s.Caption";
inline constexpr char ResourceNotFound[] = "Resource %1 not found";   // our own wording
inline constexpr char VersionBanner[] = "%s version%s %s";
inline constexpr char OpenOnWebBrowser[] = "open '%s' on WEB BROWSER";

// Settings kept between runs (our own wording; always names the value and key)
inline constexpr char SettingsValueMissing[] = "settings value '%1' is missing in '%2'";
inline constexpr char SettingsValueNotInteger[] = "settings value '%1' in '%2' is not an integer";
inline constexpr char SettingsValueNotString[] = "settings value '%1' in '%2' is not a string";
inline constexpr char SettingsValueOutOfRange[] = "settings value '%1' in '%2' is %3, outside %4 to %5";
inline constexpr char SettingsNamesIgnored[] =
    "settings file '%s' holds names that are no key or value name (%s); they are ignored";
inline constexpr char PlacementPulledOnScreen[] =
    "the stored window place %d,%d %dx%d lies off the screen; the window is placed at %d,%d %dx%d";
inline constexpr char SettingsGroupSkipped[] = "%s; the settings of '%s' keep their defaults";
inline constexpr char FieldLengthRefused[] =
    "DEF_BARCODE_LEN %d is outside 1 to 64; the field lengths stay %d and %d";
inline constexpr char SettingsFileUnreadable[] =
    "settings file '%s' cannot be read; it is kept as it is and this run's settings are not saved";

// Confirmation prompts (fixed Japanese in every interface language)
inline constexpr char AskClearTable[] = "全テーブルをクリアします。よろしいですか？";
inline constexpr char AskDeleteRows[] = "選択された%1行を削除します。";
inline constexpr char AskInsertRows[] = "%1行挿入します。";
// Follows AskInsertRows when filled rows would fall off the end: their count and numbers.
inline constexpr char InsertDropsFilledRows[] = "\n末尾の入力済み%1行（%2行目）は押し出されて失われます。";
inline constexpr char AskSendTable[] = "KOVのバーコードテーブルを書き換えます。よろしいですか？";
inline constexpr char AskSaveDocument[] = "[%1]は保存されていません。保存しますか？";
// Before a binary save or a send that would cut or lose text: the count, then the first findings.
inline constexpr char WarnLosingData[] = "%1件のテキストが切り詰められるか、コントローラから見えなくなります。\n%2\n\n";
inline constexpr char AskSaveBinaryAnyway[] = "このままバイナリで保存しますか？";
// Before a replace that makes texts longer than their fields: the count, then the first of them.
inline constexpr char AskReplaceOverlong[] =
    "%1個のテキストが置換後にフィールドより長くなり、バイナリやコントローラでは切り詰められます。\n%2\n\n置換しますか？";
// Files changed on disk by another program: the caption, then the file's time and size in bytes.
inline constexpr char AskOverwriteChanged[] =
    "[%1]は読み込みまたは保存の後に他のプログラムによって変更されています（現在: %2、%3バイト）。上書きしますか？";
inline constexpr char AskReloadChanged[] =
    "[%1]は他のプログラムによって変更されています（%2、%3バイト）。読み直しますか？"
    "このウィンドウの変更は「元に戻す」で戻せます。";
inline constexpr char AskReloadDiscarding[] =
    "[%1]をファイルから読み直します。保存されていない変更は「元に戻す」で戻せます。";
// A paste that does not fit: the clipboard's lines, the lines and texts left out, the first of them.
inline constexpr char AskPasteLeavingOut[] =
    "クリップボードの%1行のうち%2行にある%3個のテキストは貼り付け先に収まりません（最初は%4行目の「%5」）。"
    "収まらない部分を除いて貼り付けますか？";

// Before a send that changes the controller's table: the rows, the fields listed, then the lines.
inline constexpr char AskSendChanges[] = "コントローラのテーブルの%1行が書き換わります。最初の%2件（現在 / 送信後）:";
inline constexpr char AskSendChangesGo[] = "送信しますか？";

// What each Japanese prompt above means, shown below it when the interface is not
// Japanese; %1, %2 stand for what the Japanese text holds in the same places.
inline constexpr std::pair<const char *, const char *> PromptMeanings[] = {
    {AskClearTable, "This clears the whole table. Are you sure?"},
    {AskDeleteRows, "This deletes the %1 selected {row|rows}."},
    {AskInsertRows, "This inserts %1 {row|rows}."},
    {InsertDropsFilledRows, "%1 filled {row|rows} at the end (row %2) {1:is|are} pushed out and lost."},
    {AskSendTable, "This overwrites the KOV's barcode table. Are you sure?"},
    {AskSaveDocument, "[%1] has not been saved. Save it?"},
    {WarnLosingData, "%1 {text|texts} would be cut short or no longer seen by the controller (listed above)."},
    {AskSaveBinaryAnyway, "Save as binary anyway?"},
    {AskReplaceOverlong, "%1 {text becomes|texts become} longer than {its field|their fields} and will be cut in a binary "
                         "file or the controller (listed above). Replace all the same?"},
    {AskOverwriteChanged, "[%1] was changed by another program after it was read or saved (now: %2, %3 bytes). Overwrite it?"},
    {AskReloadChanged,
     "[%1] was changed by another program (%2, %3 bytes). Read it again? Undo brings back this window's changes."},
    {AskReloadDiscarding, "This reads [%1] from its file again. Undo brings back the unsaved changes."},
    {AskPasteLeavingOut, "%3 {text|texts} in %2 of the clipboard's %1 {line|lines} {3:does|do} not fit where "
                         "{3:it|they} would go (the first: line %4, '%5'). Paste the rest without them?"},
    {AskSendChanges, "%1 {row|rows} of the controller's table {1:changes|change}. The first %2 (now / after the send):"},
    {AskSendChangesGo, "Send?"},
};

} // namespace Msg
