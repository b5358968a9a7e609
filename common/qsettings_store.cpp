#include "common/qsettings_store.h"

#include "common/messages.h"
#include "common/zered_log.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// The QSettings key that marks a key without values, so that it exists.
constexpr QChar KeyMarker = u'.';

// Names the last file read held that cannot be a key or value name (empty, or
// holding the path separator); QSettings calls the reader on this thread.
thread_local QStringList IgnoredNames;

void ReadJsonObject(const QJsonObject &object, const QString &prefix, QSettings::SettingsMap &map)
{
    if (object.isEmpty() && !prefix.isEmpty())
        map.insert(prefix + KeyMarker, QString());
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().isEmpty() || it.key().contains(u'/')) {
            IgnoredNames.append(u'"' + prefix + it.key() + u'"');
            continue;
        }
        const QString key = prefix + it.key();
        const QJsonValue v = it.value();
        if (v.isObject()) {
            ReadJsonObject(v.toObject(), key + u'/', map);
        } else if (v.isDouble()) {
            // Whole numbers in the 32-bit range are integers; anything else stays a double,
            // which no read accepts as an integer.
            const double d = v.toDouble();
            if (d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max() && std::trunc(d) == d)
                map.insert(key, int(d));
            else
                map.insert(key, d);
        } else if (v.isString()) {
            map.insert(key, v.toString());
        } else {
            map.insert(key, v.toVariant());
        }
    }
}

bool ReadJsonFile(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty())
        return true;   // a new, empty file
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    ReadJsonObject(doc.object(), QString(), map);
    return true;
}

void InsertJson(QJsonObject &object, QStringList parts, const QVariant &value)
{
    if (parts.isEmpty())
        return;
    const QString head = parts.takeFirst();
    if (parts.isEmpty()) {
        if (head != KeyMarker)
            object.insert(head, QJsonValue::fromVariant(value));
        return;
    }
    QJsonObject child = object.value(head).toObject();
    InsertJson(child, parts, value);
    object.insert(head, child);
}

bool WriteJsonFile(QIODevice &device, const QSettings::SettingsMap &map)
{
    QJsonObject root;
    for (auto it = map.begin(); it != map.end(); ++it)
        InsertJson(root, it.key().split(u'/', Qt::SkipEmptyParts), it.value());
    return device.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) >= 0;
}

QSettings::Format JsonFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("json"), ReadJsonFile,
                                                                      WriteJsonFile);
    return format;
}

} // namespace

QSettingsStore::QSettingsStore(const QString &root) : m_root(NormalizedKeyPath(root))
{
    IgnoredNames.clear();
#ifdef Q_OS_WIN
    m_settings = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + m_root,
                                             QSettings::NativeFormat);
#else
    m_settings = std::make_unique<QSettings>(DefaultJsonFilePath(), JsonFormat());
#endif
    checkReadable();
}

QSettingsStore::QSettingsStore(const QString &root, const QString &jsonFilePath) : m_root(NormalizedKeyPath(root))
{
    IgnoredNames.clear();
    m_settings = std::make_unique<QSettings>(jsonFilePath, JsonFormat());
    checkReadable();
}

QSettingsStore::~QSettingsStore() = default;

void QSettingsStore::checkReadable()
{
    // Writing over a file that could not be read would lose what it holds.
    m_writable = m_settings->status() != QSettings::FormatError;
    m_ignoredNames = std::exchange(IgnoredNames, {});
}

QString QSettingsStore::DefaultJsonFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Brenvik/KOV-Ostrel.json");
}

bool QSettingsStore::groupExists(const QString &group) const
{
    if (group.isEmpty())
        return true;
    // A key is a child group of its parent, also when it holds no values.
    const qsizetype slash = group.lastIndexOf(u'/');
    m_settings->beginGroup(slash < 0 ? QString() : group.left(slash));
    const bool exists = m_settings->childGroups().contains(group.mid(slash + 1));
    m_settings->endGroup();
    return exists;
}

bool QSettingsStore::OpenKey(const QString &path, bool create)
{
    if (!m_writable && !m_unreadableReported) {
        // Said on first use, when the log is there to take it.
        m_unreadableReported = true;
        zered::LogPrint(zered::clMagenta, Msg::SettingsFileUnreadable, qUtf8Printable(m_settings->fileName()));
    }
    if (!m_ignoredNames.isEmpty()) {
        zered::LogPrint(zered::clMagenta, Msg::SettingsNamesIgnored, qUtf8Printable(m_settings->fileName()),
                        qUtf8Printable(m_ignoredNames.join(QStringLiteral(", "))));
        m_ignoredNames.clear();
    }
    const QString key = NormalizedKeyPath(path);
    if (key != m_root && !key.startsWith(m_root + u'\\'))
        return false;   // outside the tree this store holds
    const QString group = key.mid(m_root.size() + 1).replace(u'\\', u'/');
    if (!groupExists(group)) {
        if (!create || !m_writable)
            return false;
        QString prefix;
        for (const QString &part : group.split(u'/')) {
            prefix = prefix.isEmpty() ? part : prefix + u'/' + part;
            if (!groupExists(prefix))
                createKey(prefix);
        }
    }
    m_group = group;
    m_currentPath = u'\\' + key;
    return true;
}

void QSettingsStore::createKey(const QString &group)
{
    m_settings->setValue(group + u'/' + KeyMarker, QString());
#ifdef Q_OS_WIN
    // The registry keeps a key without values; the marker has done its work.
    m_settings->sync();
    m_settings->remove(group + u'/' + KeyMarker);
    m_settings->sync();
#endif
}

void QSettingsStore::CloseKey()
{
    m_settings->sync();
    m_group.clear();
    m_currentPath = u'\\' + m_root;
}

QString QSettingsStore::settingsKey(const QString &name) const
{
    return m_group.isEmpty() ? name : m_group + u'/' + name;
}

bool QSettingsStore::ValueExists(const QString &name) const
{
    return m_settings->contains(settingsKey(name));
}

void QSettingsStore::WriteInteger(const QString &name, int value)
{
    if (m_writable)
        m_settings->setValue(settingsKey(name), value);
}

void QSettingsStore::WriteString(const QString &name, const QString &value)
{
    if (m_writable)
        m_settings->setValue(settingsKey(name), value);
}

QVariant QSettingsStore::value(const QString &name) const
{
    return m_settings->value(settingsKey(name));
}

QString QSettingsStore::currentPath() const
{
    return m_currentPath.isEmpty() ? u'\\' + m_root : m_currentPath;
}
