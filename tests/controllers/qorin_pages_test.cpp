#include "ControllerTestSupport.h"

#include "controllers/settings/DetailAlarm.h"
#include "controllers/settings/DetailUdaj.h"
#include "controllers/settings/KompenzacniStupne.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;

TEST(QorinDataPage, PowerFactorsStoreAsTypedHundredths)
{
    const struct {
        const char* typed;
        int code;
    } cases[] = {{"0.95", 95}, {"-0.95", -95}, {"1.00", 100}, {"0.80", 80}, {"-0.90", -90}, {"0.99", 99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        CConfig config = SampleQorinConfig();
        CDetailUdaj page;
        page.AttachConfig(&config, FALSE);
        Type(page, 1032, QString::fromLatin1(c.typed));
        Type(page, 1019, QString::fromLatin1(c.typed));
        ASSERT_TRUE(page.StoreConfig());
        EXPECT_EQ(static_cast<signed char>(config.tarif1.t0), c.code);
        EXPECT_EQ(static_cast<signed char>(config.tarif2.t0), c.code);
    }
}

TEST(QorinDataPage, StoredValuesShowAndOutOfRangeBecomesOne)
{
    CConfig config = SampleQorinConfig();
    config.tarif1.t0 = BYTE(50);
    config.tarif1.t1 = 14; // beyond the list
    config.reactorLimit = -92;
    CDetailUdaj page;
    page.AttachConfig(&config, FALSE);
    EXPECT_EQ(page.ControlText(1032), QStringLiteral("1.00"));
    EXPECT_EQ(page.ControlText(1019), QStringLiteral("-0.92"));
    EXPECT_EQ(page.ControlText(1033), QStringLiteral("-0.92"));
    EXPECT_TRUE(page.IsChecked(1026));
    EXPECT_EQ(page.ControlText(1023), QStringLiteral("5"));
    EXPECT_EQ(page.ControlText(1027), QStringLiteral("500"));
    EXPECT_EQ(page.ControlText(1028), QStringLiteral("5"));
    EXPECT_EQ(page.ControlText(1031), QStringLiteral("SD L2-L3"));

    // Choke limit typed, then switched off.
    Type(page, 1033, QStringLiteral("0.95"));
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.reactorLimit, 95);
    page.Ctl<QCheckBox>(1026)->click();
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.reactorLimit, 127);

    // A CT primary beyond the list shows 5 / 5.
    config.SetCtRatio(49000, 1);
    page.AttachConfig(&config, FALSE);
    EXPECT_EQ(page.ControlText(1027), QStringLiteral("5"));
    EXPECT_EQ(page.ControlText(1028), QStringLiteral("5"));
}

TEST(QorinDataPage, ScrollStepsAlongTheScaleAndBeepsAtItsEnds)
{
    CConfig config = SampleQorinConfig();
    config.tarif1.t0 = BYTE(100);
    CDetailUdaj page;
    page.AttachConfig(&config, FALSE);
    auto* bar = page.Ctl<CStepBar>(1018);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(page.ControlText(1032), QStringLiteral("-0.99"));
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page.ControlText(1032), QStringLiteral("1.00"));

    Type(page, 1032, QStringLiteral("0.80"));
    int beeps = BeepCount();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page.ControlText(1032), QStringLiteral("0.80"));
    EXPECT_EQ(BeepCount(), beeps + 1);
    Type(page, 1032, QStringLiteral("-0.90"));
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(page.ControlText(1032), QStringLiteral("-0.90"));
    EXPECT_EQ(BeepCount(), beeps + 2);

    // A typed value outside both ranges becomes 1.00 with a beep.
    Type(page, 1032, QStringLiteral("0.5"));
    EXPECT_EQ(page.ControlText(1032), QStringLiteral("1.00"));
    EXPECT_EQ(BeepCount(), beeps + 3);

    // The CT secondary keeps only 1 or 5.
    Type(page, 1028, QStringLiteral("3"));
    EXPECT_EQ(page.ControlText(1028), QStringLiteral("5"));
    EXPECT_EQ(BeepCount(), beeps + 4);
    page.Ctl<CStepBar>(1029)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(page.ControlText(1028), QStringLiteral("1"));
}

