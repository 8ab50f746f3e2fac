#include "archive/store/VKRArchivData.h"

#include "archive/store/VKArchivBytes.h"

#include <bit>
#include <cstring>
#include <vector>

using platform::CTime;
using vkarchive::Get16;
using vkarchive::Get32;
using vkarchive::Put16;
using vkarchive::Put32;

namespace {

enum class Kind { Byte, Float, Word };

// One field of a VKR measurement record: its place in the full record, the
// bit of mask A that marks a float stored by its lower half (-1: none) and
// the bit of mask B that marks a field stored whole.
struct Field {
    int offset;
    Kind kind;
    int lowBit;
    int fullBit;
};

constexpr int kStatus = 0;
constexpr int kU = 1;
constexpr int kI = 13;
constexpr int kULine = 25;
constexpr int kP = 37;
constexpr int kAngle = 49;
constexpr int kThdU = 55;
constexpr int kThdI = 61;
constexpr int kThdULine = 67;
constexpr int kQ = 73;
constexpr int kTemperature = 85;
constexpr int kFrequency = 87;

int SizeOf(Kind kind)
{
    return kind == Kind::Byte ? 1 : kind == Kind::Word ? 2 : 4;
}

const std::vector<Field>& Fields()
{
    static const std::vector<Field> fields = [] {
        std::vector<Field> f;
        auto floats = [&f](int offset, int lowBit, int fullBit) {
            for (int k = 0; k < 3; ++k)
                f.push_back({offset + 4 * k, Kind::Float, lowBit + k, fullBit + k});
        };
        auto words = [&f](int offset, int count, int fullBit) {
            for (int k = 0; k < count; ++k)
                f.push_back({offset + 2 * k, Kind::Word, -1, fullBit + k});
        };
        f.push_back({kStatus, Kind::Byte, -1, 0});
        floats(kU, 0, 1);
        floats(kI, 3, 4);
        floats(kULine, 6, 7);
        floats(kP, 9, 10);
        words(kAngle, 3, 13);
        words(kThdU, 3, 16);
        words(kThdI, 3, 19);
        words(kThdULine, 3, 22);
        floats(kQ, 12, 25);
        words(kTemperature, 1, 28);
        words(kFrequency, 1, 29);
        return f;
    }();
    return fields;
}

void PutFloat(char* p, float v)
{
    Put32(p, std::bit_cast<std::uint32_t>(v));
}

float GetFloat(const char* p)
{
    return std::bit_cast<float>(Get32(p));
}

QByteArray ToImage(const CVKRAktData& v)
{
    QByteArray out(CVKRArchivData::kFullRecordSize, '\0');
    char* p = out.data();
    p[kStatus] = char(v.GetStatus());
    for (int k = 0; k < 3; ++k) {
        PutFloat(p + kU + 4 * k, v.GetUPhase(k));
        PutFloat(p + kI + 4 * k, v.GetI(k));
        PutFloat(p + kULine + 4 * k, v.GetULine(k));
        PutFloat(p + kP + 4 * k, v.GetP(k));
        Put16(p + kAngle + 2 * k, std::uint16_t(v.GetAngle(k)));
        Put16(p + kThdU + 2 * k, std::uint16_t(v.GetThdU(k)));
        Put16(p + kThdI + 2 * k, std::uint16_t(v.GetThdI(k)));
        Put16(p + kThdULine + 2 * k, std::uint16_t(v.GetThdULine(k)));
        PutFloat(p + kQ + 4 * k, v.GetQ(k));
    }
    Put16(p + kTemperature, std::uint16_t(v.GetTemperature()));
    Put16(p + kFrequency, std::uint16_t(v.GetFrequency()));
    return out;
}

// The change counter that comes with the instrument's values is not archived
// and keeps what `v` held.
void FromImage(const QByteArray& image, CVKRAktData& v)
{
    const char* p = image.constData();
    v.SetStatus(BYTE(p[kStatus]));
    for (int k = 0; k < 3; ++k) {
        v.SetUPhase(k, GetFloat(p + kU + 4 * k));
        v.SetI(k, GetFloat(p + kI + 4 * k));
        v.SetULine(k, GetFloat(p + kULine + 4 * k));
        v.SetP(k, GetFloat(p + kP + 4 * k));
        v.SetAngle(k, std::int16_t(Get16(p + kAngle + 2 * k)));
        v.SetThdU(k, std::int16_t(Get16(p + kThdU + 2 * k)));
        v.SetThdI(k, std::int16_t(Get16(p + kThdI + 2 * k)));
        v.SetThdULine(k, std::int16_t(Get16(p + kThdULine + 2 * k)));
        v.SetQ(k, GetFloat(p + kQ + 4 * k));
    }
    v.SetTemperature(std::int16_t(Get16(p + kTemperature)));
    v.SetFrequency(std::int16_t(Get16(p + kFrequency)));
}

} // namespace

CVKRArchivData::CVKRArchivData() : CVKFamilyStore(3, QStringLiteral(".vkr")) {}

CVKRArchivData::~CVKRArchivData() = default;

// ---- Payloads --------------------------------------------------------------

QByteArray CVKRArchivData::BuildFullRecord(const CVKRAktData& values)
{
    return ToImage(values);
}

