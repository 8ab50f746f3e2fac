// The VKR settings dialog sends what it shows: a configuration is loaded
// into a simulated VKR, the dialog is opened from the instrument list, one
// control is worked and "Vyšli" pressed; the VKR then holds the loaded
// configuration with only that control's bits changed.
#include "shell/SettingsRouteSupport.h"

#include "analysers_vk/VKRDetail.h"
#include "model/VKRConfig.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using namespace analysers_vk;

constexpr int kConfig = 0x16;
constexpr int kIdentification = 0x01;

// 5000/100 V (a primary the list lacks), 1000/5 A, a star at 50 Hz; the
// panel shows the line and phase voltages and the currents, phase voltage
// by default, the last selected quantity; bit 15 of the mask is not one of
// the dialog's.
CVKRConfig SampleConfig()
{
    CVKRConfig c;
    c.SetVtPrimary(5000);
    c.SetCtPrimary(0x80000000u | 1000);
    c.SetMode(0x23);
    c.SetSpeed(2);
    c.SetAddress(1);
    c.SetDefaultFrequency(50);
    c.SetDisplayMask(0x8007);
    c.SetDisplay(0x12);
    return c;
}

struct Row {
    const char* name;
    std::function<void(CVKRConfig&)> load;
    std::function<void(CVKRDetail&)> edit;
    std::function<void(CVKRConfig&)> sent;
};

void Same(CVKRConfig&) {}
void Untouched(CVKRDetail&) {}

std::function<void(CVKRDetail&)> Choose(int id, int index)
{
    return [id, index](CVKRDetail& d) { routetest::ProgramWithInstrument::Choose(d.Combo(id), index); };
}

const Row kRows[] = {
    {"NothingTouched", Same, Untouched, Same},
    {"ConnectionIsStoredWithoutBitSeven", [](CVKRConfig& c) { c.SetMode(0xA3); }, Untouched,
     [](CVKRConfig& c) { c.SetMode(0x23); }},
    {"DirectCurrentKeepsNoRatio", [](CVKRConfig& c) { c.SetCtPrimary(CVKRConfig::kUnset); }, Untouched, Same},
    {"VoltageTransformerPrimary", Same, Choose(CVKRDetail::IdVtPrimary, 9),
     [](CVKRConfig& c) { c.SetVtPrimary(33000); }},
    {"VoltageDirect", Same, Choose(CVKRDetail::IdVoltageConnection, 0),
     [](CVKRConfig& c) { c.SetVtPrimary(CVKRConfig::kUnset); }},
    {"CurrentTransformerPrimary", Same, Choose(CVKRDetail::IdCtPrimary, 3),
     [](CVKRConfig& c) { c.SetCtPrimary(0x80000000u | 50); }},
    {"CurrentTransformerSecondary", Same, Choose(CVKRDetail::IdCtSecondary, 0),
     [](CVKRConfig& c) { c.SetCtPrimary(1000); }},
    {"ConnectionType", Same, Choose(CVKRDetail::IdConnectionType, 4),
     [](CVKRConfig& c) { c.SetConnection(CVKRConfig::Aron); }},
    {"Frequency", Same, Choose(CVKRDetail::IdFrequency, 1), [](CVKRConfig& c) { c.SetDefaultFrequency(60); }},
    {"ShownOnThePanel", Same,
     [](CVKRDetail& d) { d.findChild<QCheckBox*>(QString::number(CVKRDetail::IdFirstShown + 13))->click(); },
     [](CVKRConfig& c) { c.SetShown(13, TRUE); }},
    {"DefaultQuantity", Same, Choose(CVKRDetail::IdDefaultQuantity, 6),
     [](CVKRConfig& c) { c.SetDefaultQuantity(6); }},
    {"DisplayMode", Same, Choose(CVKRDetail::IdDisplayMode, 2), [](CVKRConfig& c) { c.SetDisplayMode(2); }},
};

class VKRSettingsRouteTest : public ::testing::TestWithParam<Row> {};

