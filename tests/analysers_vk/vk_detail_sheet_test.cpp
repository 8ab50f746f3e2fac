// The VK settings sheet against a scripted instrument: the first read and
// its fall-back to a file, the sends with their archive records and the
// resynchronisation, files, tabs and the printout.
#include "FakeVKSettings.h"

#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailStatic.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "analysers_vk/VKSettingsFile.h"
#include "charts/PdfCheck.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vk;
using vktest::FakeVKSettings;

void FillInstrument(FakeVKSettings& io, WORD model = 0x060C)
{
    io.iden.family = CIden::kFamilyAnalyser;
    io.iden.model = model;
    io.iden.version = 0x23;
    io.iden.number = 1207;
    io.config.SetVtPrimary(22000);
    io.config.SetVoltageWord(100);
    io.config.SetCtRatioDword(0x80000000u | 400);
    io.config.SetNominalPower(630);
    io.config.SetAddressByte(5);
    io.config.SetSpeedIndex(7);
    io.config.SetModem(TRUE);
    io.modem = ModemBlockOf(QStringLiteral("AT&F0"));
    io.outputs.SetPulseSending(1, TRUE);
    io.outputs.SetPulseConstant(0, 10.0);
    io.outputs.SetRelayLevel(0, TRUE, 110.0);
    io.outputs.SetRelayQuantity(0, 0);
    io.outputs.SetRelayAbove(0, TRUE);
    io.outputs.SetRelayLevel(1, FALSE, 0);
    io.status.SetRecordPeriodIndex(11);
    io.status.SetVoltageRecording(0, 3, 0);
    io.status.SetCurrentRecording(0, 3, 0);
    io.status.SetFrequencyRecording(TRUE, 0);
    io.status.SetCapacity(1000);
    io.status.SetRecordCount(10);
    io.notebook.SetRecordName(QStringLiteral("Trafostanice jih"));
    io.notebook.SetLine(0, QStringLiteral("přívod L1"));
}

// The file dialog answers from a script.
struct ScriptedFiles {
    explicit ScriptedFiles(QString answer)
    {
        previous = controllers::SetSettingsFileChooser(
            [answer](QWidget*, bool, const QString&, const QString&, const QString&, const controllers::FileKind&) {
                return answer;
            });
    }
    ~ScriptedFiles() { controllers::SetSettingsFileChooser(std::move(previous)); }
    controllers::SettingsFileChooser previous;
};

TEST(VKDetailTest, FirstReadFillsThePagesAndTheMemorySize)
{
    FakeVKSettings io;
    FillInstrument(io);
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Nastavení přístroje (Rozvodna)"));
    EXPECT_EQ(sheet.MemorySize(), std::int64_t(io.status.GetRecordSize()) * 1000);
    EXPECT_EQ(sheet.Settings().modem, QStringLiteral("AT&F0"));
    // The identification of the installation read serves the other groups.
    EXPECT_EQ(io.Calls("ReadIdentification"), 1);
    EXPECT_EQ(sheet.Instalace().Fields().vtPrimary, 22000);
    EXPECT_EQ(sheet.Zaznam().Fields().name, QStringLiteral("Trafostanice jih"));
}

TEST(VKDetailTest, ANotAnsweringGroupAsksForAFileAndStopsTheChain)
{
    FakeVKSettings io;
    FillInstrument(io);
    io.Script("ReadOutputConfig", {false, false, false});
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::No);
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    EXPECT_FALSE(sheet.ReadFromDevice(io, 0));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Nastavení nelze zobrazit")));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(io.Calls("ReadOutputConfig"), 3);
    EXPECT_EQ(io.Calls("ReadStatus"), 0);
}

TEST(VKDetailTest, FallBackFileLoadsOnlyWhenWhole)
{
    QTemporaryDir dir;
    CVKSettings stored;
    stored.config.SetNominalPower(250);
    stored.iden.family = CIden::kFamilyAnalyser;
    stored.iden.model = 0x0604;
    stored.modem = QStringLiteral("ATZ");
    const QByteArray bytes = VKSettingsBytes(stored);
    const QString whole = dir.filePath(QStringLiteral("cely.vks"));
    const QString cut = dir.filePath(QStringLiteral("kratky.vks"));
    QString error;
    ASSERT_TRUE(SaveVKSettingsFile(whole, bytes, QString(), error));
    ASSERT_TRUE(SaveVKSettingsFile(cut, bytes.left(bytes.size() - 2), QString(), error));

    for (const bool isWhole : {false, true}) {
        SCOPED_TRACE(isWhole);
        FakeVKSettings io;
        io.Script("ReadConfig", {false, false, false});
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
        boxes.Answer(ui::MsgAnswer::Yes);
        ScriptedFiles files(isWhole ? whole : cut);
        CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
        sheet.Settings().config.SetNominalPower(77);
        EXPECT_EQ(bool(sheet.ReadFromDevice(io, 0)), isWhole);
        EXPECT_EQ(sheet.Settings().config.GetNominalPower(), isWhole ? 250 : 77);
        EXPECT_EQ(sheet.Settings().modem, isWhole ? QStringLiteral("ATZ") : QString());
        if (!isWhole) {
            ASSERT_EQ(boxes.Requests().size(), 2u);
            EXPECT_TRUE(boxes.Requests()[1].text.startsWith(QStringLiteral("Soubor se nepodařilo otevřít.")));
            EXPECT_TRUE(boxes.Requests()[1].text.contains(QStringLiteral("zkrácen")));
        }
        EXPECT_EQ(io.Calls("ReadModemBlock"), 1);
    }
}

