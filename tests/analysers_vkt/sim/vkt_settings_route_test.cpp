// The VKT settings sheet sends what it shows: records are loaded into a
// simulated analyser, the sheet is opened from the instrument list, a page's
// "Vyšli" is pressed with or without a change, and the analyser then holds
// the loaded record except what the change or the page's own rules alter.
#include "analysers_vk/LiveRoutes.h"

#include "analysers_vkt/VKTAktMer.h"
#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTDetailInstalace.h"
#include "analysers_vkt/VKTDetailVystupy.h"
#include "analysers_vkt/VKTDetailZaznam.h"
#include "model/VKTConfig.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTStatus.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace analysers_vkt;

constexpr int kOutputs = 0x30;
constexpr int kStatus = 0x14;
constexpr std::size_t kArchAt = 26; // the archive description in the status

// Relay 1 on the frequency above 49.95 Hz with 10 % hysteresis; pulse
// outputs of two kinds.
CVKTOutputConfig SampleOutputs()
{
    CVKTOutputConfig o;
    o.SetOutputMode(1, 0);
    o.SetOutputMode(2, 1);
    o.SetPulseConstant(0, 1000);
    o.SetPulseConstant(1, 2000);
    o.SetLimit(0, TRUE, 49.95f);
    o.SetQuantity(0, 11);
    o.SetFunction(0, 0);
    o.SetHysteresis(0, 1000);
    o.SetBlockingTime(0, 30);
    o.SetLimit(1, FALSE, 0.0f);
    return o;
}

// Three voltages, three currents, the active power of L1-L3 with its sum.
CVKTArch SampleArch()
{
    CVKTArch a;
    a.SetInterval(600);
    a.SetSelection(CVKTArch::SelVoltage, 0x07);
    a.SetSelection(CVKTArch::SelCurrent, 0x07);
    a.SetSelection(CVKTArch::SelActivePower, 0x07);
    a.SetSelection(CVKTArch::SelOrders, 0x81);
    return a;
}

sim::Bytes Arch(const sim::Bytes& status)
{
    return sim::Bytes(status.begin() + std::ptrdiff_t(kArchAt), status.end());
}

struct Row {
    const char* name;
    std::function<void(CVKTOutputConfig&, CVKTArch&)> load; // the analyser's records, from the samples
    int page;                                               // 1 outputs, 2 recording
    std::function<void(CVKTDetail&)> edit;
    std::function<void(CVKTOutputConfig&, CVKTArch&)> sent; // how the sent records differ
    const char* shown = nullptr;                            // the period list's text, recording rows
    const char* capacity = nullptr; // "Kapacita paměti" as the sheet opens, recording rows
};

void Nothing(CVKTOutputConfig&, CVKTArch&) {}
void Untouched(CVKTDetail&) {}

// A recording start, local time.
platform::CTime StartAt(int day, int hour, int minute)
{
    return platform::CTime(
        platform::CTime::time_type(QDateTime(QDate(2027, 1, day), QTime(hour, minute)).toSecsSinceEpoch()));
}

void StartsAtEight(CVKTOutputConfig&, CVKTArch& a)
{
    a.SetStartTime(StartAt(15, 8, 0), FALSE);
}

// The user sets the start: a day later in the date picker, whose date the
// time picker follows, then the time typed into the time picker.
void StartHalfPastSixNextDay(CVKTDetail& s)
{
    auto* time = s.Zaznam().findChild<QDateTimeEdit*>(QStringLiteral("1179"));
    auto* date = s.Zaznam().findChild<QDateTimeEdit*>(QStringLiteral("1180"));
    ASSERT_TRUE(time && date);
    EXPECT_EQ(time->text(), QStringLiteral("08:00:00"));
    EXPECT_EQ(date->text(), QStringLiteral("15.01.2027"));
    date->setFocus();
    date->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(date, Qt::Key_Up);
    EXPECT_EQ(date->text(), QStringLiteral("16.01.2027"));
    EXPECT_EQ(time->date(), QDate(2027, 1, 16));
    time->setFocus();
    time->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(time, QStringLiteral("06"));
    time->setSelectedSection(QDateTimeEdit::MinuteSection);
    QTest::keyClicks(time, QStringLiteral("30"));
    EXPECT_EQ(time->text(), QStringLiteral("06:30:00"));
}

