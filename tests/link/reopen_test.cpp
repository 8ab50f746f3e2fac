// Opening a port: its bounds from the line speed, and the reopen back-off of
// a port whose device went away.
#include "LinkTestSupport.h"

#include "link/SharedPort.h"

#include <climits>
#include <utility>

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

// A port whose writes and reads end as told: a device gone, a silent
// instrument (a read that times out), another error.
class FaultyPort : public GonePort {
public:
    bool Write(const BYTE*, int count, int& written, PortFault& fault) override
    {
        ++writes;
        fault = writeFault;
        written = fault == PortFault::None ? count : 0;
        return fault == PortFault::None;
    }
    int Read(BYTE*, int, PortFault& fault) override
    {
        fault = readFault;
        return readResult;
    }
    void Close() override { ++closes; }

    PortFault writeFault = PortFault::None;
    int readResult = 0;
    PortFault readFault = PortFault::None;
    int writes = 0;
    int closes = 0;
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

TEST(ReopenBackOff, PauseDoublesFromASecondToItsCap)
{
    const std::pair<int, std::int64_t> cases[] = {{0, 1}, {1, 2}, {2, 4}, {3, 8}, {4, 16}, {5, 30}, {6, 30},
                                                  {40, 30}, {INT_MAX, 30}};
    for (const auto& [tries, seconds] : cases)
        EXPECT_EQ(CSharedPort::ReopenPauseSeconds(tries), seconds) << "tries " << tries;
}

// A port whose device went away is closed with the failed request, tried
// again after pauses that double up to their cap however often the
// instruments ask meanwhile, used again as soon as a try finds it, and the
// next loss starts the pauses over.
TEST(ReopenBackOff, TriesComeAfterGrowingPausesAndTheDeviceIsUsedOnceBack)
{
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    ports.Add(QStringLiteral("ttyUSB0"), 0, kPortKindSerial, 9600);
    std::vector<std::int64_t> attempts; // seconds after the loss
    const std::int64_t start = clock.now;
    bool present = true;
    std::vector<std::shared_ptr<FaultyPort>> opened;
    CLinkManager manager(ports, clock, [&](const QString&, PortFault& fault) -> std::shared_ptr<ISerialPort> {
        if (!opened.empty())
            attempts.push_back(clock.now - start);
        if (!present) {
            fault = PortFault::NotFound;
            return nullptr;
        }
        opened.push_back(std::make_shared<FaultyPort>());
        return opened.back();
    });
    const DWORD id = manager.Register(QStringLiteral("ttyUSB0"), 1);
    ASSERT_TRUE(manager.Open(id, QStringLiteral("ttyUSB0"), 1, QString()));
    auto ask = [&] { return manager.Request(id, [](CLink& link) { return link.WriteA(0x20, nullptr, 0); }); };
    auto ready = [&] { return manager.Request(id, [](CLink& link) { return link.Prepare(); }); };

    present = false;
    opened[0]->writeFault = PortFault::DeviceGone;
    EXPECT_FALSE(ask());
    EXPECT_EQ(manager.GetErrorText(id), QStringLiteral("Chyba při odeslání dotazu."));
    EXPECT_EQ(opened[0]->closes, 1) << "the lost device is closed at once";

    // Ten requests a second for ten minutes.
    for (std::int64_t t = 0; t <= 600; ++t) {
        clock.now = start + t;
        for (int i = 0; i < 10; ++i)
            EXPECT_FALSE(ready());
    }
    EXPECT_EQ(manager.GetErrorText(id), QStringLiteral("Zařízení nenalezeno."));
    std::vector<std::int64_t> expected = {1, 3, 7, 15, 31};
    for (std::int64_t t = 61; t <= 600; t += 30)
        expected.push_back(t);
    EXPECT_EQ(attempts, expected);

    // Back: the next request after the pause opens and uses it.
    present = true;
    clock.now = start + 631;
    EXPECT_TRUE(ready());
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(ready());
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1]->baud, 9600);

    // Lost again: the pauses start over.
    attempts.clear();
    present = false;
    opened[1]->writeFault = PortFault::DeviceGone;
    EXPECT_FALSE(ask());
    const std::int64_t lost = clock.now - start;
    for (std::int64_t t = 0; t <= 3; ++t) {
        clock.now = start + lost + t;
        EXPECT_FALSE(ready());
    }
    EXPECT_EQ(attempts, (std::vector<std::int64_t>{lost + 1, lost + 3}));
}