TEST(VKDetailTest, SendsQueueArchiveRecordsAndTheRecordingSendResynchronises)
{
    FakeVKSettings io;
    FillInstrument(io);
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);

    io.Script("WriteModemBlock", {false, false, false});
    EXPECT_FALSE(sheet.WriteInstalace(sheet.Settings().config, QStringLiteral("ATZ")));
    EXPECT_EQ(io.configRecords, 1);
    EXPECT_EQ(io.events, QStringList{QStringLiteral("Nastavení instalace odesláno do přístroje.")});

    io.Script("WriteStatus", {false, false, false});
    EXPECT_FALSE(sheet.WriteArchSettings(sheet.Settings().status, sheet.Settings().notebook));
    EXPECT_EQ(io.resyncs, 1);
    EXPECT_EQ(io.events.size(), 1);

    io.Script("SetClock", {false, false, false});
    EXPECT_TRUE(sheet.WriteArchSettings(sheet.Settings().status, sheet.Settings().notebook));
    EXPECT_EQ(io.resyncs, 2);
    EXPECT_EQ(io.events.last(), QStringLiteral("Nastavení záznamu odesláno do přístroje."));
    ASSERT_FALSE(boxes.Requests().empty());
    EXPECT_TRUE(boxes.Requests().back().text.contains(QStringLiteral("hodiny přístroje")));

    EXPECT_TRUE(sheet.WriteVystupy(sheet.Settings().outputs));
    EXPECT_EQ(io.events.last(), QStringLiteral("Nastavení výstupů odesláno do přístroje."));
}

TEST(VKDetailTest, OutputTabsFollowTheModelAndKeepEditsAcrossTabs)
{
    for (const WORD model : {WORD(0x0604), WORD(0x060C)}) {
        SCOPED_TRACE(model);
        FakeVKSettings io;
        FillInstrument(io, model);
        CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
        ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
        sheet.show();
        sheet.SetActivePage(1);
        CVKDetailVystupy& page = sheet.Vystupy();
        EXPECT_EQ(page.TabCount(), model & 0x8 ? 4 : 2);
        page.Ctl<QLineEdit>(1021)->setText(QStringLiteral("95"));
        page.SelectTab(1);
        EXPECT_FALSE(page.IsChecked(1020)); // the relay without a level
        page.SelectTab(0);
        EXPECT_EQ(page.ControlText(1021), QStringLiteral("95"));
        page.Ctl<QComboBox>(1215)->setCurrentIndex(3);
        page.Ctl<QComboBox>(1215)->activated(3);
        EXPECT_EQ(page.Ctl<QComboBox>(1216)->count(), 1);
        EXPECT_EQ(page.ControlText(1216), QStringLiteral("1"));
        sheet.StorePages();
        BOOL active = FALSE;
        double limit = 0;
        sheet.Settings().outputs.GetRelayLevel(0, active, limit);
        EXPECT_DOUBLE_EQ(limit, 95.0);
        EXPECT_EQ(sheet.Settings().outputs.GetRelayLevelWord(1), 0xFFFF);
        sheet.hide();
    }
}