const Row kRows[] = {
    {"OutputsUntouched", Nothing, 1, Untouched, Nothing},
    {"OutputsLimitIsShownWhole", Nothing, 1,
     [](CVKTDetail& s) { EXPECT_EQ(s.Vystupy().ControlText(1195), QStringLiteral("49.95")); }, Nothing},
    {"OutputsHysteresisBeyondHalfIsSentAsShown", [](CVKTOutputConfig& o, CVKTArch&) { o.SetHysteresis(0, 6000); },
     1,
     [](CVKTDetail& s) { EXPECT_EQ(s.Vystupy().ControlText(1196), QStringLiteral("0")); },
     [](CVKTOutputConfig& o, CVKTArch&) { o.SetHysteresis(0, 0); }},
    {"OutputsBlockingTime", Nothing, 1,
     [](CVKTDetail& s) { s.Vystupy().Ctl<QLineEdit>(1197)->setText(QStringLiteral("45")); },
     [](CVKTOutputConfig& o, CVKTArch&) { o.SetBlockingTime(0, 45); }},
    {"OutputsLimitTyped", Nothing, 1,
     [](CVKTDetail& s) { s.Vystupy().Ctl<QLineEdit>(1195)->setText(QStringLiteral("50.5")); },
     [](CVKTOutputConfig& o, CVKTArch&) { o.SetLimit(0, TRUE, 50.5f); }},
    // The analyser's ring holds 9000 records of the sample's 32 bytes: the
    // capacity of a period of P seconds is 150 x P minutes.
    {"RecordingUntouched", Nothing, 2, Untouched, Nothing, "10 min.", "62 dnů, 12 hodin, 0 minut"},
    {"RecordingPeriodBetweenEntries", [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(7); }, 2, Untouched,
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(10); }, "10 sec.", "1 dnů, 1 hodin, 0 minut"},
    {"RecordingPeriodBeyondTheList", [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(5000); }, 2, Untouched,
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(360); }, "  6 min.", "37 dnů, 12 hodin, 0 minut"},
    {"RecordingImpliedSumWithImportAndExportApart",
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetSelection(CVKTArch::SelActivePower, 0x2F); }, 2, Untouched,
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetSelection(CVKTArch::SelActivePower, 0x27); }, "10 min."},
    {"RecordingStartTime", StartsAtEight, 2, StartHalfPastSixNextDay,
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetStartTime(StartAt(16, 6, 30), FALSE); }},
    {"RecordingPeriodChosen", Nothing, 2,
     [](CVKTDetail& s) { routetest::ProgramWithInstrument::Choose(s.Zaznam().Ctl<QComboBox>(1162), 8); },
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(60); }},
};

class VKTSettingsRouteTest : public ::testing::TestWithParam<Row> {};

TEST_P(VKTSettingsRouteTest, OnlyWhatThePageShowsReachesTheAnalyser)
{
    const Row& row = GetParam();
    CVKTOutputConfig outputs = SampleOutputs();
    CVKTArch arch = SampleArch();
    row.load(outputs, arch);
    sim::Instrument instrument(sim::Family::VKT, 1);
    instrument.blocks[kOutputs] = routetest::ImageOf(outputs);
    const sim::Bytes archImage = routetest::ImageOf(arch);
    std::copy(archImage.begin(), archImage.end(), instrument.blocks[kStatus].begin() + std::ptrdiff_t(kArchAt));
    instrument.FillArchive(0, 9000, std::size_t(arch.GetRecordSize()), 0);
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVKT);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);

    program.EditPageAndSend<CVKTDetail>(
        row.page,
        [&](CVKTDetail& sheet) {
            if (row.shown) {
                EXPECT_EQ(sheet.Zaznam().ControlText(1162), QString::fromLatin1(row.shown));
            }
            if (row.capacity) {
                EXPECT_EQ(sheet.Zaznam().ControlText(1181), QString::fromUtf8(row.capacity));
            }
            row.edit(sheet);
        },
        row.page == 1 ? 1199 : 1183);

    row.sent(outputs, arch);
    routetest::ExpectSameBytes(program.Block(1, kOutputs), routetest::ImageOf(outputs));
    routetest::ExpectSameBytes(Arch(program.Block(1, kStatus)), routetest::ImageOf(arch));
    routetest::ExpectNoError(boxes);
}

