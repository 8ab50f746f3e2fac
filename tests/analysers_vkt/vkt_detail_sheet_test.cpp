#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTDetailInstalace.h"
#include "analysers_vkt/VKTDetailVystupy.h"
#include "analysers_vkt/VKTDetailZaznam.h"
#include "analysers_vkt/VKTSettingsFile.h"
#include "charts_data/ProfileFile.h"
#include "charts_data/VKTProfileData.h"
#include "FakeVKTSettings.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimeZone>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace analysers_vkt;
using vkttest::FakeVKTSettings;

namespace {

// A VKT44 on RS-485 with one pulse output and one relay.
CIden Vkt485()
{
    CIden iden;
    iden.family = CIden::kFamilyAnalyser;
    iden.model = 0x2100;
    iden.i1 = 3;
    return iden;
}

void FillInstrument(FakeVKTSettings& io)
{
    io.iden = Vkt485();
    io.config.SetVtPrimary(220);
    io.config.SetVt4(220);
    io.config.SetCtPrimary(0x8000 | 200);
    io.config.SetCt4(100);
    io.config.SetRemoteOptions(0x02);
    io.config.SetIpAddress(0xC0A80114);
    io.config.SetNominalVoltage(100.0f);
    io.modem = ModemBlockOf(QStringLiteral("AT&F0"));
    io.outputs.SetQuantity(0, 2);
    io.outputs.SetFunction(0, 0);
    io.outputs.SetLimit(0, TRUE, 4.0f); // 160 A primary
    io.outputs.SetHysteresis(0, 250);
    io.status.GetArch().SetInterval(900);
    io.status.GetArch().SetSelection(CVKTArch::SelVoltage, 0x07);
    io.notebook.GetText2()[0] = 'J';
    io.notebook.GetText2()[1] = 'i';
    io.notebook.GetText2()[2] = 'h';
}

struct ScriptedFiles {
    explicit ScriptedFiles(QString answer)
    {
        previous = controllers::SetSettingsFileChooser(
            [this, answer](QWidget*, bool, const QString&, const QString&, const QString&,
                           const controllers::FileKind& kind) {
                offered = kind;
                return answer;
            });
    }
    ~ScriptedFiles() { controllers::SetSettingsFileChooser(std::move(previous)); }
    controllers::SettingsFileChooser previous;
    controllers::FileKind offered;
};

// On the box itself: a box without text is narrower than its cell.
void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QString Text(controllers::CSettingsPage& page, int id)
{
    return page.ControlText(id);
}

void SetEdit(controllers::CSettingsPage& page, int id, const QString& text)
{
    page.Ctl<QLineEdit>(id)->setText(text);
}

} // namespace