TEST(VKDetailTest, SaveCreatesTheFolderAndLoadRestores)
{
    QTemporaryDir dir;
    FakeVKSettings io;
    FillInstrument(io);
    io.folder = dir.filePath(QStringLiteral("VK"));
    const QString path = io.folder + QStringLiteral("/Rozvodna.vks");
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    {
        // The save command creates no folder: the dialog offers existing ones.
        ScriptedFiles files(path);
        sheet.OnSave();
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Soubor se nepodařilo otevřít.")));
        EXPECT_FALSE(QFile::exists(path));
    }
    ASSERT_TRUE(sheet.WriteSettingsFile(path, io.folder));
    ASSERT_TRUE(QFile::exists(path));
    QFile::remove(path);
    {
        ScriptedFiles files(path);
        sheet.OnSave();
    }
    EXPECT_EQ(boxes.Requests().size(), 1u);
    ASSERT_TRUE(QFile::exists(path));
    sheet.Settings().modem = QStringLiteral("jiný");
    sheet.Settings().config.SetNominalPower(1);
    ScriptedFiles files(path);
    EXPECT_TRUE(sheet.OnLoad());
    EXPECT_TRUE(sheet.LoadedFromFile());
    EXPECT_EQ(sheet.Settings().modem, QStringLiteral("AT&F0"));
    EXPECT_EQ(sheet.Settings().config.GetNominalPower(), 630);
}

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

