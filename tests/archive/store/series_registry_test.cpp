#include "archive/store/ArchivSeriesRegistry.h"

#include <gtest/gtest.h>

using platform::CTime;

namespace {

constexpr CTime::time_type kOrigin = 1700000000;

class SeriesRegistryTest : public ::testing::Test {
protected:
    SeriesRegistryTest() { registry.SetGraphTimeBase(CTime(kOrigin), 900); }

    CGraphTrace& Series(const char* name) { return *registry.FindGraphSeries(QString::fromLatin1(name)); }
    void ExpectRange(const char* name, float maximum, float minimum)
    {
        SCOPED_TRACE(name);
        EXPECT_FLOAT_EQ(Series(name).Maximum(), maximum);
        EXPECT_FLOAT_EQ(Series(name).Minimum(), minimum);
    }
    void AddPower(const char* name, float maximum, float minimum)
    {
        ASSERT_TRUE(registry.AddGraphSeries(QString::fromLatin1(name), QStringLiteral("kW"), QStringLiteral("P"), 0,
                                            maximum, minimum));
    }

    CArchivSeriesRegistry registry;
};

TEST_F(SeriesRegistryTest, WiderMemberWidensGroupAndMovesItsPoints)
{
    AddPower("P2", 50, -50);
    Series("P2").SetPointCount(0, 1);
    Series("P2").SetPoint(0, 0, CTime(kOrigin), 50.0); // top of (-50, 50)
    AddPower("P1", 100, 0);
    ExpectRange("P1", 100, -50);
    ExpectRange("P2", 100, -50);
    EXPECT_EQ(Series("P2").Points(0)[0].y, 5001);
    EXPECT_EQ(Series("P1").Origin(), CTime(kOrigin));
}

TEST_F(SeriesRegistryTest, NarrowerMemberTakesGroupRange)
{
    AddPower("P1", 100, -100);
    AddPower("P2", 10, 0);
    ExpectRange("P2", 100, -100);
    EXPECT_FLOAT_EQ(Series("P2").DefaultMaximum(), 10);
}

TEST_F(SeriesRegistryTest, DuplicateNameKeepsFirst)
{
    AddPower("P1", 100, 0);
    EXPECT_FALSE(registry.AddGraphSeries(QStringLiteral("P1"), QStringLiteral("V"), QStringLiteral("U"), 1, 5, 0));
    EXPECT_EQ(Series("P1").Unit(), QStringLiteral("kW"));
    EXPECT_EQ(registry.Count(), 1);
}

TEST_F(SeriesRegistryTest, RemovingWidestNarrowsTheRest)
{
    AddPower("P1", 1000, -1000);
    AddPower("P2", 10, 0);
    AddPower("P3", 20, -5);
    EXPECT_TRUE(registry.RemoveGraphSeries(QStringLiteral("P1")));
    EXPECT_FALSE(registry.RemoveGraphSeries(QStringLiteral("P1")));
    ExpectRange("P2", 20, -5);
    ExpectRange("P3", 20, -5);
}

TEST_F(SeriesRegistryTest, ScaleMergesGroupDefaults)
{
    AddPower("P1", 100, 0);
    AddPower("P2", 100, 0);
    Series("P1").SetPointCount(0, 1);
    Series("P1").SetPoint(0, 0, CTime(kOrigin), 100.0);
    registry.SetSeriesScale(QStringLiteral("P2"), -10, 200);
    ExpectRange("P1", 200, -10);
    ExpectRange("P2", 200, -10);
    EXPECT_NE(Series("P1").Points(0)[0].y, 1);

    // The same pair again changes nothing, not even a range set by hand.
    Series("P1").SetRange(300, -10, false);
    registry.SetSeriesScale(QStringLiteral("P2"), -10, 200);
    ExpectRange("P1", 300, -10);

    registry.SetSeriesScale(QStringLiteral("Q1"), 0, 1); // not registered: nothing
    EXPECT_EQ(registry.Count(), 2);
}

TEST_F(SeriesRegistryTest, SettersReportUnknownNames)
{
    AddPower("P1", 100, 0);
    EXPECT_EQ(registry.SetSeriesOption(QStringLiteral("P1"), 0), 1);
    EXPECT_EQ(registry.SetSeriesOption(QStringLiteral("P1"), 1), 0);
    EXPECT_EQ(Series("P1").Option(), 1);
    EXPECT_EQ(registry.SetSeriesOption(QStringLiteral("X"), 1), 0);
    EXPECT_TRUE(registry.SetSeriesUnit(QStringLiteral("P1"), QStringLiteral("MW")));
    EXPECT_FALSE(registry.SetSeriesColour(QStringLiteral("p1"), 5)); // names compare with case
    IArchivSeriesRegistry& stores = registry;
    stores.SetSeriesText(QStringLiteral("P1"), QStringLiteral("kW"), 1000);
    EXPECT_EQ(Series("P1").Unit(), QStringLiteral("kW"));
    EXPECT_EQ(Series("P1").Divisor(), 1000.0);
    // A unit without a prefix goes back to base numbers.
    EXPECT_TRUE(registry.SetSeriesUnit(QStringLiteral("P1"), QStringLiteral("W")));
    EXPECT_EQ(Series("P1").Divisor(), 1.0);
}

TEST_F(SeriesRegistryTest, FamilyOperationsReachOnlyTheFamilysNames)
{
    AddPower("P1", 100, 0);
    ASSERT_TRUE(registry.AddGraphSeries(QStringLiteral("Cos"), {}, QStringLiteral("cos"), 0, 2, 0));
    registry.SizeSeriesChannel(kFamilyVK, 1, 5);
    EXPECT_EQ(Series("P1").Points(1).size(), 5u);
    EXPECT_TRUE(Series("Cos").Points(1).empty());
    registry.SetSeriesTimeBase(kFamilyQorin, CTime(kOrigin + 60), 1800, false, false);
    EXPECT_EQ(Series("Cos").Span(), 1800);
    EXPECT_EQ(Series("P1").Span(), 900);
    EXPECT_EQ(SeriesNamesOfKind(kFamilyDuskar).size(), 14u);
    EXPECT_EQ(SeriesNamesOfKind(kFamilyVKT).size(), 46u);
}

} // namespace
