#include "common/settings_store.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"

#include <limits>

namespace {

QString DisplayPath(const QString &normalized)
{
    return u'\\' + normalized;
}

} // namespace

bool IsStoredInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
        return true;
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        // The registry's DWORD may come back unsigned or wide; it still counts when it fits.
        bool ok = false;
        const qlonglong v = value.toLongLong(&ok);
        return ok && v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
    }
    default:
        return false;
    }
}

QString NormalizedKeyPath(const QString &path)
{
    QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    return parts.join(u'\\');
}

int SettingsStore::ReadInteger(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        throw OstrelError(QString::fromUtf8(Msg::SettingsValueMissing).arg(name, currentPath()));
    if (!IsStoredInteger(v))
        throw OstrelError(QString::fromUtf8(Msg::SettingsValueNotInteger).arg(name, currentPath()));
    return int(v.toLongLong());
}

int SettingsStore::ReadInteger(const QString &name, int min, int max) const
{
    const int v = ReadInteger(name);
    if (v < min || v > max)
        throw OstrelError(QString::fromUtf8(Msg::SettingsValueOutOfRange).arg(name, currentPath()).arg(v).arg(min).arg(max));
    return v;
}

QString SettingsStore::ReadString(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        return QString();
    if (v.typeId() != QMetaType::QString)
        throw OstrelError(QString::fromUtf8(Msg::SettingsValueNotString).arg(name, currentPath()));
    return v.toString();
}

bool ReadSettingsGroup(SettingsStore &store, const QString &keyPath, const std::function<void()> &read)
{
    try {
        read();
        return true;
    } catch (const OstrelError &e) {
        store.CloseKey();
        zered::LogPrint(zered::clMagenta, Msg::SettingsGroupSkipped, qUtf8Printable(e.message()),
                        qUtf8Printable(keyPath));
        return false;
    }
}

bool MemorySettingsStore::OpenKey(const QString &path, bool create)
{
    const QString key = NormalizedKeyPath(path);
    if (!KeyExists(key)) {
        if (!create)
            return false;
        // Every key on the way exists too, as in the registry.
        QString prefix;
        for (const QString &part : key.split(u'\\')) {
            prefix = prefix.isEmpty() ? part : prefix + u'\\' + part;
            m_keys[prefix];
        }
    }
    m_current = key;
    return true;
}

void MemorySettingsStore::CloseKey()
{
    m_current.clear();
}

bool MemorySettingsStore::ValueExists(const QString &name) const
{
    return value(name).isValid();
}

void MemorySettingsStore::WriteInteger(const QString &name, int value)
{
    m_keys[m_current].insert(name, value);
}

void MemorySettingsStore::WriteString(const QString &name, const QString &value)
{
    m_keys[m_current].insert(name, value);
}

bool MemorySettingsStore::KeyExists(const QString &path) const
{
    const QString key = NormalizedKeyPath(path);
    return key.isEmpty() || m_keys.contains(key);
}

QStringList MemorySettingsStore::ValueNames(const QString &path) const
{
    return m_keys.value(NormalizedKeyPath(path)).keys();
}

QVariant MemorySettingsStore::StoredValue(const QString &path, const QString &name) const
{
    return m_keys.value(NormalizedKeyPath(path)).value(name);
}

void MemorySettingsStore::Plant(const QString &path, const QString &name, const QVariant &value)
{
    const QString saved = m_current;
    OpenKey(path, true);
    m_keys[m_current].insert(name, value);
    m_current = saved;
}

void MemorySettingsStore::Remove(const QString &path, const QString &name)
{
    const auto key = m_keys.find(NormalizedKeyPath(path));
    if (key != m_keys.end())
        key->remove(name);
}

QVariant MemorySettingsStore::value(const QString &name) const
{
    const auto key = m_keys.constFind(m_current);
    return key == m_keys.cend() ? QVariant() : key->value(name);
}

QString MemorySettingsStore::currentPath() const
{
    return DisplayPath(m_current);
}
