// The VK settings sheet sends what it shows: records are loaded into a
// simulated analyser, the sheet is opened from the instrument list, a page's
// controls are worked and its "Vyšli" is pressed; the analyser then holds
// the loaded records with only what the page changed.
#include "LiveRoutes.h"

#include "analysers_vk/VKAktMer.h"
#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "model/VKConfig.h"
#include "model/VKOutputConfig.h"
#include "model/VKStatus.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace analysers_vk;

constexpr int kStatus = 0x14;

// Three voltages, three currents and cos, every one averaged, under the
// basis "nastavení"; a ring of 1000 records that holds none yet.
CVKStatus SampleStatus(int basis, int voltageChoice)
{
    CVKStatus s;
    s.SetRecordPeriodIndex(11);
    s.SetSamplingMode(basis);
    s.SetVoltageRecording(basis, 3, voltageChoice);
    s.SetCurrentRecording(basis, 3, 0);
    s.SetPowerFactorRecording(basis, 2, 0);
    s.SetCapacity(1000);
    s.SetRecordCount(0);
    return s;
}

sim::Instrument Analyser(const CVKStatus& status)
{
    sim::Instrument instrument(sim::Family::VK, 1);
    instrument.identification[2] = 0x06;
    instrument.identification[3] = 0x0C;
    instrument.identification[5] = 48;
    instrument.SetVersion(0x23);
    instrument.blocks[0x30] = sim::Bytes(30, 0);
    instrument.blocks[kStatus] = routetest::ImageOf(status);
    return instrument;
}

struct Row {
    const char* name;
    int fromBasis, fromVoltage;  // the loaded status
    int toBasis;                 // chosen in "Vzorkovat dle:"
    const char* voltageShown;    // what the voltage and current combos then show
    const char* currentShown;
    int voltageSent, otherSent;  // the choices sent under the new basis
};

const Row kRows[] = {
    {"MinimumOfVoltageUnderItsExtremes", 0, 1, 1, "Minimální hodnota", "Prostý vzorek", 0, 0},
    {"BackToSettingsTakesPlainSamples", 1, 1, 0, "Maximální hodnota", "Prostý vzorek", 2, 3},
};

class VKRecordingRouteTest : public ::testing::TestWithParam<Row> {};

TEST_P(VKRecordingRouteTest, SamplingBasisMovesTheChoicesTheRecordGets)
{
    const Row& row = GetParam();
    const CVKStatus loaded = SampleStatus(row.fromBasis, row.fromVoltage);
    routetest::ProgramWithInstrument program(Analyser(loaded), CPristroj::kVK);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    // The recording page sends its own group with its "Vyšli" (the sheet's
    // own button receives everything again).
    program.EditPageAndSend<CVKDetail>(
        2,
        [&](CVKDetail& sheet) {
            CVKDetailZaznam& page = sheet.Zaznam();
            // An archive that holds nothing yet still lasts as long as its ring.
            EXPECT_NE(page.Ctl<QLabel>(1181)->text(), QStringLiteral("--"));
            routetest::ProgramWithInstrument::Choose(page.Ctl<QComboBox>(1231), row.toBasis);
            EXPECT_EQ(page.ControlText(1233), QString::fromUtf8(row.voltageShown));
            EXPECT_EQ(page.ControlText(1222), QString::fromUtf8(row.currentShown));
        },
        1240);

    CVKStatus sent;
    const sim::Bytes block = program.Block(1, kStatus);
    ASSERT_EQ(block.size(), std::size_t(CVKStatus::kImageSize));
    sent.FromRaw(block.data());
    EXPECT_EQ(sent.GetSamplingMode(), row.toBasis);
    int phases = 0, choice = 0;
    sent.GetVoltageRecording(row.toBasis, phases, choice);
    EXPECT_EQ(phases, 3);
    EXPECT_EQ(choice, row.voltageSent);
    sent.GetCurrentRecording(row.toBasis, phases, choice);
    EXPECT_EQ(choice, row.otherSent);
    sent.GetPowerFactorRecording(row.toBasis, phases, choice);
    EXPECT_EQ(choice, row.otherSent);
    routetest::ExpectNoError(boxes);
}

