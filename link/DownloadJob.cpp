#include "link/DownloadJob.h"

#include "platform/StringIds.h"
#include "platform/StringTable.h"

QString DownloadErrorText(int result)
{
    switch (result) {
    case kDownloadInvalidStatus:
        return QStringLiteral("Přístroj udává neplatný čas posledního záznamu.\nData nemohou být přijata.");
    case kDownloadLinkFailed:
        return QStringLiteral("Chyba při navazování spojení.\nData nemohou být přijata.");
    case kDownloadFileError:
        return QStringLiteral("Chyba při operaci s dočasným souborem.\nData nemohou být přijata.");
    case kDownloadArchiveError:
        return QStringLiteral("Nepodařilo se zapsat data do dočasného souboru.\nData nemohou být přijata.");
    case kDownloadMemoryError:
        return QStringLiteral("Nedostatek paměti.\nData nemohou být přijata.");
    case kDownloadReadFailed:
        return QStringLiteral("Nepodařilo se přijmout nastavení.\nData nemohou být přijata.");
    case kDownloadDataReadFailed:
        return platform::LoadString(platform::IDS_NOT_ALL_DATA_READ) + QStringLiteral("\nData nemohou být přijata.");
    case kDownloadInstrumentError:
        return platform::LoadString(platform::IDS_ERR_DEVICE_ERROR_STATE);
    case kDownloadNoData:
        return QStringLiteral("Přístroj neobsahuje data.");
    case kDownloadNoDataInInterval:
        return QStringLiteral("Přístroj neobsahuje data vhodná pro záplatování\nv zadaném časovém úseku .");
    case kDownloadCancelled:
        return QString();
    default:
        return QStringLiteral("Jiná chyba.\nData nemohou být přijata.");
    }
}

QString DownloadRecordsText(long long done, long long total)
{
    return QString::fromUtf8(download_texts::kRecords).arg(done).arg(total);
}

void CDownloadJob::SetProgress(const QString& text, int step)
{
    std::lock_guard lock(m_progressLock);
    m_text = text;
    m_step = step;
}

void CDownloadJob::GetProgress(QString& text, int& step) const
{
    std::lock_guard lock(m_progressLock);
    text = m_text;
    step = m_step;
}

BOOL CDownloadJob::IsRunning() const
{
    std::lock_guard lock(m_flagLock);
    return m_running;
}

void CDownloadJob::Cancel()
{
    std::lock_guard lock(m_flagLock);
    m_running = 0;
}

BOOL CDownloadJob::IsIdentReady() const
{
    std::lock_guard lock(m_flagLock);
    return m_identReady;
}

void CDownloadJob::SetIdentReady(BOOL ready)
{
    std::lock_guard lock(m_flagLock);
    m_identReady = ready;
}

void CDownloadJob::SetIdentText(const QString& text)
{
    std::lock_guard lock(m_flagLock);
    m_identText = text;
}

QString CDownloadJob::GetIdentText() const
{
    std::lock_guard lock(m_flagLock);
    return m_identText;
}
