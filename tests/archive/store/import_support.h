#pragma once

#include "StoreTestSupport.h"

#include "archive/store/ArchivImport.h"
#include "archive/store/VKArchivImport.h"
#include "archive/store/VKTArchivImport.h"
#include "platform/Cp1250.h"

#include <string>
#include <vector>

namespace importtest {

using platform::CTime;

// Every block of the archive file at `path`, oldest first, read by a fresh object.
inline std::vector<CArchivRecordList> ReadBlocks(const QString& path)
{
    std::vector<CArchivRecordList> blocks;
    CVKDownloadArchivData reader;
    if (!reader.OpenByPath(path) || !reader.OpenFirstBlock())
        return blocks;
    do
        blocks.push_back(reader.CurrentBlock());
    while (reader.ReadNextBlock());
    return blocks;
}

inline std::vector<std::uint32_t> ReadSlotTable(const QString& path)
{
    CVKDownloadArchivData reader;
    if (!reader.OpenByPath(path) || !reader.ReadHeader())
        return {};
    return reader.SlotTable();
}

inline QString Text(const CArchivRecord& r)
{
    return platform::FromCp1250(r.data);
}

inline int Counted(const CArchivRecordList& block)
{
    int n = 0;
    for (const CArchivRecord& r : block)
        n += archive::IsCountedRecord(r) ? 1 : 0;
    return n;
}

// "type" or "type:text" per record, for readable comparisons.
inline std::vector<std::string> Shape(const CArchivRecordList& block)
{
    std::vector<std::string> out;
    for (const CArchivRecord& r : block) {
        std::string s = std::to_string(int(r.type));
        if (r.type >= kRecordError && r.type <= kRecordState)
            s += ":" + Text(r).toStdString();
        out.push_back(s);
    }
    return out;
}

inline std::vector<std::uint32_t> DataTimes(const std::vector<CArchivRecordList>& blocks, bool withErrors = true)
{
    std::vector<std::uint32_t> out;
    for (const auto& b : blocks)
        for (const CArchivRecord& r : b)
            if (r.IsData() || (withErrors && r.type == kRecordError))
                out.push_back(r.time);
    return out;
}

} // namespace importtest
