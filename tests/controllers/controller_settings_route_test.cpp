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

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
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

// The user's hand on one control of the sheet's page `tab`: a typed value
// (the field is then left), a tick or a button pressed, a list item chosen.
template <class Sheet>
std::function<void(Sheet&)> Typed(int tab, CSettingsPage& (*page)(Sheet&), int id, const char* text)
{
    return [=](Sheet& s) {
        s.Tabs()->setCurrentIndex(tab);
        Type(page(s), id, QString::fromUtf8(text));
    };
}

template <class Sheet>
std::function<void(Sheet&)> Clicked(int tab, CSettingsPage& (*page)(Sheet&), int id)
{
    return [=](Sheet& s) {
        s.Tabs()->setCurrentIndex(tab);
        QWidget* control = page(s).Control(id);
        ASSERT_NE(control, nullptr) << id;
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
    };
}

template <class Sheet>
std::function<void(Sheet&)> Chosen(int tab, CSettingsPage& (*page)(Sheet&), int id, int index)
{
    return [=](Sheet& s) {
        s.Tabs()->setCurrentIndex(tab);
        routetest::ProgramWithInstrument::Choose(page(s).template Ctl<QComboBox>(id), index);
    };
}

CSettingsPage& QorinData(CPristrojDetail& s)
{
    return s.m_data;
}
CSettingsPage& QorinStages(CPristrojDetail& s)
{
    return s.StagePageInUse();
}
CSettingsPage& QorinAlarms(CPristrojDetail& s)
{
    return s.m_alarms;
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
    {"CkIsHeldInTheRecordsSteps", [](CConfig& c) { c.switchingProgram = 2; },
     [](CPristrojDetail& s) {
         s.Tabs()->setCurrentIndex(1);
         Type(s.StagePageInUse(), 1033, QStringLiteral("123.4"));
         EXPECT_EQ(s.StagePageInUse().ControlText(1033), QStringLiteral("123"));
     },
     [](CConfig& c) {
         // "1:1:2:2:2" over seven stages from the held 1.23 A secondary.
         c.ck = 123;
         for (int i = 0; i < 7; ++i)
             c.stageCurrents[i] = i < 2 ? 4920 : 9840;
     }},
    {"SecondTariffOff", Nothing<CConfig>, Clicked<CPristrojDetail>(0, QorinData, 1025),
     [](CConfig& c) { c.mode |= 0x02; }},
    {"SecondTariffTargetPowerFactor", Nothing<CConfig>, Typed<CPristrojDetail>(0, QorinData, 1019, "-0.95"),
     [](CConfig& c) { c.tarif2.t0 = BYTE(-95); }},
    {"FirstTariffUnderCompensationTime", Nothing<CConfig>, Chosen<CPristrojDetail>(0, QorinData, 1021, 6),
     [](CConfig& c) { c.tarif1.t2 = 0x80 | 6; }},
    {"SecondTariffOverCompensationTime", Nothing<CConfig>, Chosen<CPristrojDetail>(0, QorinData, 1024, 9),
     [](CConfig& c) { c.tarif2.t1 = 9; }},
    {"FirstTariffUnderCompensationLinear", Nothing<CConfig>, Clicked<CPristrojDetail>(0, QorinData, 1016),
     [](CConfig& c) { c.tarif1.t2 = 3; }},
    {"SecondTariffOverCompensationLinear", Nothing<CConfig>, Clicked<CPristrojDetail>(0, QorinData, 1035),
     [](CConfig& c) { c.tarif2.t1 = 0x80 | 2; }},
    {"ReclosingBlockTime", Nothing<CConfig>, Chosen<CPristrojDetail>(0, QorinData, 1030, 7),
     [](CConfig& c) { c.reclosingBlock = 7; }},
    {"VoltageConnection", Nothing<CConfig>, Chosen<CPristrojDetail>(0, QorinData, 1031, 9),
     [](CConfig& c) { c.SetVoltageConnection(9); }},
    {"ChokeLimit", Nothing<CConfig>,
     [](CPristrojDetail& s) {
         Clicked<CPristrojDetail>(0, QorinData, 1026)(s);
         Type(s.m_data, 1033, QStringLiteral("0.95"));
     },
     [](CConfig& c) { c.reactorLimit = 95; }},
    {"CtSecondaryKeepsTheStagesSecondaryCurrents", Nothing<CConfig>,
     Typed<CPristrojDetail>(0, QorinData, 1028, "1"), [](CConfig& c) { c.SetCtRatio(500, 1); }},
    {"StageSize", Nothing<CConfig>, Typed<CPristrojDetail>(1, QorinStages, 1140, "20"),
     [](CConfig& c) { c.stageCurrents[0] = 800; }},
    {"StageStateRegulatedToFixedOn", Nothing<CConfig>, Clicked<CPristrojDetail>(1, QorinStages, 1100),
     [](CConfig& c) { c.regulatedStages = 0x001E; }},
    {"StageStateFixedOffToRegulated", Nothing<CConfig>, Clicked<CPristrojDetail>(1, QorinStages, 1105),
     [](CConfig& c) { c.regulatedStages = 0x003F; }},
    {"AutomaticStageRecognition", Nothing<CConfig>, Clicked<CPristrojDetail>(1, QorinStages, 1025),
     [](CConfig& c) { c.mode |= 0x04; }},
    {"ThdLimit", Nothing<CConfig>, Typed<CPristrojDetail>(2, QorinAlarms, 1040, "12.3"),
     [](CConfig& c) { c.thdLimit = 24; }},
    {"SwitchingCountLimit", Nothing<CConfig>, Typed<CPristrojDetail>(2, QorinAlarms, 1042, "1234"),
     [](CConfig& c) { c.switchCountLimit = 123; }},
    {"AlarmSignalled", Nothing<CConfig>, Clicked<CPristrojDetail>(2, QorinAlarms, 1176),
     [](CConfig& c) { c.alarmSignal = 0; }},
    {"AlarmActionOff", Nothing<CConfig>, Clicked<CPristrojDetail>(2, QorinAlarms, 1160),
     [](CConfig& c) { c.alarmAction = 0x0027; }},
};

