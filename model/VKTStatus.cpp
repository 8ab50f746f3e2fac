#include "model/VKTStatus.h"

#include "model/VKTPackedTime.h"

#include <bit>
#include <cstring>

QORIN_IMPLEMENT_SERIAL(CVKTArch, &CPrevodTyp::classCPrevodTyp, 1)
QORIN_IMPLEMENT_SERIAL(CVKTStatus, &CPrevodTyp::classCPrevodTyp, 1)

void CVKTArch::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        ar >> m_interval;
        for (BYTE& b : m_selection)
            ar >> b;
        for (BYTE& b : m_start)
            ar >> b;
    } else {
        ar << m_interval;
        for (BYTE b : m_selection)
            ar << b;
        for (BYTE b : m_start)
            ar << b;
    }
}

void CVKTArch::FromRaw(const BYTE* p)
{
    m_interval = GetWord(p);
    std::memcpy(m_selection.data(), p + 2, m_selection.size());
    std::memcpy(m_start.data(), p + 16, m_start.size());
}

void CVKTArch::ToRaw(BYTE* p) const
{
    PutWord(p, m_interval);
    std::memcpy(p + 2, m_selection.data(), m_selection.size());
    std::memcpy(p + 16, m_start.data(), m_start.size());
}

int CVKTArch::CountValues(BYTE selection)
{
    const int inputs = std::popcount(unsigned(selection & 0x0F));
    return (selection & 0x10) ? inputs * 3 : inputs;
}

int CVKTArch::GetRecordSize() const
{
    const auto s = [this](int n) { return m_selection[std::size_t(n)]; };
    int size = 8;
    for (int n = SelVoltage; n <= SelThdI; ++n)
        size += 2 * CountValues(s(n));
    size += 2 * CountValues(BYTE(s(SelCos) & 0x0F));
    for (int n : {SelActivePower, SelReactivePower})
        size += 4 * CountValues(s(n)) * ((s(n) & 0x20) ? 2 : 1);
    size += 4 * CountValues(s(SelApparentPower));
    const BYTE flags = s(SelFlags);
    if (flags & 0x04)
        size += 1;
    const auto extremes = [flags](int on, int minMax) { return (flags & on) ? ((flags & minMax) ? 3 : 1) : 0; };
    size += 2 * (extremes(0x01, 0x10) + extremes(0x02, 0x20));
    const int channels = std::popcount(unsigned(s(SelHarmonics)));
    const int orders = s(SelOrders) & 0x7F;
    size += (s(SelOrders) & 0x80) ? channels * 2 * orders : channels * 2 * ((orders + 1) / 2);
    return size;
}

CTime CVKTArch::GetStartTime(BOOL& atOnce) const
{
    const CTime now = CTime::GetCurrentTime();
    if (m_start == std::array<BYTE, 4>{0xFF, 0xFF, 0xFF, 0xFF}) {
        atOnce = TRUE;
        return now;
    }
    atOnce = FALSE;
    CTime t;
    if (!TryUnpackRecordTime(m_start.data(), false, t))
        return now + CTimeSpan(60);
    return t;
}

void CVKTArch::SetStartTime(CTime t, BOOL atOnce)
{
    if (atOnce)
        m_start = {0xFF, 0xFF, 0xFF, 0xFF};
    else
        PackRecordTime(t, m_start.data());
}

void CVKTStatus::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        ar >> m_state1 >> m_state2 >> m_counter1 >> m_counter2;
        for (std::size_t k = 0; k < 5; ++k)
            ar >> m_newest[k] >> m_oldest[k];
        ar >> m_firstWord >> m_reservedWord >> m_secondWord;
    } else {
        ar << m_state1 << m_state2 << m_counter1 << m_counter2;
        for (std::size_t k = 0; k < 5; ++k)
            ar << m_newest[k] << m_oldest[k];
        ar << m_firstWord << m_reservedWord << m_secondWord;
    }
    m_arch.Serialize(ar);
}

void CVKTStatus::FromRaw(const BYTE* p)
{
    m_state1 = p[0];
    m_state2 = p[1];
    m_counter1 = GetDword(p + 2);
    m_counter2 = std::int32_t(GetDword(p + 6));
    std::memcpy(m_newest.data(), p + 10, 5);
    std::memcpy(m_oldest.data(), p + 15, 5);
    m_firstWord = GetWord(p + 20);
    m_secondWord = GetWord(p + 24);
    m_arch.FromRaw(p + 26);
}

void CVKTStatus::ToRaw(BYTE* p) const
{
    p[0] = m_state1;
    p[1] = m_state2;
    PutDword(p + 2, m_counter1);
    PutDword(p + 6, DWORD(m_counter2));
    std::memcpy(p + 10, m_newest.data(), 5);
    std::memcpy(p + 15, m_oldest.data(), 5);
    PutWord(p + 20, m_firstWord);
    // Bytes 22-23 have no meaning in the image.
    p[22] = 0;
    p[23] = 0;
    PutWord(p + 24, m_secondWord);
    m_arch.ToRaw(p + 26);
}

CTime CVKTStatus::GetNewestTime() const
{
    return UnpackRecordTime(m_newest.data());
}

CTime CVKTStatus::GetOldestTime() const
{
    return UnpackRecordTime(m_oldest.data());
}
