#include "platform/Settings.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMetaType>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QVariant>

#include <atomic>
#include <limits>
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

// Where the store made without a file name lives. Guarded by StoreMutex.
struct ProgramStore {
    QString testFile; // SetFileForTesting
    // While the real file cannot be trusted with writes (SettingsFileGuard):
    // the session's copy, deleted at the end.
    std::unique_ptr<QTemporaryDir> scratch;
    QString scratchFile;
};

ProgramStore& Program()
{
    static ProgramStore store;
    return store;
}

// The file behind the program's store; empty for the system's own store.
QString ProgramFile()
{
    const ProgramStore& program = Program();
    return program.scratchFile.isEmpty() ? program.testFile : program.scratchFile;
}

std::atomic<quint64> g_storesOpened{0};

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
    ++g_storesOpened;
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
        const QString file = iniFile.isEmpty() ? ProgramFile() : iniFile;
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
    ProgramStore& program = Program();
    program.testFile = iniFile;
    program.scratchFile.clear();
    program.scratch.reset();
}

quint64 Settings::StoresOpened()
{
    return g_storesOpened.load();
}

namespace {

// Whether QSettings reads the file as it is. What it makes of a damaged
// file is not to be trusted: random bytes parse into stray groups and keys
// without complaint as far as they go, and only a line somewhere (a section
// header without its bracket, a key of bytes no key has, a byte-order mark)
// tells, as FormatError, once every section is parsed, which allKeys()
// forces. A file that cannot be opened or read to its end is unreadable too.
// And a file with text in it from which not a single key can be read is no
// settings file either, although QSettings passes over lines without '='
// silently.
//
// The bytes are looked at in a copy of their own: QSettings keeps what it
// parsed of a file by its name, size and time, and reports no error when it
// parses nothing anew.
bool ReadsAsSettings(const QString& file)
{
    QFile raw(file);
    if (!raw.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = raw.readAll();
    if (raw.error() != QFileDevice::NoError)
        return false;
    if (bytes.trimmed().isEmpty())
        return true;
    QTemporaryFile copy;
    const bool copied = copy.open() && copy.write(bytes) == bytes.size() && copy.flush();
    QSettings probe(copied ? copy.fileName() : file, QSettings::IniFormat);
    const QStringList keys = probe.allKeys();
    return probe.status() == QSettings::NoError && !keys.isEmpty();
}

// QSettings writes a new file beside the old one and renames it over, after
// taking a lock file there; permission bits do not tell all (a read-only
// mount, another owner), so a file is tried.
bool TakesWrites(const QString& file)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isWritable())
        return false;
    QTemporaryFile probe(QDir(info.absolutePath()).filePath(info.fileName() + QStringLiteral(".zapis-XXXXXX")));
    return probe.open();
}

// Renames the file to its name with the time stamp, never over another
// file (a copy kept earlier in the same second gets a number); the new name,
// or empty when it could not be renamed.
QString SetAside(const QString& file, const QDateTime& now)
{
    const QString base = file + QStringLiteral(".necitelny-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    constexpr int kTries = 1000;
    for (int i = 1; i <= kTries; ++i) {
        const QString name = i == 1 ? base : base + QStringLiteral("-%1").arg(i);
        const QFileInfo taken(name);
        if (taken.exists() || taken.isSymLink())
            continue;
        // QFile::rename refuses a name that appeared meanwhile.
        if (QFile::rename(file, name))
            return name;
        if (!QFileInfo::exists(file))
            return {};
    }
    return {};
}

// From now on the program's store is a copy for this session (of `from`, or
// empty), so that its changes are kept while it runs and the real file is
// never written.
void WorkInScratch(ProgramStore& program, const QString& from)
{
    program.scratch = std::make_unique<QTemporaryDir>();
    if (program.scratch->isValid()) {
        program.scratchFile = program.scratch->filePath(QStringLiteral("qorin01.ini"));
        if (!from.isEmpty())
            QFile::copy(from, program.scratchFile);
        return;
    }
    program.scratch.reset();
    // No temporary folder either: a place where no file can be made, so
    // that nothing is read from or written over the real file.
    program.scratchFile = QStringLiteral("/dev/null/qorin01.ini");
}

} // namespace

