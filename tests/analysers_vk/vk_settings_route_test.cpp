// The VK recording page sends what it shows: a status is loaded into a
// simulated analyser, the sheet is opened from the instrument list, the
// sampling basis is chosen through its combo and the page's "Vyšli" is
// pressed; the analyser then holds the choices the page showed.
#include "shell/SettingsRouteSupport.h"

#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "model/VKStatus.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

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
    const int passes = program.SettingsFromInstrumentList([&](QDialog& dialog, int) {
        auto* shown = qobject_cast<CVKDetail*>(&dialog);
        if (!shown) {
            ADD_FAILURE() << "not the VK sheet";
            routetest::ProgramWithInstrument::Close(dialog);
            return;
        }
        CVKDetail& sheet = *shown;
        sheet.Tabs()->setCurrentIndex(2);
        CVKDetailZaznam& page = sheet.Zaznam();
        // An archive that holds nothing yet still lasts as long as its ring.
        EXPECT_NE(page.Ctl<QLabel>(1181)->text(), QStringLiteral("--"));
        routetest::ProgramWithInstrument::Choose(page.Ctl<QComboBox>(1231), row.toBasis);
        EXPECT_EQ(page.ControlText(1233), QString::fromUtf8(row.voltageShown));
        EXPECT_EQ(page.ControlText(1222), QString::fromUtf8(row.currentShown));
        page.Ctl<QPushButton>(1240)->click();
        routetest::ProgramWithInstrument::Close(dialog);
    });
    EXPECT_EQ(passes, 1);

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
    for (const auto& request : boxes.Requests())
        EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Bases, VKRecordingRouteTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
