#include "archive/store/VKTArchivImport.h"

#include "model/VKTPackedTime.h"

using platform::CTime;

int CVKTDownloadArchivData::Import(CTime& cursor, const CImportRawBlock& block, const CVKTStatus& status,
                                   const CVKTConfig& config, const CIden& iden, bool withEvents, const Range* range)
{
    if (!Writer().IsAttached() || block.stride < kRecordHead)
        return withEvents ? 0 : 1;
    const QByteArray statusImage = archive::RawImage(CVKTStatus::kImageSize, [&](BYTE* p) { status.ToRaw(p); });
    const QByteArray configImage = archive::RawImage(CVKTConfig::kImageSize, [&](BYTE* p) { config.ToRaw(p); });
    const QByteArray idenImage = archive::RawImage(CIden::kImageSize, [&](BYTE* p) { iden.ToRaw(p); });
    // A time the record is too short to hold reads as the record's own.
    const auto timeOf = [&block](int i, int offset) {
        return UnpackRecordTime(block.Record(i) + (offset + 5 <= block.stride ? offset : 1));
    };

    int first = 0;
    if (withEvents) {
        // The recording began at its start time: records dated before it
        // are left from an earlier recording. A start "at once" (or bytes
        // that form no time) tells nothing of the sort.
        CTime start;
        const bool hasStart = TryUnpackRecordTime(status.GetArch().GetStartBytes().data(), false, start);
        while (hasStart && first < block.count && timeOf(first, 1) < start)
            ++first;
        if (first == block.count)
            return 0;
        const bool outage = block.Record(first)[0] != 0;
        const CTime opening = outage && hasStart ? start : timeOf(first, 1);
        AddHeaderRecords(opening, statusImage, configImage, idenImage);
        AddStartEvents(opening);
    }

    // Times after this one count as an outage's real beginning.
    const CTime kAfterOrigin(VKTTimeOrigin().GetTime() + 1);
    int result = 1;
    bool described = false;
    CAktData values;
    const auto addError = [&](CTime t) {
        if (!StartRecord(t, statusImage, configImage, idenImage))
            return false;
        AddText(t, kRecordError, archive::InstrumentOutageText());
        return true;
    };
    for (int i = first; i < block.count; ++i) {
        const BYTE* record = block.Record(i);
        const CTime t = timeOf(i, 1);
        if (range && t < range->from)
            continue;
        if (range && range->to < t) {
            result = 0;
            continue;
        }
        if (record[0] == 0) {
            if (!described) {
                values.SetArchiveLayout(status);
                described = true;
            }
            if (!StartRecord(t, statusImage, configImage, idenImage))
                return 0;
            if (values.FromRaw(record + kRecordHead, block.stride - kRecordHead))
                Writer().Add({t.GetTime(), kRecordVKT, values.Pack()});
            else
                AddText(t, kRecordError, archive::InstrumentOutageText());
            cursor = t;
            continue;
        }
        const CTime began = timeOf(i, 6);
        const CTime ended = timeOf(i, 11);
        bool ok = true;
        if (!withEvents) {
            if (kAfterOrigin < began)
                ok = addError(began);
            ok = ok && addError(t);
        } else if (i == first) {
            if (ended < t)
                continue;
            ok = addError(t) && addError(ended);
        } else {
            ok = addError(began) && addError(ended);
        }
        if (!ok)
            return 0;
        cursor = t;
    }
    return result;
}

int CVKTDownloadArchivData::ImportDownloadedBlockWithEvents(CTime& cursor, const CImportRawBlock& block,
                                                            const CVKTStatus& status, const CVKTConfig& config,
                                                            const CIden& iden)
{
    return Import(cursor, block, status, config, iden, true, nullptr);
}

int CVKTDownloadArchivData::ImportDownloadedBlock(CTime& cursor, const CImportRawBlock& block,
                                                  const CVKTStatus& status, const CVKTConfig& config,
                                                  const CIden& iden)
{
    return Import(cursor, block, status, config, iden, false, nullptr);
}

int CVKTDownloadArchivData::ImportDownloadedRangeWithEvents(CTime& cursor, const CImportRawBlock& block,
                                                            const CVKTStatus& status, const CVKTConfig& config,
                                                            const CIden& iden, CTime from, CTime to)
{
    const Range range{from, to};
    return Import(cursor, block, status, config, iden, true, &range);
}

int CVKTDownloadArchivData::ImportDownloadedRange(CTime& cursor, const CImportRawBlock& block,
                                                  const CVKTStatus& status, const CVKTConfig& config,
                                                  const CIden& iden, CTime from, CTime to)
{
    const Range range{from, to};
    return Import(cursor, block, status, config, iden, false, &range);
}

namespace {

class VKTMergeCodec final : public archive::IMergeCodec {
public:
    bool IsDataRecord(const CArchivRecord& r) const override
    {
        return r.IsData() || r.type == kRecordError;
    }
    int StatusPeriod(const CArchivRecord& record) const override
    {
        if (record.data.size() < CVKTStatus::kImageSize)
            return -1;
        CVKTStatus status;
        status.FromRaw(reinterpret_cast<const BYTE*>(record.data.constData()));
        return status.GetArch().GetInterval();
    }
    // A described record (type 12) stands on its own; a change record is
    // written in full from the live records before it.
    std::optional<CArchivRecord> FullRecordAt(const CArchivRecordList& block, std::size_t position) const override
    {
        if (block[position].type != kRecordChanged)
            return block[position];
        CAktData values;
        bool have = false;
        for (std::size_t i = 0; i <= position; ++i) {
            const CArchivRecord& r = block[i];
            const auto* data = reinterpret_cast<const BYTE*>(r.data.constData());
            if (r.type == kRecordFull) {
                values = CAktData();
                have = values.Unpack(data, int(r.data.size()), true) > 0;
            } else if (r.type == kRecordChanged) {
                have = have && values.Unpack(data, int(r.data.size()), false) > 0;
            }
        }
        if (!have)
            return std::nullopt;
        return CArchivRecord{block[position].time, kRecordFull, values.PackFull()};
    }
};

} // namespace

int CVKTDownloadArchivData::ImportTempFile(CVKTDownloadArchivData& source)
{
    const VKTMergeCodec codec;
    return MergeDownload(source, codec, TempSuffix());
}
