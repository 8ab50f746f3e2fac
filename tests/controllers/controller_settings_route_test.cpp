// The controller settings sheets send exactly what they show: a record is
// loaded into a simulated controller, the sheet is opened from the
// instrument list, one field is changed through its control and sent; the
// controller then holds the loaded record with only that field's bytes
// changed.
#include "ControllerTestSupport.h"
#include "shell/SettingsRouteSupport.h"

#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QLineEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace controllers;
using namespace controllers::test;

namespace {

// One field of a sheet: how the controller's record differs from the
// family's sample, what the user does on the sheet opened from the
// instrument list before "Vyšli", how the sent record differs from the
// loaded one, and a message the user must get on the way.
template <class Sheet, class Record>
struct Row {
    const char* name;
    std::function<void(Record&)> load;
    std::function<void(Sheet&)> edit;
    std::function<void(Record&)> sent;
    const char* message = nullptr;
};

template <class Record>
void Nothing(Record&)
{
}

// The family of a sheet: its simulated controller, entry type, model and
// sample record.
template <class Sheet>
struct FamilyOf;
template <>
struct FamilyOf<CPristrojDetail> {
    static constexpr sim::Family kSim = sim::Family::Qorin;
    static constexpr int kType = CPristroj::kQorin;
    static constexpr int kModel = 4;
    static CConfig Sample() { return SampleQorinConfig(); }
};
template <>
struct FamilyOf<CDuskarDetail> {
    static constexpr sim::Family kSim = sim::Family::Duskar;
    static constexpr int kType = CPristroj::kDuskar;
    static constexpr int kModel = 20;
    static CDuskarConfig Sample() { return SampleDuskarConfig(); }
};

template <class Sheet, class Record>
void SendAndCompare(const Row<Sheet, Record>& row)
{
    using Family = FamilyOf<Sheet>;
    Record loaded = Family::Sample();
    row.load(loaded);
    Record expected = loaded;
    row.sent(expected);
    routetest::ProgramWithInstrument program(SimController(Family::kSim, routetest::ImageOf(loaded), Family::kModel),
                                             Family::kType);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    program.EditAndSend<Sheet>(row.edit);
    routetest::ExpectSameBytes(program.Block(1, 0x16), routetest::ImageOf(expected));
    if (row.message) {
        EXPECT_TRUE(routetest::Said(boxes, QString::fromUtf8(row.message)));
    }
}

template <class Param>
std::string RowName(const ::testing::TestParamInfo<Param>& info)
{
    return info.param.name;
}

using QorinRow = Row<CPristrojDetail, CConfig>;
const QorinRow kQorinRows[] = {
    {"NothingTouched", Nothing<CConfig>, [](CPristrojDetail&) {}, Nothing<CConfig>},
    {"TargetPowerFactor", Nothing<CConfig>,
     [](CPristrojDetail& s) { Type(s.m_data, 1032, QStringLiteral("0.97")); },
     [](CConfig& c) { c.tarif1.t0 = 97; }},
    {"CtPrimaryIsShownInTheRecordsSteps", Nothing<CConfig>,
     [](CPristrojDetail& s) {
         Type(s.m_data, 1027, QStringLiteral("1234"));
         EXPECT_EQ(s.m_data.ControlText(1027), QStringLiteral("1230"));
         EXPECT_FLOAT_EQ(s.m_ctRatio, 246.0f);
     },
     [](CConfig& c) { c.SetCtRatio(1230, 5); }},
    {"CtPrimaryBelowTheRecordsSmallest", [](CConfig& c) { c.SetCtRatio(500, 1); },
     [](CPristrojDetail& s) {
         Type(s.m_data, 1027, QStringLiteral("3"));
         EXPECT_EQ(s.m_data.ControlText(1027), QStringLiteral("5"));
         EXPECT_EQ(s.m_data.ControlText(1028), QStringLiteral("5"));
     },
     [](CConfig& c) { c.SetCtRatio(5, 5); }},
    {"CkBeyondWhatTheRecordHolds",
     [](CConfig& c) {
         c.SetCtRatio(5, 5);
         c.switchingProgram = 1;
     },
     [](CPristrojDetail& s) {
         s.Tabs()->setCurrentIndex(1);
         Type(s.StagePageInUse(), 1033, QStringLiteral("3"));
     },
     Nothing<CConfig>, "Hodnota mimo povolený rozsah"},
};

class QorinSettingsRouteTest : public ::testing::TestWithParam<QorinRow> {};

TEST_P(QorinSettingsRouteTest, OnlyTheChangedFieldReachesTheController)
{
    SendAndCompare(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Fields, QorinSettingsRouteTest, ::testing::ValuesIn(kQorinRows), RowName<QorinRow>);

using DuskarRow = Row<CDuskarDetail, CDuskarConfig>;
const DuskarRow kDuskarRows[] = {
    {"NothingTouched", Nothing<CDuskarConfig>, [](CDuskarDetail&) {}, Nothing<CDuskarConfig>},
    {"TargetTemperature", Nothing<CDuskarConfig>,
     [](CDuskarDetail& s) { Type(s.m_data, 1032, QString::fromUtf8("5°")); },
     [](CDuskarConfig& c) { c.duskarTarif1.t0 = 106; }},
    {"CkBeyondWhatTheRecordHolds", [](CDuskarConfig& c) { c.switchingProgram = 1; },
     [](CDuskarDetail& s) {
         s.Tabs()->setCurrentIndex(1);
         Type(s.m_steps, 1033, QStringLiteral("99999"));
     },
     Nothing<CDuskarConfig>, "Hodnota mimo povolený rozsah"},
};

class DuskarSettingsRouteTest : public ::testing::TestWithParam<DuskarRow> {};

TEST_P(DuskarSettingsRouteTest, OnlyTheChangedFieldReachesTheController)
{
    SendAndCompare(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Fields, DuskarSettingsRouteTest, ::testing::ValuesIn(kDuskarRows), RowName<DuskarRow>);

} // namespace
