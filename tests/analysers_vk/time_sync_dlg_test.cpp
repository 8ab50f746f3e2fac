// The clock dialog against a scripted entry: the difference texts, the tries
// and pauses of reading, synchronising and setting the clock.
#include "FakeVKEntry.h"

#include "analysers_vk/TimeSyncDlg.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using analysers_vk::CTimeSyncDlg;
using platform::CTime;
using vktest::FakeVKEntry;

QPushButton* Button(QWidget& dialog, const QString& text)
{
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

TEST(TimeSyncDlgTest, DifferenceTexts)
{
    const struct {
        std::int64_t d;
        const char* text;
    } cases[] = {{0, "0 s"},          {1, "0 s"},           {-1, "1 s"},          {60, "60 s"},
                 {61, "1 m, 1 s"},    {-61, "1 m, 1 s"},    {3599, "59 m, 59 s"}, {3600, "1 h, 0 m, 0 s"},
                 {90061, "25 h, 1 m, 1 s"}};
    for (const auto& c : cases)
        EXPECT_EQ(CTimeSyncDlg::FormatDifference(c.d), QString::fromLatin1(c.text)) << c.d;
}

TEST(TimeSyncDlgTest, ReadingShowsBothClocksAndOneSecondCountsAsNone)
{
    FakeVKEntry entry;
    entry.now = CTime(2024, 3, 10, 12, 0, 1);
    entry.instrumentTime = CTime(2024, 3, 10, 12, 0, 0);
    entry.clockAnswers = {false, false, true};
    CTimeSyncDlg dialog;
    ASSERT_TRUE(dialog.SetPristroj(&entry));
    EXPECT_EQ(entry.sleeps, (std::vector<int>{300, 700}));
    EXPECT_EQ(dialog.ComputerTimeText(), QStringLiteral("10.03.24 12:00:01"));
    EXPECT_EQ(dialog.InstrumentTimeText(), QStringLiteral("10.03.24 12:00:01"));
    EXPECT_EQ(dialog.DifferenceText(), QStringLiteral("0 s"));

    entry.instrumentTime = CTime(2024, 3, 10, 12, 1, 2); // instrument ahead
    ASSERT_TRUE(dialog.ReadTimes());
    EXPECT_EQ(dialog.InstrumentTimeText(), QStringLiteral("10.03.24 12:01:02"));
    EXPECT_EQ(dialog.DifferenceText(), QStringLiteral("1 m, 1 s"));

    entry.clockAnswers = {false, false, false};
    EXPECT_FALSE(dialog.ReadTimes());
    EXPECT_EQ(dialog.DifferenceText(), QStringLiteral("1 m, 1 s")); // texts unchanged
}

TEST(TimeSyncDlgTest, SynchronisationTriesThreeTimesReportsAndRereads)
{
    FakeVKEntry entry;
    CTimeSyncDlg dialog;
    ASSERT_TRUE(dialog.SetPristroj(&entry));
    entry.syncAnswers = {false, false, false};
    entry.sleeps.clear();
    ui::ScriptedMessageBoxes boxes;
    QTest::mouseClick(Button(dialog, QStringLiteral("Synchronizace")), Qt::LeftButton);
    EXPECT_EQ(entry.syncs, 3);
    EXPECT_EQ(entry.sleeps, (std::vector<int>{1000, 1500, 1000}));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Nepodařilo se sesynchronizovat přístroj."));
}

TEST(TimeSyncDlgTest, SettingAsksFirstAndSetsOnlyOnYes)
{
    FakeVKEntry entry;
    CTimeSyncDlg dialog;
    ASSERT_TRUE(dialog.SetPristroj(&entry));
    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::No);
        QTest::mouseClick(Button(dialog, QStringLiteral("Nastavení")), Qt::LeftButton);
        EXPECT_EQ(entry.clockSets, 0);
    }
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    entry.setAnswers = {false, true};
    entry.sleeps.clear();
    QTest::mouseClick(Button(dialog, QStringLiteral("Nastavení")), Qt::LeftButton);
    EXPECT_EQ(entry.clockSets, 2);
    EXPECT_EQ(entry.sleeps, (std::vector<int>{700, 1000}));
    EXPECT_EQ(boxes.Requests().size(), 1u); // the question only
}

} // namespace
