#include "archive/store/VKArchivImport.h"

using platform::CTime;

namespace {

CTime Plus(CTime t, std::int64_t seconds)
{
    return CTime(CTime::time_type(std::int64_t(t.GetTime()) + seconds));
}

// The record's bytes in order, big-endian; reads past the end give nothing.
class RawReader {
public:
    RawReader(const BYTE* p, int size) : m_p(p), m_left(size) {}
    bool Take(int n, std::uint32_t& out)
    {
        if (n > m_left)
            return false;
        out = 0;
        for (int i = 0; i < n; ++i)
            out = (out << 8) | m_p[i];
        m_p += n;
        m_left -= n;
        return true;
    }

private:
    const BYTE* m_p;
    int m_left;
};

// Layout columns.
constexpr int kVoltages = 0;
constexpr int kCurrents = 3;
constexpr int kByteSelector = 6;
constexpr int kPhaseBytes = 7;
constexpr int kFrequency = 10;
constexpr int kTemperature = 11;
constexpr int kTwoHalves = 12;
constexpr int kTotalsOnly = 13;
constexpr int kPowerKinds = 14;
constexpr int kPowerPhases = 17;
constexpr int kVoltageThd = 20;
constexpr int kCurrentThd = 95;
constexpr int kOrders = CVKStatus::kHarmonicOrders;


} // namespace

CVKRecordLayout CVKRecordLayout::From(const CVKStatus& status, const CVKConfig& config)
{
    CVKRecordLayout layout;
    status.BuildRecordLayout(layout.columns.data());
    layout.connection2 = config.GetConnection() == 2;
    layout.connection1 = config.GetConnection() == 1;
    return layout;
}

void CVKDownloadArchivData::DecodeRawRecord(const BYTE* record, int size, const CVKRecordLayout& layout,
                                            CVKAktData& v)
{
    v.Clear();
    RawReader r(record, size);
    std::uint32_t x = 0;
    const bool c2 = layout.connection2;
    // With connection 2 the second and third phase are stored the other way round.
    static constexpr int kSwapped[3] = {0, 2, 1};
    const auto phaseAt = [c2](int position) { return c2 ? kSwapped[position] : position; };

    for (int k = 0; k < 3; ++k) {
        if (!layout.Has(kVoltages + k) || !r.Take(2, x))
            continue;
        if (c2)
            v.SetULine(k == 0 ? 0 : (k == 1 ? 2 : 1), WORD(x));
        else if (layout.connection1)
            v.SetULine(k, WORD(x));
        else
            v.SetU(k, WORD(x));
    }
    for (int k = 0; k < 3; ++k) {
        if (layout.Has(kCurrents + k) && r.Take(2, x))
            v.SetI(phaseAt(k), std::int16_t(x));
    }
    if (!c2) {
        for (int k = 0; k < 3; ++k) {
            if (!layout.Has(kPhaseBytes + k) || !r.Take(1, x))
                continue;
            if (layout.Has(kByteSelector))
                v.SetCos(k, std::int8_t(x));
            else
                v.SetPF(k, std::int8_t(x));
        }
    }
    if (layout.Has(kFrequency) && r.Take(1, x))
        v.SetFrequencyCode(BYTE(x));
    if (layout.Has(kTemperature) && r.Take(1, x))
        v.SetTemperatureCode(BYTE(x));

    const auto power = [&](std::int32_t& out) {
        std::uint32_t a = 0;
        if (!r.Take(4, a))
            return false;
        if (layout.Has(kTwoHalves)) {
            std::uint32_t b = 0;
            if (!r.Take(4, b))
                return false;
            a += b;
        }
        out = std::int32_t(a);
        return true;
    };
    const auto store = [&v](int kind, int phase, std::int32_t value) {
        if (kind == 0)
            v.SetP(phase, value);
        else if (kind == 1)
            v.SetQ(phase, value);
        else
            v.SetS(phase, value);
    };
    std::int32_t value = 0;
    if (layout.Has(kTotalsOnly)) {
        for (int kind = 0; kind < 3; ++kind) {
            if (layout.Has(kPowerKinds + kind) && power(value))
                store(kind, 0, value);
        }
        v.SetPowerLayout(CVKAktData::kTotalsLayout);
    } else {
        v.SetPowerLayout(0);
        for (int position = 0; position < 3; ++position) {
            if (!layout.Has(kPowerPhases + position))
                continue;
            const int phase = phaseAt(position);
            for (int kind = 0; kind < 3; ++kind) {
                // Connection 2 measures no second phase: its values are read past.
                if (layout.Has(kPowerKinds + kind) && power(value) && !(c2 && phase == 1))
                    store(kind, phase, value);
            }
        }
    }

    // Distortion bytes and harmonics; connection 2 keeps the first and third phase.
    const auto harmonics = [&](CVKHarmonicBlock& block, int thdColumn, bool currentOrder) {
        for (int position = 0; position < 3; ++position) {
            if (!layout.Has(thdColumn + position) || !r.Take(1, x))
                continue;
            const int phase = c2 ? (currentOrder ? kSwapped[position] : (position == 0 ? 0 : 2)) : position;
            if (!c2 || currentOrder || position < 2)
                block.SetThdCode(phase, BYTE(x));
        }
        for (int position = 0; position < 3; ++position) {
            const int phase = c2 ? (position == 0 ? 0 : 2) : position;
            for (int j = 0; j < kOrders; ++j) {
                if (layout.Has(thdColumn + 3 + position * kOrders + j) && r.Take(1, x) && !(c2 && position == 2))
                    block.SetHarmonicCode(phase, j, BYTE(x));
            }
        }
    };
    harmonics(v.GetVoltageHarmonics(), kVoltageThd, false);
    harmonics(v.GetCurrentHarmonics(), kCurrentThd, true);
}

