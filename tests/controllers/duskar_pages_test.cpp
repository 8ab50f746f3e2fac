#include "ControllerTestSupport.h"

#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/SettingsConvert.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;

TEST(DuskarConvert, TargetsTypedAndStepped)
{
    const struct {
        const char* typed;
        int code;
        const char* shown;
    } typed[] = {{"5°", 106, "5°"},     {"−15°", 121, "-10°"}, {"-15°", 121, "-10°"}, {"12°", 101, "10°"},
                 {"0.5", 100, "1.00"},  {"0.95", 95, "0.95"},  {"-0.85", -85, "-0.85"}, {"abc", 100, "1.00"}};
    for (const auto& t : typed) {
        SCOPED_TRACE(t.typed);
        const int code = convert::ParseDuskarTarget(QString::fromUtf8(t.typed));
        EXPECT_EQ(code, t.code);
        EXPECT_EQ(convert::DuskarTargetText(code), QString::fromUtf8(t.shown));
    }
    const struct {
        int from;
        bool up;
        int to;
        bool ok;
    } steps[] = {{100, true, -99, true}, {-80, true, 101, true}, {121, true, 121, false}, {80, false, 80, false},
                 {101, false, -80, true}, {-99, false, 100, true}, {102, false, 101, true}, {95, true, 96, true}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.from);
        int code = s.from;
        EXPECT_EQ(convert::StepDuskarTarget(code, s.up), s.ok);
        EXPECT_EQ(code, s.to);
    }
    EXPECT_EQ(convert::DuskarChokeCode(-0.95), -95);
    EXPECT_EQ(convert::DuskarChokeCode(0.95), 95);
    EXPECT_EQ(convert::GroupThousands(150000), QStringLiteral("150 000"));
    EXPECT_EQ(convert::GroupThousands(2000000), QStringLiteral("2 000 000"));
    EXPECT_EQ(convert::GroupThousands(10000), QStringLiteral("10 000"));
}

TEST(DuskarDataPage, TargetsBandsTransformersAndChoke)
{
    CDuskarConfig config = SampleDuskarConfig();
    CDuskarDetailUdaj page;
    page.AttachConfig(&config, FALSE);
    EXPECT_EQ(page.ControlText(1032), QStringLiteral("0.95"));
    EXPECT_EQ(page.ControlText(1019), QString::fromUtf8("5°"));
    EXPECT_EQ(page.ControlText(1037), QString::fromUtf8("5°"));
    EXPECT_EQ(page.ControlText(1036), QStringLiteral("0.010"));
    EXPECT_EQ(page.ControlText(1040), QStringLiteral("1"));
    EXPECT_EQ(page.ControlText(1042), QStringLiteral("400"));
    EXPECT_EQ(page.ControlText(1033), QStringLiteral("-0.95"));
    EXPECT_EQ(page.ControlText(1031), QStringLiteral("L1-L2"));

    // -0.80 stepped up becomes 10 degrees and the band list turns to degrees.
    Type(page, 1032, QStringLiteral("-0.80"));
    page.Ctl<CStepBar>(1018)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(page.ControlText(1032), QString::fromUtf8("10°"));
    EXPECT_EQ(page.ControlText(1036), QString::fromUtf8("2°"));

    // VT 1 -> 100 with 400 V shows 40000 V.
    page.Ctl<QLineEdit>(1040)->setText(QStringLiteral("100"));
    emit page.Ctl<CCheckedEdit>(1040)->focusLeft();
    EXPECT_EQ(page.ControlText(1042), QStringLiteral("40000"));

    // Connection in LN.
    page.Ctl<QComboBox>(1435)->setCurrentIndex(1);
    emit page.Ctl<QComboBox>(1435)->activated(1);
    EXPECT_EQ(page.ControlText(1031), QStringLiteral("L1-0"));

    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.duskarTarif1.t0, 101);
    EXPECT_EQ(config.GetVtRatio(), 100);
    EXPECT_EQ(config.GetNominalVoltage(), 400);
    EXPECT_EQ(config.reactorLimit, -95);
    int type = 0, ln = 0;
    config.GetVoltageConnection(type, ln);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(ln, 1);
    EXPECT_EQ(config.duskarTarif1.t2, 0x88);
}

TEST(DuskarDataPage, SingleTariffModelsKeepTariffTwoOff)
{
    CDuskarConfig config = SampleDuskarConfig();
    CDuskarDetailUdaj page;
    page.AttachConfig(&config, TRUE);
    page.OnSetActive();
    EXPECT_FALSE(page.IsEnabledCtl(1025));
    EXPECT_FALSE(page.IsEnabledCtl(1019));
    EXPECT_FALSE(page.IsEnabledCtl(1037));
}