INSTANTIATE_TEST_SUITE_P(Bases, VKRecordingRouteTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr int kConfig = 0x26;
constexpr int kModem = 0x28;
constexpr int kOutputs = 0x30;

// 22 kV through a transformer with the 100 V secondary, 400/5 A, a star;
// Modbus with even parity at 9600 Bd, address 5; a temperature input of
// -20.0 to 100.0 degrees.
CVKConfig SampleConfig()
{
    CVKConfig c;
    c.SetDirectVoltage(FALSE);
    c.SetVtPrimary(22000);
    c.SetVoltageWord(100);
    c.SetCtRatioDword(0x80000000u | 400);
    c.SetConnection(CVKConfig::Star);
    c.SetNominalPower(630);
    c.SetModbus(TRUE);
    c.SetParity(1);
    c.SetSpeedIndex(7);
    c.SetAddressByte(5);
    c.SetTemperatureAt4mA(-200);
    c.SetTemperatureAt20mA(1000);
    return c;
}

// P1 sends active import at 1000 imp/kWh, P2 is off; relay 1 switches on
// above 110 % of U in all phases with 2.5 % hysteresis and 30 s blocking,
// relay 2 is inactive; analog output 1 carries I1 from 4 mA up to 120 %.
CVKOutputConfig SampleOutputs()
{
    CVKOutputConfig o;
    o.SetPulseSending(1, TRUE);
    o.SetPulseOutputKind(1, 0);
    o.SetPulseConstant(0, 1000.0);
    o.SetPulseSending(2, FALSE);
    o.SetPulseOutputKind(2, 2);
    o.SetPulseConstant(1, 500.0);
    o.SetRelayLevel(0, TRUE, 110.0);
    o.SetHysteresis(0, 2.5);
    o.SetBlockingTime(0, 30);
    o.SetRelayAbove(0, TRUE);
    o.SetRelayFlag6(0, TRUE);
    o.SetRelayQuantity(0, 0);
    o.SetRelayPhase(0, 3);
    o.SetRelayLevel(1, FALSE, 0.0);
    o.SetRelayQuantity(1, 1);
    o.SetRelayPhase(1, 0);
    o.SetAnalogActive(0, TRUE);
    o.SetAnalogFrom4mA(0, TRUE);
    o.SetAnalogQuantity(0, 1);
    o.SetAnalogPhase(0, 0);
    o.SetAnalogStart(0, 0.0);
    o.SetAnalogEnd(0, 120.0);
    return o;
}

sim::Bytes ModemImage(const char* text)
{
    return routetest::TextImage(text, 64);
}

sim::Bytes OutputsImage(const CVKOutputConfig& o)
{
    sim::Bytes image(CVKOutputConfig::kLongImageSize);
    o.ToRaw(image.data());
    return image;
}

// The records of the installation and outputs pages; the firmware gives the
// outputs' long image.
struct Records {
    CVKConfig config = SampleConfig();
    sim::Bytes modem = ModemImage("AT&F");
    CVKOutputConfig outputs = SampleOutputs();
};

// One field of a page: how the analyser's records differ from the samples,
// what the user does on the page (shown first) before its "Vyšli", and how
// the records the analyser then holds differ from the loaded ones.
struct FieldRow {
    const char* name;
    std::function<void(Records&)> load;
    std::function<void(CVKDetail&)> edit;
    std::function<void(Records&)> sent;
};

void Same(Records&) {}
void Untouched(CVKDetail&) {}

void Type(QLineEdit* edit, const QString& text)
{
    routetest::TypeInto(edit, text);
}

void SendPage(const FieldRow& row, int page, int sendButton)
{
    Records loaded;
    row.load(loaded);
    Records expected = loaded;
    row.sent(expected);
    CVKStatus status = SampleStatus(0, 0);
    sim::Instrument instrument = Analyser(status);
    instrument.SetVersion(200);
    instrument.blocks[kConfig] = routetest::ImageOf(loaded.config);
    instrument.blocks[kModem] = loaded.modem;
    instrument.blocks[kOutputs] = OutputsImage(loaded.outputs);
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVK);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    program.EditPageAndSend<CVKDetail>(page, row.edit, sendButton);
    {
        SCOPED_TRACE("installation");
        routetest::ExpectSameBytes(program.Block(1, kConfig), routetest::ImageOf(expected.config));
    }
    {
        SCOPED_TRACE("modem string");
        routetest::ExpectSameBytes(program.Block(1, kModem), expected.modem);
    }
    {
        SCOPED_TRACE("outputs");
        routetest::ExpectSameBytes(program.Block(1, kOutputs), OutputsImage(expected.outputs));
    }
    routetest::ExpectNoError(boxes);
}

const FieldRow kInstallationRows[] = {
    {"NothingTouched", Same, Untouched, Same},
    {"DirectConnectionKeepsTheTransformerPrimary",
     [](Records& r) {
         r.config.SetDirectVoltage(TRUE);
         r.config.SetVoltageWord(400);
     },
     Untouched, Same},
    {"ConnectionType",
     Same, [](CVKDetail& s) { routetest::ProgramWithInstrument::Choose(s.Instalace().Ctl<QComboBox>(1243), 1); },
     [](Records& r) { r.config.SetConnection(CVKConfig::Delta); }},
    {"TransformerSecondary", Same,
     [](CVKDetail& s) { routetest::ProgramWithInstrument::Choose(s.Instalace().Ctl<QComboBox>(1246), 2); },
     [](Records& r) { r.config.SetVoltageWord(115); }},
    {"CurrentTransformerPrimary", Same,
     [](CVKDetail& s) { Type(s.Instalace().Ctl<QLineEdit>(1019), QStringLiteral("600")); },
     [](Records& r) { r.config.SetCtRatioDword(0x80000000u | 600); }},
    {"NominalPower", Same, [](CVKDetail& s) { Type(s.Instalace().Ctl<QLineEdit>(1021), QStringLiteral("800")); },
     [](Records& r) { r.config.SetNominalPower(800); }},
    {"TemperatureCutTowardZero", Same,
     [](CVKDetail& s) { Type(s.Instalace().Ctl<QLineEdit>(1022), QStringLiteral("-0.15")); },
     [](Records& r) { r.config.SetTemperatureAt4mA(-1); }},
    {"Parity", Same,
     [](CVKDetail& s) { routetest::ProgramWithInstrument::Choose(s.Instalace().Ctl<QComboBox>(1219), 2); },
     [](Records& r) { r.config.SetParity(2); }},
    {"Address", Same, [](CVKDetail& s) { Type(s.Instalace().Ctl<QLineEdit>(1024), QStringLiteral("17")); },
     [](Records& r) { r.config.SetAddressByte(17); }},
    {"ModemAndItsString", Same,
     [](CVKDetail& s) {
         s.Instalace().Ctl<QCheckBox>(1025)->click();
         Type(s.Instalace().Ctl<QLineEdit>(1026), QStringLiteral("ATZ"));
     },
     [](Records& r) {
         r.config.SetModem(TRUE);
         r.modem = ModemImage("ATZ");
     }},
};

