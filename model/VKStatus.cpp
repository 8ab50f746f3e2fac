#include "model/VKStatus.h"

#include <bit>
#include <cstring>

QORIN_IMPLEMENT_SERIAL(CVKStatus, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

struct Period {
    BYTE minutes; // BCD
    BYTE seconds; // BCD
};

constexpr Period kPeriods[CVKStatus::kPeriodCount] = {
    {0x00, 0x05}, {0x00, 0x10}, {0x00, 0x15}, {0x00, 0x20}, {0x00, 0x30}, {0x01, 0x00},
    {0x02, 0x00}, {0x03, 0x00}, {0x04, 0x00}, {0x05, 0x00}, {0x06, 0x00}, {0x10, 0x00},
    {0x12, 0x00}, {0x15, 0x00}, {0x20, 0x00}, {0x30, 0x00}, {0x60, 0x00},
};

// A stored value choice passes through the accessors shifted by the
// sampling basis; anything outside the two bits clears the field.
void PutChoice(BYTE& byte, int shift, int value)
{
    byte = BYTE(byte & ~(3u << shift));
    if (value >= 0 && value <= 3)
        byte = BYTE(byte | (unsigned(value) << shift));
}

} // namespace

void CVKStatus::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        ar >> m_error >> m_s1 >> m_s2 >> m_sampling >> m_power >> m_current >> m_s3 >> m_s4 >> m_s5 >> m_voltage
            >> m_frequency >> m_temperature >> m_option >> m_s6 >> m_s7 >> m_capacity >> m_count >> m_position;
        for (int i = 0; i < 6; ++i)
            ar >> m_newest[i] >> m_start[i];
        ar >> m_periodMinutes >> m_periodSeconds >> m_s10;
        for (BYTE& b : m_s11)
            ar >> b;
        ar >> m_harmonics;
    } else {
        ar << m_error << m_s1 << m_s2 << m_sampling << m_power << m_current << m_s3 << m_s4 << m_s5 << m_voltage
           << m_frequency << m_temperature << m_option << m_s6 << m_s7 << m_capacity << m_count << m_position;
        for (int i = 0; i < 6; ++i)
            ar << m_newest[i] << m_start[i];
        ar << m_periodMinutes << m_periodSeconds << m_s10;
        for (BYTE b : m_s11)
            ar << b;
        ar << m_harmonics;
    }
}

void CVKStatus::FromRaw(const BYTE* p)
{
    m_error = p[0];
    m_s1 = p[1];
    m_s2 = p[2];
    m_sampling = p[3];
    m_power = GetWord(p + 4);
    m_current = p[6];
    m_s3 = p[7];
    m_s4 = p[8];
    m_s5 = p[9];
    m_voltage = p[10];
    m_frequency = p[11];
    m_temperature = p[12];
    m_option = p[13];
    m_s6 = p[14];
    m_s7 = p[15];
    m_capacity = GetDword(p + 16);
    m_count = GetDword(p + 20);
    m_position = GetDword(p + 24);
    std::memcpy(m_newest, p + 28, 6);
    std::memcpy(m_start, p + 34, 6);
    m_periodMinutes = p[40];
    m_periodSeconds = p[41];
    m_s10 = GetWord(p + 42);
    std::memcpy(m_s11, p + 44, 4);
    m_harmonics = GetDword(p + 48);
}

void CVKStatus::ToRaw(BYTE* p) const
{
    p[0] = m_error;
    p[1] = m_s1;
    p[2] = m_s2;
    p[3] = m_sampling;
    PutWord(p + 4, m_power);
    p[6] = m_current;
    p[7] = m_s3;
    p[8] = m_s4;
    p[9] = m_s5;
    p[10] = m_voltage;
    p[11] = m_frequency;
    p[12] = m_temperature;
    p[13] = m_option;
    p[14] = m_s6;
    p[15] = m_s7;
    PutDword(p + 16, m_capacity);
    PutDword(p + 20, m_count);
    PutDword(p + 24, m_position);
    std::memcpy(p + 28, m_newest, 6);
    std::memcpy(p + 34, m_start, 6);
    p[40] = m_periodMinutes;
    p[41] = m_periodSeconds;
    PutWord(p + 42, m_s10);
    std::memcpy(p + 44, m_s11, 4);
    PutDword(p + 48, m_harmonics);
}

void CVKStatus::GetRecordStartTime(CTime& time, BOOL& atOnce) const
{
    if (m_start[1] != 0) {
        const CTime t = BcdToTime(m_start);
        if (t.IsValid()) {
            time = t;
            atOnce = FALSE;
            return;
        }
    }
    time = CTime::GetCurrentTime() + CTimeSpan(60);
    atOnce = TRUE;
}

void CVKStatus::SetRecordStartTime(CTime time, BOOL atOnce)
{
    const CTime now = CTime::GetCurrentTime();
    if (time < now)
        time = now;
    if (atOnce)
        std::memset(m_start, 0, sizeof m_start);
    else
        TimeToBcd(m_start, time);
}

