#include "archive/store/ArchivImportFileList.h"

#include "archive/store/ArchivData.h"
#include "charts_core/CalendarTime.h"

#include <QDir>
#include <QFileInfo>

using platform::CTime;

namespace {

// The start of the calendar period that contains `t`.
CTime PeriodStart(CTime t, int interval)
{
    const CTime up = charts::AlignTimeToCalendar(t, interval, false);
    return up == t ? t : charts::AlignTimeToCalendar(t, interval, true);
}

// The end of the period that starts at `start`: the next grid point.
CTime PeriodEnd(CTime start, int interval)
{
    return charts::AlignTimeToCalendar(CTime(start.GetTime() + 600), interval, false);
}

} // namespace

void CArchivImportFileList::AddFile(const QString& name, const QString& extension, CTime first, CTime last)
{
    m_entries.push_back({name + QLatin1Char('.') + extension, first, last});
}

QString CArchivImportFileList::NewFileName(const QString& base, const QString& extension, CTime start)
{
    const QString stem = base + start.Format(QStringLiteral("_Y%yD%m%dH%H"));
    QString name = stem + QLatin1Char('.') + extension;
    for (int n = 1; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("DUP%1.").arg(n) + extension;
    return name;
}

int CArchivImportFileList::FindFiles(const QString& base, const QString& extension, CTime from, CTime to,
                                     int fileInterval)
{
    m_entries.clear();
    m_found.clear();
    if (fileInterval <= 600 || !(from < to))
        return 0;

    const QFileInfo baseInfo(base);
    const QDir dir = baseInfo.absoluteDir();
    const QStringList names =
        dir.entryList({baseInfo.fileName() + QStringLiteral("_Y*.") + extension}, QDir::Files, QDir::Name);
    for (const QString& fileName : names) {
        const QString path = dir.filePath(fileName);
        CArchivData archive;
        CTime first;
        CTime last;
        if (!archive.Open(path) || !archive.GetFileTimeRange(first, last))
            continue;
        if (charts::AlignTimeToCalendar(first, fileInterval, true) < to
            && from < charts::AlignTimeToCalendar(last, fileInterval, false))
            m_found.push_back({path, first, last});
    }

    for (CTime start = PeriodStart(from, fileInterval); start < to;) {
        const CTime end = PeriodEnd(start, fileInterval);
        const CArchivImportFileEntry* within = nullptr;
        int count = 0;
        for (const CArchivImportFileEntry& file : m_found) {
            if (!(file.first < start) && file.last.GetTime() <= std::uint64_t(end.GetTime()) + 60) {
                within = &file;
                ++count;
            }
        }
        const QString name = count == 1 ? within->fileName : NewFileName(base, extension, start);
        m_entries.push_back({name, start, end});
        if (!(start < end))
            break;
        start = end;
    }
    return int(m_entries.size());
}
