// Many open ports at once: requests on different ports never wait for each
// other, however many ports are open, and requests on one port still take
// turns.
#include "AcceptingPort.h"
#include "LinkTestSupport.h"

#include "model/Iden.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <thread>

namespace {

// Counts the requests inside, per port and on all ports at once. A request
// stays inside until a request of every port has been inside at the same
// time, or until a deadline common to all of them has passed, so ports that
// wait for each other cost the test the bound once, not once per request.
class Overlap {
public:
    explicit Overlap(int ports) : m_ports(ports), m_deadline(std::chrono::steady_clock::now() + std::chrono::seconds(20))
    {
    }

    void Inside(const QString& port)
    {
        std::unique_lock lock(m_lock);
        if (++m_inside[port] > 1)
            m_sharedPort = true;
        ++m_busyPorts;
        m_peak = std::max(m_peak, m_busyPorts);
        m_changed.notify_all();
        m_changed.wait_until(lock, m_deadline, [this] { return m_peak == m_ports; });
        --m_inside[port];
        --m_busyPorts;
    }

    int Peak()
    {
        std::lock_guard lock(m_lock);
        return m_peak;
    }
    bool SharedPort()
    {
        std::lock_guard lock(m_lock);
        return m_sharedPort;
    }

private:
    const int m_ports;
    const std::chrono::steady_clock::time_point m_deadline;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<QString, int> m_inside;
    int m_busyPorts = 0;
    int m_peak = 0;
    bool m_sharedPort = false;
};

TEST(PortLines, RequestsOnManyPortsRunSideBySideAndThoseOnOnePortTakeTurns)
{
    // Two instruments on each of many lines, every request issued at once.
    constexpr int kPorts = 40;
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    std::atomic<int> opens{0};
    CLinkManager manager(ports, clock, [&opens](const QString&, PortFault&) -> std::shared_ptr<ISerialPort> {
        ++opens;
        return std::make_shared<AcceptingPort>();  // the requests here never touch it
    });
    struct Link {
        DWORD id;
        QString port;
    };
    std::vector<Link> links;
    for (int p = 0; p < kPorts; ++p) {
        const QString port = QStringLiteral("ttyLINE%1").arg(p);
        ports.Add(port, 0);
        for (WORD address = 1; address <= 2; ++address) {
            const DWORD id = manager.Register(port, address);
            ASSERT_TRUE(manager.Open(id, port, address, QString())) << manager.GetErrorText(id).toStdString();
            links.push_back({id, port});
        }
    }
    ASSERT_EQ(opens.load(), kPorts);

    Overlap overlap(kPorts);
    std::atomic<int> served{0};
    std::vector<std::thread> threads;
    for (const Link& link : links) {
        threads.emplace_back([&, link] {
            served += manager.Request(link.id, [&](CLink&) -> BOOL {
                overlap.Inside(link.port);
                return TRUE;
            });
        });
    }
    for (std::thread& t : threads)
        t.join();

    EXPECT_EQ(served.load(), 2 * kPorts);
    EXPECT_EQ(overlap.Peak(), kPorts) << "ports whose requests ran at the same time";
    EXPECT_FALSE(overlap.SharedPort()) << "two requests on one port at once";
}

TEST(PortLines, APortClosedAndOpenedAgainKeepsItsRequestsApartFromTheOthers)
{
    // Ports come and go while others stay open: a reopened port gets a line
    // of its own again, and links that have no port fail at once.
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    CLinkManager manager(ports, clock, [](const QString&, PortFault&) -> std::shared_ptr<ISerialPort> {
        return std::make_shared<AcceptingPort>();  // the requests here never touch it
    });
    std::vector<DWORD> ids;
    for (int p = 0; p < 20; ++p) {
        const QString port = QStringLiteral("ttyLINE%1").arg(p);
        ports.Add(port, 0);
        ids.push_back(manager.Register(port, 1));
        ASSERT_TRUE(manager.Open(ids.back(), port, 1, QString()));
    }
    for (int p = 0; p < 20; p += 2)
        manager.Close(ids[std::size_t(p)]);
    for (int p = 0; p < 20; p += 4)
        ASSERT_TRUE(manager.Open(ids[std::size_t(p)], QStringLiteral("ttyLINE%1").arg(p), 1, QString()));

    std::vector<int> open;
    for (int p = 0; p < 20; ++p) {
        if (p % 4 == 0 || p % 2 == 1)
            open.push_back(p);
    }
    Overlap overlap(int(open.size()));
    std::vector<std::thread> threads;
    for (const int p : open) {
        threads.emplace_back([&, p] {
            manager.Request(ids[std::size_t(p)], [&](CLink&) -> BOOL {
                overlap.Inside(QString::number(p));
                return TRUE;
            });
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(overlap.Peak(), int(open.size()));

    CIden iden;
    EXPECT_FALSE(manager.Request(ids[2], &CLink::ReadIdentification, iden));
    EXPECT_EQ(manager.GetErrorText(ids[2]), QStringLiteral("Zařízení nenalezeno."));
}

} // namespace