SettingsFileGuard Settings::GuardProgramFile(const QDateTime& now)
{
    std::lock_guard<std::mutex> lock(StoreMutex());
    ProgramStore& program = Program();
    program.scratch.reset();
    program.scratchFile.clear();
    using State = SettingsFileGuard::State;
    SettingsFileGuard guard;
    guard.file = program.testFile;
#ifndef Q_OS_WIN
    if (guard.file.isEmpty())
        guard.file = QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZRT Systems"),
                               QStringLiteral("qorin01"))
                         .fileName();
#endif
    if (guard.file.isEmpty())
        return guard; // the registry
    const QFileInfo file(guard.file);
    const QFileInfo folder(file.absolutePath());
    // A folder that cannot be searched hides the file: it looks missing.
    const bool folderUsable = folder.exists() ? folder.isDir() && folder.isReadable() && folder.isExecutable()
                                              : QDir().mkpath(folder.absoluteFilePath());
    if (!folderUsable) {
        guard.state = State::FolderUnusable;
    } else if (file.exists() && !ReadsAsSettings(guard.file)) {
        guard.keptAs = SetAside(guard.file, now);
        guard.state = guard.keptAs.isEmpty() ? State::Unreadable : State::SetAside;
    } else if (!TakesWrites(guard.file)) {
        guard.state = State::NotWritable;
    }
    if (!guard.Saves())
        WorkInScratch(program, guard.state == State::NotWritable ? guard.file : QString());
    return guard;
}

QString SettingsFileGuard::Notice() const
{
    const QString shown = QDir::toNativeSeparators(file);
    const QString unsaved =
        QString::fromUtf8(" Změny nastavení provedené za běhu programu platí jen do jeho ukončení, uložit je nelze.");
    switch (state) {
    case State::Usable:
        return {};
    case State::SetAside:
        return QString::fromUtf8("Soubor nastavení „%1“ nelze přečíst (je poškozený nebo nečitelný). Byl ponechán "
                                 "beze změny pod názvem „%2“ a program začíná s výchozím nastavením, bez přístrojů. "
                                 "Nastavení lze obnovit z této kopie.")
            .arg(shown, QDir::toNativeSeparators(keptAs));
    case State::Unreadable:
        return QString::fromUtf8("Soubor nastavení „%1“ nelze přečíst (je poškozený nebo nečitelný) a nelze jej ani "
                                 "přejmenovat. Program jej ponechá beze změny a začíná s výchozím nastavením, bez "
                                 "přístrojů.")
                   .arg(shown)
               + unsaved;
    case State::FolderUnusable:
        return QString::fromUtf8("Složka souboru nastavení „%1“ není přístupná, soubor nelze přečíst. Program začíná "
                                 "s výchozím nastavením, bez přístrojů.")
                   .arg(shown)
               + unsaved;
    case State::NotWritable:
        return QString::fromUtf8("Do souboru nastavení „%1“ nelze zapisovat. Program pracuje s nastavením, které z "
                                 "něj přečetl.")
                   .arg(shown)
               + unsaved;
    }
    return {};
}

StoredInt Settings::ReadProfileInt(const SettingsSection& section, const QString& entry) const
{
    const QVariant value = ReadValue(m_iniFile, section, entry);
    StoredInt stored;
    if (!value.isValid())
        return stored;
    // QVariant's toInt() cuts a longer number to its low bits and calls it
    // a success: 99999999999 would come back as 1215752191.
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (ok && number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max()) {
        stored.state = StoredInt::State::Number;
        stored.value = int(number);
        return stored;
    }
    const QString text =
        value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
    // "ONP=" says no more than a missing line.
    if (text.trimmed().isEmpty())
        return stored;
    stored.state = StoredInt::State::Unreadable;
    stored.text = text;
    return stored;
}

int Settings::GetProfileInt(const SettingsSection& section, const QString& entry, int defaultValue) const
{
    const StoredInt stored = ReadProfileInt(section, entry);
    return stored.state == StoredInt::State::Number ? stored.value : defaultValue;
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
