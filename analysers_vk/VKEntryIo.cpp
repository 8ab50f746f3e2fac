#include "analysers_vk/VKEntryIo.h"

#include "archive/store/VKFamilyArchivData.h"
#include "link/Pristroj.h"
#include "model/VKEnergy.h"

namespace analysers_vk {

QString CPristrojVKIo::Name() const
{
    return m_entry.m_nazev;
}

int CPristrojVKIo::Type() const
{
    return m_entry.GetType();
}

bool CPristrojVKIo::ReadTariff(CVKETarif& tariff)
{
    return m_entry.ReadVKTariff(tariff) != 0;
}

bool CPristrojVKIo::WriteTariff(CVKETarif& tariff)
{
    return m_entry.WriteVKTariff(tariff) != 0;
}

bool CPristrojVKIo::ReadEnergyData(CVKEData& data)
{
    return m_entry.ReadVKEnergyData(data) != 0;
}

bool CPristrojVKIo::ResetEnergyMeter()
{
    return m_entry.ResetVKEnergyMeter() != 0;
}

bool CPristrojVKIo::ReadClock(platform::CTime& time)
{
    return (m_entry.GetType() == CPristroj::kVKT ? m_entry.GetVKTTime(time) : m_entry.GetVKTime(time)) != 0;
}

bool CPristrojVKIo::SetClock()
{
    return (m_entry.GetType() == CPristroj::kVKT ? m_entry.SetVKTTime() : m_entry.SetVKTime()) != 0;
}

bool CPristrojVKIo::SyncClock()
{
    return (m_entry.GetType() == CPristroj::kVKT ? RetrySyncVKTClock(m_entry) : RetrySyncVKClock(m_entry)) != 0;
}

double CPristrojVKIo::RatioProduct() const
{
    if (const auto* live = dynamic_cast<const CVKFamilyArchivData*>(m_entry.GetArchivData()))
        return double(live->GetRatioU()) * double(live->GetRatioI());
    return 1.0;
}

void CPristrojVKIo::Sleep(int ms)
{
    m_entry.Clock().Sleep(DWORD(ms));
}

platform::CTime CPristrojVKIo::Now() const
{
    return platform::CTime::GetCurrentTime();
}

} // namespace analysers_vk
