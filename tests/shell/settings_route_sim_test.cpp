// The settings of an instrument that the program does not measure, reached
// from the instrument list and from a floating panel, for every family: the
// program opens the instrument's link around the sheet, so the sheet reads
// the instrument instead of saying that it does not answer.
#include "SettingsRouteSupport.h"

#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

namespace {

struct FamilyCase {
    const char* name;
    sim::Family family;
    int type;
};

sim::Instrument InstrumentOf(const FamilyCase& c)
{
    sim::Instrument instrument(c.family, 1);
    if (c.family == sim::Family::VK) {
        // Settings within the pages' ranges (the simulator's own pattern is not).
        instrument.blocks[0x30] = sim::Bytes(30, 0);
        instrument.blocks[0x14] = sim::Bytes(52, 0);
    }
    return instrument;
}

enum class Route { InstrumentList, Panel };

class SettingsRouteTest : public ::testing::TestWithParam<std::tuple<FamilyCase, Route>> {};

TEST_P(SettingsRouteTest, SheetReadsAnInstrumentThatIsNotMeasured)
{
    const auto& [family, route] = GetParam();
    routetest::ProgramWithInstrument program(InstrumentOf(family), family.type);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    const auto hand = [](QDialog& sheet, int) { routetest::ProgramWithInstrument::Close(sheet); };
    const int passes = route == Route::InstrumentList ? program.SettingsFromInstrumentList(hand)
                                                      : program.SettingsFromPanel(hand);
    EXPECT_EQ(passes, 1);
    for (const auto& request : boxes.Requests())
        ADD_FAILURE() << request.caption.toStdString() << ": " << request.text.toStdString();
}

const FamilyCase kFamilies[] = {
    {"Qorin", sim::Family::Qorin, CPristroj::kQorin}, {"Duskar", sim::Family::Duskar, CPristroj::kDuskar},
    {"VK", sim::Family::VK, CPristroj::kVK},          {"VKR", sim::Family::VKR, CPristroj::kVKR},
    {"VKT", sim::Family::VKT, CPristroj::kVKT},
};

INSTANTIATE_TEST_SUITE_P(Families, SettingsRouteTest,
                         ::testing::Combine(::testing::ValuesIn(kFamilies),
                                            ::testing::Values(Route::InstrumentList, Route::Panel)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name)
                                  + (std::get<1>(info.param) == Route::InstrumentList ? "List" : "Panel");
                         });

} // namespace
