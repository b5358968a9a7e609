#include "common/qsettings_store.h"
#include "device/port_selection.h"

#include <QTest>
#include <cwchar>
#include <iterator>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

// Its own key beside the editor's, so a run on a real machine leaves the user's settings alone.
const QString Root = u"\\Software\\Brenvik\\KOV-Ostrel-Test"_qs;
const wchar_t *const RootPath = L"Software\\Brenvik\\KOV-Ostrel-Test";

// The registry's own kind of a value below the test root, or 0 when it is missing.
DWORD registryType(const wchar_t *subkey, const wchar_t *name)
{
    const std::wstring path = std::wstring(RootPath) + L"\\" + subkey;
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return type;
}

// The names of the values a key below the test root holds.
QStringList registryValueNames(const wchar_t *subkey)
{
    const std::wstring path = std::wstring(RootPath) + L"\\" + subkey;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {u"<no key>"_qs};
    QStringList names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = DWORD(std::size(name));
        if (RegEnumValueW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names << QString::fromWCharArray(name, int(size));
    }
    RegCloseKey(key);
    return names;
}

} // namespace

class TestWindowsPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { RegDeleteTreeW(HKEY_CURRENT_USER, RootPath); }

    // The installed store writes the registry itself: integers as REG_DWORD,
    // texts as REG_SZ, keys without values as empty keys, and reads them back.
    void settingsRoundTripThroughTheRegistry()
    {
        {
            QSettingsStore store(Root);
            QVERIFY(store.OpenKey(Root + u"\\MainForm"_qs, true));
            store.WriteInteger(u"WindowState"_qs, 2);
            store.WriteString(u"Caption"_qs, u"テーブル 5"_qs);
            store.CloseKey();
            QVERIFY(store.OpenKey(Root + u"\\View"_qs, true));
            store.CloseKey();
        }
        QCOMPARE(registryType(L"MainForm", L"WindowState"), DWORD(REG_DWORD));
        QCOMPARE(registryType(L"MainForm", L"Caption"), DWORD(REG_SZ));
        QCOMPARE(registryValueNames(L"View"), QStringList());

        QSettingsStore store(Root);
        QVERIFY(store.OpenKey(Root + u"\\MainForm"_qs, false));
        QCOMPARE(store.ReadInteger(u"WindowState"_qs), 2);
        QCOMPARE(store.ReadString(u"Caption"_qs), u"テーブル 5"_qs);
        store.CloseKey();
        QVERIFY(store.OpenKey(Root + u"\\View"_qs, false));
        store.CloseKey();
        QVERIFY(!store.OpenKey(Root + u"\\Recent"_qs, false));
    }

    // The port list is "USB", then the string values of the system's serial port
    // list in the registry's order; values of other kinds are no ports.
    void portsComeFromTheSerialCommKey()
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            QSKIP("the system's serial port list can only be written by an administrator");
        const auto setString = [&](const wchar_t *name, const wchar_t *port) {
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(port),
                           DWORD((wcslen(port) + 1) * sizeof(wchar_t)));
        };
        setString(L"\\Device\\OstrelTest7", L"COM27");
        const DWORD number = 28;
        RegSetValueExW(key, L"\\Device\\OstrelTest8", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
        setString(L"\\Device\\OstrelTest9", L"COM29");

        QStringList ports;
        for (const PortEntry &entry : AvailablePorts())
            ports << entry.name;
        RegDeleteValueW(key, L"\\Device\\OstrelTest7");
        RegDeleteValueW(key, L"\\Device\\OstrelTest8");
        RegDeleteValueW(key, L"\\Device\\OstrelTest9");
        RegCloseKey(key);

        QCOMPARE(ports.first(), u"USB"_qs);
        QVERIFY2(ports.indexOf(u"COM27"_qs) > 0 && ports.indexOf(u"COM29"_qs) > ports.indexOf(u"COM27"_qs),
                 qPrintable(ports.join(u' ')));
        QVERIFY(!ports.contains(u"28"_qs));
    }
};

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "test_windows_platform.moc"