TEST(DuskarAlarmPage, LimitsSnapAndStoreByIndex)
{
    CDuskarConfig config = SampleDuskarConfig();
    CDuskarDetailAlarm page;
    page.AttachConfig(&config);
    EXPECT_EQ(page.ControlText(1401), QStringLiteral("8"));  // THDU, index 0
    EXPECT_EQ(page.ControlText(1400), QStringLiteral("20")); // THDI, index 1
    EXPECT_EQ(page.ControlText(1402), QStringLiteral("130"));
    Type(page, 1042, QStringLiteral("1234"));
    EXPECT_EQ(page.ControlText(1042), QStringLiteral("1230"));
    const int beeps = BeepCount();
    Type(page, 1401, QStringLiteral("1"));
    EXPECT_EQ(page.ControlText(1401), QStringLiteral("2"));
    EXPECT_EQ(BeepCount(), beeps + 1);
    Type(page, 1401, QStringLiteral("7.5"));
    page.Ctl<CStepBar>(1407)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(page.ControlText(1043), QStringLiteral("86"));
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_FLOAT_EQ(config.GetThdLimit(0), 7.5f);
    EXPECT_FLOAT_EQ(config.GetThdLimit(1), 20.0f);
    EXPECT_EQ(config.switchCountLimit, 123);
    EXPECT_EQ(config.voltageLimit[0], 86);
}

TEST(DuskarOtherPage, FrequencyWindowsAndUnit)
{
    CDuskarConfig config = SampleDuskarConfig();
    config.mainsFrequency = 0x03;
    CDuskarDetailOther page;
    page.AttachConfig(&config);
    EXPECT_EQ(page.ControlText(1405), QStringLiteral("auto"));
    EXPECT_EQ(page.ControlText(1406), QStringLiteral("15 min."));
    EXPECT_EQ(page.ControlText(1407), QStringLiteral("1 hod."));
    EXPECT_EQ(page.ControlText(1036), QStringLiteral("Celsius"));
    page.Ctl<QComboBox>(1405)->setCurrentIndex(2);
    page.Ctl<QComboBox>(1036)->setCurrentIndex(1);
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.mainsFrequency & 0x03, 0);
    EXPECT_EQ(config.temperatureUnit & 0x01, 0);
    EXPECT_EQ(config.evaluationWindows, 0x21);
}

TEST(DuskarStepsPage, TemperatureOutputs)
{
    CDuskarConfig config = SampleDuskarConfig();
    float ct = 200.0f, kvar = 240.0f;
    CDuskarDetailKompenzacniStupne page;
    page.AttachConfig(&config, &ct, &kvar, FALSE, FALSE);

    // Step 13 fixed on -> cooling -> heating.
    auto* button = page.Ctl<QPushButton>(1112);
    button->click();
    EXPECT_EQ(page.GetStageState(12), 7);
    EXPECT_EQ(page.ButtonIcon(12), 318);
    EXPECT_EQ(page.ButtonIcon(13), 158); // the second output's step is held off
    button->click();
    EXPECT_EQ(page.GetStageState(12), 8);
    page.Ctl<QLineEdit>(1154)->setText(QStringLiteral("25"));
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.temperatureOutputs & 0x04, 0);
    EXPECT_EQ(config.temperatureOutputs & 0x08, 0);
    EXPECT_EQ(config.switchTemperature[1], 25);
    EXPECT_EQ(config.switchTemperature[0], 35);

    // Both outputs cooling: they share and keep one temperature.
    CDuskarConfig both = SampleDuskarConfig();
    both.temperatureOutputs = 0x0A; // bits 0 and 2 clear, both cooling
    both.regulatedStages = 0x000F;
    CDuskarDetailKompenzacniStupne page2;
    page2.AttachConfig(&both, &ct, &kvar, TRUE, FALSE);
    EXPECT_EQ(page2.GetStageState(4), 7);
    EXPECT_EQ(page2.GetStageState(5), 7);
    page2.Ctl<QLineEdit>(1155)->setText(QStringLiteral("40"));
    emit page2.Ctl<CCheckedEdit>(1155)->focusLeft();
    EXPECT_EQ(page2.ControlText(1154), QStringLiteral("40"));
    ASSERT_TRUE(page2.StoreConfig());
    EXPECT_EQ(both.switchTemperature[0], 40);
    EXPECT_EQ(both.switchTemperature[1], 5);
    EXPECT_EQ(both.temperatureOutputs, 0x0A);
}

TEST(DuskarStepsPage, UnitsThyristorSectionAndRecognition)
{
    CDuskarConfig config = SampleDuskarConfig();
    config.thyristorSection = 4;
    float ct = 200.0f, kvar = 240.0f;
    CDuskarDetailKompenzacniStupne page;
    page.AttachConfig(&config, &ct, &kvar, FALSE, TRUE);
    // Power display: 0.2 A secondary x 240 = 48 kvar.
    EXPECT_EQ(page.ControlText(1140), QStringLiteral("48"));
    EXPECT_EQ(page.ControlText(1080), QStringLiteral("kvar"));
    page.Ctl<QRadioButton>(1422)->click();
    EXPECT_EQ(page.ControlText(1140), QStringLiteral("40"));
    EXPECT_EQ(page.ControlText(1080), QStringLiteral("A"));
    EXPECT_EQ(page.ControlText(1060), QStringLiteral("4"));

    ui::ScriptedMessageBoxes boxes;
    page.Ctl<QLineEdit>(1141)->setText(QStringLiteral("-5"));
    page.OnStageValueChanged(1);
    EXPECT_EQ(boxes.Requests().size(), 1u);
    page.Ctl<QLineEdit>(1141)->setText(QStringLiteral("40"));

    page.Ctl<QComboBox>(1062)->setCurrentIndex(2);
    emit page.Ctl<QComboBox>(1062)->activated(2);
    EXPECT_FALSE(page.IsEnabledCtl(1059));
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.GetAutoStageDetection(), 2);
    EXPECT_EQ(config.thyristorSection & 0x0F, 4);
}