INSTANTIATE_TEST_SUITE_P(Fields, VKTSettingsRouteTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr int kConfig = 0x26;
constexpr int kModem = 0x28;

// 22 kV through transformers on four inputs, 200/5 A, a star at 50 Hz with
// 22 kV and 4.4 MW nominal; Modbus with even parity at 9600 Bd, address 7;
// the display rotating through the currents at medium brightness.
CVKTConfig SampleConfig()
{
    CVKTConfig c;
    c.SetVtPrimary(220);
    c.SetVt4(220);
    c.SetCtPrimary(0x8000 | 200);
    c.SetCt4(0x8000 | 100);
    c.SetConnection(CVKTConfig::Star);
    c.SetNominalFrequency(50);
    c.SetRemoteOptions(0x02);
    c.SetBusAddress(7);
    c.SetLineSpeed(1);
    c.SetIpAddress(0xC0A80114);
    c.SetIpPort(502);
    c.SetNominalVoltage(100.0f);
    c.SetNominalPower(500.0f);
    c.SetDisplay(0x42);
    return c;
}

// Current limits are held in secondary amperes and shown in primary ones:
// relay 1 on the main transformers, relay 2 on the fourth input's. Limits
// whose product with the ratio does not divide back to the same float are
// the ones a careless round trip moves.
struct HeldLimitRow {
    const char* name;
    WORD ctPrimary, ct4;
    float limit1, limit2;
    const char* shown1;   // relay 1's limit as the page shows it
    const char* typed1;   // typed over relay 1's limit, or none
    float sent1;          // what relay 1 then holds
};

const HeldLimitRow kHeldLimitRows[] = {
    {"FortyAndTwenty", 0x8000 | 200, 0x8000 | 100, 3.99f, 3.99f, "159.6", nullptr, 3.99f},
    {"FortyAndTwentySmall", 0x8000 | 200, 0x8000 | 100, 0.47f, 0.23f, "18.8", nullptr, 0.47f},
    {"SevenAndTen", 0x8000 | 35, 0x8000 | 50, 0.09f, 0.48f, "0.63", nullptr, 0.09f},
    {"OneAmpereSecondary", 150, 100, 0.37f, 0.12f, "55.5", nullptr, 0.37f},
    {"TypedLimitIsDividedAndTheOtherKept", 0x8000 | 200, 0x8000 | 100, 3.99f, 0.47f, "159.6", "100", 2.5f},
};

class VKTHeldLimitTest : public ::testing::TestWithParam<HeldLimitRow> {};

TEST_P(VKTHeldLimitTest, ALimitLeftAloneReachesTheAnalyserAsItHeldIt)
{
    const HeldLimitRow& row = GetParam();
    CVKTConfig config = SampleConfig();
    config.SetCtPrimary(row.ctPrimary);
    config.SetCt4(row.ct4);
    CVKTOutputConfig outputs = SampleOutputs();
    outputs.SetQuantity(0, 2);
    outputs.SetFunction(0, 0);
    outputs.SetLimit(0, TRUE, row.limit1);
    outputs.SetQuantity(1, 2);
    outputs.SetFunction(1, 3);
    outputs.SetLimit(1, TRUE, row.limit2);
    outputs.SetHysteresis(1, 500);
    sim::Instrument instrument(sim::Family::VKT, 1);
    instrument.blocks[kConfig] = routetest::ImageOf(config);
    instrument.blocks[kOutputs] = routetest::ImageOf(outputs);
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVKT);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);

    program.EditPageAndSend<CVKTDetail>(
        1,
        [&](CVKTDetail& sheet) {
            EXPECT_EQ(sheet.Vystupy().ControlText(1195), QString::fromLatin1(row.shown1));
            if (row.typed1)
                routetest::TypeInto(sheet.Vystupy().Ctl<QLineEdit>(1195), QString::fromLatin1(row.typed1));
        },
        1199);

    outputs.SetLimit(0, TRUE, row.sent1);
    routetest::ExpectSameBytes(program.Block(1, kOutputs), routetest::ImageOf(outputs));
    routetest::ExpectNoError(boxes);
}

sim::Bytes ModemImage(const char* text)
{
    return routetest::TextImage(text, 32);
}

