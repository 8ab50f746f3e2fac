#pragma once

#include "archive/store/ArchivTempCopy.h"
#include "archive/store/ArchivWindow.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "charts_data/ArchiveCsvWriter.h"

#include <algorithm>
#include <array>

// The export of a value list's window: the window is read from a private copy
// of the archive (the document may go on recording into the original), which
// goes when the export object goes, whichever way the export ended.
namespace charts {

// The window of the list: its blocks (ring blocks, oldest first), start and
// span.
struct CsvWindow {
    std::vector<int> blocks;
    platform::CTime start;
    int span = 0;

    static CsvWindow Of(const CArchivWindow& window) { return {window.ringSlots, window.start, window.span}; }
};

// The checked columns of each family's list.
struct VKCsvColumns {
    std::array<int, CVKArchivData::kColumnCount> flags{};
};
struct VKRCsvColumns {
    std::array<int, CVKRArchivData::kColumnCount> flags{};
    std::array<int, CVKRArchivData::kExtraColumnCount> extra{};
};

namespace csvfamily {

// What a value list on screen has done to its archive object before it
// exports or prints: the window formats chosen from the window's settings
// records, and the walk's settings, identification and connection in force.
template <class Family>
void ScaleAndWalkLikeTheList(Family& data)
{
    if constexpr (requires { data.UpdateSeriesScales(BOOL(0)); })
        data.UpdateSeriesScales(FALSE);
    else
        data.ScaleWindowSeries(FALSE);
    for (int more = data.FirstRecord(); more; more = data.NextRecord()) {
    }
}

// Every family exposes its loaded window.
template <class Family>
int LoadWindow(Family& copy, const CsvWindow& w)
{
    return copy.Window().Load(copy, w.blocks, w.start, w.span);
}

template <class Family>
int RowCount(Family& copy)
{
    int rows = 0;
    for (int n : copy.Window().rowCounts)
        rows += n;
    return rows;
}

inline QStringList Captions(CVKArchivData& copy, const VKCsvColumns& c) { return copy.GetAxisNames(c.flags.data()); }
inline QStringList Captions(CVKRArchivData& copy, const VKRCsvColumns& c)
{
    return copy.GetScaledAxisNames(c.flags.data(), c.extra.data());
}
inline QStringList Captions(CVKTArchivData& copy, const CVKTArchivData::Selection& c) { return copy.GetAxisNames(c); }
inline QStringList Captions(CQorinArchivData& copy, const CQorinArchivData::Columns& c) { return copy.GetAxisNames(c); }
inline QStringList Captions(CDuskarArchivData& copy, const CDuskarArchivData::Columns& c)
{
    return copy.GetAxisNames(c);
}

inline std::vector<QStringList> Rows(CVKArchivData& copy, int r, const VKCsvColumns& c, int& count, int& first,
                                     std::vector<int>& seconds)
{
    return copy.GetRecordRows(r, c.flags.data(), count, first, &seconds);
}
inline std::vector<QStringList> Rows(CVKRArchivData& copy, int r, const VKRCsvColumns& c, int& count, int& first,
                                     std::vector<int>& seconds)
{
    return copy.GetRecordRows(r, c.flags.data(), c.extra.data(), count, first, &seconds);
}
inline std::vector<QStringList> Rows(CVKTArchivData& copy, int r, const CVKTArchivData::Selection& c, int& count,
                                     int& first, std::vector<int>& seconds)
{
    return copy.GetRecordRows(r, c, count, first, &seconds);
}
inline std::vector<QStringList> Rows(CQorinArchivData& copy, int r, const CQorinArchivData::Columns& c, int& count,
                                     int& first, std::vector<int>& seconds)
{
    return copy.BuildValueRows(r, c, count, first, &seconds);
}
inline std::vector<QStringList> Rows(CDuskarArchivData& copy, int r, const CDuskarArchivData::Columns& c, int& count,
                                     int& first, std::vector<int>& seconds)
{
    return copy.GetRecordRows(r, c, count, first, &seconds);
}

} // namespace csvfamily

// Family: the archive class of the list; Columns: its checked columns.
// Use: Prepare, propose DefaultPath in the export dialog, Write the chosen
// path.
template <class Family, class Columns>
class TArchiveCsvExport {
public:
    TArchiveCsvExport() = default;
    TArchiveCsvExport(const TArchiveCsvExport&) = delete;
    TArchiveCsvExport& operator=(const TArchiveCsvExport&) = delete;
    ~TArchiveCsvExport() { m_copy.DeleteFile(); }

    TArchivTempCopy<Family>& Copy() { return m_copy; }

    // Copies the bound archive and loads the list's window from the copy. A
    // copy that fails is not reported: the export then holds no rows.
    void Prepare(Family& bound, const CsvWindow& window)
    {
        m_instrument = bound.GetArchiveFileName();
        m_window = window;
        m_copyPath.clear();
        if (m_copy.CopyToTempFile(bound)) {
            m_copyPath = m_copy.GetFilePath();
            csvfamily::LoadWindow(m_copy, window); // a damaged block still gives the rows before it
        }
    }
    // "data.csv" beside the copy.
    QString DefaultPath() const { return DefaultCsvPath(m_copyPath); }

    int Write(const QString& path, int decimal, const Columns& columns, QString& error)
    {
        CsvExportData data;
        data.instrument = m_instrument;
        data.captions = csvfamily::Captions(m_copy, columns);
        data.rowCount = csvfamily::RowCount(m_copy);
        data.start = m_window.start;
        data.end = platform::CTime(platform::CTime::time_type(std::int64_t(m_window.start.GetTime()) + m_window.span));
        data.rows = [this, &columns](int r, int& count, int& first, std::vector<int>& seconds) {
            return csvfamily::Rows(m_copy, r, columns, count, first, seconds);
        };
        return WriteArchiveCsv(path, decimal, data, error);
    }

private:
    TArchivTempCopy<Family> m_copy;
    QString m_instrument;
    QString m_copyPath;
    CsvWindow m_window;
};

using CVKCsvExport = TArchiveCsvExport<CVKArchivData, VKCsvColumns>;
using CVKRCsvExport = TArchiveCsvExport<CVKRArchivData, VKRCsvColumns>;
using CVKTCsvExport = TArchiveCsvExport<CVKTArchivData, CVKTArchivData::Selection>;
using CQorinCsvExport = TArchiveCsvExport<CQorinArchivData, CQorinArchivData::Columns>;
using CDuskarCsvExport = TArchiveCsvExport<CDuskarArchivData, CDuskarArchivData::Columns>;

} // namespace charts