TEST(QorinDataPage, LinearRegulationOnlyAboveVersion32AndSecondTariffByModel)
{
    for (WORD version : {WORD(32), WORD(33)}) {
        SCOPED_TRACE(version);
        CConfig config = SampleQorinConfig();
        CDetailUdaj page;
        page.m_version = version;
        page.AttachConfig(&config, FALSE);
        page.OnSetActive();
        EXPECT_EQ(page.IsEnabledCtl(1016), version > 32);
        page.Ctl<QCheckBox>(1034)->setChecked(true);
        ASSERT_TRUE(page.StoreConfig());
        EXPECT_EQ((config.tarif1.t2 & 0x80) != 0, version > 32);
        EXPECT_EQ((config.tarif1.t1 & 0x80) != 0, version > 32);
        EXPECT_EQ(config.tarif1.t2 & 0x7F, 3);
    }
    CConfig config = SampleQorinConfig();
    CDetailUdaj single;
    single.AttachConfig(&config, TRUE);
    EXPECT_TRUE(single.IsChecked(1025));
    EXPECT_FALSE(single.IsEnabledCtl(1025));
    EXPECT_FALSE(single.IsEnabledCtl(1019));
    EXPECT_FALSE(single.IsEnabledCtl(1024));
}

TEST(QorinAlarmPage, LimitsRoundDownAndStore)
{
    CConfig config = SampleQorinConfig();
    CDetailAlarm page;
    page.AttachConfig(&config);
    EXPECT_EQ(page.ControlText(1040), QStringLiteral("7.5"));
    EXPECT_EQ(page.ControlText(1042), QStringLiteral("150"));
    EXPECT_TRUE(page.IsChecked(1170));
    EXPECT_FALSE(page.IsChecked(1176));

    Type(page, 1042, QStringLiteral("1234"));
    EXPECT_EQ(page.ControlText(1042), QStringLiteral("1230"));
    Type(page, 1040, QStringLiteral("7.8"));
    EXPECT_EQ(page.ControlText(1040), QStringLiteral("7.5"));
    page.Ctl<QCheckBox>(1171)->click();
    page.Ctl<QCheckBox>(1165)->click();
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.switchCountLimit, 123);
    EXPECT_EQ(config.thdLimit, 15);
    EXPECT_EQ(config.alarmSignal, 0x0042);
    EXPECT_EQ(config.alarmAction, 0x0026 | 0x0100);

    // The stepper stops at the ends.
    Type(page, 1042, QStringLiteral("10"));
    const int beeps = BeepCount();
    page.Ctl<CStepBar>(1041)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page.ControlText(1042), QStringLiteral("10"));
    EXPECT_EQ(BeepCount(), beeps + 1);

    // Out of range: refused with a message.
    ui::ScriptedMessageBoxes boxes;
    page.Ctl<QLineEdit>(1042)->setText(QStringLiteral("5"));
    EXPECT_FALSE(page.StoreConfig());
    EXPECT_EQ(boxes.Requests().size(), 1u);
}

TEST(QorinStagePage, ProgramFillsSizesWithinTheBound)
{
    const struct {
        int primary;
        std::vector<QString> sizes;
    } cases[] = {
        {500, {"10", "10", "20", "40", "80", "80", "80"}},
        {25, {"10", "10", "20", "40", "40", "40", "40"}}, // CT 25/5: bound 40 A
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.primary);
        CConfig config = SampleQorinConfig();
        config.SetCtRatio(c.primary, 5);
        float ratio = float(c.primary) / 5.0f;
        CKompenzacniStupne page;
        page.AttachConfig(&config, &ratio, FALSE);
        page.Ctl<QLineEdit>(1033)->setText(QStringLiteral("10"));
        page.Ctl<QComboBox>(1059)->setCurrentIndex(5); // 1:1:2:4:8
        page.Ctl<QComboBox>(1034)->setCurrentIndex(6); // 7 capacitors
        page.OnProgramChanged();
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(page.ControlText(1140 + i), c.sizes[std::size_t(i)]) << i;
        for (int i = 7; i < 14; ++i)
            EXPECT_EQ(page.ControlText(1140 + i), QStringLiteral("--")) << i;
        ASSERT_TRUE(page.StoreConfig());
        EXPECT_EQ(config.switchingProgram, 6);
        EXPECT_EQ(config.GetCapacitorCount(), 7);
        EXPECT_EQ(config.stageCurrents[13], CConfig::kStageNotSet);
    }
}