TEST(VKTInstallFields, RecordToPageAndBack)
{
    struct Case {
        const char* what;
        std::function<void(CVKTConfig&, CIden&)> stored;
        std::function<void(const VKTInstallFields&)> shown;
        std::function<void(VKTInstallFields&)> edit;
        std::function<void(const CVKTConfig&)> back;
    };
    const std::vector<Case> cases{
        {"IP address, first octet high", [](CVKTConfig&, CIden&) {}, [](const VKTInstallFields&) {},
         [](VKTInstallFields& f) { ASSERT_TRUE(ParseIp(QStringLiteral("192.168.1.20"), f.ip)); },
         [](const CVKTConfig& c) { EXPECT_EQ(c.GetIpAddress(), 0xC0A80114u); }},
        {"flags 2: Modbus with even parity", [](CVKTConfig& c, CIden&) { c.SetRemoteOptions(2); },
         [](const VKTInstallFields& f) {
             EXPECT_TRUE(f.modbus);
             EXPECT_EQ(f.parity, 1); // "Sudá"
         },
         [](VKTInstallFields& f) { f.modbus = false; },
         [](const CVKTConfig& c) { EXPECT_EQ(c.GetRemoteOptions() & 0x0F, 0); }},
        {"no voltage transformer", [](CVKTConfig& c, CIden&) { c.SetVtPrimary(0xFFFF); },
         [](const VKTInstallFields& f) {
             EXPECT_EQ(f.voltageConnection, 0);
             EXPECT_EQ(f.vtRatio, 1);
             EXPECT_EQ(f.vt4Ratio, 1);
         },
         [](VKTInstallFields& f) { f.vtRatio = 300; },
         [](const CVKTConfig& c) {
             EXPECT_EQ(c.GetVtPrimary(), 0xFFFF);
             EXPECT_EQ(c.GetVt4(), 0xFFFF);
         }},
        {"5 A secondary in both current words", [](CVKTConfig& c, CIden&) { c.SetCtPrimary(100); },
         [](const VKTInstallFields& f) { EXPECT_EQ(f.ctSecondary, 0); },
         [](VKTInstallFields& f) { f.ctSecondary = 1; },
         [](const CVKTConfig& c) {
             EXPECT_EQ(c.GetCtPrimary(), 0x8000 | 100);
             EXPECT_EQ(c.GetCt4() & 0x8000, 0x8000);
         }},
        {"model without 4f shows and stores Hvězda",
         [](CVKTConfig& c, CIden& i) {
             c.SetConnection(5);
             i.family = CIden::kFamilyAnalyser;
             i.model = 0x2110; // index 38
         },
         [](const VKTInstallFields& f) { EXPECT_EQ(f.connectionType, 2); }, [](VKTInstallFields& f) {
             f.connectionType = 5;
         },
         [](const CVKTConfig& c) { EXPECT_EQ(c.GetConnection(), 2); }},
        {"display byte", [](CVKTConfig& c, CIden&) { c.SetDisplay(0x30 | 3); },
         [](const VKTInstallFields& f) {
             EXPECT_EQ(f.displayMode, 1); // 3 reads as "zvolené"
             EXPECT_EQ(f.displayQuantity, 3);
         },
         [](VKTInstallFields& f) {
             f.displayQuantity = 5;
             f.displayMode = 2;
             f.brightness = 1;
         },
         [](const CVKTConfig& c) { EXPECT_EQ(c.GetDisplay(), 5 + 16 * 2 + 64 * 1); }},
        {"port 65535 kept", [](CVKTConfig& c, CIden&) { c.SetIpPort(65535); },
         [](const VKTInstallFields& f) { EXPECT_EQ(f.port, 65535); }, [](VKTInstallFields&) {},
         [](const CVKTConfig& c) { EXPECT_EQ(c.GetIpPort(), 65535); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVKTConfig config;
        config.SetCtPrimary(100);
        CIden iden;
        c.stored(config, iden);
        VKTInstallFields f;
        f.FromRecord(config, QString(), iden);
        c.shown(f);
        c.edit(f);
        QString modem;
        f.ToRecord(config, modem);
        c.back(config);
    }
}

TEST(VKTInstallPage, PortAboveRangeIsRefusedAndNominalPowerScales)
{
    ui::ScriptedMessageBoxes boxes;
    CVKTConfig config;
    config.SetVtPrimary(220);
    config.SetCtPrimary(0x8000 | 200); // 40
    config.SetCt4(100);
    config.SetNominalPower(500.0f);
    QString modem;
    CIden iden = Vkt485();
    iden.model = 0x2300; // Ethernet
    CVKTDetailInstalace page;
    page.SetData(&config, &modem, &iden);
    page.ShowFields();
    EXPECT_EQ(Text(page, 1150), QStringLiteral("4400")); // 40 x 220 x 500 / 1000
    EXPECT_EQ(Text(page, 1125), QStringLiteral("Přes MTN"));
    SetEdit(page, 1145, QStringLiteral("65536"));
    EXPECT_FALSE(page.TakeControls());
    EXPECT_EQ(boxes.Requests().size(), 1u);
    SetEdit(page, 1145, QStringLiteral("65535"));
    EXPECT_TRUE(page.TakeControls());
    page.GetData();
    EXPECT_EQ(config.GetIpPort(), 65535);
    EXPECT_FLOAT_EQ(config.GetNominalPower(), 500.0f);
}

TEST(VKTOutputFields, RecordToPageAndBack)
{
    CIden relays;
    relays.i1 = 1;
    {
        SCOPED_TRACE("hysteresis above 50 is no setting: shown and stored as 0");
        CVKTOutputConfig o;
        o.SetHysteresis(0, 6000);
        VKTOutputFields f;
        f.FromRecord(o, relays);
        EXPECT_DOUBLE_EQ(f.relays[0].hysteresis, 0.0);
        f.ToRecord(o);
        EXPECT_EQ(o.GetHysteresis(0), 0);
    }
    {
        SCOPED_TRACE("U-LL phase 5 shows as 4 and stores 5");
        CVKTOutputConfig o;
        o.SetQuantity(0, 1);
        o.SetFunction(0, 5);
        VKTOutputFields f;
        f.FromRecord(o, relays);
        EXPECT_EQ(f.relays[0].phase, 4);
        EXPECT_EQ(PhaseItems(1, true).size(), 5);
        EXPECT_EQ(PhaseItems(1, true)[4], QStringLiteral("Všechny L1,L2,L3"));
        f.ToRecord(o);
        EXPECT_EQ(o.GetFunction(0), 5);
    }
    {
        SCOPED_TRACE("inactive relay: no-value marker");
        CVKTOutputConfig o;
        o.SetLimit(1, TRUE, 3.0f);
        VKTOutputFields f;
        f.FromRecord(o, relays);
        f.relays[1].active = false;
        f.ToRecord(o);
        BOOL set = TRUE;
        float v = 0.0f;
        o.GetLimit(1, set, v);
        EXPECT_FALSE(set);
    }
    {
        SCOPED_TRACE("one pulse output fills both slots");
        CIden mixed;
        mixed.i1 = 3;
        CVKTOutputConfig o;
        VKTOutputFields f;
        f.FromRecord(o, mixed);
        f.send1 = true;
        f.kind1 = 2;
        f.rate1 = 1000.0;
        f.ToRecord(o);
        EXPECT_TRUE(o.GetSending(1));
        EXPECT_TRUE(o.GetSending(2));
        EXPECT_EQ(o.GetOutputMode(2), 2);
        EXPECT_EQ(o.GetPulseConstant(1), 10000);
    }
    EXPECT_EQ(PhaseItems(11, false), QStringList{QStringLiteral("1")});
    EXPECT_EQ(LimitUnit(11), QStringLiteral("Hz"));
    EXPECT_EQ(HysteresisUnit(2), QStringLiteral("% přepínací meze"));
}

TEST(VKTRecordFields, PeriodsAndPowerPacking)
{
    struct Period {
        int stored;
        int index;
    };
    for (const Period& p : {Period{7, 4}, Period{10, 4}, Period{3600, 19}, Period{3601, 13}, Period{5000, 13},
                            Period{1, 0}})
        EXPECT_EQ(PeriodIndex(p.stored), p.index) << p.stored;
    EXPECT_EQ(PackPowerByte(0x0F, true), 0x07);
    EXPECT_EQ(PackPowerByte(0x1F, true), 0x1F);
    EXPECT_EQ(PackPowerByte(0x2F, true), 0x27); // the sum is implied with import and export apart too
    EXPECT_EQ(PackPowerByte(0x2F, false), 0x27);

    // The period sent is the one shown, also for stored periods not in the list.
    struct Shown {
        int stored;
        const char* text;
        int sent;
    };
    for (const Shown& row : {Shown{7, "10 sec.", 10}, Shown{5000, "  6 min.", 360}}) {
        CVKTStatus status;
        status.GetArch().SetInterval(WORD(row.stored));
        CVKTNoteBook notebook;
        CVKTDetailZaznam page;
        page.SetData(&status, &notebook);
        page.ShowFields();
        EXPECT_EQ(page.ControlText(1162), QString::fromLatin1(row.text)) << row.stored;
        page.TakeControls();
        page.GetData();
        EXPECT_EQ(status.GetArch().GetInterval(), row.sent) << row.stored;
    }
    CVKTStatus status;
    CVKTNoteBook notebook;
    CVKTDetailZaznam page;
    page.SetData(&status, &notebook);
    page.ShowFields();
    // Choosing another period takes it.
    page.Ctl<QComboBox>(1162)->setCurrentIndex(4);
    page.TakeControls();
    page.GetData();
    EXPECT_EQ(status.GetArch().GetInterval(), 10);
}

TEST(VKTRecordPage, GridClicksPackTheBytes)
{
    CVKTStatus status;
    CVKTNoteBook notebook;
    CVKTDetailZaznam page;
    page.SetData(&status, &notebook);
    page.show();
    page.ShowFields();
    for (int id : {1051, 1048, 1049, 1050})
        Click(page.Ctl<QCheckBox>(id));
    page.GetData();
    EXPECT_EQ(status.GetArch().GetSelection(CVKTArch::SelActivePower), 0x07);
    // All three phases with the average only: the three-phase box is implied,
    // shown checked and disabled; the power factor follows P and S.
    EXPECT_FALSE(page.IsEnabledCtl(1051));
    EXPECT_TRUE(page.IsChecked(1051));
    EXPECT_FALSE(page.IsChecked(1060));
    for (int id : {1056})
        Click(page.Ctl<QCheckBox>(id));
    EXPECT_TRUE(page.IsChecked(1060));
    EXPECT_FALSE(page.IsEnabledCtl(1060));
    Click(page.Ctl<QRadioButton>(1168));
    page.GetData();
    // Enabled again, the box has its own value back.
    EXPECT_TRUE(page.IsEnabledCtl(1051));
    EXPECT_EQ(status.GetArch().GetSelection(CVKTArch::SelActivePower), 0x1F);
    // Frequency with its minimum and maximum.
    Click(page.Ctl<QCheckBox>(1040));
    Click(page.Ctl<QRadioButton>(1164));
    page.GetData();
    EXPECT_EQ(status.GetArch().GetSelection(CVKTArch::SelFlags), 0x11);
    // Harmonic order controls follow the harmonics boxes.
    EXPECT_FALSE(page.IsEnabledCtl(1161));
    Click(page.Ctl<QCheckBox>(1068));
    EXPECT_TRUE(page.IsEnabledCtl(1161));
}

TEST(VKTDetailTest, ReadEditSendAndReread)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    FakeVKTSettings io;
    FillInstrument(io);
    CVKTDetail sheet(CVKTDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io));
    sheet.show();
    EXPECT_EQ(Text(sheet.Instalace(), 1143), QStringLiteral("485"));
    EXPECT_EQ(Text(sheet.Instalace(), 1140), QStringLiteral("AT&F0"));
    EXPECT_EQ(Text(sheet.Zaznam(), 1150), QStringLiteral("Jih"));
    EXPECT_DOUBLE_EQ(sheet.Vystupy().Fields().relays[0].limit, 160.0);

    SetEdit(sheet.Instalace(), 1138, QStringLiteral("17"));
    QTest::mouseClick(sheet.Instalace().findChild<QPushButton*>(QStringLiteral("1142")), Qt::LeftButton);
    EXPECT_EQ(io.config.GetBusAddress(), 17);
    EXPECT_EQ(io.configRecords, 1);

    sheet.SetActivePage(1);
    SetEdit(sheet.Vystupy(), 1195, QStringLiteral("80"));
    QTest::mouseClick(sheet.Vystupy().findChild<QPushButton*>(QStringLiteral("1199")), Qt::LeftButton);
    BOOL set = FALSE;
    float limit = 0.0f;
    io.outputs.GetLimit(0, set, limit);
    EXPECT_FLOAT_EQ(limit, 2.0f); // 80 A over 200/5

    sheet.SetActivePage(2);
    sheet.Zaznam().Ctl<QComboBox>(1162)->setCurrentIndex(8);
    QTest::mouseClick(sheet.Zaznam().findChild<QPushButton*>(QStringLiteral("1183")), Qt::LeftButton);
    EXPECT_EQ(io.status.GetArch().GetInterval(), 60);
    EXPECT_EQ(io.resyncs, 1);
    EXPECT_EQ(io.events.size(), 3);

    sheet.OnReceiveAll();
    EXPECT_EQ(Text(sheet.Instalace(), 1138), QStringLiteral("17"));
    EXPECT_DOUBLE_EQ(sheet.Vystupy().Fields().relays[0].limit, 80.0);
    EXPECT_EQ(sheet.Zaznam().Fields().period, 60);
}

