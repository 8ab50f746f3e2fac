#include "model/VKConfig.h"

#include <iterator>

QORIN_IMPLEMENT_SERIAL(CVKConfig, &CPrevodTyp::classCPrevodTyp, 1)

void CVKConfig::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        ar >> m_vtPrimary >> m_ctRatio >> m_nominalPower >> m_flags >> m_address >> m_speed >> m_c3 >> m_canAddress
            >> m_voltage >> m_c5 >> m_c6 >> m_c7 >> m_temp4mA >> m_temp20mA;
    } else {
        ar << m_vtPrimary << m_ctRatio << m_nominalPower << m_flags << m_address << m_speed << m_c3 << m_canAddress
           << m_voltage << m_c5 << m_c6 << m_c7 << m_temp4mA << m_temp20mA;
    }
}

void CVKConfig::FromRaw(const BYTE* p)
{
    m_vtPrimary = GetDword(p);
    m_ctRatio = GetDword(p + 4);
    m_nominalPower = GetWord(p + 8);
    m_flags = p[10];
    m_address = p[11];
    m_speed = p[12];
    m_c3 = GetDword(p + 13);
    m_canAddress = GetWord(p + 17);
    m_voltage = GetWord(p + 19);
    m_c5 = p[21];
    m_c6 = p[22];
    m_c7 = p[23];
    m_temp4mA = std::int16_t(GetWord(p + 24));
    m_temp20mA = std::int16_t(GetWord(p + 26));
}

void CVKConfig::ToRaw(BYTE* p) const
{
    PutDword(p, m_vtPrimary);
    PutDword(p + 4, m_ctRatio);
    PutWord(p + 8, m_nominalPower);
    p[10] = m_flags;
    p[11] = m_address;
    p[12] = m_speed;
    PutDword(p + 13, m_c3);
    PutWord(p + 17, m_canAddress);
    PutWord(p + 19, m_voltage);
    p[21] = m_c5;
    p[22] = m_c6;
    p[23] = m_c7;
    PutWord(p + 24, WORD(m_temp4mA));
    PutWord(p + 26, WORD(m_temp20mA));
}

double CVKConfig::GetVtRatio() const
{
    if (GetDirectVoltage())
        return 1.0;
    // A damaged or unset record may hold no secondary; leave the values
    // unscaled rather than infinite.
    if (m_voltage == 0)
        return 1.0;
    return double(m_vtPrimary) / double(m_voltage);
}

double CVKConfig::GetCtRatio(DWORD ratio)
{
    const double primary = double(ratio & 0x7FFFFFFFu);
    return (ratio & 0x80000000u) ? primary * 0.2 : primary;
}

int CVKConfig::GetConnection() const
{
    if (GetBit(m_flags, 4))
        return Aron;
    return GetBit(m_flags, 5);
}

void CVKConfig::SetConnection(int c)
{
    if (c == Aron) {
        SetBit(&m_flags, TRUE, 4);
        return;
    }
    SetBit(&m_flags, FALSE, 4);
    SetBit(&m_flags, c == Delta, 5);
}

int CVKConfig::GetParity() const
{
    const int v = (m_flags >> 2) & 3;
    return v == 3 ? 0 : v;
}

void CVKConfig::SetParity(int v)
{
    m_flags = BYTE(m_flags & ~0x0Cu);
    if (v == 1)
        SetBit(&m_flags, TRUE, 2);
    else if (v == 2)
        SetBit(&m_flags, TRUE, 3);
}

int CVKConfig::GetBusAddress(int interfaceKind) const
{
    return interfaceKind == InterfaceCan ? m_canAddress : m_address;
}

void CVKConfig::SetBusAddress(int interfaceKind, int address)
{
    if (interfaceKind == InterfaceCan)
        m_canAddress = WORD(address);
    else
        m_address = BYTE(address);
}

int CVKConfig::GetLineSpeed(int interfaceKind, int index)
{
    static const int kCan[] = {5, 10, 20, 50, 100, 125, 200, 250, 500, 800, 1000};
    static const int kSerial[] = {50, 150, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400};
    if (index < 0)
        return 0;
    if (interfaceKind == InterfaceCan)
        return index < int(std::size(kCan)) ? kCan[index] : 0;
    return index < int(std::size(kSerial)) ? kSerial[index] : 0;
}

void CVKConfig::GetTemperatureLine(double& slope, double& offset) const
{
    slope = (int(m_temp20mA) - int(m_temp4mA)) * 0.000625;
    offset = m_temp4mA * 0.1 - slope * 40;
}

double CVKConfig::GetTemperature(BYTE code) const
{
    if (code == 255)
        return kNoValue;
    double slope, offset;
    GetTemperatureLine(slope, offset);
    return code * slope + offset;
}
