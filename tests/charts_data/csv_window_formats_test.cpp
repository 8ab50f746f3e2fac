// The export reads a private copy of the archive; its rows must be the rows
// the value list shows for the same window, with the window's formats and
// units, also where the transformer ratios change inside the window.
#include "charts_data/ArchiveCsvExport.h"

#include "charts_data/FormatFixtures.h"
#include "charts_stats/ArchiveFixture.h"
#include "charts_stats/QorinStatSupport.h"
#include "platform/Cp1250.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using statstest::ArchiveFixture;

// Every field of an exported line with the decimal point: quoted, each
// followed by a comma.
QStringList Fields(const QString& line)
{
    QStringList out;
    for (QString f : line.split(QLatin1Char(','))) {
        if (f.startsWith(QLatin1Char('"')) && f.endsWith(QLatin1Char('"')) && f.size() >= 2)
            out << f.mid(1, f.size() - 2);
    }
    return out;
}

class CsvWindowFormatsTest : public ArchiveFixture {
    FORMATFIXTURE_HELPERS

protected:
    // The document walked and scaled as its archive view does it, then
    // exported; each exported data row against the list's row of the same
    // index (the seconds column aside).
    template <class Family, class Columns>
    void ExpectExportMatchesList(Family& document, const Columns& columns, const QStringList& mustContain = {})
    {
        charts::csvfamily::ScaleAndWalkLikeTheList(document);

        const int rows = charts::csvfamily::RowCount(document);
        ASSERT_GT(rows, 10);
        std::vector<QStringList> list;
        for (int r = 0; r < rows; ++r) {
            int count = 0, first = -1;
            std::vector<int> seconds;
            const auto block = charts::csvfamily::Rows(document, r, columns, count, first, seconds);
            ASSERT_GE(first, 0);
            ASSERT_LT(r - first, int(block.size()));
            list.push_back(block[std::size_t(r - first)]);
        }

        charts::TArchiveCsvExport<Family, Columns> job;
        job.Prepare(document, charts::CsvWindow::Of(document.Window()));
        const QString path = Path(QStringLiteral("out"));
        QString error;
        ASSERT_EQ(job.Write(path, charts::kCsvDecimalPoint, columns, error), 1) << error.toStdString();
        QFile file(path + QStringLiteral(".csv"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QStringList lines = platform::FromCp1250(file.readAll()).split(QStringLiteral("\r\n"));
        ASSERT_GT(lines.size(), 5 + rows);

        // The captions carry the window's units, as the list's do.
        QStringList captions = Fields(lines[4]);
        ASSERT_GE(captions.size(), 2);
        captions.removeAt(1); // "Čas2 [s]"
        const QStringList listCaptions = charts::csvfamily::Captions(document, columns);
        captions[0] = listCaptions.value(0);
        EXPECT_EQ(captions.join(QLatin1Char('|')).toStdString(), listCaptions.join(QLatin1Char('|')).toStdString());

        QString all;
        for (int r = 0; r < rows; ++r) {
            QStringList cells = Fields(lines[5 + r]);
            ASSERT_GE(cells.size(), 2) << r;
            cells.removeAt(1);
            EXPECT_EQ(cells.join(QLatin1Char('|')).toStdString(), list[std::size_t(r)].join(QLatin1Char('|')).toStdString())
                << "row " << r;
            all += cells.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
        for (const QString& text : mustContain)
            EXPECT_TRUE(all.contains(text)) << text.toStdString();
    }
};

TEST_F(CsvWindowFormatsTest, VKRowsFollowTheWindowFormatsAndShowTheTemperature)
{
    CVKArchivData document;
    formatfixture::WriteVKWithRatioChange(*this, document);

    charts::VKCsvColumns columns;
    for (int c : {0, 3, 10, 17})
        columns.flags[std::size_t(c)] = 1;
    // A kilowatt column once the window's ratios call for it, and degrees.
    ExpectExportMatchesList(document, columns);
    const QStringList captions = charts::csvfamily::Captions(document, columns);
    EXPECT_TRUE(captions.join(QLatin1Char('|')).contains(QStringLiteral("[kW]"))) << captions.join(' ').toStdString();

    int count = 0, first = -1;
    const auto rows = document.GetRecordRows(0, columns.flags.data(), count, first, nullptr);
    ASSERT_FALSE(rows.empty());
    EXPECT_NE(rows.front().value(3), QStringLiteral("--")); // temperature
}

TEST_F(CsvWindowFormatsTest, VKRRowsFollowTheWindowFormats)
{
    CVKRArchivData document;
    const auto settings = [](DWORD ct) {
        CVKRConfig c;
        c.SetMode(BYTE(2 << 4));
        c.SetCtPrimary(ct);
        return c;
    };
    WriteTwentyMinutes(document, QStringLiteral(".vkr"), settings(5), settings(2000), [](int i) {
        CVKRAktData v;
        for (int k = 0; k < 3; ++k) {
            v.SetUPhase(k, 230.0f + float(i));
            v.SetI(k, 1.5f + 0.1f * float(i));
        }
        return v;
    });
    charts::VKRCsvColumns columns;
    for (int c : {0, 3, 17})
        columns.flags[std::size_t(c)] = 1;
    ExpectExportMatchesList(document, columns);
}

TEST_F(CsvWindowFormatsTest, VKTRowsFollowTheWindowFormats)
{
    CVKTArchivData document;
    const auto settings = [](int ctPrimary) {
        CVKTConfig c;
        c.SetVtPrimary(CVKTConfig::kUnset);
        c.SetCtPrimary(ctPrimary);
        c.SetConnection(CVKTConfig::Star);
        c.SetNominalVoltage(4000.0f);
        c.SetNominalPower(30.0f);
        return c;
    };
    WriteTwentyMinutes(document, CVKTArchivData::Extension(), settings(CVKTConfig::kUnset), settings(1000),
                       [](int i) {
                           CAktData v;
                           const BYTE parts[2] = {0x00, 0x17};
                           v.CreateParts(parts, 2);
                           for (int k = 0; k < 3; ++k) {
                               CAktPhase* ph = v.GetPhase(k);
                               ph->voltage = 9200 + 10 * i;
                               ph->lineVoltage = 16000;
                               ph->current = 25000 + 100 * i;
                               ph->activePower = 1000.0f;
                               ph->reactivePower = 100.0f;
                           }
                           return v;
                       });
    CVKTArchivData::Selection selection{};
    for (int q : {0, 3, 6})
        selection[std::size_t(q)] = 1;
    ExpectExportMatchesList(document, selection);
}

TEST_F(CsvWindowFormatsTest, QorinRowsFollowTheWindowCurrentFormat)
{
    CQorinArchivData document;
    WriteTwentyMinutes(document, CQorinArchivData::Extension(), statstest::QorinConfig(95, 20),
                       statstest::QorinConfig(95, 300),
                       [](int i) { return statstest::QorinValues(4000 + 10 * i, 3600, 1200); });
    CQorinArchivData::Columns columns{};
    columns.fill(TRUE);
    ExpectExportMatchesList(document, columns);
    EXPECT_EQ(document.GetCurrentFormat(), QStringLiteral("%0.0f"));
}

TEST_F(CsvWindowFormatsTest, DuskarRowsFollowTheWindowFormats)
{
    CDuskarArchivData document;
    const auto settings = [](int vt) {
        CDuskarConfig c;
        c.SetVtRatio(vt);
        return c;
    };
    WriteTwentyMinutes(document, CDuskarArchivData::Extension(), settings(1), settings(100), [](int i) {
        CDuskarAktData v;
        v.model = 19;
        v.ctWord = WORD(0x8000 | (i < 10 ? 1 : 100));
        v.freqCode = 78;
        v.current = WORD(4000 + i);
        v.activeCurrent = 3600;
        v.reactiveCurrent = -1200;
        v.cosPhi = 95;
        v.voltage = WORD(2300 + i);
        return v;
    });
    CDuskarArchivData::Columns columns{};
    columns.fill(TRUE);
    ExpectExportMatchesList(document, columns);
}

} // namespace
