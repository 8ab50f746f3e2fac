#include "ControllerTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace controllers;
using namespace controllers::test;

TEST(ControllerIo, ThreeTriesWithTheGivenPauses)
{
    FakeIo io;
    io.qorinReads = {false, false, true};
    CConfig c;
    EXPECT_TRUE(RetryThreeTimes(io, [&] { return io.ReadQorinConfig(c); }, 0, 7));
    EXPECT_EQ(io.calls, 3);
    EXPECT_EQ(io.sleeps, (std::vector<DWORD>{0, 7}));

    FakeIo silent;
    silent.qorinReads = {false, false, false, true};
    EXPECT_FALSE(RetryThreeTimes(silent, [&] { return silent.ReadQorinConfig(c); }));
    EXPECT_EQ(silent.calls, 3);
    EXPECT_EQ(silent.sleeps.size(), 2u);
}

TEST(ControllerIo, DuskarSettingsRetryEachRecordOnItsOwn)
{
    FakeIo io;
    io.duskarReads = {false, true};
    io.idenReads = {false, false, true};
    CDuskarConfig c;
    CIden iden;
    EXPECT_TRUE(RetryReadDuskarSettings(io, c, iden));
    // Pass 1: both fail (0 ms each); pass 2: the configuration reads, the
    // identification fails (300 ms); pass 3: the identification reads.
    EXPECT_EQ(io.sleeps, (std::vector<DWORD>{0, 0, 300}));
    EXPECT_EQ(io.calls, 5);

    FakeIo silent;
    silent.duskarReads = {false, false, false};
    EXPECT_FALSE(RetryReadDuskarSettings(silent, c, iden));
    EXPECT_EQ(silent.sleeps, (std::vector<DWORD>{0, 300, 300}));
}

TEST(ControllerIo, TaskRunsOffTheGuiThreadAndReturnsItsResult)
{
    std::thread::id worker;
    EXPECT_TRUE(RunInstrumentTask(nullptr, [&] {
        worker = std::this_thread::get_id();
        return TRUE;
    }));
    EXPECT_TRUE(worker != std::this_thread::get_id());
    EXPECT_FALSE(RunInstrumentTask(nullptr, [] { return FALSE; }));
}
