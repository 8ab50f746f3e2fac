#include "model/LastSoub.h"

QORIN_IMPLEMENT_SERIAL(CLastSoub, nullptr, 1)

namespace {

// Two empty strings (one length byte each), two times and the value.
constexpr std::uint64_t kMinEntryBytes = 1 + 1 + 4 + 4 + 4;

} // namespace

void CLastSoub::Serialize(SerialArchive& ar)
{
    if (!ar.IsLoading()) {
        ar << DWORD(m_entries.size());
        for (const Entry& e : m_entries)
            ar << e.text1 << e.text2 << e.time1 << e.time2 << e.value;
        return;
    }
    DWORD count = 0;
    ar >> count;
    // A damaged count must not make us allocate more than the file can hold.
    if (std::uint64_t(count) * kMinEntryBytes > std::uint64_t(ar.Remaining()))
        ar.Fail(platform::ArchiveError::EndOfFile, "recent-file list longer than the file");
    std::vector<Entry> entries(count);
    for (Entry& e : entries)
        ar >> e.text1 >> e.text2 >> e.time1 >> e.time2 >> e.value;
    m_entries = std::move(entries);
}
