#pragma once

#include <QString>

#include <functional>

namespace ui {

// The instrument name under which a window keeps its state in the settings
// ("pristroje/<name>"). A window outlives the name it was opened with when
// the user renames the instrument: Rename makes every such name follow, so
// that what the window keeps when it closes goes under the instrument's one
// key and never makes a key of the old name again. Main thread only.
class CEntryName {
public:
    CEntryName();
    ~CEntryName();
    CEntryName(const CEntryName&) = delete;
    CEntryName& operator=(const CEntryName&) = delete;

    void Set(const QString& name) { m_name = name; }
    const QString& Get() const { return m_name; }
    bool IsEmpty() const { return m_name.isEmpty(); }
    // `renamed` is told the new name after a rename (a window's title); it
    // must make or destroy no other name.
    void OnRenamed(std::function<void(const QString&)> renamed) { m_renamed = std::move(renamed); }

    // Every kept name `from` becomes `to`.
    static void Rename(const QString& from, const QString& to);

private:
    QString m_name;
    std::function<void(const QString&)> m_renamed;
};

} // namespace ui