// A device that is not there when the instruments on its port are opened:
// every open says so, and the port is taken into use by whichever request
// comes once it is there, for all of them.
TEST(ReopenBackOff, ADeviceMissingAtOpenIsTakenIntoUseOnceItIsThere)
{
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    ports.Add(QStringLiteral("/dev/ttyUSB1"), 0);
    bool present = false;
    int attempts = 0;
    std::vector<std::shared_ptr<FaultyPort>> opened;
    CLinkManager manager(ports, clock, [&](const QString&, PortFault& fault) -> std::shared_ptr<ISerialPort> {
        ++attempts;
        if (!present) {
            fault = PortFault::NotFound;
            return nullptr;
        }
        opened.push_back(std::make_shared<FaultyPort>());
        return opened.back();
    });
    const QString name = QStringLiteral("/dev/ttyUSB1");
    const DWORD first = manager.Register(name, 1);
    const DWORD second = manager.Register(name, 2);
    for (DWORD id : {first, second}) {
        EXPECT_FALSE(manager.Open(id, name, WORD(id == first ? 1 : 2), QString()));
        EXPECT_EQ(manager.GetErrorText(id), QStringLiteral("Port nenalezen."));
    }
    EXPECT_EQ(attempts, 2);
    auto ready = [&](DWORD id) { return manager.Request(id, [](CLink& link) { return link.Prepare(); }); };
    EXPECT_FALSE(ready(first));
    EXPECT_FALSE(ready(second));
    EXPECT_EQ(attempts, 2) << "no try before the pause";

    present = true;
    clock.now += CSharedPort::kMaxReopenSeconds;
    EXPECT_TRUE(ready(second));
    EXPECT_TRUE(ready(first));
    ASSERT_EQ(opened.size(), 1u) << "one device for both";
    manager.Close(first);
    EXPECT_EQ(opened[0]->closes, 0);
    manager.Close(second);
    EXPECT_EQ(opened[0]->closes, 1);
}

// What closes a port and opens it again: a read or a write that fails on
// the device, for every kind of serial port and both frame formats; an
// instrument that does not answer, or a port refused for another reason,
// keeps its port.
TEST(ReopenBackOff, OnlyADeviceThatFailedIsReopenedOnEveryKindOfPort)
{
    struct Case {
        const char* what;
        int kind;
        bool formatB;
        PortFault writeFault;
        int readResult;
        PortFault readFault;
        bool reopened;
    } const cases[] = {
        {"serial, write gone, A", kPortKindSerial, false, PortFault::DeviceGone, 0, PortFault::None, true},
        {"serial, write gone, B", kPortKindSerial, true, PortFault::DeviceGone, 0, PortFault::None, true},
        {"analyser, write gone, B", kPortKindVkt, true, PortFault::DeviceGone, 0, PortFault::None, true},
        {"analyser, write gone, A", kPortKindVkt, false, PortFault::DeviceGone, 0, PortFault::None, true},
        {"serial, read gone", kPortKindSerial, false, PortFault::None, -1, PortFault::DeviceGone, true},
        {"analyser, read gone", kPortKindVkt, true, PortFault::None, -1, PortFault::DeviceGone, true},
        {"serial, invalid handle", kPortKindSerial, false, PortFault::InvalidHandle, 0, PortFault::None, true},
        {"serial, silent instrument", kPortKindSerial, false, PortFault::None, 0, PortFault::None, false},
        {"analyser, silent instrument", kPortKindVkt, true, PortFault::None, 0, PortFault::None, false},
        {"serial, other write error", kPortKindSerial, false, PortFault::Other, 0, PortFault::None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        linktest::FakePortList ports;
        linktest::FakeClock clock;
        ports.Add(QStringLiteral("ttyS1"), 0, c.kind);
        std::vector<std::shared_ptr<FaultyPort>> opened;
        CLinkManager manager(ports, clock, [&](const QString&, PortFault&) -> std::shared_ptr<ISerialPort> {
            opened.push_back(std::make_shared<FaultyPort>());
            return opened.back();
        });
        const DWORD id = manager.Register(QStringLiteral("ttyS1"), 1);
        ASSERT_TRUE(manager.Open(id, QStringLiteral("ttyS1"), 1, QString()));
        opened[0]->writeFault = c.writeFault;
        opened[0]->readResult = c.readResult;
        opened[0]->readFault = c.readFault;
        auto ask = [&] {
            return manager.Request(id, [&](CLink& link) {
                return c.formatB ? link.Prepare() && link.ExchangeShortB(0x27, nullptr, 0, 0)
                                 : link.WriteA(0x20, nullptr, 0);
            });
        };
        EXPECT_FALSE(ask());
        clock.now += 100;
        EXPECT_FALSE(ask());
        EXPECT_EQ(opened.size(), c.reopened ? 2u : 1u);
        EXPECT_EQ(opened[0]->closes, c.reopened ? 1 : 0);
        if (c.reopened) {
            EXPECT_EQ(opened[1]->writes, 1) << "the reopened device takes the next request";
        }
    }
}

} // namespace
