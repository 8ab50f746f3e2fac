#include "analysers_vkt/VKTSettingsIo.h"

#include "archive/store/VKTArchivData.h"
#include "link/Pristroj.h"
#include "model/Iden.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTStatus.h"

#include <QThread>

namespace analysers_vkt {

QString CPristrojVKTSettingsIo::Name() const
{
    return m_entry.m_nazev;
}

QString CPristrojVKTSettingsIo::SettingsFolder() const
{
    return analysers_vk::EntrySettingsFolder(m_entry);
}

bool CPristrojVKTSettingsIo::ReadConfig(CVKTConfig& config)
{
    return m_entry.ReadVKTConfig(config) != 0;
}

bool CPristrojVKTSettingsIo::WriteConfig(const CVKTConfig& config)
{
    return m_entry.WriteVKTConfig(config) != 0;
}

bool CPristrojVKTSettingsIo::ReadModemBlock(ModemBlock& block)
{
    return m_entry.ReadVKTInstallationBlock(block.data()) != 0;
}

bool CPristrojVKTSettingsIo::WriteModemBlock(const ModemBlock& block)
{
    return m_entry.WriteVKTInstallationBlock(block.data()) != 0;
}

bool CPristrojVKTSettingsIo::ReadIdentification(CIden& iden)
{
    return m_entry.ReadIdentification(iden) != 0;
}

bool CPristrojVKTSettingsIo::ReadOutputConfig(CVKTOutputConfig& outputs)
{
    return m_entry.ReadVKTOutputConfig(outputs) != 0;
}

bool CPristrojVKTSettingsIo::WriteOutputConfig(const CVKTOutputConfig& outputs)
{
    return m_entry.WriteVKTOutputConfig(outputs) != 0;
}

bool CPristrojVKTSettingsIo::ReadStatus(CVKTStatus& status)
{
    return m_entry.ReadVKTStatus(status) != 0;
}

bool CPristrojVKTSettingsIo::WriteStatus(const CVKTStatus& status)
{
    return m_entry.WriteVKTStatus(status) != 0;
}

bool CPristrojVKTSettingsIo::ReadNoteBook(CVKTNoteBook& notebook)
{
    return m_entry.ReadVKTNoteBook(notebook) != 0;
}

bool CPristrojVKTSettingsIo::WriteNoteBook(const CVKTNoteBook& notebook)
{
    return m_entry.WriteVKTNoteBook(notebook) != 0;
}

bool CPristrojVKTSettingsIo::SetClock()
{
    return m_entry.SetVKTTime() != 0;
}

void CPristrojVKTSettingsIo::PostResync()
{
    analysers_vk::PostEntryResync(m_entry);
}

void CPristrojVKTSettingsIo::QueueConfigRecord(const CVKTConfig& config)
{
    if (auto* store = dynamic_cast<CVKTArchivData*>(m_entry.GetArchivData()))
        store->AddConfigRecord(config);
}

void CPristrojVKTSettingsIo::QueueEvent(const QString& text)
{
    analysers_vk::QueueEntryEvent(m_entry, text);
}

void CPristrojVKTSettingsIo::Sleep(int ms)
{
    if (ms <= 0)
        QThread::yieldCurrentThread();
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

QString CPristrojVKTSettingsIo::ErrorText() const
{
    return m_entry.GetErrorText();
}

} // namespace analysers_vkt
