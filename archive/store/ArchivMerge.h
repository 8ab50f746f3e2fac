#pragma once

#include "archive/store/ArchivFileList.h"
#include "archive/store/ArchivRecord.h"

#include <QString>

#include <optional>
#include <vector>

// The merge of a downloaded archive S into an existing archive E: E's
// records stay, the gaps between them are filled with S's records, and what
// S holds after E's end is appended. The merge works on the blocks of both
// files in memory and gives the blocks of the merged file; the family says
// which records are data and how a measurement is written in full.
namespace archive {

class IMergeCodec {
public:
    virtual ~IMergeCodec() = default;
    // Measurement and error records of the family.
    virtual bool IsDataRecord(const CArchivRecord& record) const = 0;
    // The record period (seconds) that a status record holds; -1 when unreadable.
    virtual int StatusPeriod(const CArchivRecord& status) const = 0;
    // The measurement `block[position]` as a full record (type 2, or a
    // record that needs no predecessor), decoded from the block's records up
    // to it; nullopt when it cannot be decoded.
    virtual std::optional<CArchivRecord> FullRecordAt(const CArchivRecordList& block, std::size_t position) const = 0;
};

// The record period of a block and the time of its first data record: a
// type-13 record gives the period as its value, a status record before the
// first data record the period it holds; otherwise it is estimated from the
// first data records. -1 for a block without data records.
struct BlockPeriod {
    int period = -1;
    std::uint32_t firstTime = 0;
};
BlockPeriod GetBlockPeriod(const CArchivRecordList& block, const IMergeCodec& codec, bool skipErrors);

struct MergeResult {
    bool ok = false;
    std::vector<CArchivRecordList> blocks;
};

// E's blocks and S's blocks in time order. Fails when S holds no data record.
MergeResult MergeBlocks(const std::vector<CArchivRecordList>& existing,
                        const std::vector<CArchivRecordList>& download, const IMergeCodec& codec, bool clockAgreed);

// Puts the merged archive (the block streams of `merged` named by
// `slotTable`) into the file of `target`, keeping the target's header name
// and its other streams (settings, meter data). False when the target still
// holds its old content; a failure or a crash at any point leaves the file
// readable with either the old or the merged content.
bool ReplaceArchiveContent(CArchivFileEntry& target, const QString& headerName, Storage& merged,
                           const std::vector<std::uint32_t>& slotTable);

} // namespace archive
