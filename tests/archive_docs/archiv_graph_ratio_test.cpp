// The graph of an archive window draws the primary values the value list
// shows, also in blocks that carry no settings record of their own.
#include "DocTestSupport.h"

#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/ArchivSeriesRegistry.h"

namespace {

using namespace doctest;

class ArchivGraphRatioTest : public ArchivDocTest {
protected:
    // The first block with its settings (voltage ratio 4, current ratio
    // 100), then blocks of measurements only, as a recording continues
    // after its settings were written once.
    void SetUp() override
    {
        ArchivDocTest::SetUp();
        WriteBlock();
        for (int b = 0; b < 3; ++b)
            WriteMeasurements();
    }

    // The values of a series in the loaded window, oldest first.
    static std::vector<double> GraphValues(CArchivData& archiv, const QString& name)
    {
        std::vector<double> values;
        const CGraphTrace* trace = archiv.SeriesRegistry().FindGraphSeries(name);
        if (!trace)
            return values;
        for (int channel = 0; channel < CGraphTrace::kChannels; ++channel)
            for (const CGraphPoint& p : trace->Points(channel))
                if (!p.IsGap())
                    values.push_back(trace->ValueOfY(p.y));
        return values;
    }

    // One column of the value list over the whole window.
    static std::vector<double> ListValues(CVKArchivData& data, int column)
    {
        std::vector<int> selection(CVKArchivData::kColumnCount, 0);
        selection[std::size_t(column)] = 1;
        std::vector<double> values;
        for (;;) {
            int count = 0, first = -1;
            const auto rows = data.GetRecordRows(int(values.size()), selection.data(), count, first, nullptr);
            const int from = int(values.size()) - first;
            if (count == 0 || first < 0 || from >= count)
                break;
            for (int r = from; r < count; ++r)
                values.push_back(rows[std::size_t(r)].value(1).toDouble());
        }
        return values;
    }

    void ExpectGraphMatchesList(CVKArchivDoc* doc, CTime start, CTime end, int rows)
    {
        doc->SetWindow(start, end);
        doc->Navigator().SetMode(archive::kModeGraph);
        const struct {
            const char* series;
            int column;
            double tolerance;
        } cases[] = {{"U1", 0, 1.0}, {"I1", 3, 2.0}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.series);
            const std::vector<double> list = ListValues(doc->GetFamilyArchiv(), c.column);
            const std::vector<double> graph = GraphValues(doc->GetArchiv(), QString::fromLatin1(c.series));
            ASSERT_EQ(int(list.size()), rows);
            ASSERT_EQ(graph.size(), list.size());
            for (std::size_t i = 0; i < list.size(); ++i)
                EXPECT_NEAR(graph[i], list[i], c.tolerance) << "row " << i;
        }
    }

    CVKArchivDoc* OpenWithSeries()
    {
        HintView* view = nullptr;
        auto* doc = OpenDoc<CVKArchivDoc>(view);
        for (const char* name : {"U1", "I1"})
            EXPECT_TRUE(doc->GetArchiv().SeriesRegistry().AddGraphSeries(QString::fromLatin1(name), {},
                                                                           QStringLiteral("g"), 0, 500.0f, 0.0f));
        return doc;
    }
};

TEST_F(ArchivGraphRatioTest, BlocksWithoutSettingsKeepTheRatiosInForce)
{
    CVKArchivDoc* doc = OpenWithSeries();
    ExpectGraphMatchesList(doc, m_times.front(), m_times.back(), 40);
    // Primary values: 230 V behind a ratio of 4.
    const std::vector<double> graph = GraphValues(doc->GetArchiv(), QStringLiteral("U1"));
    ASSERT_FALSE(graph.empty());
    EXPECT_GT(graph.back(), 900.0);
}

TEST_F(ArchivGraphRatioTest, WindowStartingWithoutSettingsDrawsTheRatiosTheListShows)
{
    CVKArchivDoc* doc = OpenWithSeries();
    ExpectGraphMatchesList(doc, m_times.front(), m_times.back(), 40);
    ExpectGraphMatchesList(doc, m_times[20], m_times.back(), 20);
    const std::vector<double> graph = GraphValues(doc->GetArchiv(), QStringLiteral("U1"));
    ASSERT_FALSE(graph.empty());
    EXPECT_GT(graph.front(), 900.0);
}

TEST_F(ArchivGraphRatioTest, NewRatiosCarryOnIntoTheBlocksAfterThem)
{
    m_writer.AddConfigRecord(vktest::VKConfig(800, 100));
    WriteMeasurements();
    WriteMeasurements();
    CVKArchivDoc* doc = OpenWithSeries();
    // Six blocks: the graph's three channels each get some of them.
    ExpectGraphMatchesList(doc, m_times.front(), m_times.back(), 60);
    const std::vector<double> graph = GraphValues(doc->GetArchiv(), QStringLiteral("U1"));
    ASSERT_EQ(graph.size(), 60u);
    EXPECT_LT(graph[39], 1000.0);
    EXPECT_GT(graph[40], 1800.0);
    EXPECT_GT(graph[59], 1800.0);
}

} // namespace
