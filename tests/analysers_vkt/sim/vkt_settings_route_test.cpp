// The VKT settings sheet sends what it shows: records are loaded into a
// simulated analyser, the sheet is opened from the instrument list, a page's
// "Vyšli" is pressed with or without a change, and the analyser then holds
// the loaded record except what the change or the page's own rules alter.
#include "shell/SettingsRouteSupport.h"

#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTDetailVystupy.h"
#include "analysers_vkt/VKTDetailZaznam.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTStatus.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

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
};

void Nothing(CVKTOutputConfig&, CVKTArch&) {}
void Untouched(CVKTDetail&) {}

const Row kRows[] = {
    {"OutputsUntouched", Nothing, 1, Untouched, Nothing},
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
    {"RecordingUntouched", Nothing, 2, Untouched, Nothing, "10 min."},
    {"RecordingPeriodBetweenEntries", [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(7); }, 2, Untouched,
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(10); }, "10 sec."},
    {"RecordingPeriodBeyondTheList", [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(5000); }, 2, Untouched,
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetInterval(360); }, "  6 min."},
    {"RecordingImpliedSumWithImportAndExportApart",
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetSelection(CVKTArch::SelActivePower, 0x2F); }, 2, Untouched,
     [](CVKTOutputConfig&, CVKTArch& a) { a.SetSelection(CVKTArch::SelActivePower, 0x27); }, "10 min."},
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
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVKT);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);

    const int passes = program.SettingsFromInstrumentList([&](QDialog& dialog, int) {
        if (auto* sheet = qobject_cast<CVKTDetail*>(&dialog)) {
            sheet->Tabs()->setCurrentIndex(row.page);
            if (row.shown) {
                EXPECT_EQ(sheet->Zaznam().ControlText(1162), QString::fromLatin1(row.shown));
            }
            row.edit(*sheet);
            QWidget& page = row.page == 1 ? static_cast<QWidget&>(sheet->Vystupy()) : sheet->Zaznam();
            page.findChild<QPushButton*>(QString::number(row.page == 1 ? 1199 : 1183))->click();
        } else {
            ADD_FAILURE() << "not the VKT sheet";
        }
        routetest::ProgramWithInstrument::Close(dialog);
    });
    EXPECT_EQ(passes, 1);

    row.sent(outputs, arch);
    routetest::ExpectSameBytes(program.Block(1, kOutputs), routetest::ImageOf(outputs));
    routetest::ExpectSameBytes(Arch(program.Block(1, kStatus)), routetest::ImageOf(arch));
    for (const auto& request : boxes.Requests())
        EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Fields, VKTSettingsRouteTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