// A failed installation send says what the link says; a recording send whose
// clock could not be set is a failure, not a success.
TEST(VKTDetailTest, FailedSendsAreReportedAsFailures)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    FakeVKTSettings io;
    FillInstrument(io);
    CVKTDetail sheet(CVKTDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io));
    sheet.show();

    io.Script("WriteConfig", {false, false, false});
    io.errorText = QStringLiteral("Chyba komunikace - přístroj neodpověděl.");
    QTest::mouseClick(sheet.Instalace().findChild<QPushButton*>(QStringLiteral("1142")), Qt::LeftButton);
    ASSERT_FALSE(boxes.Requests().empty());
    EXPECT_EQ(boxes.Requests().back().text, io.errorText);
    EXPECT_EQ(boxes.Requests().back().caption, QStringLiteral("CHYBA"));

    sheet.SetActivePage(2);
    io.Script("SetClock", {false, false, false});
    const std::size_t before = boxes.Requests().size();
    QTest::mouseClick(sheet.Zaznam().findChild<QPushButton*>(QStringLiteral("1183")), Qt::LeftButton);
    ASSERT_EQ(boxes.Requests().size(), before + 2); // the question, then the failure
    EXPECT_EQ(boxes.Requests().back().text, QStringLiteral("Přístroj neodpovídá !"));
}

