// The panel event list: where alarms began, ended or were lasting, one-off
// events in time order, states told apart by their whole text, and the
// refresh throttle of a live list.
#include "charts/PanelEventList.h"

#include "archive/store/ArchivData.h"
#include "platform/Cp1250.h"
#include "platform/StringTable.h"

#include <QScrollBar>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

using charts::CEventRow;

constexpr std::uint32_t kBase = 1233478800; // 2009-02-01 10:00 local

CArchivEventItem Item(int type, const char* text, int sample)
{
    return {kBase + std::uint32_t(sample) * 60, std::uint8_t(type), platform::ToCp1250(QString::fromUtf8(text)),
            sample};
}
CArchivEventItem End(int sample)
{
    return {kBase + std::uint32_t(sample) * 60, 0, QByteArray(1, '\0'), sample};
}

struct Expected {
    int sample;
    const char* text;
};

TEST(PanelEventRows, StatesBecomeBeginEndAndDurationRows)
{
    const QString begin = platform::LoadString(platform::IDS_EVENT_BEGIN);
    ASSERT_EQ(begin, QStringLiteral("(začátek)"));
    struct Case {
        const char* name;
        CArchivEventList entries;
        std::vector<Expected> rows;
    };
    const Case cases[] = {
        {"seen in 10, 11, 12 of a period ending at 20",
         {Item(5, "A", 10), Item(5, "A", 11), Item(5, "A", 12), End(20)},
         {{10, "A(začátek)"}, {12, "A(konec)"}}},
        {"seen in 1 and 2 of a period ending at 2",
         {Item(5, "A", 1), Item(5, "A", 2), End(2)},
         {{1, "A(trvání)"}, {2, "A(trvání)"}}},
        {"seen in 10 and 15",
         {Item(6, "A", 10), Item(6, "A", 15), End(20)},
         {{10, "A(začátek)"}, {10, "A(konec)"}, {15, "A(začátek)"}, {15, "A(konec)"}}},
        {"an error ends the open alarms",
         {Item(5, "A", 3), Item(6, "B", 3), Item(4, "E", 5), End(10)},
         {{3, "A(začátek)"}, {3, "B(začátek)"}, {3, "A(konec)"}, {3, "B(konec)"}, {5, "E(začátek)"}, {5, "E(konec)"}}},
        {"an error from the first record lasts, repeated in the same record",
         {Item(4, "E", 0), Item(4, "E", 0), End(0)},
         {{0, "E(trvání)"}, {0, "E(trvání)"}}},
        {"other events once, in time order among the states",
         {Item(5, "A", 3), Item(5, "A", 4), Item(7, "Výpadek", 2), Item(11, "Zpráva", 9), End(4)},
         {{2, "Výpadek"}, {3, "A(začátek)"}, {4, "A(trvání)"}, {9, "Zpráva"}}},
        {"states are told apart by their whole text",
         {Item(5, "Alarm 10", 3), Item(5, "Alarm 1", 4), Item(5, "Alarm 10", 4), End(4)},
         {{3, "Alarm 10(začátek)"}, {4, "Alarm 1(začátek)"}, {4, "Alarm 10(trvání)"}, {4, "Alarm 1(trvání)"}}},
    };
    for (const Case& c : cases) {
        const std::vector<CEventRow> rows = charts::BuildEventRows(c.entries);
        ASSERT_EQ(rows.size(), c.rows.size()) << c.name;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].time, kBase + std::uint32_t(c.rows[i].sample) * 60) << c.name << " row " << i;
            EXPECT_EQ(rows[i].text, QString::fromUtf8(c.rows[i].text)) << c.name << " row " << i;
        }
    }
}

TEST(PanelEventList, ShowsTimeAndDescriptionAndKeepsTheScrollOverARebuild)
{
    CPanelEventList panel;
    panel.resize(600, 200);
    panel.show();
    for (int i = 0; i < 40; ++i)
        panel.Entries().push_back(Item(7, "Výpadek napájení", i));
    panel.Rebuild();
    ASSERT_EQ(panel.RowCount(), 40);
    EXPECT_EQ(panel.RowTime(0), QStringLiteral("01.02.09 10:00:00"));
    EXPECT_EQ(panel.RowText(0), QStringLiteral("Výpadek napájení"));
    EXPECT_EQ(panel.List()->horizontalHeaderItem(0)->text(), QStringLiteral("čas"));
    EXPECT_EQ(panel.List()->horizontalHeaderItem(1)->text(), QStringLiteral("popis"));

    CArchivData data;
    data.SetTimeSource([] { return platform::CTime(kBase); });
    for (int i = 0; i < 40; ++i)
        data.AddRecord(QStringLiteral("Porucha %1").arg(i), kRecordState);
    panel.AddEvent(&data);
    ASSERT_EQ(panel.RowCount(), 40);
    panel.List()->doItemsLayout();
    panel.List()->verticalScrollBar()->setValue(panel.List()->verticalScrollBar()->maximum() / 2);
    const int scrolled = panel.List()->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    data.AddRecord(QStringLiteral("Porucha 40"), kRecordState);
    panel.AddEvent(&data);
    EXPECT_EQ(panel.RowCount(), 41);
    EXPECT_EQ(panel.List()->verticalScrollBar()->value(), scrolled);
}

TEST(PanelEventList, ALiveListRestsAfterThreeQuietRefreshes)
{
    CPanelEventList panel;
    CArchivData data;
    data.SetTimeSource([] { return platform::CTime(kBase); });
    data.AddRecord(QStringLiteral("Porucha"), kRecordState);
    panel.AddEvent(&data); // pending records
    EXPECT_EQ(panel.RowCount(), 1);
    for (int quiet = 1; quiet <= CPanelEventList::kQuietRefreshes; ++quiet) {
        data.QueueMessage(platform::IDS_SETTING_TIME, -1);
        panel.AddEvent(&data);
        EXPECT_EQ(panel.RowCount(), 1 + quiet) << quiet;
    }
    data.QueueMessage(platform::IDS_SETTING_TIME, -1);
    panel.AddEvent(&data); // resting: nothing read
    EXPECT_EQ(panel.RowCount(), 1 + CPanelEventList::kQuietRefreshes);
    data.AddRecord(QStringLiteral("Porucha 2"), kRecordState);
    panel.AddEvent(&data);
    EXPECT_EQ(panel.RowCount(), 2 + CPanelEventList::kQuietRefreshes + 1);
}

} // namespace
