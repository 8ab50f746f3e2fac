#pragma once

#include "platform/Time32.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

// The separated-values file of an archive window's value list. Nothing in
// the program reads these files back; spreadsheets do, so the layout (quotes,
// trailing separators, code page 1250, CR LF) stays as users' sheets expect.
namespace charts {

// Decimal separator choice of the export dialog: 0 "čárka" (fields separated
// by ";" and value points written as commas), 1 "tečka" (fields separated by
// ",").
enum CsvDecimal { kCsvDecimalComma = 0, kCsvDecimalPoint = 1 };

// Lines of such a file: every field in double quotes (quotes inside are
// left as they are) and followed by the separator, in code page 1250, each
// line ended by CR LF.
class CCsvLines {
public:
    explicit CCsvLines(QString separator) : m_sep(std::move(separator)) {}

    void Field(const QString& text) { m_line += QLatin1Char('"') + text + QLatin1Char('"') + m_sep; }
    void Separators(int n);
    void End();
    QByteArray Take() { return std::move(m_out); }

private:
    QString m_sep;
    QString m_line;
    QByteArray m_out;
};

// What one export writes. `captions[0]` is the time caption, then one per
// checked column; `rows` reads the block of rows around row `r` (as the
// store's row reader: up to 10 rows from 3 before `r`), giving their count,
// the index of the first and each row's seconds from the window start.
struct CsvExportData {
    QString instrument;
    QStringList captions;
    int rowCount = 0;
    platform::CTime start;
    platform::CTime end;
    std::function<std::vector<QStringList>(int r, int& count, int& first, std::vector<int>& seconds)> rows;
};

// The path as typed: blanks trimmed, ".csv" appended unless it ends the path.
QString NormaliseCsvPath(const QString& path);
// "data.csv" in the folder of `nearPath` (everything up to its last separator).
QString DefaultCsvPath(const QString& nearPath);

// The file's bytes.
QByteArray BuildArchiveCsv(int decimal, const CsvExportData& data);
// Writes the file at the normalised `path` (replaced only when the whole file
// was written). 1 on success; 0 with a Czech `error` when the file cannot be
// opened or written.
int WriteArchiveCsv(const QString& path, int decimal, const CsvExportData& data, QString& error);

} // namespace charts
