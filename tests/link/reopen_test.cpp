// The reopen back-off of an analyser port whose device went away.
#include "LinkTestSupport.h"

#include <map>

namespace {

// A port whose writes fail as if the device had been unplugged.
class GonePort : public ISerialPort {
public:
    bool SaveState(QByteArray&) override { return true; }
    bool RestoreState(const QByteArray&) override { return true; }
    bool SetTimeouts(const SerialTimeouts&) override { return true; }
    bool SetLineParameters(int) override { return true; }
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
};

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