QByteArray CVKRArchivData::BuildChangedRecord(const CVKRAktData& values, const CVKRAktData& last)
{
    const QByteArray now = ToImage(values);
    const QByteArray before = ToImage(last);
    QByteArray out;
    std::uint16_t maskA = 0;
    std::uint32_t maskB = 0;
    for (const Field& f : Fields()) {
        const char* a = now.constData() + f.offset;
        const char* b = before.constData() + f.offset;
        if (f.kind == Kind::Float) {
            // Compared as floats: 0.0 and -0.0 are the same value.
            if (GetFloat(a) == GetFloat(b))
                continue;
            if (Get16(a + 2) == Get16(b + 2)) {
                out.append(a, 2);
                maskA = std::uint16_t(maskA | (1u << f.lowBit));
                continue;
            }
        } else if (std::memcmp(a, b, std::size_t(SizeOf(f.kind))) == 0) {
            continue;
        }
        out.append(a, SizeOf(f.kind));
        maskB |= 1u << f.fullBit;
    }
    char tail[kMaskBytes];
    Put16(tail, maskA);
    Put32(tail + 2, maskB);
    out.append(tail, kMaskBytes);
    return out;
}

int CVKRArchivData::DecodeFullRecord(CVKRAktData& values, const CArchivRecord& record)
{
    if (record.data.size() != kFullRecordSize)
        return 0;
    FromImage(record.data, values);
    return 1;
}

int CVKRArchivData::DecodeDeltaRecord(CVKRAktData& values, const CArchivRecord& record)
{
    const qsizetype size = record.data.size();
    if (size < kMaskBytes)
        return 0;
    const char* p = record.data.constData();
    const std::uint16_t maskA = Get16(p + size - 6);
    const std::uint32_t maskB = Get32(p + size - 4);
    QByteArray image = ToImage(values);
    qsizetype at = 0;
    // A damaged record that claims more fields than it holds changes nothing.
    auto take = [&](int offset, int bytes) {
        if (at + bytes > size - kMaskBytes)
            return false;
        std::memcpy(image.data() + offset, p + at, std::size_t(bytes));
        at += bytes;
        return true;
    };
    for (const Field& f : Fields()) {
        // The lower half goes under the upper half that the value kept.
        if (f.lowBit >= 0 && (maskA & (1u << f.lowBit)) && !take(f.offset, 2))
            return 0;
        if ((maskB & (1u << f.fullBit)) && !take(f.offset, SizeOf(f.kind)))
            return 0;
    }
    FromImage(image, values);
    return 1;
}

QByteArray CVKRArchivData::ConfigPayload(const CVKRConfig& config)
{
    // The record keeps the settings image in a 28-byte payload; the bytes
    // after the image carry nothing and are written as 0.
    QByteArray out(kSettingsRecordSize, '\0');
    config.ToRaw(reinterpret_cast<BYTE*>(out.data()));
    return out;
}

int CVKRArchivData::DecodeConfigRecord(const CArchivRecord& record, CVKRConfig& config)
{
    if (record.data.size() < CVKRConfig::kImageSize)
        return 0;
    config.FromRaw(reinterpret_cast<const BYTE*>(record.data.constData()));
    return 1;
}

// ---- Writers and getters ---------------------------------------------------

void CVKRArchivData::TakeConfig(const CVKRConfig& config)
{
    std::lock_guard settings(settingsLock);
    scales.TakeVoltageRatio(float(config.GetVtRatio()));
    scales.TakeCurrentRatio(float(config.GetCtRatio()));
    m_connectionType = config.GetConnection();
}

void CVKRArchivData::AddConfigRecord(const CVKRConfig& config)
{
    QByteArray payload = ConfigPayload(config);
    const CTime now = Now();
    std::lock_guard list(listLock);
    QueueLocked(now, kRecordSettings, std::move(payload));
    TakeConfig(config);
    needConfigRecord = 0;
}

void CVKRArchivData::AddIdenRecord(const CIden& iden)
{
    QByteArray payload(CIden::kImageSize, '\0');
    iden.ToRaw(reinterpret_cast<BYTE*>(payload.data()));
    const CTime now = Now();
    std::lock_guard list(listLock);
    QueueLocked(now, kRecordIden, std::move(payload));
}

archive::CSeriesScales CVKRArchivData::SeriesStartScales() const
{
    archive::CSeriesScales s;
    s.vkrConnection = GetConnectionType();
    return s;
}

int CVKRArchivData::GetConnectionType() const
{
    return ReadSettings(m_connectionType);
}

void CVKRArchivData::TakeFormattingFrom(const CVKRArchivData& source)
{
    if (&source == this)
        return;
    TakeFamilyFormattingFrom(source);
    const int connection = source.GetConnectionType();
    std::lock_guard lock(settingsLock);
    m_connectionType = connection;
}

// ---- Walk hooks and queries -----------------------------------------------

void CVKRArchivData::TakeWalkRecord(const CArchivRecord& record)
{
    if (record.type == kRecordSettings) {
        CVKRConfig config;
        if (DecodeConfigRecord(record, config))
            TakeConfig(config);
    } else if (CIden iden; record.type == kRecordIden && DecodeIdenRecord(record, iden)) {
        std::lock_guard settings(settingsLock);
        modelIndex = iden.GetVKModelIndex();
    }
}
