// VKR archives walked back from a real compound file; rows under each
// connection type and the VKR value rules.
#include "VKArchivTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace storetest;
using namespace vktest;

TEST_F(StoreTest, VKRWalkAndRowsFromAWrittenFile)
{
    Reader<CVKRArchivData> writer;
    Prepare(writer);
    const CTime start = m_clock.Get();
    ASSERT_EQ(writer.Create(20 * 600, 10, 60, Path(QStringLiteral("linka")), QStringLiteral(".vkr"), TRUE, TRUE,
                            QStringLiteral("Linka")),
              1);
    for (int block = 0; block < 2; ++block) {
        writer.AddConfigRecord(VKRConfig(100, 1, block == 0 ? CVKRConfig::Star : CVKRConfig::TwoPhases));
        for (int i = 0; i < 4; ++i) {
            m_clock.Advance(60);
            writer.AddMeasurementRecord(VKRValues(block * 4 + i));
        }
        m_clock.Advance(1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }

    Reader<CVKRArchivData> reader;
    Prepare(reader);
    ASSERT_EQ(reader.Open(Path(QStringLiteral("linka.vkr"))), 1);
    ASSERT_EQ(reader.ReadHeader(), 1);
    ASSERT_EQ(reader.Window().Load(reader, reader.WrittenSlots(), start, 86400), 1);
    ASSERT_EQ(reader.FirstRecord(), 1);
    int step = 0;
    do {
        CVKRAktData values;
        int fresh = 0;
        reader.GetLatestValues(values, fresh);
        ASSERT_EQ(CVKRArchivData::BuildFullRecord(values), CVKRArchivData::BuildFullRecord(VKRValues(step))) << step;
        CVKRConfig config;
        ASSERT_EQ(reader.GetConfigAt(config), 1);
        EXPECT_EQ(config.GetConnection(), step < 4 ? CVKRConfig::Star : CVKRConfig::TwoPhases);
        ++step;
    } while (reader.NextRecord());
    EXPECT_EQ(step, 8);
    EXPECT_EQ(reader.GetConnectionType(), CVKRConfig::TwoPhases);

    // Rows keep the connection type of their own block.
    std::vector<int> selection(CVKRArchivData::kColumnCount, 0);
    selection[2] = 1; // U3
    const int extra[3] = {0, 0, 1};
    int count = 0, first = 0;
    const auto rows = reader.GetRecordRows(0, selection.data(), extra, count, first, nullptr);
    ASSERT_EQ(count, 8);
    EXPECT_EQ(rows[0][1], QStringLiteral("232.0"));
    EXPECT_EQ(rows[7][1], QStringLiteral("-N-"));
    EXPECT_EQ(rows[7][2], QStringLiteral("-N-"));
    EXPECT_EQ(rows[0][2], QStringLiteral("1.2")); // THDU3,1 code 112
}

class VKRRows : public ::testing::Test {
protected:
    QStringList Row(const CVKRAktData& v, int connectionType) const
    {
        const std::vector<int> all = AllColumns(CVKRArchivData::kColumnCount);
        const int extra[3] = {1, 1, 1};
        return m_data.FormatRecordRow(all.data(), extra, &v, CTime(2024, 3, 10, 10, 0, 5), 1.0f, 1.0f,
                                      connectionType);
    }
    // Column c is text c + 1 (the time comes first).
    static QString Cell(const QStringList& row, int column) { return row[column + 1]; }

    CVKRArchivData m_data;
};

TEST_F(VKRRows, AronHidesPhaseTwoCurrentAndEveryPhasePower)
{
    CVKRAktData v = VKRValues(0);
    for (int k = 0; k < 3; ++k) {
        v.SetUPhase(k, 100.0f);
        v.SetI(k, 1.0f);
        v.SetP(k, float(10 * (k + 1)));
        v.SetQ(k, 0.0f);
    }
    const QStringList row = Row(v, CVKRConfig::Aron);
    ASSERT_EQ(row.size(), 1 + 39);
    EXPECT_EQ(Cell(row, 3), QStringLiteral("1.000"));
    EXPECT_EQ(Cell(row, 4), QStringLiteral("-N-"));
    EXPECT_EQ(Cell(row, 30), QStringLiteral("-N-")); // THDI2
    for (int c : {6, 7, 8, 11, 12, 13, 17, 18, 19, 20, 21, 22, 23, 24, 25})
        EXPECT_EQ(Cell(row, c), QStringLiteral("-N-")) << c;
    EXPECT_EQ(Cell(row, 33), QStringLiteral("40")); // 3P = P1 + P3
    EXPECT_EQ(Cell(row, 35), QStringLiteral("200")); // U1 I1 + U3 I3
    EXPECT_EQ(Cell(row, 32), QStringLiteral("0.20"));
}

TEST_F(VKRRows, ConnectionTypesHideWhatTheWiringLacks)
{
    const CVKRAktData v = VKRValues(0);
    QStringList row = Row(v, CVKRConfig::TwoPhases);
    EXPECT_NE(Cell(row, 14), QStringLiteral("-N-")); // U3,1
    EXPECT_EQ(Cell(row, 15), QStringLiteral("-N-"));
    EXPECT_EQ(Cell(row, 16), QStringLiteral("-N-"));
    EXPECT_EQ(Cell(row, 2), QStringLiteral("-N-"));  // U3
    EXPECT_NE(Cell(row, 1), QStringLiteral("-N-"));  // U2
    EXPECT_EQ(Cell(row, 38), QStringLiteral("-N-")); // THDU3,1 by phase 3
    EXPECT_NE(Cell(row, 33), QStringLiteral("-N-"));

    row = Row(v, CVKRConfig::OnePhase);
    for (int c : {1, 2, 4, 5, 14, 15, 16, 32, 33, 34, 35, 37, 38})
        EXPECT_EQ(Cell(row, c), QStringLiteral("-N-")) << c;
    EXPECT_NE(Cell(row, 0), QStringLiteral("-N-"));

    row = Row(v, CVKRConfig::Star);
    EXPECT_EQ(row.count(QStringLiteral("-N-")), 0);
}

TEST_F(VKRRows, AnglesThdAndCodesWithoutValue)
{
    CVKRAktData v = VKRValues(0);
    v.SetAngle(0, 15707);
    v.SetAngle(1, 15708);
    v.SetAngle(2, -15708);
    v.SetThdU(0, 123);
    v.SetThdI(1, CVKRAktData::kNoValue16);
    v.SetFrequency(4999);
    v.SetTemperature(CVKRAktData::kNoValue16);
    QStringList row = Row(v, CVKRConfig::Star);
    EXPECT_EQ(Cell(row, 11), QStringLiteral("L+0.00"));
    EXPECT_EQ(Cell(row, 12), QStringLiteral("C-0.00"));
    EXPECT_EQ(Cell(row, 13), QStringLiteral("L-0.00"));
    EXPECT_EQ(Cell(row, 26), QStringLiteral("1.3"));
    EXPECT_EQ(Cell(row, 30), QStringLiteral("--"));
    EXPECT_EQ(Cell(row, 9), QStringLiteral("50.00"));
    EXPECT_EQ(Cell(row, 10), QStringLiteral("--"));
    v.SetAngle(0, -100);
    v.SetAngle(1, CVKRAktData::kNoValue16);
    row = Row(v, CVKRConfig::Star);
    EXPECT_EQ(Cell(row, 11), QStringLiteral("C+1.00"));
    EXPECT_EQ(Cell(row, 12), QStringLiteral("--"));
    // No current: no power factor.
    v.SetI(2, 0.0f);
    EXPECT_EQ(Cell(Row(v, CVKRConfig::Star), 8), QStringLiteral("--"));
}

TEST(VKRAxisNames, ExtraColumnsFollowWithoutUnit)
{
    CVKRArchivData data;
    const std::vector<int> all = AllColumns(CVKRArchivData::kColumnCount);
    const int extra[3] = {1, 0, 1};
    const QStringList names = data.GetScaledAxisNames(all.data(), extra);
    ASSERT_EQ(names.size(), 1 + 36 + 2);
    EXPECT_EQ(names[4], QStringLiteral("I1 [A]"));
    EXPECT_EQ(names[37], QStringLiteral("THDU1,2"));
    EXPECT_EQ(names[38], QStringLiteral("THDU3,1"));
}

} // namespace
