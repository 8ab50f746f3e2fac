#include "analysers_vk/AnalyserSettingsIo.h"

#include "archive/store/ArchivData.h"
#include "link/Pristroj.h"
#include "platform/ThreadMessages.h"

#include <QFileInfo>

namespace analysers_vk {

QString EntrySettingsFolder(const CPristroj& entry)
{
    return entry.m_soubor.isEmpty() ? QString() : QFileInfo(entry.m_soubor).path();
}

void PostEntryResync(CPristroj& entry)
{
    if (entry.GetThread())
        entry.PostToThread(platform::WM_DEVICE_RESYNC, 0, 0);
}

void QueueEntryEvent(CPristroj& entry, const QString& text)
{
    if (CArchivData* store = entry.GetArchivData())
        store->AddRecord(text, 7);
}

} // namespace analysers_vk
