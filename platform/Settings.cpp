#include "platform/Settings.h"

#include <QEvent>
#include <QMetaType>
#include <QSettings>
#include <QVariant>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

// One lock for every store: two Settings objects may well name the same file.
std::mutex& StoreMutex()
{
    static std::mutex mutex;
    return mutex;
}

QString& TestFile() // guarded by StoreMutex
{
    static QString file;
    return file;
}

// QSettings takes '/' and '\' as separators of its own; '%' is escaped too so
// that the escape stays reversible.
QString Escape(const QString& name)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'%')
            out += QStringLiteral("%25");
        else if (c == u'/')
            out += QStringLiteral("%2F");
        else if (c == u'\\')
            out += QStringLiteral("%5C");
        else
            out += c;
    }
    return out;
}

QString Unescape(const QString& key)
{
    QString out;
    out.reserve(key.size());
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (key[i] == u'%' && i + 2 < key.size()) {
            const QString code = key.mid(i + 1, 2).toUpper();
            const QChar decoded = code == QLatin1String("25")   ? QChar(u'%')
                                  : code == QLatin1String("2F") ? QChar(u'/')
                                  : code == QLatin1String("5C") ? QChar(u'\\')
                                                                : QChar();
            if (!decoded.isNull()) {
                out += decoded;
                i += 2;
                continue;
            }
        }
        out += key[i];
    }
    return out;
}

QStringList UnescapeAll(const QStringList& keys)
{
    QStringList out;
    out.reserve(keys.size());
    for (const QString& key : keys)
        out << Unescape(key);
    return out;
}

// The group path inside QSettings; nullopt when a name is empty (the backing
// store cannot hold it).
std::optional<QString> GroupPath(const SettingsSection& section)
{
    QStringList parts;
    for (const QString& name : section.Names()) {
        if (name.isEmpty())
            return std::nullopt;
        parts << Escape(name);
    }
    return parts.join(u'/');
}

// A store kept open for a batch. QSettings writes its changes back on its own
// once the event loop runs again; in a batch only the batch's end may.
class HeldSettings : public QSettings {
public:
    using QSettings::QSettings;

protected:
    bool event(QEvent* e) override { return e->type() == QEvent::UpdateRequest || QSettings::event(e); }
};

template <class Kind>
QSettings* OpenSettings(const QString& file)
{
    if (!file.isEmpty())
        return new Kind(file, QSettings::IniFormat);
#ifdef Q_OS_WIN
    const QSettings::Format format = QSettings::NativeFormat;
#else
    const QSettings::Format format = QSettings::IniFormat;
#endif
    return new Kind(format, QSettings::UserScope, QStringLiteral("ZRT Systems"), QStringLiteral("qorin01"));
}

// The stores held open while a batch lives, by file (empty: the program's
// store). Guarded by StoreMutex.
struct OpenBatch {
    int depth = 0;
    std::map<QString, std::unique_ptr<QSettings>> stores;
};

OpenBatch& CurrentBatch()
{
    static OpenBatch batch;
    return batch;
}

// A QSettings on the right store, opened for one call under the store lock.
// Outside a batch it lives and dies on the calling thread, so QSettings' own
// thread rules hold; in a batch the calls take turns on the held one under
// the same lock.
class Store {
public:
    Store(const QString& iniFile, const SettingsSection& section) : m_lock(StoreMutex())
    {
        const QString file = iniFile.isEmpty() ? TestFile() : iniFile;
        OpenBatch& batch = CurrentBatch();
        if (batch.depth > 0) {
            std::unique_ptr<QSettings>& held = batch.stores[file];
            if (!held)
                held.reset(OpenSettings<HeldSettings>(file));
            m_settings = held.get();
        } else {
            m_owned.reset(OpenSettings<QSettings>(file));
            m_settings = m_owned.get();
        }
        const std::optional<QString> group = GroupPath(section);
        m_valid = group.has_value();
        if (m_valid && !group->isEmpty()) {
            m_settings->beginGroup(*group);
            m_inGroup = true;
        }
    }
    ~Store()
    {
        if (m_inGroup)
            m_settings->endGroup();
    }
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    bool Valid() const { return m_valid; }
    QSettings* operator->() { return m_settings; }
    QSettings& operator*() { return *m_settings; }

