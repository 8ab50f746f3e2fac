#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace platform {

// Where a value lives: a path of section names from the root of the store.
// - From a string, '/' separates fixed names: "Obecne nastaveni", "pristroje".
// - From a braced list, every element is one name taken as it is, so names
//   chosen by the user (an instrument, a task, a port) may contain '/' or '\':
//   {"pristroje", instrumentName}, {"tasks", key}.
class SettingsSection {
public:
    SettingsSection(const char* path);
    SettingsSection(const QString& path);
    SettingsSection(std::initializer_list<QString> names);

    // This section's sub-section `name` (taken as it is).
    SettingsSection Child(const QString& name) const;
    const QStringList& Names() const { return m_names; }

private:
    SettingsSection() = default;
    QStringList m_names;
};

// An integer as the store holds it: missing (the caller's default applies),
// a number, or text that reads as no number of int's range ("1e99", "ano"),
// which the caller may refuse by name.
struct StoredInt {
    enum class State { Missing, Number, Unreadable };
    State state = State::Missing;
    int value = 0;  // Number
    QString text;   // Unreadable: what is stored
};

// What the start-up found of the program's settings file and did about it.
// A file the program cannot read is never written over: either it is set
// aside under a name of its own and the program starts afresh in its place,
// or, where it cannot be set aside, the program keeps every change in a
// scratch copy for the session and saves none.
struct SettingsFileGuard {
    enum class State {
        Usable,         // read and written as always
        SetAside,       // unreadable: now at `keptAs`, unchanged; a new file takes its place
        Unreadable,     // unreadable and left where it is: defaults, nothing saved
        FolderUnusable, // its folder cannot be read: defaults, nothing saved
        NotWritable,    // read (or not there), but cannot be written: nothing saved
    };
    State state = State::Usable;
    QString file;
    QString keptAs;

    // Whether the session's changes reach the file.
    bool Saves() const { return state == State::Usable || state == State::SetAside; }
    // What the user is told (Czech, both paths named); empty when all is well.
    QString Notice() const;
};

// The program's settings store, in the manner of the profile functions:
// integers, strings and byte blocks by section and value name; a missing
// value yields the caller's default. On Linux an INI file
// (~/.config/ZRT Systems/qorin01.ini), on Windows the registry under
// "ZRT Systems\qorin01".
//
// Every call is independent and thread-safe: one process-wide lock, and the
// backing store is opened for the call and written back before it returns
// (within a SettingsBatch, when the batch ends).
// Names may hold any characters, blanks included; '/' and '\' are escaped
// in the backing store and come back unchanged from the enumerations.
class Settings {
public:
    // The program's store, or the file set by SetFileForTesting.
    Settings();
    // A store in the given INI file.
    explicit Settings(const QString& iniFile);

    // Redirects every Settings() made afterwards to an INI file; an empty
    // path returns to the program's store.
    static void SetFileForTesting(const QString& iniFile);

    // Looks at the program's settings file before anything reads it (see
    // SettingsFileGuard); `now` stamps the name of a file set aside. Not for
    // a store of an explicit file.
    static SettingsFileGuard GuardProgramFile(const QDateTime& now = QDateTime::currentDateTime());

    // How many times a store was opened from its file (each call outside a
    // batch opens one): a long run of reads belongs in a batch.
    static quint64 StoresOpened();

    int GetProfileInt(const SettingsSection& section, const QString& entry, int defaultValue) const;
    StoredInt ReadProfileInt(const SettingsSection& section, const QString& entry) const;
    bool WriteProfileInt(const SettingsSection& section, const QString& entry, int value);

    QString GetProfileString(const SettingsSection& section, const QString& entry,
                             const QString& defaultValue = QString()) const;
    bool WriteProfileString(const SettingsSection& section, const QString& entry, const QString& value);

    // The exact bytes stored; false (and `value` untouched) when the value is
    // missing or is not a byte block.
    bool GetProfileBinary(const SettingsSection& section, const QString& entry, QByteArray& value) const;
    // The stored bytes, or defaultValue.
    QByteArray GetProfileBinary(const SettingsSection& section, const QString& entry,
                                const QByteArray& defaultValue = QByteArray()) const;
    bool WriteProfileBinary(const SettingsSection& section, const QString& entry, const QByteArray& value);

    bool Contains(const SettingsSection& section, const QString& entry) const;

    // Names of the sub-sections of `section` (e.g. the instruments under
    // "pristroje") and of its values, in the store's order.
    QStringList SubSections(const SettingsSection& section) const;
    QStringList Entries(const SettingsSection& section) const;

    // Removing what does not exist is not an error.
    bool DeleteEntry(const SettingsSection& section, const QString& entry);
    // Removes the section with its values and all its sub-sections.
    bool DeleteSection(const SettingsSection& section);
    // Puts every value and sub-section of `from` under `to`, in place of
    // whatever `to` held, and removes `from`: in one write, so that the
    // file never holds both or neither. Moving a section onto itself keeps
    // it; a section never moves into itself.
    bool MoveSection(const SettingsSection& from, const SettingsSection& to);

    // The INI file behind this store; empty for the program's own store.
    QString FileName() const { return m_iniFile; }

private:
    QString m_iniFile;
};

// Holds back the writing of the settings files while it lives: a store of
// many values (every instrument's at exit) would otherwise rewrite the whole
// file for each of them. Every write, through any Settings object and on any
// thread, goes into the store at once and every read sees it; the file is
// written when the batch ends, whole or not at all, as a single write would
// be. Writes in a batch report only that the store took them; Commit tells
// whether they reached the file. Batches nest; the outermost one writes.
// A batch also serves a long run of reads from one reading of the file
// (a file too large for the backing store's cache is otherwise read again
// by every call).
class SettingsBatch {
public:
    SettingsBatch();
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Ends the batch now (later calls give the same answer); false when a
    // file could not be written.
    bool Commit();

private:
    bool m_ended = false;
    bool m_written = false;
};

} // namespace platform