int CVKDownloadArchivData::Import(CTime& cursor, const CImportRawBlock& block, const CVKRecordLayout& layout,
                                  int period, const CVKStatus& status, const CVKConfig& config, const CIden& iden,
                                  bool withEvents, const Range* range)
{
    if (!Writer().IsAttached())
        return 0;
    const QByteArray statusImage = archive::RawImage(CVKStatus::kImageSize, [&](BYTE* p) { status.ToRaw(p); });
    const QByteArray configImage = ConfigPayload(config);
    const QByteArray idenImage = archive::RawImage(CIden::kImageSize, [&](BYTE* p) { iden.ToRaw(p); });
    if (withEvents) {
        AddHeaderRecords(range ? range->from : cursor, statusImage, configImage, idenImage);
        AddStartEvents(cursor);
    }
    int result = 1;
    CVKAktData values;
    for (int i = 0; i < block.count; ++i, cursor = Plus(cursor, period)) {
        const CTime t = cursor;
        if (range && t < range->from)
            continue;
        if (range && range->to < t) {
            result = 0;
            continue;
        }
        DecodeRawRecord(block.Record(i), block.stride, layout, values);
        if (!StartRecord(t, statusImage, configImage, idenImage))
            return 0;
        if (!values.HasAnyValue()) {
            AddText(t, kRecordError, archive::InstrumentOutageText());
            continue;
        }
        if (Writer().NeedFullRecord()) {
            Writer().Add({t.GetTime(), kRecordFull, BuildFullRecord(values)});
            Writer().SetNeedFullRecord(false);
        } else {
            Writer().Add({t.GetTime(), kRecordChanged, BuildChangedRecord(values, m_base)});
        }
        m_base = values;
    }
    return result;
}

int CVKDownloadArchivData::ImportDownloadedBlockWithEvents(CTime& cursor, const CImportRawBlock& block,
                                                           const CVKRecordLayout& layout, int period,
                                                           const CVKStatus& status, const CVKConfig& config,
                                                           const CIden& iden)
{
    return Import(cursor, block, layout, period, status, config, iden, true, nullptr);
}

int CVKDownloadArchivData::ImportDownloadedBlock(CTime& cursor, const CImportRawBlock& block,
                                                 const CVKRecordLayout& layout, int period, const CVKStatus& status,
                                                 const CVKConfig& config, const CIden& iden)
{
    return Import(cursor, block, layout, period, status, config, iden, false, nullptr);
}

int CVKDownloadArchivData::ImportDownloadedRangeWithEvents(CTime& cursor, const CImportRawBlock& block,
                                                           const CVKRecordLayout& layout, int period,
                                                           const CVKStatus& status, const CVKConfig& config,
                                                           const CIden& iden, CTime from, CTime to)
{
    const Range range{from, to};
    return Import(cursor, block, layout, period, status, config, iden, true, &range);
}

int CVKDownloadArchivData::ImportDownloadedRange(CTime& cursor, const CImportRawBlock& block,
                                                 const CVKRecordLayout& layout, int period, const CVKStatus& status,
                                                 const CVKConfig& config, const CIden& iden, CTime from, CTime to)
{
    const Range range{from, to};
    return Import(cursor, block, layout, period, status, config, iden, false, &range);
}

namespace {

class VKMergeCodec final : public archive::IMergeCodec {
public:
    bool IsDataRecord(const CArchivRecord& r) const override
    {
        return r.type == kRecordFull || r.type == kRecordChanged || r.type == kRecordError;
    }
    int StatusPeriod(const CArchivRecord& record) const override
    {
        CVKStatus status;
        return CVKArchivData::DecodeStatus(record, status) ? status.GetRecordPeriodSeconds() : -1;
    }
    std::optional<CArchivRecord> FullRecordAt(const CArchivRecordList& block, std::size_t position) const override
    {
        CVKAktData values;
        bool have = false;
        for (std::size_t i = 0; i <= position && i < block.size(); ++i) {
            if (block[i].type == kRecordFull)
                have = CVKArchivData::DecodeFullRecord(values, block[i]) != 0;
            else if (block[i].type == kRecordChanged)
                have = have && CVKArchivData::DecodeDeltaRecord(values, block[i]) != 0;
        }
        if (!have)
            return std::nullopt;
        return CArchivRecord{block[position].time, kRecordFull, CVKArchivData::BuildFullRecord(values)};
    }
};

} // namespace

int CVKDownloadArchivData::ImportTempFile(CVKDownloadArchivData& source)
{
    const VKMergeCodec codec;
    return MergeDownload(source, codec, TempSuffix());
}
