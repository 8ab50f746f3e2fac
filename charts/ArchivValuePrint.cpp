#include "charts/ArchivValuePrint.h"

#include "charts/ReportPrinter.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QWidget>

#include <algorithm>
#include <numeric>

namespace charts {

namespace {

constexpr int kFieldChars = 12;

QString Fill(const QString& format, const QStringList& args)
{
    return charts::FillPlaceholders(format, args);
}

} // namespace

std::vector<std::vector<int>> SplitColumnGroups(int checked, int perPage)
{
    // Every group holds the time column; at least one quantity goes with it
    // however narrow the page, so the split always ends.
    const int perGroup = std::max(perPage - 1, 1);
    std::vector<std::vector<int>> groups;
    for (int k = 0; k < checked;) {
        std::vector<int> group;
        for (int i = 0; i < perGroup && k < checked; ++i)
            group.push_back(k++);
        groups.push_back(std::move(group));
    }
    if (groups.empty())
        groups.emplace_back();
    return groups;
}

QString ValuePrintHeading(const QString& instrument, platform::CTime start, platform::CTime end)
{
    const QString format = QStringLiteral("%d.%m.%y %H:%M:%S");
    QString heading = Fill(platform::LoadString(platform::IDS_PRINT_VALUES_HEADING),
                           {instrument, start.Format(format), end.Format(format)});
    heading.chop(1);
    return heading;
}

int ValueTableWidthPercent(int units, int perPage)
{
    if (perPage <= 0)
        return 100;
    const int percent = int(double(units) / perPage * 100);
    return std::min(int(percent * 1.1), 100);
}

QString ValueCopyFailedText(const QString& reason)
{
    QString text = QStringLiteral("Hodnoty nelze vytisknout: dočasnou kopii archivu se nepodařilo vytvořit.");
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    return text;
}

void ReportValueCopyFailure(QWidget* parent, const QString& reason)
{
    ui::ErrorBox(parent, ValueCopyFailedText(reason));
}

void PrintValueGroups(CReportPrinter& printer, const CValuePrintJob& job)
{
    const int perPage = int(printer.GetFieldsPerLine(kFieldChars));
    const QString heading = ValuePrintHeading(job.instrument, job.start, job.end);
    const std::vector<std::vector<int>> groups = SplitColumnGroups(int(job.captions.size()) - 1, perPage);
    for (std::size_t g = 0; g < groups.size() && printer.IsPrinting(); ++g) {
        const std::vector<int>& group = groups[g];
        if (g > 0)
            printer.NewPage(QStringLiteral("%1-").arg(g + 1));
        printer.PrintBox(heading);
        printer.PrintText(QString());
        // The time column is twice as wide as a value column.
        QStringList captions{job.captions.value(0)};
        std::vector<int> units{2};
        for (const int k : group) {
            captions << job.captions.value(k + 1);
            units.push_back(1);
        }
        // The table is as wide as its columns need, the time column counted
        // twice, so a short last group keeps columns of a whole field.
        printer.BeginTable(1, captions, units,
                           ValueTableWidthPercent(std::accumulate(units.begin(), units.end(), 0), perPage));
        int r = 0;
        while (r < job.rowCount && printer.IsPrinting()) {
            int count = 0;
            int first = 0;
            const std::vector<QStringList> block = job.rows ? job.rows(r, group, count, first)
                                                            : std::vector<QStringList>();
            const int before = r;
            for (int j = 0; j < count && j < int(block.size()); ++j) {
                if (first + j != r)
                    continue;
                printer.PrintTableRow(block[std::size_t(j)]);
                ++r;
            }
            // A store that cannot supply the row asked for ends the table
            // instead of being asked for it for ever.
            if (r == before)
                break;
        }
        printer.EndTable();
    }
}

bool PrintValueJob(QWidget* parent, QPrinter* given, const CValuePrintJob& job, const QString& documentTitle)
{
    CReportPrinter printer(given, 2, 3, false);
    printer.SetParent(parent);
    const QString jobName = Fill(platform::LoadString(platform::IDS_JOB_VALUES), {job.instrument});
    if (!printer.BeginPrint(jobName, documentTitle, QStringLiteral("1-")))
        return false;
    PrintValueGroups(printer, job);
    printer.EndPrint();
    return !printer.Failed();
}

} // namespace charts
