#include "archive/store/ArchivStageExtract.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"

#include "controller_records.h"
#include "vkt_archiv_support.h"

#include <gtest/gtest.h>

using archive::kStageOn;

namespace {

constexpr std::uint32_t kT0 = 1700000000;

std::uint32_t On(std::uint32_t s)
{
    return kStageOn | s;
}

template <class Traits>
CArchivRecord Full(std::uint32_t t, const typename Traits::Values& v)
{
    return storetest::ControllerFull<Traits>(t, v);
}

template <class Traits>
CArchivRecord Changed(std::uint32_t t, const typename Traits::Values& v, const typename Traits::Values& previous)
{
    return storetest::ControllerChanged<Traits>(t, v, previous);
}

// Full with stages 1 and 3 on, a change to stages 2 and 3, an outage, and a
// record that changes only the cos: the outage breaks the stages that were on
// and the next record states them again.
template <class Traits>
CArchivRecordList StageRecords()
{
    typename Traits::Values v0 = Traits::NoValues();
    v0.stageMask = 0b101;
    typename Traits::Values v1 = v0;
    v1.stageMask = 0b110;
    typename Traits::Values v2 = v1;
    v2.cosPhi = 90;
    return {
        {kT0 - 5, kRecordFull, {}}, // before the origin: not walked
        Full<Traits>(kT0, v0),
        Changed<Traits>(kT0 + 60, v1, v0),
        {kT0 + 120, kRecordError, {}},
        Changed<Traits>(kT0 + 180, v2, v1),
    };
}

void ExpectStages(const archive::CStageLists& lists)
{
    const std::vector<std::uint32_t> expected[] = {
        {On(0), 60, 180},
        {0, On(60), 120, On(180), On(180)},
        {On(0), 120, On(180), On(180)},
        {0, 180},
    };
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(lists[std::size_t(k)], expected[k]) << "stage " << k + 1;
    for (int k = 3; k < archive::kStageCount; ++k)
        EXPECT_EQ(lists[std::size_t(k)], expected[3]) << "stage " << k + 1;
}

TEST(StageExtract, QorinChangesOutageAndRestatement)
{
    archive::CStageLists lists;
    lists[0] = {123}; // emptied first
    archive::ExtractQorinStages(StageRecords<QorinArchivTraits>(), lists, {platform::CTime(kT0), {}, false});
    ExpectStages(lists);
}

TEST(StageExtract, DuskarReadsStageWordFromSecondMask)
{
    archive::CStageLists lists;
    archive::ExtractDuskarStages(StageRecords<DuskarArchivTraits>(), lists, {platform::CTime(kT0), {}, false});
    ExpectStages(lists);
}

TEST(StageExtract, OutageFirstContinuesPreviousChannel)
{
    archive::CStageLists previous;
    previous[0] = {On(10), On(50)};
    CQorinAktData v = QorinArchivTraits::NoValues();
    v.stageMask = 1;
    const CArchivRecordList records = {{kT0 + 100, kRecordBlockMarker, {}}, Full<QorinArchivTraits>(kT0 + 160, v)};
    archive::CStageLists lists;
    archive::ExtractQorinStages(records, lists, {platform::CTime(kT0), previous, false});
    EXPECT_EQ(lists[0], (std::vector<std::uint32_t>{51, On(160), On(160)}));
    EXPECT_EQ(lists[1], (std::vector<std::uint32_t>{100, 160, 160}));
}

TEST(StageExtract, EmptyOrUnstartedListAddsNothing)
{
    archive::CStageLists lists;
    archive::ExtractQorinStages({}, lists, {platform::CTime(kT0), {}, false});
    CQorinAktData a = QorinArchivTraits::NoValues();
    CQorinAktData b = a;
    b.stageMask = 3;
    archive::ExtractQorinStages({Changed<QorinArchivTraits>(kT0, b, a)}, lists, {platform::CTime(kT0), {}, true});
    for (const auto& list : lists)
        EXPECT_TRUE(list.empty());
}

// Outputs: the relay enters list 9 by its bit 0 alone; an outage breaks the
// overloads that were on and the next record states them again.
TEST(StageExtract, VKTOutputsFollowStatusAAndRelayBitZero)
{
    CAktData v0 = storetest::vkt::MakeValues(0x0017);
    v0.SetRelayState(0x18);
    v0.SetStatusA(0x01);
    CAktData v1 = v0;
    v1.SetRelayState(0x08); // bit 4 only: no output changes
    CAktData v2 = v1;
    v2.SetStatusA(0x03);
    CAktData v3 = v2;
    v3.SetTemperatureWord(2300); // neither relay nor status A
    CAktData v4 = v3;
    v4.SetRelayState(0x09);
    const CArchivRecordList records = {
        {kT0, kRecordFull, v0.PackFull()},
        {kT0 + 60, kRecordChanged, v1.PackDifference(v0)},
        {kT0 + 120, kRecordChanged, v2.PackDifference(v1)},
        {kT0 + 180, kRecordError, {}},
        {kT0 + 240, kRecordChanged, v3.PackDifference(v2)},
        {kT0 + 300, kRecordChanged, v4.PackDifference(v3)},
    };
    archive::COutputLists lists;
    archive::ExtractVKTOutputs(records, lists, {platform::CTime(kT0), {}, false});
    EXPECT_EQ(lists[0], (std::vector<std::uint32_t>{On(0), 180, On(240), On(300)}));
    EXPECT_EQ(lists[1], (std::vector<std::uint32_t>{0, On(120), 180, On(240), On(300)}));
    EXPECT_EQ(lists[2], (std::vector<std::uint32_t>{0, 300}));
    EXPECT_EQ(lists[8], (std::vector<std::uint32_t>{0, On(300), On(300)}));
}

} // namespace
