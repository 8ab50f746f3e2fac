#pragma once

#include <QByteArray>
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

    int GetProfileInt(const SettingsSection& section, const QString& entry, int defaultValue) const;
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