TEST(VKTDetailTest, NoAnswerOffersAFileAndABrokenFileChangesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kratky.vts"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x01\x02\x03");
    }
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ScriptedFiles files(path);
    FakeVKTSettings io;
    io.Script("ReadConfig", {false, false, false});
    CVKTDetail sheet(CVKTDetail::TitleFor(io.Name()));
    EXPECT_FALSE(sheet.ReadFromDevice(io));
    ASSERT_GE(boxes.Requests().size(), 2u);
    EXPECT_TRUE(boxes.Requests()[1].text.contains(QStringLiteral("Soubor se nepodařilo otevřít.")));
    EXPECT_EQ(sheet.Settings().modem, QString());

    // A good file is taken whole.
    CVKTSettings good;
    good.modem = QStringLiteral("ATZ");
    QString error;
    ASSERT_TRUE(SaveVKTSettingsFile(path, good, QString(), error));
    io.Script("ReadConfig", {false, false, false});
    EXPECT_TRUE(sheet.ReadFromDevice(io));
    EXPECT_EQ(sheet.Settings().modem, QStringLiteral("ATZ"));
}

TEST(VKTDetailTest, SaveWritesWhatThePagesShow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ulozeno.vts"));
    ui::ScriptedMessageBoxes boxes;
    ScriptedFiles files(path);
    FakeVKTSettings io;
    FillInstrument(io);
    CVKTDetail sheet(CVKTDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io));
    SetEdit(sheet.Instalace(), 1140, QStringLiteral("ATDT123"));
    sheet.OnSave();
    // The dialog offers the VKT settings files and gives a bare name their ending.
    EXPECT_EQ(files.offered.filter, QStringLiteral("Soubor nastavení(*.vts) (*.vts)"));
    EXPECT_EQ(files.offered.ending, QStringLiteral("vts"));
    CVKTSettings back;
    QString error;
    ASSERT_TRUE(LoadVKTSettingsFile(path, back, error)) << error.toStdString();
    EXPECT_EQ(back.modem, QStringLiteral("ATDT123"));
    EXPECT_EQ(back.config.GetVtPrimary(), 220);
}

