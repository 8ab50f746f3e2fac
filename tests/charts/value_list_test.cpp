// The value list over a VK archive: columns and rows from the window, the
// 100-row cache read in blocks, row colours, the not-ready notice, and what
// clicks tell the view.
#include "ValueListFixture.h"

#include "charts/ArchivValueLists.h"

#include <QSignalSpy>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

// Every member of a family list compiles.
template class charts::TArchiveValueList<CVKArchivData, charts::VKCsvColumns>;

namespace {

using namespace valuelist;
using charts::CValueRowCache;

TEST(ValueRowCache, TheHundredAndFirstRowReplacesTheEarliestInserted)
{
    CValueRowCache cache;
    cache.Reset(2);
    for (int i = 0; i < CValueRowCache::kSlots; ++i)
        cache.Insert(std::uint32_t(i), {QStringLiteral("t%1").arg(i), QStringLiteral("v"), QStringLiteral("extra")});
    ASSERT_TRUE(cache.Find(0));
    EXPECT_EQ(cache.Find(0)->texts, (QStringList{QStringLiteral("t0"), QStringLiteral("v")}));
    EXPECT_EQ(cache.NextSlot(), 0);
    cache.Insert(500, {QStringLiteral("t500")});
    EXPECT_FALSE(cache.Find(0));
    EXPECT_TRUE(cache.Find(1));
    EXPECT_EQ(cache.Find(500)->texts, (QStringList{QStringLiteral("t500"), QString()}));
    EXPECT_EQ(cache.NextSlot(), 1);
    cache.Reset(3);
    EXPECT_FALSE(cache.Find(500));
    EXPECT_EQ(cache.ColumnCount(), 3);
}

class ValueListTest : public VKArchiveFixture {
protected:
    void Fill(charts::CVKValueList& list, std::initializer_list<int> checked)
    {
        charts::VKCsvColumns columns;
        for (int c : checked)
            columns.flags[std::size_t(c)] = 1;
        list.SetArchivData(m_data.get());
        list.SetColumns(columns);
        list.Fill();
    }
};

TEST_F(ValueListTest, RowsComeFromTheWindowInBlocksOfTenAndStayInTheCache)
{
    WriteArchive(15);
    charts::CVKValueList list;
    Fill(list, {0, 3});
    charts::CArchiveValueModel& model = list.Model();
    ASSERT_EQ(model.columnCount(), 3);
    ASSERT_EQ(model.rowCount(), 150);
    EXPECT_FALSE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty());
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), m_times[0].Format(QStringLiteral("%d.%m %H:%M:%S")));
    EXPECT_EQ(model.data(model.index(149, 0), Qt::DisplayRole).toString(),
              m_times[149].Format(QStringLiteral("%d.%m %H:%M:%S")));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::BackgroundRole).value<QColor>(), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(0xFF, 0xFF, 0xDF));

    // Row 50 brings its block (from 3 before it); its neighbours need no read.
    const int reads = model.BlockReads();
    model.data(model.index(50, 1), Qt::DisplayRole);
    EXPECT_EQ(model.BlockReads(), reads + 1);
    for (int r = 47; r < 57; ++r)
        model.data(model.index(r, 1), Qt::DisplayRole);
    EXPECT_EQ(model.BlockReads(), reads + 1);

    // Scrolling over more than 100 rows pushes the first ones out.
    for (int r = 0; r < 150; ++r)
        model.data(model.index(r, 0), Qt::DisplayRole);
    const int afterScroll = model.BlockReads();
    EXPECT_FALSE(model.Cache().Find(0));
    model.data(model.index(0, 0), Qt::DisplayRole);
    EXPECT_EQ(model.BlockReads(), afterScroll + 1);
}

TEST_F(ValueListTest, AnEmptyWindowGivesTheColumnsAndNoRows)
{
    WriteArchive(2);
    m_data->SetWindow(CTime(m_times.front().GetTime() - 7200), CTime(m_times.front().GetTime() - 3600));
    charts::CVKValueList list;
    Fill(list, {0});
    EXPECT_EQ(list.Model().columnCount(), 2);
    EXPECT_EQ(list.Model().rowCount(), 0);
}

TEST_F(ValueListTest, ARowClickMovesTheRecordUnlessTheFileWasReloadedAndARightClickClosesTheQuantities)
{
    WriteArchive(3);
    charts::CVKValueList list;
    list.resize(500, 400);
    list.SetNavigator(m_data.get());
    int reloaded = 0;
    list.SetReloadCheck([&reloaded] { return reloaded; });
    Fill(list, {0});
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy graph(&list, &charts::CArchiveValueList::graphChanged);
    QSignalSpy closed(&list, &charts::CArchiveValueList::quantitiesClosed);

    const QRect row4 = list.visualRect(list.Model().index(4, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row4.center());
    EXPECT_EQ(graph.count(), 1);
    EXPECT_EQ(m_data->GetCurrentRecordTime(), m_times[4]);

    reloaded = 1;
    const QRect row7 = list.visualRect(list.Model().index(7, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row7.center());
    EXPECT_EQ(graph.count(), 1);
    EXPECT_EQ(m_data->GetCurrentRecordTime(), m_times[4]);

    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, row4.center());
    EXPECT_EQ(closed.count(), 1);
}

// A scroll over a file that was read again is dropped; the columns take
// their captions and values whole.
TEST_F(ValueListTest, ScrollingStopsOverAReloadedFileAndColumnsFitTheirTexts)
{
    WriteArchive(15);
    charts::CVKValueList list;
    list.resize(500, 300);
    int reloaded = 0;
    list.SetReloadCheck([&reloaded] { return reloaded; });
    Fill(list, {0, 3, 6});
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QScrollBar* bar = list.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    const int scrolled = bar->value();
    EXPECT_GT(scrolled, 0);
    reloaded = 1;
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), scrolled);
    QWheelEvent wheel(QPointF(50, 50), list.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.viewport(), &wheel);
    EXPECT_EQ(bar->value(), scrolled);

    const charts::CArchiveValueModel& model = list.Model();
    for (int c = 1; c < model.columnCount(); ++c) {
        const QString caption = model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_GT(list.columnWidth(c), list.horizontalHeader()->fontMetrics().horizontalAdvance(caption))
            << caption.toStdString();
        const QString value = model.data(model.index(0, c), Qt::DisplayRole).toString();
        EXPECT_GT(list.columnWidth(c), list.fontMetrics().horizontalAdvance(value)) << value.toStdString();
    }
}

TEST_F(ValueListTest, WhileTheTimeIsBeingSetTheListIsDisabledAndShowsTheNotice)
{
    WriteArchive(1);
    charts::CVKValueList list;
    list.resize(400, 200);
    Fill(list, {0});
    list.SetReady(0);
    EXPECT_FALSE(list.isEnabled());
    const QImage notice = list.grab().toImage();
    list.SetReady(1);
    EXPECT_TRUE(list.isEnabled());
    const QImage table = list.grab().toImage();
    // The notice is one centred line on the window colour: the top of the
    // viewport is plain, the middle carries text.
    const QColor window = list.palette().color(QPalette::Window);
    EXPECT_EQ(notice.pixelColor(list.viewport()->geometry().left() + 5, list.viewport()->geometry().top() + 5), window);
    bool text = false;
    for (int x = 0; x < notice.width(); ++x)
        text |= notice.pixelColor(x, list.viewport()->geometry().center().y()) != window;
    EXPECT_TRUE(text);
    EXPECT_NE(notice, table);
}

} // namespace
