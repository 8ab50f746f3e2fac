#include "archive/store/VKArchivData.h"

#include "archive/store/VKArchivBytes.h"

#include <cstring>
#include <vector>

using platform::CTime;
using vkarchive::Get16;
using vkarchive::Put16;
using vkarchive::Put32;

namespace {

// One field of a measurement record: where it stands in the full record and
// which bit of the masks M0, M1, M2 marks it in a changed-fields record.
struct Field {
    int offset;
    int size;
    int mask;
    int bit;
};

// Offsets in the full record.
constexpr int kState = 0;
constexpr int kU = 1;
constexpr int kI = 7;
constexpr int kPF = 15;
constexpr int kFrequency = 18;
constexpr int kTemperature = 19;
constexpr int kCos = 20;
constexpr int kULine = 23;
constexpr int kP = 29;
constexpr int kQ = 41;
constexpr int kS = 53;
constexpr int kFlags = 65;
constexpr int kThdU = 66;
constexpr int kHarmonicsU = 69;
constexpr int kThdI = 141;
constexpr int kHarmonicsI = 144;

const std::vector<Field>& Fields()
{
    static const std::vector<Field> fields = [] {
        std::vector<Field> f;
        auto run = [&f](int offset, int size, int count, int mask, int firstBit) {
            for (int k = 0; k < count; ++k)
                f.push_back({offset + k * size, size, mask, firstBit + k});
        };
        run(kState, 1, 1, 0, 0);
        run(kU, 2, 3, 0, 1);
        run(kI, 2, 4, 0, 4);
        run(kPF, 1, 3, 0, 8);
        run(kFrequency, 1, 1, 0, 11);
        run(kTemperature, 1, 1, 0, 12);
        run(kCos, 1, 3, 0, 13);
        run(kULine, 2, 3, 0, 16);
        run(kP, 4, 3, 0, 19);
        run(kQ, 4, 3, 0, 22);
        run(kS, 4, 3, 0, 25);
        run(kFlags, 1, 1, 0, 28);
        run(kThdU, 1, 3, 1, 0);
        // A harmonic entry is the three phase codes of one order.
        run(kHarmonicsU, 3, CVKHarmonicBlock::kOrders, 1, 3);
        run(kThdI, 1, 3, 2, 0);
        run(kHarmonicsI, 3, CVKHarmonicBlock::kOrders, 2, 3);
        return f;
    }();
    return fields;
}

void PutHarmonics(char* p, int thdOffset, int harmonicOffset, const CVKHarmonicBlock& block)
{
    for (int k = 0; k < 3; ++k) {
        p[thdOffset + k] = char(block.GetThdCode(k));
        for (int h = 0; h < CVKHarmonicBlock::kOrders; ++h)
            p[harmonicOffset + 3 * h + k] = char(block.GetHarmonicCode(k, h));
    }
}

void GetHarmonics(const char* p, int thdOffset, int harmonicOffset, CVKHarmonicBlock& block)
{
    for (int k = 0; k < 3; ++k) {
        block.SetThdCode(k, BYTE(p[thdOffset + k]));
        for (int h = 0; h < CVKHarmonicBlock::kOrders; ++h)
            block.SetHarmonicCode(k, h, BYTE(p[harmonicOffset + 3 * h + k]));
    }
}

QByteArray ToImage(const CVKAktData& v)
{
    QByteArray out(CVKArchivData::kFullRecordSize, '\0');
    char* p = out.data();
    p[kState] = char(v.GetFaultState());
    for (int k = 0; k < 3; ++k) {
        Put16(p + kU + 2 * k, v.GetU(k));
        p[kPF + k] = char(v.GetPF(k));
        p[kCos + k] = char(v.GetCos(k));
        Put16(p + kULine + 2 * k, v.GetULine(k));
        Put32(p + kP + 4 * k, std::uint32_t(v.GetP(k)));
        Put32(p + kQ + 4 * k, std::uint32_t(v.GetQ(k)));
        Put32(p + kS + 4 * k, std::uint32_t(v.GetS(k)));
    }
    for (int k = 0; k < 4; ++k)
        Put16(p + kI + 2 * k, std::uint16_t(v.GetI(k)));
    p[kFrequency] = char(v.GetFrequencyCode());
    p[kTemperature] = char(v.GetTemperatureCode());
    p[kFlags] = char(v.GetPowerLayout());
    PutHarmonics(p, kThdU, kHarmonicsU, v.GetVoltageHarmonics());
    PutHarmonics(p, kThdI, kHarmonicsI, v.GetCurrentHarmonics());
    return out;
}

// The byte after the flags byte of the instrument's values (its change
// counter) is not archived and keeps what `v` held.
void FromImage(const QByteArray& image, CVKAktData& v)
{
    const char* p = image.constData();
    v.SetFaultState(std::int8_t(p[kState]));
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, Get16(p + kU + 2 * k));
        v.SetPF(k, std::int8_t(p[kPF + k]));
        v.SetCos(k, std::int8_t(p[kCos + k]));
        v.SetULine(k, Get16(p + kULine + 2 * k));
        v.SetP(k, std::int32_t(vkarchive::Get32(p + kP + 4 * k)));
        v.SetQ(k, std::int32_t(vkarchive::Get32(p + kQ + 4 * k)));
        v.SetS(k, std::int32_t(vkarchive::Get32(p + kS + 4 * k)));
    }
    for (int k = 0; k < 4; ++k)
        v.SetI(k, std::int16_t(Get16(p + kI + 2 * k)));
    v.SetFrequencyCode(BYTE(p[kFrequency]));
    v.SetTemperatureCode(BYTE(p[kTemperature]));
    v.SetPowerLayout(BYTE(p[kFlags]));
    GetHarmonics(p, kThdU, kHarmonicsU, v.GetVoltageHarmonics());
    GetHarmonics(p, kThdI, kHarmonicsI, v.GetCurrentHarmonics());
}

} // namespace