namespace {

QString PdfText(const QString& pdf, int* pages)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    *pages = m.hasMatch() ? m.captured(1).toInt() : 0;
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    text.waitForFinished(30000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

} // namespace

TEST(VKTDetailTest, PrintsAllThreeSectionsWithTheLocalTime)
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
    // 00:02:03 UTC is 01:02:03 in Prague, the time the user's clock shows.
    CVKTDetail::SetPrintClock([] { return QDateTime(QDate(2026, 12, 10), QTime(0, 2, 3), Qt::UTC); });
    FakeVKTSettings io;
    FillInstrument(io);
    CVKTDetail sheet(CVKTDetail::TitleFor(io.Name()));
    ASSERT_TRUE(sheet.ReadFromDevice(io));
    sheet.show();
    sheet.OnPrint();
    controllers::SetPrinterChooser(std::move(previous));
    CVKTDetail::SetPrintClock({});
    int pages = 0;
    const QString text = PdfText(pdf, &pages);
    EXPECT_GE(pages, 1);
    for (const char* expected : {"Nastavení přístroje (Trafostanice)", "10.12.26 01:02:03", "220 / 100",
                                 "200 / 5", "Relé 1", "160.0", "Název záznamu:", "Jih", "15 min."})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("00:02:03"))) << text.toStdString();
}