class QorinSettingsRouteTest : public ::testing::TestWithParam<QorinRow> {};

TEST_P(QorinSettingsRouteTest, OnlyTheChangedFieldReachesTheController)
{
    SendAndCompare(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Fields, QorinSettingsRouteTest, ::testing::ValuesIn(kQorinRows), RowName<QorinRow>);

CSettingsPage& DuskarData(CDuskarDetail& s)
{
    return s.m_data;
}
CSettingsPage& DuskarSteps(CDuskarDetail& s)
{
    return s.m_steps;
}
CSettingsPage& DuskarAlarms(CDuskarDetail& s)
{
    return s.m_alarms;
}
CSettingsPage& DuskarOther(CDuskarDetail& s)
{
    return s.m_other;
}

// The record with one alarm's signalling (or action) turned round.
std::function<void(CDuskarConfig&)> DuskarAlarmTurned(int alarm, bool action)
{
    return [=](CDuskarConfig& c) {
        BOOL flags[16] = {};
        if (action) {
            c.GetAlarmActionFlags(flags);
            flags[alarm] = !flags[alarm];
            c.SetAlarmActionFlags(flags);
        } else {
            c.GetAlarmSignalFlags(flags);
            flags[alarm] = !flags[alarm];
            c.SetAlarmSignalFlags(flags);
        }
    };
}

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
    {"SecondTariffOff", Nothing<CDuskarConfig>, Clicked<CDuskarDetail>(0, DuskarData, 1025),
     [](CDuskarConfig& c) { c.mode |= 0x02; }},
    {"FirstTariffUnderCompensationTime", Nothing<CDuskarConfig>, Chosen<CDuskarDetail>(0, DuskarData, 1021, 9),
     [](CDuskarConfig& c) { c.duskarTarif1.t2 = 0x80 | 9; }},
    {"SecondTariffOverCompensationLinear", Nothing<CDuskarConfig>, Clicked<CDuskarDetail>(0, DuskarData, 1035),
     [](CDuskarConfig& c) { c.duskarTarif2.t1 = 0x80 | 3; }},
    {"FirstTariffBandWidth", Nothing<CDuskarConfig>, Chosen<CDuskarDetail>(0, DuskarData, 1036, 4),
     [](CDuskarConfig& c) { c.duskarTarif1.t3 = 4; }},
    {"ReclosingBlockTime", Nothing<CDuskarConfig>, Chosen<CDuskarDetail>(0, DuskarData, 1030, 12),
     [](CDuskarConfig& c) { c.reclosingBlock = 12; }},
    {"StepStateRegulatedToFixedOn", Nothing<CDuskarConfig>, Clicked<CDuskarDetail>(1, DuskarSteps, 1100),
     [](CDuskarConfig& c) { c.regulatedStages = 0x003E; }},
    {"UndervoltageLimit", Nothing<CDuskarConfig>, Typed<CDuskarDetail>(2, DuskarAlarms, 1043, "90"),
     [](CDuskarConfig& c) { c.voltageLimit[0] = 90; }},
    {"OverheatingLimit", Nothing<CDuskarConfig>, Typed<CDuskarDetail>(2, DuskarAlarms, 1403, "60"),
     [](CDuskarConfig& c) { c.overheatingLimit = 60; }},
    {"SwitchingCountLimit", Nothing<CDuskarConfig>, Typed<CDuskarDetail>(2, DuskarAlarms, 1042, "500"),
     [](CDuskarConfig& c) { c.switchCountLimit = 50; }},
    {"AlarmSignalled", Nothing<CDuskarConfig>, Clicked<CDuskarDetail>(2, DuskarAlarms, 1171),
     DuskarAlarmTurned(1, false)},
    {"AlarmAction", Nothing<CDuskarConfig>, Clicked<CDuskarDetail>(2, DuskarAlarms, 1395),
     DuskarAlarmTurned(7, true)},
    {"MainsFrequency", Nothing<CDuskarConfig>, Chosen<CDuskarDetail>(3, DuskarOther, 1405, 2),
     [](CDuskarConfig& c) { c.mainsFrequency = 0; }},
    {"AveragingWindow", Nothing<CDuskarConfig>, Chosen<CDuskarDetail>(3, DuskarOther, 1406, 3),
     [](CDuskarConfig& c) { c.evaluationWindows = 0x23; }},
    {"ExtremesWindow", Nothing<CDuskarConfig>, Chosen<CDuskarDetail>(3, DuskarOther, 1407, 5),
     [](CDuskarConfig& c) { c.evaluationWindows = 0x51; }},
    {"TemperatureUnit", Nothing<CDuskarConfig>, Chosen<CDuskarDetail>(3, DuskarOther, 1036, 1),
     [](CDuskarConfig& c) { c.temperatureUnit = 0; }},
};

