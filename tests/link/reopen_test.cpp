// Opening a port: its bounds from the line speed, and the reopen back-off of
// an analyser port whose device went away.
#include "LinkTestSupport.h"

#include <map>

namespace {

// A port that records how it was set up and whose writes fail as if the
// device had been unplugged.
class GonePort : public ISerialPort {
public:
    bool SaveState(QByteArray&) override { return true; }
    bool RestoreState(const QByteArray&) override { return true; }
    bool SetTimeouts(const SerialTimeouts& t) override
    {
        timeouts = t;
        return true;
    }
    bool SetLineParameters(int b) override
    {
        baud = b;
        return b > 0;
    }
    bool RaiseModemLines() override { return false; }
    bool Purge() override { return true; }
    void ClearError() override {}
    bool Write(const BYTE*, int, int& written, PortFault& fault) override
    {
        written = 0;
        fault = PortFault::DeviceGone;
        return false;
    }
    int Read(BYTE*, int, PortFault&) override { return 0; }
    int BytesWaiting() override { return 0; }
    void Close() override {}

    SerialTimeouts timeouts;
    int baud = 0;
};

TEST(PortOpen, ReadBoundsFollowTheLineSpeed)
{
    struct Case {
        int baud;
        DWORD multiplier;
    } cases[] = {{4800, 3}, {9600, 2}, {19200, 1}, {115200, 1}};
    for (const Case& c : cases) {
        linktest::FakePortList ports;
        linktest::FakeClock clock;
        ports.Add(QStringLiteral("ttyS0"), 0, kPortKindSerial, c.baud);
        auto port = std::make_shared<GonePort>();
        CLinkManager manager(ports, clock, [&](const QString&, PortFault&) { return port; });
        const DWORD id = manager.Register(QStringLiteral("ttyS0"), 1);
        ASSERT_TRUE(manager.Open(id, QStringLiteral("ttyS0"), 1, QString()));
        EXPECT_EQ(port->baud, c.baud);
        EXPECT_EQ(port->timeouts.readMultiplier, c.multiplier) << c.baud;
        EXPECT_EQ(port->timeouts.readInterval, 100u);
        EXPECT_EQ(port->timeouts.readConstant, 715u);
        EXPECT_EQ(port->timeouts.writeMultiplier, 10u);
        EXPECT_EQ(port->timeouts.writeConstant, 100u);
    }
}

TEST(PortOpen, StoredBaudOfZeroIsRefusedNotDividedBy)
{
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    ports.Add(QStringLiteral("ttyS0"), 0, kPortKindSerial, 0);
    auto port = std::make_shared<GonePort>();
    CLinkManager manager(ports, clock, [&](const QString&, PortFault&) { return port; });
    const DWORD id = manager.Register(QStringLiteral("ttyS0"), 1);
    EXPECT_FALSE(manager.Open(id, QStringLiteral("ttyS0"), 1, QString()));
    EXPECT_EQ(manager.GetErrorText(id),
              QStringLiteral("Systémová chyba programu - nepodařilo se nastavit komunikační parametry portu."));
}

TEST(ReopenBackOff, GrowsWithTheNumberOfTries)
{
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    ports.Add(QStringLiteral("ttyACM0"), 0, kPortKindVkt, 115200);
    std::vector<std::int64_t> attempts; // seconds after the failed write
    const std::int64_t start = clock.now;
    bool firstOpen = true;
    CLinkManager manager(ports, clock, [&](const QString&, PortFault& fault) -> std::shared_ptr<ISerialPort> {
        if (firstOpen) {
            firstOpen = false;
            return std::make_shared<GonePort>();
        }
        attempts.push_back(clock.now - start);
        fault = PortFault::NotFound;
        return nullptr;
    });
    const DWORD id = manager.Register(QStringLiteral("ttyACM0"), 1);
    ASSERT_TRUE(manager.Open(id, QStringLiteral("ttyACM0"), 1, QString()));

    auto write = [&] {
        return manager.Request(id, [](CLink& link) { return link.Prepare() && link.ExchangeShortB(0x27, nullptr, 0, 0); });
    };
    EXPECT_FALSE(write());
    EXPECT_EQ(manager.GetErrorText(id), QStringLiteral("Chyba při odeslání dotazu."));

    for (std::int64_t t = 0; t <= 21601; ++t) {
        clock.now = start + t;
        EXPECT_FALSE(write());
    }
    EXPECT_EQ(manager.GetErrorText(id), QStringLiteral("Zařízení nenalezeno."));

    // Try n (counted from 0) comes once more than this many seconds have
    // passed since the failed write.
    const std::map<int, std::int64_t> expected = {
        {0, 0}, {1, 5}, {2, 10}, {9, 45}, {10, 60}, {11, 120}, {19, 600}, {20, 900}, {21, 1200}, {49, 9600}, {50, 21600},
    };
    ASSERT_EQ(attempts.size(), 51u);
    for (const auto& [n, seconds] : expected)
        EXPECT_EQ(attempts[std::size_t(n)], seconds + 1) << "try " << n;
}

TEST(ReopenBackOff, OnlyAnAnalyserPortThatVanishedIsReopened)
{
    for (int kind : {kPortKindSerial, kPortKindVkt}) {
        linktest::FakePortList ports;
        linktest::FakeClock clock;
        ports.Add(QStringLiteral("ttyS1"), 0, kind);
        int opens = 0;
        CLinkManager manager(ports, clock, [&](const QString&, PortFault&) -> std::shared_ptr<ISerialPort> {
            ++opens;
            return std::make_shared<GonePort>();
        });
        const DWORD id = manager.Register(QStringLiteral("ttyS1"), 1);
        ASSERT_TRUE(manager.Open(id, QStringLiteral("ttyS1"), 1, QString()));
        auto write = [&] {
            return manager.Request(id, [](CLink& link) { return link.Prepare() && link.ExchangeShortB(0x27, nullptr, 0, 0); });
        };
        EXPECT_FALSE(write());
        clock.now += 100;
        EXPECT_FALSE(write());
        EXPECT_EQ(opens, kind == kPortKindVkt ? 2 : 1) << "kind " << kind;
    }
}

} // namespace