TEST(VKTDetailStaticTest, ShowsInstallationAndRecordingOnlyWithAStatus)
{
    FakeVKTSettings io;
    FillInstrument(io);
    CVKTDetailStatic without(QStringLiteral("Nastavení"));
    ASSERT_TRUE(without.SetSettings(io.config, io.iden, nullptr));
    EXPECT_EQ(without.GetPageCount(), 1);
    CVKTDetailStatic with(QStringLiteral("Nastavení"));
    ASSERT_TRUE(with.SetSettings(io.config, io.iden, &io.status));
    EXPECT_EQ(with.GetPageCount(), 2);
    EXPECT_TRUE(with.Instalace().IsReadOnly());
    EXPECT_EQ(with.Instalace().ControlText(1129), QStringLiteral("220"));
}

TEST(VKTDetailStaticTest, ProfileGivesTheInstallationWithoutRecording)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FakeVKTSettings io;
    FillInstrument(io);
    charts::CVKTProfileFile file;
    file.head.name = QStringLiteral("rozvodna");
    file.head.type = charts::kProfileTypeVKT;
    file.iden = io.iden;
    file.config = io.config;
    const QString path = dir.filePath(QStringLiteral("rozvodna.pro"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(charts::StoreProfileFile(file, 15));
    out.close();
    CVKTProfileData profile;
    profile.SetPath(path);
    CVKTDetailStatic sheet(QStringLiteral("Nastavení"));
    ASSERT_TRUE(sheet.LoadFromProfile(profile));
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.Instalace().ControlText(1129), QStringLiteral("220"));

    // A file that cannot be read gives no sheet.
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write("x");
    out.close();
    CVKTDetailStatic broken(QStringLiteral("Nastavení"));
    EXPECT_FALSE(broken.LoadFromProfile(profile));
}

TEST(VKTRecordPage, CapacityInDaysHoursAndMinutes)
{
    EXPECT_EQ(CapacityText(0, 40, 60), QStringLiteral("--"));
    // 1 MB of 40-byte records every minute: 26214 minutes.
    EXPECT_EQ(CapacityText(1048576, 40, 60), QStringLiteral("18 dnů, 4 hodin, 54 minut"));
    EXPECT_EQ(CapacityText(1000, 0, 60), QStringLiteral("1000 dnů, 0 hodin, 0 minut"));
}

