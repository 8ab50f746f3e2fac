#pragma once

#include "charts/ArchivValueList.h"
#include "charts/ArchivValuePrint.h"
#include "charts/ReportPrinter.h"

#include <QApplication>
#include <QCursor>

// The value lists of the five families: the checked quantities of the
// family's archive in its loaded window.
namespace charts {

template <class Family, class Columns>
class TArchiveValueList : public CArchiveValueList {
public:
    using CArchiveValueList::CArchiveValueList;

    // The document's archive (not owned).
    void SetArchivData(Family* data) { m_data = data; }
    Family* GetArchivData() const { return m_data; }
    // The checked quantities (the view sets them, the list only reads).
    Columns& ColumnFlags() { return m_columns; }
    void SetColumns(const Columns& columns) { m_columns = columns; }

    // Columns and rows afresh from the archive's window.
    void Fill()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QStringList captions;
        int rows = 0;
        if (m_data) {
            captions = csvfamily::Captions(*m_data, m_columns);
            rows = csvfamily::RowCount(*m_data);
        }
        CValueRowSource source;
        source.rows = [this](int start, int& count, int& first) {
            std::vector<int> seconds;
            return m_data ? csvfamily::Rows(*m_data, start, m_columns, count, first, seconds)
                          : std::vector<QStringList>();
        };
        Model().Rebuild(captions, rows, std::move(source), isVisible() ? this : nullptr);
        QApplication::restoreOverrideCursor();
    }

    // Prints the window's values; `printer` for a preview or a file, else
    // the user chooses one. False when nothing was printed.
    bool Print(QPrinter* printer = nullptr)
    {
        return m_data && PrintArchiveValues(this, *m_data, m_columns, printer);
    }

    // The same pages in the print preview.
    void PreviewPrint()
    {
        PreviewReport(this, [this](QPrinter* printer) { Print(printer); });
    }

private:
    Family* m_data = nullptr;
    Columns m_columns{};
};

using CQorinValueList = TArchiveValueList<CQorinArchivData, CQorinArchivData::Columns>;
using CDuskarValueList = TArchiveValueList<CDuskarArchivData, CDuskarArchivData::Columns>;
using CVKValueList = TArchiveValueList<CVKArchivData, VKCsvColumns>;
using CVKRValueList = TArchiveValueList<CVKRArchivData, VKRCsvColumns>;
using CVKTValueList = TArchiveValueList<CVKTArchivData, CVKTArchivData::Selection>;

} // namespace charts
