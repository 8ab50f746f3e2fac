// The link manager on a simulated line: shared ports, the port lock, the
// failure count and the pauses.
#include "LinkTestSupport.h"

#include "model/Iden.h"

#include <thread>

using linktest::SimLineTest;
using sim::Family;
using sim::Faults;
using sim::Instrument;

namespace {

class ManagerTest : public SimLineTest {
protected:
    BOOL Identify(DWORD id)
    {
        CIden iden;
        return manager.Request(id, &CLink::ReadIdentification, iden);
    }
};

TEST_F(ManagerTest, TwoLinksShareOnePortAndNeverInterleave)
{
    StartLine({Instrument(Family::VK, 1), Instrument(Family::VK, 2)}, 0);
    const DWORD first = OpenLink(1);
    const DWORD second = OpenLink(2);
    EXPECT_NE(first, second);
    EXPECT_EQ(log.opens.load(), 1);

    constexpr int kRequests = 150;
    std::atomic<int> good{0};
    auto hammer = [&](DWORD id, WORD address) {
        for (int i = 0; i < kRequests; ++i) {
            CIden iden;
            if (manager.Request(id, &CLink::ReadIdentification, iden) && iden.number == 1000 + address)
                ++good;
        }
    };
    std::thread a(hammer, first, WORD(1));
    std::thread b(hammer, second, WORD(2));
    a.join();
    b.join();
    EXPECT_EQ(good.load(), 2 * kRequests);
    EXPECT_FALSE(log.interleaved.load());
    EXPECT_EQ(clock.CountPreciseWaits(), 2 * kRequests); // the pause after every good request
}

TEST_F(ManagerTest, ClosingOneOfTwoLeavesThePortToTheOther)
{
    StartLine({Instrument(Family::VK, 1), Instrument(Family::VK, 2)}, 0);
    const DWORD first = OpenLink(1);
    const DWORD second = OpenLink(2);
    manager.Close(first);
    EXPECT_EQ(log.closes.load(), 0);
    EXPECT_FALSE(Identify(first));
    EXPECT_EQ(Error(first), QStringLiteral("Zařízení nenalezeno."));
    EXPECT_TRUE(Identify(second)) << Error(second).toStdString();

    // The last one closes the port and puts its settings back.
    manager.Close(second);
    EXPECT_EQ(log.closes.load(), 1);
    EXPECT_EQ(log.restores.load(), 1);

    // Opened again, the line works as before.
    ASSERT_TRUE(manager.Open(first, port, 1, QString()));
    EXPECT_EQ(log.opens.load(), 2);
    EXPECT_TRUE(Identify(first)) << Error(first).toStdString();
}

TEST_F(ManagerTest, FourthFailureInARowPausesAndPurges)
{
    StartLine({Instrument(Family::VK, 1)}, 0);
    const DWORD id = OpenLink(1);
    auto fail = [&](int times) {
        line.SetFaults(Faults{.wrongAddress = true}, times);
        for (int i = 0; i < times; ++i)
            EXPECT_FALSE(Identify(id));
    };

    fail(3);
    EXPECT_TRUE(Identify(id)); // resets the count
    fail(3);
    EXPECT_EQ(log.purges.load(), 0); // no retries: nothing purged before writes either
    EXPECT_EQ(clock.CountSleeps(500), 0);

    fail(1);
    EXPECT_EQ(log.purges.load(), 1);
    EXPECT_EQ(clock.CountSleeps(500), 1);
    fail(3);
    EXPECT_EQ(log.purges.load(), 1); // counting started afresh
}

// The two questions about a link are requests under its port lock: a "no"
// is a failure that counts towards the purge, a "yes" a success that pauses
// and starts the count afresh; an unknown link counts nothing.
TEST_F(ManagerTest, QueriesCountAsRequests)
{
    StartLine({Instrument(Family::VK, 1)}, 0);
    const DWORD id = OpenLink(1);
    line.SetFaults(Faults{.wrongAddress = true}, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Identify(id));
    EXPECT_EQ(log.purges.load(), 0);
    EXPECT_FALSE(manager.IsLinkKind3(id)); // the fourth failure in a row
    EXPECT_EQ(log.purges.load(), 1);
    EXPECT_EQ(clock.CountSleeps(500), 1);

    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(manager.IsModemLink(id));
    EXPECT_FALSE(manager.IsModemLink(id + 100));
    EXPECT_FALSE(manager.IsLinkKind3(id + 100));
    EXPECT_EQ(log.purges.load(), 1);
    EXPECT_FALSE(manager.IsModemLink(id));
    EXPECT_EQ(log.purges.load(), 2);
    EXPECT_EQ(clock.CountPreciseWaits(), 0);
}

TEST_F(ManagerTest, AYesToAQueryIsASuccess)
{
    StartLine({Instrument(Family::VKT, 1)}, 0, kPortKindVkt);
    const DWORD id = OpenLink(1);
    line.SetFaults(Faults{.wrongAddress = true}, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Identify(id));
    EXPECT_TRUE(manager.IsLinkKind3(id));
    EXPECT_EQ(clock.CountPreciseWaits(), 1);
    line.SetFaults(Faults{.wrongAddress = true}, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Identify(id));
    EXPECT_EQ(log.purges.load(), 0);
    EXPECT_EQ(clock.CountSleeps(500), 0);
}

TEST_F(ManagerTest, RetriesPurgeBeforeEveryRequestAndWaitBeforeReading)
{
    StartLine({Instrument(Family::VK, 1)}, 2);
    const DWORD id = OpenLink(1);
    EXPECT_TRUE(Identify(id));
    EXPECT_TRUE(Identify(id));
    EXPECT_EQ(log.purges.load(), 2);
    EXPECT_EQ(clock.CountSleeps(100), 2);
}

TEST_F(ManagerTest, OpenFailuresLeaveTheirTexts)
{
    StartLine({Instrument(Family::VK, 1)}, 0);
    const DWORD id = manager.Register(port, 1);
    EXPECT_EQ(Error(id), QStringLiteral("Blíže neidentifikovaná chyba."));
    EXPECT_EQ(Error(9999), QString());

    EXPECT_FALSE(manager.Open(id, QStringLiteral("ttyNOWHERE"), 1, QString()));
    EXPECT_EQ(Error(id), QStringLiteral("Port nenalezen."));

    PortFault fault = PortFault::None;
    auto holder = OpenSystemSerialPort(port, fault);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(manager.Open(id, port, 1, QString()));
    EXPECT_EQ(Error(id),
              QStringLiteral("Systémová chyba programu - nepodařilo se otevřít komunikační port (možná již používán)."));
    holder->Close();

    EXPECT_TRUE(manager.Open(id, port, 1, QString()));
    EXPECT_EQ(Error(id), QString()); // cleared by the open
    EXPECT_EQ(manager.GetPortRetryCount(port), 0);
    EXPECT_EQ(manager.GetPortRetryCount(QStringLiteral("ttyNOWHERE")), 0);
}

TEST(ManagerUnknownId, RequestsOnUnknownLinksFail)
{
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    CLinkManager manager(ports, clock);
    CIden iden;
    EXPECT_FALSE(manager.Request(42, &CLink::ReadIdentification, iden));
    const DWORD id = manager.Register(QStringLiteral("ttyX"), 1);
    manager.Unregister(id);
    EXPECT_FALSE(manager.Request(id, &CLink::ReadIdentification, iden));
}

} // namespace