    // Writes the changes through; false when the store could not be written.
    // In a batch the file is written when the batch ends, which tells.
    bool Commit()
    {
        if (!m_owned)
            return m_settings->status() == QSettings::NoError;
        m_settings->sync();
        return m_settings->status() == QSettings::NoError;
    }

private:
    std::lock_guard<std::mutex> m_lock;
    std::unique_ptr<QSettings> m_owned;
    QSettings* m_settings = nullptr;
    bool m_valid = false;
    bool m_inGroup = false;
};

QVariant ReadValue(const QString& iniFile, const SettingsSection& section, const QString& entry)
{
    if (entry.isEmpty())
        return {};
    Store store(iniFile, section);
    if (!store.Valid())
        return {};
    return store->value(Escape(entry));
}

// Whether `stored`, as read back from the file, is what writing `value` would
// leave there: the ini file gives numbers and texts back as text, bytes as
// bytes.
bool StoredAlready(const QVariant& stored, const QVariant& value)
{
    if (!stored.isValid())
        return false;
    if (value.typeId() == QMetaType::QByteArray)
        return stored.typeId() == QMetaType::QByteArray && stored.toByteArray() == value.toByteArray();
    return stored.typeId() == QMetaType::QString && stored.toString() == value.toString();
}

bool WriteValue(const QString& iniFile, const SettingsSection& section, const QString& entry, const QVariant& value)
{
    if (entry.isEmpty())
        return false;
    Store store(iniFile, section);
    if (!store.Valid())
        return false;
    const QString key = Escape(entry);
    // Every write rewrites and flushes the whole file; saving twenty
    // instruments at exit would otherwise take seconds on a slow disk for
    // values that mostly did not change.
    if (StoredAlready(store->value(key), value))
        return true;
    store->setValue(key, value);
    return store.Commit();
}

enum class Keep { Value, SubSections };

// QSettings removes a key together with everything below it, while the store
// keeps a value and a sub-section of the same name apart (as the registry
// does): put back the part that was not asked to go.
void RemoveKey(QSettings& settings, const QString& key, Keep keep)
{
    std::vector<std::pair<QString, QVariant>> kept;
    if (keep == Keep::Value) {
        if (settings.contains(key))
            kept.emplace_back(key, settings.value(key));
    } else {
        settings.beginGroup(key);
        for (const QString& sub : settings.allKeys())
            kept.emplace_back(key + u'/' + sub, settings.value(sub));
        settings.endGroup();
    }
    settings.remove(key);
    for (const auto& [name, value] : kept)
        settings.setValue(name, value);
}

} // namespace

SettingsSection::SettingsSection(const char* path) : SettingsSection(QString::fromUtf8(path)) {}

SettingsSection::SettingsSection(const QString& path) : m_names(path.split(u'/', Qt::SkipEmptyParts)) {}

SettingsSection::SettingsSection(std::initializer_list<QString> names) : m_names(names) {}

SettingsSection SettingsSection::Child(const QString& name) const
{
    SettingsSection child;
    child.m_names = m_names;
    child.m_names << name;
    return child;
}

Settings::Settings() = default;

Settings::Settings(const QString& iniFile) : m_iniFile(iniFile) {}

void Settings::SetFileForTesting(const QString& iniFile)
{
    std::lock_guard<std::mutex> lock(StoreMutex());
    TestFile() = iniFile;
}

int Settings::GetProfileInt(const SettingsSection& section, const QString& entry, int defaultValue) const
{
    const QVariant value = ReadValue(m_iniFile, section, entry);
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : defaultValue;
}

bool Settings::WriteProfileInt(const SettingsSection& section, const QString& entry, int value)
{
    return WriteValue(m_iniFile, section, entry, value);
}

QString Settings::GetProfileString(const SettingsSection& section, const QString& entry,
                                   const QString& defaultValue) const
{
    const QVariant value = ReadValue(m_iniFile, section, entry);
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::QByteArray:
        return defaultValue;
    case QMetaType::QStringList:
        // A hand-edited INI line with unquoted commas reads as a list.
        return value.toStringList().join(u',');
    default:
        return value.toString();
    }
}

