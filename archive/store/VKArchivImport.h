#pragma once

#include "archive/store/ArchivDownload.h"
#include "archive/store/VKArchivData.h"

#include <array>

// Which quantities a record of a VK analyser's memory holds: the columns
// that the status' recording settings give, and the instrument's
// connection (2: two line voltages and currents; 1: line voltages).
struct CVKRecordLayout {
    std::array<DWORD, CVKStatus::kLayoutColumns> columns{};
    bool connection2 = false;
    bool connection1 = false;

    static CVKRecordLayout From(const CVKStatus& status, const CVKConfig& config);
    bool Has(int column) const { return columns[std::size_t(column)] != 0; }
};

// A VK archive filled from a download of the analyser's record memory, and
// the merge of such a file into an existing archive.
class CVKDownloadArchivData : public TArchivDownload<CVKArchivData> {
public:
    static QString TempSuffix() { return QStringLiteral("temp.vk"); }

    // The records carry no time: record i of a download is stamped with the
    // cursor, which then advances by `period` seconds.
    int ImportDownloadedBlockWithEvents(platform::CTime& cursor, const CImportRawBlock& block,
                                        const CVKRecordLayout& layout, int period, const CVKStatus& status,
                                        const CVKConfig& config, const CIden& iden);
    int ImportDownloadedBlock(platform::CTime& cursor, const CImportRawBlock& block, const CVKRecordLayout& layout,
                              int period, const CVKStatus& status, const CVKConfig& config, const CIden& iden);
    // Only records with from <= time <= to; 0 as soon as a record lay after `to`.
    int ImportDownloadedRangeWithEvents(platform::CTime& cursor, const CImportRawBlock& block,
                                        const CVKRecordLayout& layout, int period, const CVKStatus& status,
                                        const CVKConfig& config, const CIden& iden, platform::CTime from,
                                        platform::CTime to);
    int ImportDownloadedRange(platform::CTime& cursor, const CImportRawBlock& block, const CVKRecordLayout& layout,
                              int period, const CVKStatus& status, const CVKConfig& config, const CIden& iden,
                              platform::CTime from, platform::CTime to);

    // One raw record (`size` bytes) into values; what the layout does not
    // hold, or what lies past the record's end, keeps its no-value code.
    static void DecodeRawRecord(const BYTE* record, int size, const CVKRecordLayout& layout, CVKAktData& values);

    // Merges the download `source` (an import of this family) into this
    // archive's file; 1 when the file holds the merged archive. On failure
    // the file is as it was and the error text says why.
    // The off-line sections it fills carry this object's clock-agreement
    // flag.
    int ImportTempFile(CVKDownloadArchivData& source);

private:
    struct Range {
        platform::CTime from;
        platform::CTime to;
    };
    int Import(platform::CTime& cursor, const CImportRawBlock& block, const CVKRecordLayout& layout, int period,
               const CVKStatus& status, const CVKConfig& config, const CIden& iden, bool withEvents,
               const Range* range);

    CVKAktData m_base; // the values the next changed-fields record is measured against
};