struct InstallRecords {
    CVKTConfig config = SampleConfig();
    sim::Bytes modem = ModemImage("AT&F");
};

struct InstallRow {
    const char* name;
    std::function<void(InstallRecords&)> load;
    std::function<void(CVKTDetailInstalace&)> edit;
    std::function<void(InstallRecords&)> sent;
};

void Same(InstallRecords&) {}
void NoEdit(CVKTDetailInstalace&) {}

std::function<void(CVKTDetailInstalace&)> Typed(int id, const char* text)
{
    return [id, text](CVKTDetailInstalace& page) {
        routetest::TypeInto(page.Ctl<QLineEdit>(id), QString::fromLatin1(text));
    };
}

std::function<void(CVKTDetailInstalace&)> Chosen(int id, int index)
{
    return [id, index](CVKTDetailInstalace& page) {
        routetest::ProgramWithInstrument::Choose(page.Ctl<QComboBox>(id), index);
    };
}

const InstallRow kInstallRows[] = {
    {"NothingTouched", Same, NoEdit, Same},
    {"DirectVoltage", Same, Chosen(1125, 0),
     [](InstallRecords& r) {
         r.config.SetVtPrimary(CVKTConfig::kUnset);
         r.config.SetVt4(CVKTConfig::kUnset);
         r.config.SetNominalVoltage(22000.0f);
         r.config.SetNominalPower(110000.0f);
     }},
    {"VoltageRatioKeepsNominalValues", Same, Typed(1129, "1100"),
     [](InstallRecords& r) {
         r.config.SetVtPrimary(1100);
         r.config.SetNominalVoltage(20.0f);
         r.config.SetNominalPower(100.0f);
     }},
    {"CurrentPrimaryKeepsNominalValues", Same, Typed(1131, "400"),
     [](InstallRecords& r) {
         r.config.SetCtPrimary(0x8000 | 400);
         r.config.SetCt4(0x8000 | 100);
         r.config.SetNominalPower(250.0f);
     }},
    {"CurrentSecondaryGoesToBothInputs", Same, Chosen(1130, 0),
     [](InstallRecords& r) {
         r.config.SetCtPrimary(200);
         r.config.SetCt4(100);
         r.config.SetNominalPower(100.0f);
     }},
    {"NominalPower", Same, Typed(1150, "2200"), [](InstallRecords& r) { r.config.SetNominalPower(250.0f); }},
    {"Connection", Same, Chosen(1126, 3), [](InstallRecords& r) { r.config.SetConnection(CVKTConfig::Delta); }},
    {"Frequency", Same, Chosen(1128, 1), [](InstallRecords& r) { r.config.SetNominalFrequency(60); }},
    {"Parity", Same, Chosen(1136, 2), [](InstallRecords& r) { r.config.SetRemoteOptions(0x03); }},
    {"Address", Same, Typed(1138, "200"), [](InstallRecords& r) { r.config.SetBusAddress(200); }},
    {"Rate", Same, Chosen(1137, 3), [](InstallRecords& r) { r.config.SetLineSpeed(3); }},
    {"ModemAndItsString", Same,
     [](CVKTDetailInstalace& page) {
         page.Ctl<QCheckBox>(1139)->click();
         Typed(1140, "ATZ")(page);
     },
     [](InstallRecords& r) {
         r.config.SetRemoteOptions(0x82);
         r.modem = ModemImage("ATZ");
     }},
    {"DisplayBrightness", Same, Chosen(1147, 2), [](InstallRecords& r) { r.config.SetDisplay(0x82); }},
    {"DisplayedQuantity", Same, Chosen(1134, 15), [](InstallRecords& r) { r.config.SetDisplay(0x4F); }},
};

class VKTInstallationRouteTest : public ::testing::TestWithParam<InstallRow> {};