TEST_P(VKRSettingsRouteTest, OnlyTheChangedFieldReachesTheInstrument)
{
    const Row& row = GetParam();
    CVKRConfig loaded = SampleConfig();
    row.load(loaded);
    CVKRConfig expected = loaded;
    row.sent(expected);
    sim::Instrument instrument(sim::Family::VKR, 1);
    instrument.identification[2] = 0x10; // model 0x1000
    instrument.identification[3] = 0x00;
    instrument.identification[5] = 48;
    instrument.blocks[kConfig] = routetest::ImageOf(loaded);
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVKR);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    program.EditAndSend<CVKRDetail>(row.edit);
    routetest::ExpectSameBytes(program.Block(1, kConfig), routetest::ImageOf(expected));
    routetest::ExpectNoError(boxes);
}

INSTANTIATE_TEST_SUITE_P(Fields, VKRSettingsRouteTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// What the simulated VKR was asked, in order; from the first configuration
// read on, a request of a code in `silentOnce` is left unanswered the first
// time it comes (what the link asks before the dialog reads is answered).
struct RequestLog {
    std::mutex mutex;
    std::vector<int> asked;
    std::vector<int> silentOnce;
    bool configAsked = false;

    sim::CommandHandler Around(int command, sim::CommandHandler answer)
    {
        return [this, command, answer](sim::Instrument& self, const sim::Frame& frame) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                asked.push_back(command);
                configAsked = configAsked || command == kConfig;
                const auto silent = std::find(silentOnce.begin(), silentOnce.end(), command);
                if (configAsked && silent != silentOnce.end()) {
                    silentOnce.erase(silent);
                    return sim::Response::None();
                }
            }
            return answer(self, frame);
        };
    }
};

struct ReadRow {
    const char* name;
    std::vector<int> silentOnce;
    // From the first unanswered request on.
    std::vector<int> asked;
};

// The dialog's first read asks each request once in turn and only then
// repeats the ones that went unanswered, so a configuration that misses
// its first answer does not hold back the identification.
class VKRSettingsReadOrderTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(VKRSettingsReadOrderTest, EachRequestOnceBeforeAnyIsRepeated)
{
    const ReadRow& row = GetParam();
    const CVKRConfig loaded = SampleConfig();
    sim::Instrument instrument(sim::Family::VKR, 1);
    instrument.identification[2] = 0x10;
    instrument.identification[5] = 48;
    instrument.blocks[kConfig] = routetest::ImageOf(loaded);
    auto log = std::make_shared<RequestLog>();
    log->silentOnce = row.silentOnce;
    instrument.SetCommand(kConfig, log->Around(kConfig, sim::ReadBlock(kConfig)));
    instrument.SetCommand(kIdentification,
                          log->Around(kIdentification, [](sim::Instrument& self, const sim::Frame&) {
                              return sim::Response::Data(
                                  sim::Bytes(self.identification.begin(), self.identification.end()));
                          }));
    routetest::ProgramWithInstrument program(instrument, CPristroj::kVKR);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    QString shownVt;
    const int passes = program.SettingsFromInstrumentList([&](QDialog& dialog, int) {
        if (auto* detail = qobject_cast<CVKRDetail*>(&dialog))
            shownVt = detail->Combo(CVKRDetail::IdVtPrimary)->currentText();
        routetest::ProgramWithInstrument::Close(dialog);
    });
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(shownVt, QStringLiteral("5000"));
    routetest::ExpectNoError(boxes);

    const std::lock_guard<std::mutex> lock(log->mutex);
    EXPECT_TRUE(log->silentOnce.empty());
    std::vector<int> asked = log->asked;
    // The link may ask the identification before the dialog reads.
    const auto firstConfig = std::find(asked.begin(), asked.end(), kConfig);
    ASSERT_NE(firstConfig, asked.end());
    asked.erase(asked.begin(), firstConfig);
    asked.resize(std::min(asked.size(), row.asked.size()));
    EXPECT_EQ(asked, row.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Unanswered, VKRSettingsReadOrderTest,
    ::testing::Values(ReadRow{"Configuration", {kConfig}, {kConfig, kIdentification, kConfig}},
                      ReadRow{"Identification", {kIdentification}, {kConfig, kIdentification, kIdentification}},
                      ReadRow{"Both", {kConfig, kIdentification}, {kConfig, kIdentification, kConfig, kIdentification}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