CVKArchivData::CVKArchivData() : CVKFamilyStore(2, QStringLiteral(".vk")) {}

CVKArchivData::~CVKArchivData() = default;

// ---- Payloads --------------------------------------------------------------

QByteArray CVKArchivData::BuildFullRecord(const CVKAktData& values)
{
    return ToImage(values);
}

QByteArray CVKArchivData::BuildChangedRecord(const CVKAktData& values, const CVKAktData& last)
{
    const QByteArray now = ToImage(values);
    const QByteArray before = ToImage(last);
    QByteArray out;
    std::uint32_t masks[3] = {0, 0, 0};
    for (const Field& f : Fields()) {
        if (std::memcmp(now.constData() + f.offset, before.constData() + f.offset, std::size_t(f.size)) == 0)
            continue;
        out.append(now.constData() + f.offset, f.size);
        masks[f.mask] |= 1u << f.bit;
    }
    for (const std::uint32_t m : masks)
        archive::AppendU32(out, m);
    return out;
}

int CVKArchivData::DecodeFullRecord(CVKAktData& values, const CArchivRecord& record)
{
    if (record.data.size() != kFullRecordSize)
        return 0;
    FromImage(record.data, values);
    return 1;
}

int CVKArchivData::DecodeDeltaRecord(CVKAktData& values, const CArchivRecord& record)
{
    const qsizetype size = record.data.size();
    if (size < kMaskBytes)
        return 0;
    const char* p = record.data.constData();
    const std::uint32_t masks[3] = {archive::ReadU32(p + size - 12), archive::ReadU32(p + size - 8),
                                    archive::ReadU32(p + size - 4)};
    QByteArray image = ToImage(values);
    qsizetype at = 0;
    for (const Field& f : Fields()) {
        if (!(masks[f.mask] & (1u << f.bit)))
            continue;
        // A damaged record that claims more fields than it holds changes
        // nothing.
        if (at + f.size > size - kMaskBytes)
            return 0;
        std::memcpy(image.data() + f.offset, p + at, std::size_t(f.size));
        at += f.size;
    }
    FromImage(image, values);
    return 1;
}

QByteArray CVKArchivData::ConfigPayload(const CVKConfig& config)
{
    QByteArray out(CVKConfig::kImageSize, '\0');
    config.ToRaw(reinterpret_cast<BYTE*>(out.data()));
    return out;
}

int CVKArchivData::DecodeConfigRecord(const CArchivRecord& record, CVKConfig& config)
{
    if (record.data.size() < CVKConfig::kImageSize)
        return 0;
    config.FromRaw(reinterpret_cast<const BYTE*>(record.data.constData()));
    return 1;
}

int CVKArchivData::DecodeStatus(const CArchivRecord& record, CVKStatus& status)
{
    if (record.data.size() < CVKStatus::kImageSize)
        return 0;
    status.FromRaw(reinterpret_cast<const BYTE*>(record.data.constData()));
    return 1;
}

// ---- Writers ---------------------------------------------------------------

