#include "charts_data/ArchiveCsvWriter.h"

#include "platform/Cp1250.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"

#include <QSaveFile>

namespace charts {

namespace {

const QString kTimeFormat = QStringLiteral("%d.%m.%y %H:%M:%S");

} // namespace

void CCsvLines::Separators(int n)
{
    for (int i = 0; i < n; ++i)
        m_line += m_sep;
}

void CCsvLines::End()
{
    m_out += platform::ToCp1250(m_line);
    m_out += "\r\n";
    m_line.clear();
}

QString NormaliseCsvPath(const QString& path)
{
    // "DATA.CSV" typed on a system whose file names ignore case is already a
    // CSV file: adding a second ending would hide it from the user.
    QString p = path.trimmed();
    if (!p.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        p += QStringLiteral(".csv");
    return p;
}

QString DefaultCsvPath(const QString& nearPath)
{
    const qsizetype cut = std::max(nearPath.lastIndexOf(QLatin1Char('/')), nearPath.lastIndexOf(QLatin1Char('\\')));
    return nearPath.left(cut + 1) + QStringLiteral("data.csv");
}

QByteArray BuildArchiveCsv(int decimal, const CsvExportData& data)
{
    const bool comma = decimal == kCsvDecimalComma;
    const int columns = int(data.captions.size());
    CCsvLines out(comma ? QStringLiteral(";") : QStringLiteral(","));

    // The name's own separator is the first of the C that pad the preamble
    // to the width of the table.
    const auto preamble = [&](int label, const QString& value) {
        out.Field(platform::LoadString(label));
        out.Field(value);
        out.Separators(columns - 1);
        out.End();
    };
    preamble(platform::IDS_EXPORT_DEVICE_LABEL, data.instrument);
    preamble(platform::IDS_EXPORT_FROM_LABEL, data.start.Format(kTimeFormat));
    preamble(platform::IDS_EXPORT_TO_LABEL, data.end.Format(kTimeFormat));
    out.End();

    const QString timeCaption = columns > 0 ? data.captions[0] : platform::LoadString(platform::IDS_TIME);
    out.Field(timeCaption + QStringLiteral("1"));
    out.Field(timeCaption + QStringLiteral("2 [s]"));
    for (int c = 1; c < columns; ++c)
        out.Field(data.captions[c]);
    out.End();

    for (int r = 0; r < data.rowCount && data.rows;) {
        int count = 0;
        int first = -1;
        std::vector<int> seconds;
        const std::vector<QStringList> block = data.rows(r, count, first, seconds);
        const int before = r;
        for (int j = 0; j < count && j < int(block.size()); ++j) {
            if (first + j != r)
                continue;
            const QStringList& row = block[std::size_t(j)];
            out.Field(row.value(0));
            out.Field(QString::number(j < int(seconds.size()) ? seconds[std::size_t(j)] : 0));
            for (int c = 1; c < columns; ++c) {
                QString text = row.value(c);
                if (comma)
                    text.replace(QLatin1Char('.'), QLatin1Char(','));
                out.Field(text);
            }
            out.End();
            ++r;
        }
        // A row the store cannot give is left out; asking for it again would
        // never end.
        if (r == before)
            ++r;
    }

    for (int i = 0; i < 3; ++i) {
        out.Separators(columns);
        out.End();
    }
    return out.Take();
}

int WriteArchiveCsv(const QString& path, int decimal, const CsvExportData& data, QString& error)
{
    QSaveFile file(NormaliseCsvPath(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = platform::LoadString(platform::IDS_FILE_OPEN_FAILED);
        return 0;
    }
    const QByteArray bytes = BuildArchiveCsv(decimal, data);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        error = QStringLiteral("Soubor se nepodařilo zapsat.");
        return 0;
    }
    error.clear();
    return 1;
}

} // namespace charts
