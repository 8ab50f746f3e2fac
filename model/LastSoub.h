#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <vector>

// A list of entries with two texts, two times and a value each, kept for the
// application (recently used files). What the fields mean is up to the user
// of the list; their order and widths are fixed by the stored form.
class CLastSoub : public platform::SerialObject {
    QORIN_DECLARE_SERIAL(CLastSoub)
public:
    struct Entry {
        QString text1;
        QString text2;
        CTime time1;
        CTime time2;
        DWORD value = 0;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    CLastSoub() = default;
    CLastSoub(const CLastSoub&) = default;
    CLastSoub& operator=(const CLastSoub&) = default;
    ~CLastSoub() override = default;

    void Serialize(SerialArchive& ar) override;

    int GetSize() const { return int(m_entries.size()); }
    void SetSize(int n) { m_entries.resize(std::size_t(n < 0 ? 0 : n)); }
    Entry& GetAt(int i) { return m_entries.at(std::size_t(i)); }
    const Entry& GetAt(int i) const { return m_entries.at(std::size_t(i)); }
    int Add(const Entry& e)
    {
        m_entries.push_back(e);
        return int(m_entries.size()) - 1;
    }
    void RemoveAt(int i) { m_entries.erase(m_entries.begin() + i); }
    void RemoveAll() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
};