TEST(VKDetailTest, PrintsAllThreeSections)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "poppler-utils missing";
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("nastaveni.pdf"));
    auto previous = controllers::SetPrinterChooser([pdf](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    CVKDetail::SetPrintClock([] { return QDateTime(QDate(2026, 12, 10), QTime(0, 2, 3), Qt::UTC); });
    FakeVKSettings io;
    FillInstrument(io);
    io.outputs.SetAnalogActive(0, TRUE);
    io.outputs.SetAnalogQuantity(0, 5);
    io.outputs.SetAnalogPhase(0, 3);
    io.outputs.SetAnalogFrom4mA(0, TRUE);
    io.outputs.SetAnalogEnd(0, 120.0);
    io.status.SetVoltageHarmonicsMode(1);
    BOOL orders[CVKStatus::kHarmonicOrders] = {};
    orders[1] = orders[3] = TRUE; // 3rd and 5th
    io.status.SetHarmonicSelection(orders);
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
    sheet.show();
    sheet.OnPrint();
    sheet.hide();
    controllers::SetPrinterChooser(std::move(previous));
    CVKDetail::SetPrintClock({});
    int pages = 0;
    const QString text = PdfText(pdf, &pages);
    EXPECT_GE(pages, 1);
    for (const char* expected : {"Nastavení přístroje (Rozvodna)", "10.12.26 01:02:03", "Převod MTN:", "22000 / 100",
                                 "Inicializační string modemu:", "AT&F0", "Výstup P1:", "Relé 1", "Nad mezí",
                                 "110.0% nom. hodnoty", "Název záznamu:", "Trafostanice jih", "Kapacita paměti:",
                                 "přívod L1", "Analog. výstup 1", "P 3f", "Hodnota při 4 mA:", "120.0% nom. hodnoty",
                                 "THD + Harmonické U:", "ve fázi 1", "3, 5"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral("Relé 2")));
    // The start is immediate: no time, only "--".
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Start\\. čas +--"))));
    // Whatever the face, no text is printed over another.
    pdfcheck::ExpectNoOverlappingWords(pdfcheck::Words(pdf));
}

TEST(VKDetailTest, PageButtonsAskThenSendOrReceive)
{
    FakeVKSettings io;
    FillInstrument(io);
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
    sheet.show();
    sheet.SetActivePage(0);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    sheet.Instalace().Ctl<QLineEdit>(1021)->setText(QStringLiteral("800"));
    boxes.Answer(ui::MsgAnswer::No);
    sheet.Instalace().Ctl<QPushButton>(1250)->click();
    EXPECT_EQ(io.Calls("WriteConfig"), 0);
    boxes.Answer(ui::MsgAnswer::Yes);
    sheet.Instalace().Ctl<QPushButton>(1250)->click();
    ASSERT_EQ(io.Calls("WriteConfig"), 1);
    EXPECT_EQ(io.config.GetNominalPower(), 800);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Opravdu provést instalaci přístroje?"));
    EXPECT_EQ(boxes.Requests()[1].caption, QStringLiteral("INFO"));

    // "Přijmi vše": the instrument's values again, and a failure said.
    io.config.SetNominalPower(400);
    io.Script("ReadStatus", {false, false, false});
    boxes.Answer(ui::MsgAnswer::Yes);
    sheet.Button(ui::CPropertySheet::IdApplyNow)->click();
    EXPECT_EQ(boxes.Requests().back().text, QStringLiteral("Přístroj neodpovídá !"));
    EXPECT_EQ(boxes.Requests().back().caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(sheet.Instalace().ControlText(1021), QStringLiteral("400"));
    EXPECT_EQ(sheet.MemorySize(), -1);

    // The recording page's receive includes the identification.
    sheet.SetActivePage(2);
    const int idens = io.Calls("ReadIdentification");
    boxes.Answer(ui::MsgAnswer::Yes);
    sheet.Zaznam().Ctl<QPushButton>(1241)->click();
    EXPECT_EQ(io.Calls("ReadIdentification"), idens + 1);
    EXPECT_NE(sheet.Zaznam().ControlText(1181), QStringLiteral("--"));
    sheet.hide();
}

TEST(VKDetailTest, RecordingPageRulesWhileEditing)
{
    FakeVKSettings io;
    FillInstrument(io);
    io.status.SetVoltageHarmonicsMode(1);
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
    sheet.show();
    sheet.SetActivePage(2);
    CVKDetailZaznam& page = sheet.Zaznam();
    const QString before = page.ControlText(1181);
    // "Sudé" of the first row checks 2, 4, .., 12.
    page.Ctl<QCheckBox>(1027)->click();
    for (int order = 2; order <= 12; order += 2)
        EXPECT_TRUE(page.IsChecked(1030 + order - 2)) << order;
    EXPECT_FALSE(page.IsChecked(1030 + 1));
    EXPECT_EQ(page.Ctl<QCheckBox>(1027)->checkState(), Qt::Checked);
    EXPECT_NE(page.ControlText(1181), before);
    page.Ctl<QCheckBox>(1030)->click(); // order 2 off: the group is partly checked
    EXPECT_EQ(page.Ctl<QCheckBox>(1027)->checkState(), Qt::PartiallyChecked);
    page.Ctl<QCheckBox>(1027)->click();
    EXPECT_EQ(page.Ctl<QCheckBox>(1027)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(page.IsChecked(1030 + 2));

    // "Ihned" disables the pickers.
    const bool immediate = page.IsChecked(1100);
    EXPECT_EQ(page.IsEnabledCtl(1098), !immediate);
    page.Ctl<QCheckBox>(1100)->click();
    EXPECT_EQ(page.IsEnabledCtl(1098), immediate);

    // Three currents to one: one power-factor row.
    auto* currents = page.Ctl<QComboBox>(1234);
    page.Ctl<QComboBox>(1236)->setCurrentIndex(1);
    page.Ctl<QComboBox>(1236)->activated(1);
    currents->setCurrentIndex(1);
    currents->activated(1);
    int pfRows = 0;
    for (int slot : page.Fields().Slots())
        pfRows += slot >= 6 && slot <= 8 ? 1 : 0;
    EXPECT_EQ(pfRows, 1);
    EXPECT_EQ(page.List()->topLevelItemCount(), int(page.Fields().Slots().size()));
    sheet.hide();
}

TEST(VKDetailStaticTest, WithoutStatusTheRecordingPageGoes)
{
    CVKConfig config;
    config.SetInstallationFlags(0x40);
    config.SetVoltageWord(400);
    CIden iden;
    iden.family = CIden::kFamilyAnalyser;
    iden.model = 0x0600;
    CVKStatus status;
    status.SetVoltageRecording(0, 3, 0);
    CVKDetailStatic withStatus;
    ASSERT_TRUE(withStatus.Load(config, iden, &status));
    EXPECT_EQ(withStatus.Tabs()->count(), 2);
    CVKDetailStatic without;
    ASSERT_TRUE(without.Load(config, iden, nullptr));
    EXPECT_EQ(without.Tabs()->count(), 1);
    without.show();
    EXPECT_EQ(without.Instalace().ControlText(1244), QStringLiteral("400"));
    EXPECT_FALSE(without.Instalace().Control(1026)->isVisible());
    // Nothing there changes by a click.
    auto* modbus = without.Instalace().Ctl<QCheckBox>(1248);
    const bool was = modbus->isChecked();
    // Through the window, as a user's click comes.
    QTest::mouseClick(without.windowHandle(), Qt::LeftButton, {}, modbus->mapTo(&without, modbus->rect().center()));
    QTest::mouseClick(without.windowHandle(), Qt::LeftButton, {}, modbus->mapTo(&without, QPoint(6, 6)));
    EXPECT_EQ(modbus->isChecked(), was);
    EXPECT_FALSE(without.Instalace().Ctl<QPushButton>(1250)->isEnabled());
    without.hide();

    // The same click on the live sheet does change it.
    FakeVKSettings io;
    FillInstrument(io);
    CVKDetail live(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(live.ReadFromDevice(io, 0));
    live.show();
    auto* liveModbus = live.Instalace().Ctl<QCheckBox>(1248);
    const bool liveWas = liveModbus->isChecked();
    QTest::mouseClick(live.windowHandle(), Qt::LeftButton, {}, liveModbus->mapTo(&live, QPoint(6, 6)));
    EXPECT_NE(liveModbus->isChecked(), liveWas);
    live.hide();
    without.show();
    EXPECT_TRUE(without.Instalace().Ctl<QLineEdit>(1021)->isReadOnly());
    without.hide();
}

} // namespace
