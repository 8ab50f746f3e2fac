#include "ControllerTestSupport.h"

#include "charts/PdfCheck.h"

#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;

namespace {

// Prints into a PDF file instead of a printer.
struct PdfPrinter {
    explicit PdfPrinter(QString p) : path(std::move(p))
    {
        previous = SetPrinterChooser([this](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
    }
    ~PdfPrinter() { SetPrinterChooser(std::move(previous)); }
    QString path;
    PrinterChooser previous;
};

QString PdfText(const QString& path, int* pages)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("Pages:")))
            *pages = line.mid(6).trimmed().toInt();
    }
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    text.waitForFinished(30000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

// The clock as the system gives it, in UTC. By default 9 Dec 2026 23:30
// UTC, which is 10 Dec 00:30 in Prague: the report shows the local date.
struct FixedClock {
    explicit FixedClock(qint64 utcSeconds = 1796859000)
    {
        CDetailSheetBase::SetPrintClock(
            [utcSeconds] { return QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC); });
    }
    ~FixedClock() { CDetailSheetBase::SetPrintClock({}); }
};

} // namespace

TEST(SettingsPrint, QorinReportShowsLocalTimePagesAndLimits)
{
    FixedClock clock;
    QorinStore store;
    store.SetModel(4);
    FakeIo io;
    io.qorin = SampleQorinConfig();
    io.archive = &store;
    CPristrojDetail sheet(QStringLiteral("Nastavení přístroje (rozvodna)"));
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    const QStringList lines = sheet.BuildReport().PlainLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("Nastavení přístroje (rozvodna)"));
    EXPECT_EQ(lines[1], QStringLiteral("10.12.26 00:30:00"));
    const QString all = lines.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("150 000"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Tarif 2:")));
    EXPECT_TRUE(all.contains(QStringLiteral("C zap.")));
    EXPECT_TRUE(all.contains(QStringLiteral("7.5 %")));

    // Tariff 2 off: no tariff-2 block; a limit of 2000 groups in threes.
    sheet.m_data.Ctl<QCheckBox>(1025)->setChecked(false);
    sheet.m_alarms.Ctl<QLineEdit>(1042)->setText(QStringLiteral("2000"));
    ASSERT_TRUE(sheet.m_alarms.StoreConfig());
    const QString second = sheet.BuildReport().PlainLines().join(QLatin1Char('\n'));
    EXPECT_FALSE(second.contains(QStringLiteral("Tarif 2:")));
    EXPECT_TRUE(second.contains(QStringLiteral("2 000 000")));
    EXPECT_FALSE(second.contains(QStringLiteral(" 2 000 000 ")));
}

TEST(SettingsPrint, QorinSettingsPrintToPdf)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    FixedClock clock;
    QTemporaryDir dir;
    QorinStore store;
    store.SetModel(1);
    FakeIo io;
    io.qorin = SampleQorinConfig();
    io.archive = &store;
    CPristrojDetail sheet(QStringLiteral("Nastavení přístroje (rozvodna)"));
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    PdfPrinter pdf(dir.filePath(QStringLiteral("nastaveni.pdf")));
    sheet.OnPrint();
    int pages = 0;
    const QString text = PdfText(pdf.path, &pages);
    EXPECT_GE(pages, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("10.12.26 00:30:00"))) << text.toStdString();
    // The PDF text keeps the words, not every blank between them.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("T ?1\\s+C\\s+10")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("R ?8\\s+C zap."))));
    EXPECT_TRUE(text.contains(QStringLiteral("Rychlost regulace")));
    EXPECT_TRUE(text.contains(QStringLiteral("150 000")));
    // The program's report printer: page number in the header, maker line
    // in the footer; labels are printed whole and apart from their values.
    EXPECT_TRUE(text.contains(QStringLiteral("strana 1")));
    EXPECT_TRUE(text.contains(QStringLiteral("Vytištěno programem qorin01")));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Doba blokování znovuzapnutí\\s+60 s"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Typ a způsob připojení měř. napětí")));
    // Whatever the face, no text is printed over another.
    pdfcheck::ExpectNoOverlappingWords(pdfcheck::Words(pdf.path));
}