int CVKStatus::GetRecordPeriodIndex() const
{
    for (int i = 0; i < kPeriodCount; ++i) {
        if (kPeriods[i].minutes == m_periodMinutes && kPeriods[i].seconds == m_periodSeconds)
            return i;
    }
    return m_periodMinutes == 0 ? 0 : 5;
}

void CVKStatus::SetRecordPeriodIndex(int index)
{
    if (index < 0 || index >= kPeriodCount)
        index = 0;
    m_periodMinutes = kPeriods[index].minutes;
    m_periodSeconds = kPeriods[index].seconds;
}

int CVKStatus::GetRecordPeriodSeconds() const
{
    return FromBcd(m_periodMinutes) * 60 + FromBcd(m_periodSeconds);
}

int CVKStatus::GetPeriodSeconds(int index)
{
    if (index < 0 || index >= kPeriodCount)
        index = 0;
    return FromBcd(kPeriods[index].minutes) * 60 + FromBcd(kPeriods[index].seconds);
}

void CVKStatus::SetSamplingMode(int m)
{
    m_sampling = BYTE(m_sampling & ~0x0Eu);
    if (m >= 0 && m <= 5)
        m_sampling = BYTE(m_sampling | (unsigned(m) << 1));
}

void CVKStatus::GetPhaseRecording(BYTE byte, int shiftBasis, int m, int& phases, int& choice) const
{
    phases = byte & 7;
    if (phases > 3)
        phases = 3;
    int c = (byte >> 4) & 3;
    if (m == shiftBasis)
        c -= 1;
    else if (m != 0)
        c = 0;
    choice = c < 0 ? 0 : c;
}

void CVKStatus::SetPhaseRecording(BYTE& byte, int shiftBasis, int m, int phases, int choice)
{
    byte = BYTE(byte & ~7u);
    if (phases >= 0 && phases <= 3)
        byte = BYTE(byte | unsigned(phases));
    const int stored = m == 0 ? choice : (m == shiftBasis ? choice + 1 : 3);
    PutChoice(byte, 4, stored);
}

void CVKStatus::GetVoltageRecording(int m, int& phases, int& choice) const
{
    GetPhaseRecording(m_voltage, 1, m, phases, choice);
}

void CVKStatus::SetVoltageRecording(int m, int phases, int choice)
{
    SetPhaseRecording(m_voltage, 1, m, phases, choice);
}

void CVKStatus::GetCurrentRecording(int m, int& phases, int& choice) const
{
    GetPhaseRecording(m_current, 2, m, phases, choice);
}

void CVKStatus::SetCurrentRecording(int m, int phases, int choice)
{
    SetPhaseRecording(m_current, 2, m, phases, choice);
}

void CVKStatus::GetPowerFactorRecording(int m, int& kind, int& choice) const
{
    if (!GetBit(m_current, 3))
        kind = 0;
    else
        kind = GetBit(m_option, 1) ? 2 : 1;
    int c = (m_current >> 6) & 3;
    if (m >= 4)
        c -= 1;
    else if (m >= 1)
        c = 0;
    choice = c < 0 ? 0 : c;
}

void CVKStatus::SetPowerFactorRecording(int m, int kind, int choice)
{
    if (kind == 1 || kind == 2) {
        SetBit(&m_current, TRUE, 3);
        SetBit(&m_option, kind == 2, 1);
    } else {
        SetBit(&m_current, FALSE, 3);
    }
    int stored = choice;
    if (m >= 4)
        stored = choice + 1;
    else if (m >= 1)
        stored = 3;
    PutChoice(m_current, 6, stored);
}

void CVKStatus::GetFrequencyRecording(BOOL& recorded, int& choice) const
{
    recorded = GetBit(m_frequency, 0);
    choice = (m_frequency >> 4) & 3;
}

void CVKStatus::SetFrequencyRecording(BOOL recorded, int choice)
{
    SetBit(&m_frequency, recorded, 0);
    PutChoice(m_frequency, 4, choice);
}

void CVKStatus::GetTemperatureRecording(BOOL& recorded, int& choice) const
{
    recorded = GetBit(m_temperature, 0);
    choice = (m_temperature >> 4) & 3;
}

void CVKStatus::SetTemperatureRecording(BOOL recorded, int choice)
{
    m_temperature = BYTE(m_temperature & ~0x0Fu);
    if (recorded)
        m_temperature = BYTE(m_temperature | 1u);
    PutChoice(m_temperature, 4, choice);
}

void CVKStatus::GetPowerRecording(int& count, int& kind, BOOL& apart) const
{
    count = (m_power & 4) ? 4 : (m_power & 3);
    kind = (m_sampling >> 6) & 3;
    apart = (m_power >> 3) & 1;
}

void CVKStatus::SetPowerRecording(int count, int kind, BOOL apart)
{
    if (kind < 0 || kind > 2)
        kind = 0;
    m_sampling = BYTE((m_sampling & 0x3Fu) | (unsigned(kind) << 6));
    m_power = WORD(m_power & ~0xFF07u);
    if (count == 4 || count == 5)
        m_power = WORD(m_power | 4u);
    else if (count >= 0 && count <= 3)
        m_power = WORD(m_power | unsigned(count));
    if (apart)
        m_power = WORD(m_power | 8u);
    else
        m_power = WORD(m_power & ~8u);
}