TEST_P(VKTInstallationRouteTest, OnlyTheChangedFieldReachesTheAnalyser)
{
    const InstallRow& row = GetParam();
    InstallRecords loaded;
    row.load(loaded);
    InstallRecords expected = loaded;
    row.sent(expected);
    sim::Instrument instrument(sim::Family::VKT, 1);
    instrument.identification[2] = 0x21; // a VKT on RS-485
    instrument.identification[3] = 0x00;
    instrument.blocks[kOutputs] = routetest::ImageOf(SampleOutputs());
    instrument.blocks[kConfig] = routetest::ImageOf(loaded.config);
    instrument.blocks[kModem] = loaded.modem;
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVKT);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);

    program.EditPageAndSend<CVKTDetail>(0, [&](CVKTDetail& sheet) { row.edit(sheet.Instalace()); }, 1142);
    {
        SCOPED_TRACE("installation");
        routetest::ExpectSameBytes(program.Block(1, kConfig), routetest::ImageOf(expected.config));
    }
    {
        SCOPED_TRACE("modem string");
        routetest::ExpectSameBytes(program.Block(1, kModem), expected.modem);
    }
    routetest::ExpectNoError(boxes);
}

// OK sends nothing itself: the sheet comes back with what the analyser holds
// then. A page's send shows as sent, an edit left unsent is gone, and a
// change made at the analyser meanwhile shows.
TEST(VKTSettingsAfterOk, TheSheetComesBackWithWhatTheAnalyserNowHolds)
{
    CVKTOutputConfig outputs = SampleOutputs();
    sim::Instrument instrument(sim::Family::VKT, 1);
    instrument.identification[2] = 0x21; // a VKT on RS-485
    instrument.identification[3] = 0x00;
    instrument.blocks[kOutputs] = routetest::ImageOf(outputs);
    instrument.blocks[kConfig] = routetest::ImageOf(SampleConfig());
    instrument.blocks[kModem] = ModemImage("AT&F");
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVKT);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);

    const int passes = program.SettingsFromInstrumentList([&](QDialog& dialog, int pass) {
        auto* sheet = qobject_cast<CVKTDetail*>(&dialog);
        if (!sheet || pass > 1) {
            ADD_FAILURE() << "pass " << pass << ": " << dialog.windowTitle().toStdString();
            routetest::ProgramWithInstrument::Close(dialog);
            return;
        }
        if (pass == 0) {
            sheet->Tabs()->setCurrentIndex(1);
            routetest::TypeInto(sheet->Vystupy().Ctl<QLineEdit>(1197), QStringLiteral("45"));
            sheet->Vystupy().findChild<QPushButton*>(QStringLiteral("1199"))->click();
            sheet->Tabs()->setCurrentIndex(0);
            sheet->Instalace().Ctl<QCheckBox>(1139)->click();
            routetest::TypeInto(sheet->Instalace().Ctl<QLineEdit>(1140), QStringLiteral("ATZ"));
            // Someone at the analyser's own panel, or another program.
            program.line.WithInstrument(1, [](sim::Instrument& i) { i.blocks[kModem] = ModemImage("ATH"); });
            sheet->Button(ui::CPropertySheet::IdOk)->click();
            return;
        }
        EXPECT_EQ(sheet->Vystupy().ControlText(1197), QStringLiteral("45"));
        EXPECT_EQ(sheet->Instalace().ControlText(1140), QStringLiteral("ATH"));
        EXPECT_FALSE(sheet->Instalace().Ctl<QCheckBox>(1139)->isChecked());
        routetest::ProgramWithInstrument::Close(dialog);
    });

    EXPECT_EQ(passes, 2);
    outputs.SetBlockingTime(0, 45);
    routetest::ExpectSameBytes(program.Block(1, kOutputs), routetest::ImageOf(outputs));
    routetest::ExpectSameBytes(program.Block(1, kConfig), routetest::ImageOf(SampleConfig()));
    routetest::ExpectSameBytes(program.Block(1, kModem), ModemImage("ATH"));
    routetest::ExpectNoError(boxes);
}

TEST(VKTLiveSheetCommands, TheMainWindowsFileCommandsReachTheOpenSheet)
{
    routetest::ProgramWithInstrument program(sim::Instrument(sim::Family::VKT, 1), CPristroj::kVKT);
    ui::CView* view = OpenVKTLive(program.app->DocManager(), *program.entry);
    ASSERT_NE(view, nullptr);
    routetest::ExpectFileCommandsReachTheLiveSheet(*program.app->MainFrame(), *view);
    view->GetDocument()->OnCloseDocument();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

INSTANTIATE_TEST_SUITE_P(Ratios, VKTHeldLimitTest, ::testing::ValuesIn(kHeldLimitRows),
                         [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Fields, VKTInstallationRouteTest, ::testing::ValuesIn(kInstallRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
