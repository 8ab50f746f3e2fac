// The energy-meter dialog against a scripted VK entry: what it shows, the
// questions before it changes the meter, and the tries of each request.
#include "FakeVKEntry.h"

#include "analysers_vk/EnergyMeterDlg.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using analysers_vk::CEnergyMeterDlg;
using vktest::FakeVKEntry;

QPushButton* Button(QWidget& dialog, const QString& text)
{
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

TEST(EnergyMeterFormatsTest, EnergiesPowerFactorsAndMaximumDemand)
{
    // counter x kU.kI x 0.001 with one decimal.
    EXPECT_EQ(CEnergyMeterDlg::EnergyText(4294967295.0 * 40 * 0.001), QStringLiteral("171798691.8"));
    EXPECT_EQ(CEnergyMeterDlg::EnergyText(0), QStringLiteral("0.0"));
    const struct {
        double import, exportEnergy, inductive, capacitive;
        const char* text;
    } factors[] = {
        {0, 0, 0, 0, "--"},          // nothing counted
        {0, 0, 5, 0, "0.000"},       // reactive only
        {3, 1, 3, 0, "0.800"},       // 4 / 5
        {1e-4, 0, 1e-4, 0, "--"},    // root below 0.001
        {10, 0, 0, 0, "1.000"},
    };
    for (const auto& f : factors)
        EXPECT_EQ(CEnergyMeterDlg::PowerFactorOf(f.import, f.exportEnergy, f.inductive, f.capacitive),
                  QString::fromLatin1(f.text))
            << f.import << " " << f.inductive;
    // kU.kI x stored x 3.125e-9 kW.
    EXPECT_EQ(CEnergyMeterDlg::MaximumDemandText(200, 320000000), QStringLiteral("200.000"));
    EXPECT_EQ(CEnergyMeterDlg::MaximumDemandText(1, -320000000), QStringLiteral("-1.000"));
}

TEST(EnergyMeterDlgTest, AttachShowsCountersTotalsHoursAndTitle)
{
    FakeVKEntry entry;
    entry.ratio = 20.0;
    for (int t = 0; t < 3; ++t) {
        entry.data.SetCounter(CVKEData::CounterIndex(t, CVKEData::ActiveImport), DWORD(1000 * (t + 1)));
        entry.data.SetCounter(CVKEData::CounterIndex(t, CVKEData::ReactiveInductive), DWORD(500 * (t + 1)));
    }
    entry.data.SetMaximum(3, 160000000);
    for (int h = 0; h < 24; ++h)
        entry.tariff.SetCode(h, BYTE(h % 3));
    entry.instrumentTime = platform::CTime(2024, 3, 10, 12, 30, 5);

    CEnergyMeterDlg dialog;
    ASSERT_TRUE(dialog.Attach(&entry));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Stav elektroměru (Rozvodna)"));
    EXPECT_EQ(dialog.CounterText(0, CVKEData::ActiveImport), QStringLiteral("20.0"));
    EXPECT_EQ(dialog.CounterText(2, CVKEData::ActiveImport), QStringLiteral("60.0"));
    EXPECT_EQ(dialog.CounterText(3, CVKEData::ActiveImport), QStringLiteral("120.0"));
    EXPECT_EQ(dialog.CounterText(3, CVKEData::ReactiveInductive), QStringLiteral("60.0"));
    EXPECT_EQ(dialog.CounterText(3, CVKEData::ActiveExport), QStringLiteral("0.0"));
    EXPECT_EQ(dialog.PowerFactorText(3), QStringLiteral("0.894"));
    EXPECT_EQ(dialog.MaximumText(3), QStringLiteral("10.000"));
    EXPECT_EQ(dialog.ReadTimeText(), QStringLiteral("10.03.24 12:30:05"));
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(dialog.HourField(h), h % 3 + 1) << h;
}

TEST(EnergyMeterDlgTest, ASilentInstrumentIsReportedAndTheDialogIsNotShown)
{
    FakeVKEntry entry;
    entry.dataAnswers = {false, false, false};
    ui::ScriptedMessageBoxes boxes;
    CEnergyMeterDlg dialog;
    EXPECT_FALSE(dialog.Attach(&entry));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text,
              QStringLiteral("Stav elektroměru nelze zobrazit ,protože přístroj neodpovídá !"));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
}

TEST(EnergyMeterDlgTest, SendingTheTariffAsksFirstTriesThreeTimesAndRereads)
{
    FakeVKEntry entry;
    CEnergyMeterDlg dialog;
    ASSERT_TRUE(dialog.Attach(&entry));
    for (int h = 0; h < 24; ++h)
        dialog.SetHourField(h, 3);

    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::No);
        QTest::mouseClick(Button(dialog, QStringLiteral("Vyšli tarif")), Qt::LeftButton);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Opravdu změnit nastavení elektroměru?"));
        EXPECT_TRUE(entry.written.empty()); // No sends nothing
    }
    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
        entry.writeAnswers = {false, false, true};
        entry.sleeps.clear();
        const int readsBefore = entry.reads;
        QTest::mouseClick(Button(dialog, QStringLiteral("Vyšli tarif")), Qt::LeftButton);
        ASSERT_EQ(entry.written.size(), 3u);
        for (int h = 0; h < 24; ++h)
            EXPECT_EQ(entry.written.back().GetCode(h), 2) << h; // all "3" send code 2
        EXPECT_EQ(entry.sleeps.back(), 2000);               // the meter settles before the re-read
        EXPECT_EQ(entry.reads, readsBefore + 1);
        EXPECT_EQ(boxes.Requests().size(), 1u); // the question only
    }
    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
        entry.writeAnswers = {false, false, false};
        QTest::mouseClick(Button(dialog, QStringLiteral("Vyšli tarif")), Qt::LeftButton);
        ASSERT_EQ(boxes.Requests().size(), 2u);
        EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Přístroj neodpovídá !"));
    }
}

TEST(EnergyMeterDlgTest, ResetAsksThenResetsAndShowsTheNewCounters)
{
    FakeVKEntry entry;
    entry.data.SetCounter(0, 5000);
    CEnergyMeterDlg dialog;
    ASSERT_TRUE(dialog.Attach(&entry));
    EXPECT_EQ(dialog.CounterText(0, 0), QStringLiteral("5.0"));

    ui::ScriptedMessageBoxes no(ui::MsgAnswer::No);
    QTest::mouseClick(Button(dialog, QStringLiteral("Nuluj hodnoty")), Qt::LeftButton);
    EXPECT_EQ(entry.resets, 0);
    EXPECT_EQ(no.Requests().at(0).text, QStringLiteral("Opravdu vynulovat elektroměr?"));

    ui::ScriptedMessageBoxes yes(ui::MsgAnswer::Yes);
    entry.data.SetCounter(0, 0);
    QTest::mouseClick(Button(dialog, QStringLiteral("Nuluj hodnoty")), Qt::LeftButton);
    EXPECT_EQ(entry.resets, 1);
    EXPECT_EQ(dialog.CounterText(0, 0), QStringLiteral("0.0"));
    EXPECT_EQ(dialog.PowerFactorText(0), QStringLiteral("--"));
}

} // namespace