void CVKArchivData::TakeConfigLocked(const CVKConfig& config)
{
    scales.TakeVoltageRatio(float(config.GetVtRatio()));
    scales.TakeCurrentRatio(float(config.GetCtRatio()));
    double slope = 0, offset = 0;
    config.GetTemperatureLine(slope, offset);
    if (float(slope) != m_temperatureSlope || float(offset) != m_temperatureOffset) {
        m_temperatureSlope = float(slope);
        m_temperatureOffset = float(offset);
        m_settingsChanged = 1;
    }
    m_connectionMode2 = config.GetConnection() == CVKConfig::Aron ? 1 : 0;
}

void CVKArchivData::AddConfigRecord(const CVKConfig& config)
{
    QByteArray payload = ConfigPayload(config);
    const CTime now = Now();
    std::lock_guard list(listLock);
    QueueLocked(now, kRecordSettings, std::move(payload));
    {
        std::lock_guard settings(settingsLock);
        TakeConfigLocked(config);
    }
    needConfigRecord = 0;
}

void CVKArchivData::AddIdenRecord(const CIden& iden)
{
    QByteArray payload(CIden::kImageSize, '\0');
    iden.ToRaw(reinterpret_cast<BYTE*>(payload.data()));
    const CTime now = Now();
    std::lock_guard list(listLock);
    {
        std::lock_guard settings(settingsLock);
        m_variantBit2 = iden.HasVariantBit2() ? 1 : 0;
        const int bit0 = iden.HasVariantBit0() ? 1 : 0;
        if (bit0 != m_variantBit0) {
            m_variantBit0 = bit0;
            m_settingsChanged = 1;
        }
    }
    QueueLocked(now, kRecordIden, std::move(payload));
}

// ---- Getters ---------------------------------------------------------------

void CVKArchivData::GetTemperatureScale(float& slope, float& offset) const
{
    std::lock_guard lock(settingsLock);
    slope = m_temperatureSlope;
    offset = m_temperatureOffset;
}

archive::CSeriesScales CVKArchivData::SeriesStartScales() const
{
    archive::CSeriesScales s;
    std::lock_guard lock(settingsLock);
    s.vk.voltageRatio = scales.voltageRatio;
    s.vk.currentRatio = scales.currentRatio;
    s.vk.connectionMode2 = m_connectionMode2 != 0;
    s.vk.temperatureSlope = m_temperatureSlope;
    s.vk.temperatureOffset = m_temperatureOffset;
    return s;
}

int CVKArchivData::TakeSettingsChanged()
{
    std::lock_guard lock(settingsLock);
    const int changed = m_settingsChanged;
    m_settingsChanged = 0;
    return changed;
}

void CVKArchivData::TakeFormattingFrom(const CVKArchivData& source)
{
    if (&source == this)
        return;
    TakeFamilyFormattingFrom(source);
    float slope = 0, offset = 0;
    int bit0 = 0, mode2 = 0, bit2 = 0;
    {
        std::lock_guard lock(source.settingsLock);
        slope = source.m_temperatureSlope;
        offset = source.m_temperatureOffset;
        bit0 = source.m_variantBit0;
        mode2 = source.m_connectionMode2;
        bit2 = source.m_variantBit2;
    }
    std::lock_guard lock(settingsLock);
    m_temperatureSlope = slope;
    m_temperatureOffset = offset;
    m_variantBit0 = bit0;
    m_connectionMode2 = mode2;
    m_variantBit2 = bit2;
}

int CVKArchivData::HasVariantBit0() const
{
    return ReadSettings(m_variantBit0);
}

int CVKArchivData::IsConnectionMode2() const
{
    return ReadSettings(m_connectionMode2);
}

int CVKArchivData::HasVariantBit2() const
{
    return ReadSettings(m_variantBit2);
}

signed char CVKArchivData::GetLatestStateByte() const
{
    std::lock_guard lock(valuesLock);
    return m_last.GetFaultState();
}

// ---- Walk hooks and queries -----------------------------------------------

void CVKArchivData::TakeWalkRecord(const CArchivRecord& record)
{
    if (record.type == kRecordSettings) {
        CVKConfig config;
        if (!DecodeConfigRecord(record, config))
            return;
        std::lock_guard settings(settingsLock);
        TakeConfigLocked(config);
    } else if (record.type == kRecordIden) {
        CIden iden;
        if (!DecodeIdenRecord(record, iden))
            return;
        std::lock_guard settings(settingsLock);
        m_variantBit0 = iden.HasVariantBit0() ? 1 : 0;
        modelIndex = iden.GetVKModelIndex();
    }
}

int CVKArchivData::GetStatusRecord(CVKStatus& status) const
{
    for (const CArchivRecord& r : window.records) {
        if (r.type == kRecordFull || r.type == kRecordChanged)
            return 0;
        if (r.type == kRecordStatus)
            return DecodeStatus(r, status);
    }
    return 0;
}