int CVKStatus::HarmonicsMode(int shift) const
{
    const int v = int((m_harmonics >> shift) & 3u);
    return v == 3 ? 2 : v;
}

void CVKStatus::SetHarmonicsMode(int shift, int m)
{
    m_harmonics &= ~(3u << shift);
    if (m >= 0 && m <= 2)
        m_harmonics |= DWORD(m) << shift;
}

void CVKStatus::SetRecordMode(BOOL spectrum)
{
    m_harmonics |= 1u << 24;
    if (spectrum)
        m_harmonics |= 1u << 25;
    else
        m_harmonics &= ~(1u << 25);
}

int CVKStatus::GetRecordedHarmonicsCount() const
{
    // The setter stores up to 24 (all orders 2-25), so 24 must read back.
    const int n = int(m_harmonics & 0xFFu);
    return n > kHarmonicOrders ? 0 : n;
}

void CVKStatus::SetRecordedHarmonicsCount(int n)
{
    m_harmonics &= ~0xFFu;
    if (n >= 0 && n <= kHarmonicOrders)
        m_harmonics |= DWORD(n);
}

void CVKStatus::GetHarmonicSelection(BOOL* selected) const
{
    for (int j = 0; j < kHarmonicOrders; ++j)
        selected[j] = BOOL((m_harmonics >> j) & 1u);
}

void CVKStatus::SetHarmonicSelection(const BOOL* selected)
{
    m_harmonics &= ~0xFFFFFFu;
    for (int j = 0; j < kHarmonicOrders; ++j) {
        if (selected[j])
            m_harmonics |= 1u << j;
    }
}

int CVKStatus::HarmonicsCount() const
{
    if (GetRecordMode())
        return int(m_harmonics & 0x1Fu);
    return std::popcount(m_harmonics & 0xFFFFFFu);
}

int CVKStatus::GetRecordSize() const
{
    const int currentPhases = m_current & 7;
    int n = (currentPhases + (m_voltage & 7)) * 2;
    if (GetBit(m_current, 3))
        n += currentPhases < 3 ? currentPhases : 3;
    n += GetBit(m_frequency, 0) + (m_temperature & 0x0F);
    int p = (m_power & 4) ? 1 : (m_power & 3);
    if (!GetBit(m_sampling, 7) && (m_power & 8))
        p *= 2;
    n += p * 4;
    const auto phasesOf = [](int mode) { return mode == 2 ? 3 : (mode == 1 ? 1 : 0); };
    const int k = phasesOf(GetVoltageHarmonicsMode()) + phasesOf(GetCurrentHarmonicsMode());
    return n + (HarmonicsCount() + 1) * k;
}

void CVKStatus::BuildRecordLayout(DWORD* layout) const
{
    std::memset(layout, 0, sizeof(DWORD) * kLayoutColumns);
    const auto fill = [layout](int first, int count) {
        for (int i = 0; i < count && i < 3; ++i)
            layout[first + i] = 1;
    };
    const int currentPhases = m_current & 7;
    fill(0, m_voltage & 7);
    fill(3, currentPhases);
    if (GetBit(m_current, 3)) {
        if (GetBit(m_option, 1))
            layout[6] = 1;
        fill(7, currentPhases);
    }
    if (GetBit(m_frequency, 0))
        layout[10] = 1;
    if (m_temperature & 0x0F)
        layout[11] = 1;
    if (!GetBit(m_sampling, 7) && (m_power & 8))
        layout[12] = 1;
    if (m_power & 4)
        layout[13] = 1;
    else
        fill(17, m_power & 3);
    const int kind = (m_sampling >> 6) & 3;
    if (kind <= 2)
        layout[14 + kind] = 1;

    const bool spectrum = GetRecordMode();
    const auto harmonics = [&](int thd, int mode) {
        const int phases = mode == 2 ? 3 : (mode == 1 ? 1 : 0);
        for (int ph = 0; ph < phases; ++ph) {
            layout[thd + ph] = 1;
            if (spectrum)
                continue;
            const int block = thd + 3 + ph * kHarmonicOrders;
            for (int j = 0; j < kHarmonicOrders; ++j) {
                if ((m_harmonics >> j) & 1u)
                    layout[block + j] = 1;
            }
        }
    };
    harmonics(20, GetVoltageHarmonicsMode());
    harmonics(95, GetCurrentHarmonicsMode());
}

CTime CVKStatus::GetNewestRecordTime() const
{
    if (m_count == 0)
        return CTime(CTime::kInvalid);
    return BcdToTime(m_newest);
}

CTime CVKStatus::GetOldestRecordTime() const
{
    const CTime newest = GetNewestRecordTime();
    if (!newest.IsValid())
        return newest;
    const std::int64_t t = std::int64_t(newest.GetTime()) - std::int64_t(m_count - 1) * GetRecordPeriodSeconds();
    // A count that reaches before 1970 belongs to a damaged status.
    if (t < 0)
        return CTime(CTime::kInvalid);
    return CTime(CTime::time_type(t));
}