TEST(QorinStagePage, SizesConvertAndFollowTheTransformer)
{
    CConfig config = SampleQorinConfig();
    float ratio = 100.0f;
    CKompenzacniStupne page;
    page.AttachConfig(&config, &ratio, FALSE);
    EXPECT_EQ(page.ControlText(1140), QStringLiteral("10"));
    EXPECT_EQ(page.ControlText(1144), QStringLiteral("-10"));
    EXPECT_EQ(page.ControlText(1146), QStringLiteral("--")); // 0x7FFF, 8.19175 A
    EXPECT_EQ(page.GetStageState(0), 2);
    EXPECT_EQ(page.GetStageState(4), 1);
    EXPECT_EQ(page.GetStageState(5), 3);
    EXPECT_EQ(page.GetStageState(6), 4);
    EXPECT_EQ(page.ButtonIcon(4), 159);

    // Typing a size clears the program; the value goes to the record.
    page.Ctl<QLineEdit>(1141)->setText(QStringLiteral("12.5"));
    page.OnStageValueChanged(1);
    EXPECT_EQ(page.m_program, -1);
    EXPECT_FALSE(page.IsEnabledCtl(1033));
    ASSERT_TRUE(page.StoreConfig());
    EXPECT_EQ(config.stageCurrents[1], 500);
    EXPECT_EQ(config.stageCurrents[6], CConfig::kStageNotSet);

    // Out of range: message, no stage.
    {
        ui::ScriptedMessageBoxes boxes;
        page.Ctl<QLineEdit>(1142)->setText(QStringLiteral("900"));
        page.OnStageValueChanged(2);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Hodnota mimo povolený rozsah"));
        EXPECT_EQ(page.ControlText(1142), QStringLiteral("--"));
    }

    // A doubled CT doubles the shown sizes and C/k.
    page.SetCtRatio(200.0f);
    EXPECT_EQ(page.ControlText(1140), QStringLiteral("20"));
    EXPECT_EQ(page.ControlText(1033), QStringLiteral("20"));

    // Stage button cycle: on -> off -> regulated -> on.
    auto* button = page.Ctl<QPushButton>(1106);
    button->click();
    EXPECT_EQ(page.ButtonIcon(6), 158);
    button->click();
    EXPECT_EQ(page.ButtonIcon(6), 176);
    button->click();
    EXPECT_EQ(page.ButtonIcon(6), 157);
}

TEST(QorinStagePage, SixStageModelsAndTheTransistorSection)
{
    CConfig config = SampleQorinConfig();
    config.stageCurrents[8] = 400;
    float ratio = 100.0f;
    CKompenzacniStupne six;
    six.AttachConfig(&config, &ratio, TRUE);
    EXPECT_FALSE(six.IsEnabledCtl(1108));
    EXPECT_FALSE(six.IsEnabledCtl(1146));
    ASSERT_TRUE(six.StoreConfig());
    EXPECT_EQ(config.stageCurrents[8], CConfig::kStageNotSet);

    config = SampleQorinConfig();
    config.SetTransistorStageCount(4);
    CKompenzacniStupneN two;
    two.AttachConfig(&config, &ratio);
    EXPECT_EQ(two.ControlText(1407), QStringLiteral("T 1"));
    EXPECT_EQ(two.ControlText(1413), QStringLiteral("R 1"));
    EXPECT_EQ(two.ControlText(1060), QStringLiteral("4"));
    ui::ScriptedMessageBoxes boxes;
    two.Ctl<QLineEdit>(1141)->setText(QStringLiteral("-5"));
    two.OnStageValueChanged(1);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("K výstupům tranzistorové sekce nelze připojit tlumivky."));
    two.Ctl<QLineEdit>(1141)->setText(QStringLiteral("5"));
    two.Ctl<QLineEdit>(1148)->setText(QStringLiteral("-5"));
    two.OnStageValueChanged(8);
    EXPECT_EQ(boxes.Requests().size(), 1u);
    ASSERT_TRUE(two.StoreConfig());
    EXPECT_EQ(config.stageCurrents[8], -200);
    EXPECT_EQ(config.GetTransistorStageCount(), 4);
}
