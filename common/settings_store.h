#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// A tree of keys holding named integer and string values, shaped like the
// per-user registry: key paths are "\"-separated, a leading "\" is the root.
// One key at a time is current (OpenKey); reads and writes go to it.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // Makes the key current. Without create it fails (false) when the key is
    // missing; with create every missing key on the path is created.
    virtual bool OpenKey(const QString &path, bool create) = 0;
    // Ends the use of the current key; its writes are kept.
    virtual void CloseKey() = 0;
    virtual bool ValueExists(const QString &name) const = 0;
    // Raises OstrelError naming the value and key when it is missing or no integer.
    int ReadInteger(const QString &name) const;
    // As ReadInteger; also raises when the value lies outside min to max.
    int ReadInteger(const QString &name, int min, int max) const;
    // Empty when missing; raises OstrelError when the value is no string.
    QString ReadString(const QString &name) const;
    // Create or replace the value; a bool is the integer 0 or 1.
    virtual void WriteInteger(const QString &name, int value) = 0;
    virtual void WriteString(const QString &name, const QString &value) = 0;
    void WriteBool(const QString &name, bool value) { WriteInteger(name, value ? 1 : 0); }

protected:
    // The value as stored (int or QString); invalid when missing.
    virtual QVariant value(const QString &name) const = 0;
    // The current key's path, for error messages.
    virtual QString currentPath() const = 0;
};

// Whether a stored value is an integer of 32 bits, as the registry's REG_DWORD.
bool IsStoredInteger(const QVariant &value);

// The key path below "\": no leading or trailing separator.
QString NormalizedKeyPath(const QString &path);

// Runs one group's reads. A settings error ends only that group: it is logged
// in magenta, the key is closed and false returned; the caller keeps the
// group's defaults.
bool ReadSettingsGroup(SettingsStore &store, const QString &keyPath, const std::function<void()> &read);

// A store that lives in memory only (a window without a persistent store, tests).
class MemorySettingsStore : public SettingsStore
{
public:
    bool OpenKey(const QString &path, bool create) override;
    void CloseKey() override;
    bool ValueExists(const QString &name) const override;
    void WriteInteger(const QString &name, int value) override;
    void WriteString(const QString &name, const QString &value) override;

    bool KeyExists(const QString &path) const;
    // The names of the key's values, sorted.
    QStringList ValueNames(const QString &path) const;
    // The value as stored, of its kind; invalid when missing.
    QVariant StoredValue(const QString &path, const QString &name) const;
    // Stores a value of any kind (to plant wrong kinds in tests).
    void Plant(const QString &path, const QString &name, const QVariant &value);
    void Remove(const QString &path, const QString &name);

protected:
    QVariant value(const QString &name) const override;
    QString currentPath() const override;

private:
    QMap<QString, QMap<QString, QVariant>> m_keys;   // by normalized path
    QString m_current;   // "" is the root
};
