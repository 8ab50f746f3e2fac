#include "link/Pristroj.h"

#include "archive/store/ArchivData.h"
#include "platform/StringTable.h"

#include <QFileInfo>

namespace {

bool IsSet(platform::CTime t)
{
    return t.GetTime() != 0 && t.GetTime() != platform::CTime::kInvalid;
}

QString Format(platform::CTime t, const char* format)
{
    return IsSet(t) ? t.Format(QString::fromLatin1(format)) : QString();
}

} // namespace

void CPristroj::FillStatusTexts(CPristrojStatusTexts& texts) const
{
    static constexpr char kMinutes[] = "%d.%m %H:%M";
    static constexpr char kSeconds[] = "%d.%m %H:%M:%S";
    if (!m_zaznamenavat) {
        texts.archive = platform::LoadString(platform::IDS_RECORDING_OFF);
        texts.ringStart = QStringLiteral("--");
        texts.ringFull = QStringLiteral("--");
        texts.newest = m_archiv ? Format(m_archiv->GetNewestDataTime(), kSeconds) : QString();
        return;
    }
    platform::CTime start;
    platform::CTime last;
    platform::CTime full;
    QString file;
    if (m_archiv) {
        const QString path = m_archiv->GetFilePath();
        file = path.isEmpty() ? QString() : QFileInfo(path).fileName();
        m_archiv->GetRingFillTime(m_intervalMereni, m_intervalZapisovani, start, last, full);
    }
    texts.archive = file;
    texts.ringStart = Format(start, kMinutes);
    texts.ringFull = Format(full, kMinutes);
    texts.newest = Format(last, kSeconds);
}

BOOL CPristroj::FillQorinStatusTexts(CPristrojStatusTexts& texts) const
{
    if (m_type != kQorin)
        return FALSE;
    FillStatusTexts(texts);
    return TRUE;
}

BOOL CPristroj::FillDuskarStatusTexts(CPristrojStatusTexts& texts) const
{
    if (m_type != kDuskar)
        return FALSE;
    FillStatusTexts(texts);
    return TRUE;
}

BOOL CPristroj::FillVKStatusTexts(CPristrojStatusTexts& texts) const
{
    if (m_type != kVK && m_type != kVKR)
        return FALSE;
    FillStatusTexts(texts);
    return TRUE;
}

BOOL CPristroj::FillVKTStatusTexts(CPristrojStatusTexts& texts) const
{
    if (m_type != kVKT)
        return FALSE;
    FillStatusTexts(texts);
    return TRUE;
}
