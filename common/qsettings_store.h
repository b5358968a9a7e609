#pragma once

#include "common/settings_store.h"

#include <QSettings>
#include <memory>

// The settings store of the installed program, through QSettings: on Windows
// the registry below HKEY_CURRENT_USER itself; elsewhere a JSON file whose
// objects are the keys and whose numbers and strings keep the integer and
// string kinds apart (an empty object is a key without values).
class QSettingsStore : public SettingsStore
{
public:
    // The store for the keys at and below root ("\Software\Brenvik\KOV-Ostrel").
    explicit QSettingsStore(const QString &root);
    // The same tree kept in the JSON file at path.
    QSettingsStore(const QString &root, const QString &jsonFilePath);
    ~QSettingsStore() override;

    bool OpenKey(const QString &path, bool create) override;
    void CloseKey() override;
    bool ValueExists(const QString &name) const override;
    void WriteInteger(const QString &name, int value) override;
    void WriteString(const QString &name, const QString &value) override;

    // Where the JSON file lives outside Windows: the user's config folder,
    // "Brenvik/KOV-Ostrel.json".
    static QString DefaultJsonFilePath();

protected:
    QVariant value(const QString &name) const override;
    QString currentPath() const override;

private:
    void checkReadable();
    QString settingsKey(const QString &name) const;
    bool groupExists(const QString &group) const;
    void createKey(const QString &group);

    QString m_root;                          // normalized
    std::unique_ptr<QSettings> m_settings;
    QString m_group;                         // current key below the root, "/"-separated
    QString m_currentPath;                   // current key as a registry path
    bool m_writable = true;
    bool m_unreadableReported = false;
    QStringList m_ignoredNames;              // said once, on first use
};
