#include "analysers_vk/VKRSettingsIo.h"

#include "link/Pristroj.h"
#include "model/Iden.h"
#include "model/VKRConfig.h"

#include <QThread>

namespace analysers_vk {

QString CPristrojVKRSettingsIo::Name() const
{
    return m_entry.m_nazev;
}

QString CPristrojVKRSettingsIo::SettingsFolder() const
{
    return EntrySettingsFolder(m_entry);
}

bool CPristrojVKRSettingsIo::ReadConfig(CVKRConfig& config)
{
    return m_entry.ReadVKRConfig(config) != 0;
}

bool CPristrojVKRSettingsIo::WriteConfig(const CVKRConfig& config)
{
    return m_entry.WriteVKRConfig(config) != 0;
}

bool CPristrojVKRSettingsIo::ReadIdentification(CIden& iden)
{
    return m_entry.ReadIdentification(iden) != 0;
}

void CPristrojVKRSettingsIo::Yield()
{
    QThread::yieldCurrentThread();
}

} // namespace analysers_vk