class VKInstallationRouteTest : public ::testing::TestWithParam<FieldRow> {};

TEST_P(VKInstallationRouteTest, OnlyTheChangedFieldReachesTheAnalyser)
{
    SendPage(GetParam(), 0, 1250);
}

INSTANTIATE_TEST_SUITE_P(Fields, VKInstallationRouteTest, ::testing::ValuesIn(kInstallationRows),
                         [](const auto& info) { return std::string(info.param.name); });

QTabBar* OutputTabs(CVKDetail& s)
{
    return s.Vystupy().findChild<QTabBar*>(QStringLiteral("1251"));
}

const FieldRow kOutputRows[] = {
    {"NothingTouched", Same, Untouched, Same},
    {"SecondPulseOutputSends", Same, [](CVKDetail& s) { s.Vystupy().Ctl<QCheckBox>(1018)->click(); },
     [](Records& r) { r.outputs.SetPulseSending(2, TRUE); }},
    {"FirstPulseRate", Same, [](CVKDetail& s) { Type(s.Vystupy().Ctl<QLineEdit>(1017), QStringLiteral("2500.5")); },
     [](Records& r) { r.outputs.SetPulseConstant(0, 2500.5); }},
    {"RelayLimit", Same, [](CVKDetail& s) { Type(s.Vystupy().Ctl<QLineEdit>(1021), QStringLiteral("95.25")); },
     [](Records& r) { r.outputs.SetRelayLevel(0, TRUE, 95.25); }},
    {"RelayHysteresis", Same, [](CVKDetail& s) { Type(s.Vystupy().Ctl<QLineEdit>(1023), QStringLiteral("1.25")); },
     [](Records& r) { r.outputs.SetHysteresis(0, 1.25); }},
    {"RelayBlockingTime", Same, [](CVKDetail& s) { Type(s.Vystupy().Ctl<QLineEdit>(1024), QStringLiteral("600")); },
     [](Records& r) { r.outputs.SetBlockingTime(0, 600); }},
    {"RelayDirection", Same,
     [](CVKDetail& s) { routetest::ProgramWithInstrument::Choose(s.Vystupy().Ctl<QComboBox>(1217), 0); },
     [](Records& r) { r.outputs.SetRelayAbove(0, FALSE); }},
    {"SecondRelayActivated", Same,
     [](CVKDetail& s) {
         OutputTabs(s)->setCurrentIndex(1);
         s.Vystupy().Ctl<QCheckBox>(1020)->click();
         Type(s.Vystupy().Ctl<QLineEdit>(1021), QStringLiteral("80"));
     },
     [](Records& r) { r.outputs.SetRelayLevel(1, TRUE, 80.0); }},
    {"AnalogOutputEnd", Same,
     [](CVKDetail& s) {
         OutputTabs(s)->setCurrentIndex(2);
         Type(s.Vystupy().Ctl<QLineEdit>(1026), QStringLiteral("150"));
     },
     [](Records& r) { r.outputs.SetAnalogEnd(0, 150.0); }},
};

class VKOutputsRouteTest : public ::testing::TestWithParam<FieldRow> {};

TEST_P(VKOutputsRouteTest, OnlyTheChangedFieldReachesTheAnalyser)
{
    SendPage(GetParam(), 1, 1253);
}

TEST(VKLiveSheetCommands, TheMainWindowsFileCommandsReachTheOpenSheet)
{
    routetest::ProgramWithInstrument program(Analyser(SampleStatus(0, 0)), CPristroj::kVK);
    ui::CView* view = OpenVKLive(program.app->DocManager(), *program.entry);
    ASSERT_NE(view, nullptr);
    routetest::ExpectFileCommandsReachTheLiveSheet(*program.app->MainFrame(), *view);
    view->GetDocument()->OnCloseDocument();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

INSTANTIATE_TEST_SUITE_P(Fields, VKOutputsRouteTest, ::testing::ValuesIn(kOutputRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