bool Settings::WriteProfileString(const SettingsSection& section, const QString& entry, const QString& value)
{
    return WriteValue(m_iniFile, section, entry, value);
}

bool Settings::GetProfileBinary(const SettingsSection& section, const QString& entry, QByteArray& value) const
{
    const QVariant stored = ReadValue(m_iniFile, section, entry);
    if (stored.typeId() != QMetaType::QByteArray)
        return false;
    value = stored.toByteArray();
    return true;
}

QByteArray Settings::GetProfileBinary(const SettingsSection& section, const QString& entry,
                                      const QByteArray& defaultValue) const
{
    QByteArray value = defaultValue;
    GetProfileBinary(section, entry, value);
    return value;
}

bool Settings::WriteProfileBinary(const SettingsSection& section, const QString& entry, const QByteArray& value)
{
    return WriteValue(m_iniFile, section, entry, value);
}

bool Settings::Contains(const SettingsSection& section, const QString& entry) const
{
    return ReadValue(m_iniFile, section, entry).isValid();
}

QStringList Settings::SubSections(const SettingsSection& section) const
{
    Store store(m_iniFile, section);
    return store.Valid() ? UnescapeAll(store->childGroups()) : QStringList();
}

QStringList Settings::Entries(const SettingsSection& section) const
{
    Store store(m_iniFile, section);
    return store.Valid() ? UnescapeAll(store->childKeys()) : QStringList();
}

bool Settings::DeleteEntry(const SettingsSection& section, const QString& entry)
{
    if (entry.isEmpty())
        return false;
    Store store(m_iniFile, section);
    if (!store.Valid())
        return false;
    RemoveKey(*store, Escape(entry), Keep::SubSections);
    return store.Commit();
}

bool Settings::DeleteSection(const SettingsSection& section)
{
    if (section.Names().isEmpty())
        return false; // never the whole store
    const std::optional<QString> path = GroupPath(section);
    if (!path)
        return false;
    Store store(m_iniFile, SettingsSection(""));
    RemoveKey(*store, *path, Keep::Value);
    return store.Commit();
}

bool Settings::MoveSection(const SettingsSection& from, const SettingsSection& to)
{
    if (from.Names().isEmpty() || to.Names().isEmpty())
        return false;
    const std::optional<QString> source = GroupPath(from);
    const std::optional<QString> target = GroupPath(to);
    if (!source || !target)
        return false;
    if (*source == *target)
        return true;
    if (target->startsWith(*source + u'/'))
        return false;
    Store store(m_iniFile, SettingsSection(""));
    std::vector<std::pair<QString, QVariant>> moved;
    store->beginGroup(*source);
    for (const QString& key : store->allKeys())
        moved.emplace_back(key, store->value(key));
    store->endGroup();
    // The source goes before the target is written: where names differ only
    // in case, the registry takes them for one key.
    RemoveKey(*store, *source, Keep::Value);
    RemoveKey(*store, *target, Keep::Value);
    for (const auto& [key, value] : moved)
        store->setValue(*target + u'/' + key, value);
    return store.Commit();
}

SettingsBatch::SettingsBatch()
{
    std::lock_guard<std::mutex> lock(StoreMutex());
    ++CurrentBatch().depth;
}

SettingsBatch::~SettingsBatch()
{
    Commit();
}

bool SettingsBatch::Commit()
{
    if (m_ended)
        return m_written;
    m_ended = true;
    std::map<QString, std::unique_ptr<QSettings>> stores;
    {
        std::lock_guard<std::mutex> lock(StoreMutex());
        OpenBatch& batch = CurrentBatch();
        if (--batch.depth > 0)
            return m_written = true;
        stores.swap(batch.stores);
        m_written = true;
        // Still under the lock: a call made now must find the file written.
        for (auto& [file, store] : stores) {
            store->sync();
            m_written = m_written && store->status() == QSettings::NoError;
        }
    }
    return m_written;
}

} // namespace platform
