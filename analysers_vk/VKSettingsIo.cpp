#include "analysers_vk/VKSettingsIo.h"

#include "archive/store/VKArchivData.h"
#include "link/Pristroj.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKOutputConfig.h"
#include "model/VKStatus.h"

#include <QThread>

namespace analysers_vk {

QString CPristrojVKSettingsIo::Name() const
{
    return m_entry.m_nazev;
}

QString CPristrojVKSettingsIo::SettingsFolder() const
{
    return EntrySettingsFolder(m_entry);
}

bool CPristrojVKSettingsIo::ReadConfig(CVKConfig& config)
{
    return m_entry.ReadVKConfig(config) != 0;
}

bool CPristrojVKSettingsIo::WriteConfig(const CVKConfig& config)
{
    return m_entry.WriteVKConfig(config) != 0;
}

bool CPristrojVKSettingsIo::ReadModemBlock(ModemBlock& block)
{
    return m_entry.ReadVKInstallationBlock(block.data()) != 0;
}

bool CPristrojVKSettingsIo::WriteModemBlock(const ModemBlock& block)
{
    return m_entry.WriteVKInstallationBlock(block.data()) != 0;
}

bool CPristrojVKSettingsIo::ReadIdentification(CIden& iden)
{
    return m_entry.ReadIdentification(iden) != 0;
}

bool CPristrojVKSettingsIo::ReadOutputConfig(CVKOutputConfig& outputs, const CIden& iden)
{
    return m_entry.ReadVKOutputConfig(outputs, iden) != 0;
}

bool CPristrojVKSettingsIo::WriteOutputConfig(const CVKOutputConfig& outputs)
{
    return m_entry.WriteVKOutputConfig(outputs) != 0;
}

bool CPristrojVKSettingsIo::ReadStatus(CVKStatus& status)
{
    return m_entry.ReadVKStatus(status) != 0;
}

bool CPristrojVKSettingsIo::WriteStatus(const CVKStatus& status)
{
    return m_entry.WriteVKStatus(status) != 0;
}

bool CPristrojVKSettingsIo::ReadNoteBook(CVKNoteBook& notebook)
{
    return m_entry.ReadVKNoteBook(notebook) != 0;
}

bool CPristrojVKSettingsIo::WriteNoteBook(const CVKNoteBook& notebook)
{
    return m_entry.WriteVKNoteBook(notebook) != 0;
}

bool CPristrojVKSettingsIo::SetClock()
{
    return m_entry.SetVKTime() != 0;
}

void CPristrojVKSettingsIo::PostResync()
{
    PostEntryResync(m_entry);
}

void CPristrojVKSettingsIo::QueueConfigRecord(const CVKConfig& config)
{
    if (auto* store = dynamic_cast<CVKArchivData*>(m_entry.GetArchivData()))
        store->AddConfigRecord(config);
}

void CPristrojVKSettingsIo::QueueEvent(const QString& text)
{
    QueueEntryEvent(m_entry, text);
}

void CPristrojVKSettingsIo::Yield()
{
    QThread::yieldCurrentThread();
}

} // namespace analysers_vk
