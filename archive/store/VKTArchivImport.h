#pragma once

#include "archive/store/ArchivDownload.h"
#include "archive/store/VKTArchivData.h"

// A VKT archive filled from a download of the analyser's record memory, and
// the merge of such a file into an existing archive. Each raw record carries
// its kind (0 measurement, else outage) and its packed time; a measurement
// is read under the archive description of the status.
class CVKTDownloadArchivData : public TArchivDownload<CVKTArchivData> {
public:
    static QString TempSuffix() { return QStringLiteral("temp.vkt"); }
    static constexpr int kRecordHead = 6;

    // The cursor is set to each written record's own time.
    int ImportDownloadedBlockWithEvents(platform::CTime& cursor, const CImportRawBlock& block,
                                        const CVKTStatus& status, const CVKTConfig& config, const CIden& iden);
    int ImportDownloadedBlock(platform::CTime& cursor, const CImportRawBlock& block, const CVKTStatus& status,
                              const CVKTConfig& config, const CIden& iden);
    // Only records with from <= time <= to; 0 as soon as a record lay after `to`.
    int ImportDownloadedRangeWithEvents(platform::CTime& cursor, const CImportRawBlock& block,
                                        const CVKTStatus& status, const CVKTConfig& config, const CIden& iden,
                                        platform::CTime from, platform::CTime to);
    int ImportDownloadedRange(platform::CTime& cursor, const CImportRawBlock& block, const CVKTStatus& status,
                              const CVKTConfig& config, const CIden& iden, platform::CTime from,
                              platform::CTime to);

    // See CVKDownloadArchivData::ImportTempFile.
    int ImportTempFile(CVKTDownloadArchivData& source);

private:
    struct Range {
        platform::CTime from;
        platform::CTime to;
    };
    int Import(platform::CTime& cursor, const CImportRawBlock& block, const CVKTStatus& status,
               const CVKTConfig& config, const CIden& iden, bool withEvents, const Range* range);
};