class DuskarSettingsRouteTest : public ::testing::TestWithParam<DuskarRow> {};

TEST_P(DuskarSettingsRouteTest, OnlyTheChangedFieldReachesTheController)
{
    SendAndCompare(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Fields, DuskarSettingsRouteTest, ::testing::ValuesIn(kDuskarRows), RowName<DuskarRow>);

// A primary current the record cannot hold, typed and left with Tab: one
// range message, and the caret back in the primary edit for the mend.
template <class Sheet>
class CtPrimaryMessageTest : public ::testing::Test {};
using BothFamilies = ::testing::Types<CPristrojDetail, CDuskarDetail>;
TYPED_TEST_SUITE(CtPrimaryMessageTest, BothFamilies);

TYPED_TEST(CtPrimaryMessageTest, AWrongPrimaryIsToldOnceAndKeepsTheFocus)
{
    using Family = FamilyOf<TypeParam>;
    routetest::ProgramWithInstrument program(
        SimController(Family::kSim, routetest::ImageOf(Family::Sample()), Family::kModel), Family::kType);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    const QString message = QStringLiteral("Zadejte celé číslo od 1 do 9950.");
    const int passes = program.SettingsFromInstrumentList([&](QDialog& dialog, int) {
        auto* sheet = qobject_cast<TypeParam*>(&dialog);
        ASSERT_NE(sheet, nullptr);
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        auto* primary = sheet->m_data.template Ctl<QLineEdit>(1027);
        routetest::TypeInto(primary, QStringLiteral("9951"));
        QTest::keyClick(primary, Qt::Key_Tab);
        const auto& requests = boxes.Requests();
        EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [&](const auto& r) { return r.text == message; }),
                  1);
        EXPECT_EQ(QApplication::focusWidget(), primary);
        routetest::ProgramWithInstrument::Close(dialog);
    });
    EXPECT_EQ(passes, 1);
}

} // namespace