// The time printed is the time on the user's clock, in winter and in
// summer, whichever controller the sheet is for; never the system's UTC.
TEST(SettingsPrint, PrintedTimeIsLocalTime)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    const struct {
        qint64 utc;
        const char* local;
        const char* asUtc;
    } instants[] = {
        // 11 Dec 2026 14:11:48 UTC: 15:11:48 CET.
        {1796998308, "11.12.26 15:11:48", "11.12.26 14:11:48"},
        // 15 Jul 2026 22:45:10 UTC: past midnight CEST, the next day.
        {1784155510, "16.07.26 00:45:10", "15.07.26 22:45:10"},
    };
    for (const auto& instant : instants) {
        for (const bool duskar : {false, true}) {
            SCOPED_TRACE(std::string(instant.local) + (duskar ? " Duskar" : " Qorin"));
            FixedClock clock(instant.utc);
            QTemporaryDir dir;
            PdfPrinter pdf(dir.filePath(QStringLiteral("nastaveni.pdf")));
            FakeIo io;
            QorinStore qorinStore;
            DuskarStore duskarStore;
            if (duskar) {
                io.duskar = SampleDuskarConfig();
                io.iden = SampleDuskarIden(20);
                io.archive = &duskarStore;
                CDuskarDetail sheet(QStringLiteral("Nastavení přístroje (duskar)"));
                ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
                sheet.OnPrint();
            } else {
                qorinStore.SetModel(4);
                io.qorin = SampleQorinConfig();
                io.archive = &qorinStore;
                CPristrojDetail sheet(QStringLiteral("Nastavení přístroje (rozvodna)"));
                ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
                sheet.OnPrint();
            }
            int pages = 0;
            const QString text = PdfText(pdf.path, &pages);
            EXPECT_GE(pages, 1);
            EXPECT_TRUE(text.contains(QString::fromLatin1(instant.local))) << text.toStdString();
            EXPECT_FALSE(text.contains(QString::fromLatin1(instant.asUtc))) << text.toStdString();
        }
    }
}

TEST(SettingsPrint, DuskarReportStepsAndLimits)
{
    FixedClock clock;
    DuskarStore store;
    FakeIo io;
    io.duskar = SampleDuskarConfig();
    io.duskar.temperatureOutputs = 0x01; // step 13 heating
    io.duskar.switchTemperature[1] = 25;
    io.duskar.regulatedStages = 0x003F;
    io.iden = SampleDuskarIden(19); // six steps
    io.archive = &store;
    CDuskarDetail sheet(QStringLiteral("Nastavení přístroje (duskar)"));
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    QStringList lines = sheet.BuildReport().PlainLines();
    QString all = lines.join(QLatin1Char('\n'));
    // Six steps only; kvar and amperes of a step.
    EXPECT_TRUE(all.contains(QStringLiteral("%1  (%2)").arg(QStringLiteral("48.000"), QStringLiteral("40.00"))))
        << all.toStdString();
    int stepLines = 0;
    for (const QString& line : lines) {
        if (line.contains(QStringLiteral("  (")))
            ++stepLines;
    }
    EXPECT_EQ(stepLines, 6);
    EXPECT_TRUE(all.contains(QStringLiteral("200 000")));
    EXPECT_TRUE(all.contains(QStringLiteral("Frekvence sítě:")));
    EXPECT_TRUE(all.contains(QStringLiteral("Stav")));

    // A 14-step model with step 13 as heating output at 25 °C.
    io.iden = SampleDuskarIden(20);
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 1));
    all = sheet.BuildReport().PlainLines().join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("Topení"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("25 °C")));
}
