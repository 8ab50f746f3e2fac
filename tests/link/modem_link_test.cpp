// Links on a modem line, against a stand-in modem whose data port is a
// simulated line.
#include "LinkTestSupport.h"

#include "link/ModemPort.h"
#include "model/Iden.h"

namespace {

class FakeModem : public IModemPort {
public:
    std::mutex& LineLock() override { return m_line; }
    std::mutex& StateLock() override { return m_state; }
    int GetLineState() const override { return state; }
    QString GetNumber() const override { return number; }
    bool IsWanted() const override { return wanted; }
    void SetWanted(bool w) override { wanted = w; }
    int GetRetryCount() const override { return 0; }
    void AddBytes(int count) override { bytes += count; }
    void DropCall() override { state = kFailed; }
    int Dial(CLink& link, const QString& dialled) override
    {
        ++dials;
        number = dialled;
        PortFault fault = PortFault::None;
        auto port = OpenSystemSerialPort(devicePath, fault);
        if (!port || !port->SetTimeouts(SerialTimeouts{100, 1, 715, 10, 100}) || !port->SetLineParameters(9600))
            return 0;
        link.AttachPort(port);
        std::lock_guard lock(m_state);
        state = kConnected;
        return 1;
    }
    void HangUp(CLink&) override
    {
        ++hangUps;
        state = kIdle;
    }

    QString devicePath;
    int state = kIdle;
    QString number;
    bool wanted = false;
    int bytes = 0;
    int dials = 0;
    int hangUps = 0;

private:
    std::mutex m_line;
    std::mutex m_state;
};

// VK analysers at `addresses` on a simulated line behind the stand-in
// modem, listed as the modem line "Modem 1".
struct ModemRig {
    explicit ModemRig(std::initializer_list<std::uint8_t> addresses)
    {
        for (std::uint8_t address : addresses)
            line.AddInstrument(sim::Instrument(sim::Family::VK, address));
        std::string error;
        started = line.Start(error);
        EXPECT_TRUE(started) << error;
        modem.devicePath = QString::fromStdString(line.SlavePath());
        entry.name = QStringLiteral("Modem 1");
        entry.kind = kPortKindModem;
        entry.modem = &modem;
        ports.entries[entry.name] = entry;
    }

    sim::PtySimulator line;
    bool started = false;
    FakeModem modem;
    CPortEntry entry;
    linktest::FakePortList ports;
};

TEST(ModemLink, DialsOnceSharesTheCallAndHangsUpAfterTheLastLink)
{
    ModemRig rig({1, 2});
    ASSERT_TRUE(rig.started);
    FakeModem& modem = rig.modem;
    const CPortEntry& entry = rig.entry;
    linktest::FakeClock clock;
    CLinkManager manager(rig.ports, clock);

    const DWORD first = manager.Register(entry.name, 1);
    const DWORD second = manager.Register(entry.name, 2);
    CIden iden;
    ASSERT_TRUE(manager.Open(first, entry.name, 1, QStringLiteral("123")));
    EXPECT_TRUE(manager.IsModemLink(first));
    ASSERT_TRUE(manager.Request(first, &CLink::ReadIdentification, iden)) << manager.GetErrorText(first).toStdString();
    EXPECT_EQ(modem.bytes, 4 + 18); // request and reply counted

    // The line carries one call: another number cannot join it.
    EXPECT_FALSE(manager.Open(second, entry.name, 2, QStringLiteral("999")));
    ASSERT_TRUE(manager.Open(second, entry.name, 2, QStringLiteral("123")));
    EXPECT_EQ(modem.dials, 1);
    EXPECT_TRUE(manager.Request(second, &CLink::ReadIdentification, iden)) << manager.GetErrorText(second).toStdString();
    EXPECT_EQ(iden.number, 1002);

    // A line that dropped fails every request until it is connected again.
    modem.state = IModemPort::kFailed;
    EXPECT_FALSE(manager.Request(first, &CLink::ReadIdentification, iden));
    EXPECT_EQ(manager.GetErrorText(first), QStringLiteral("Modem není připojený."));
    modem.state = IModemPort::kConnected;

    manager.Close(first);
    EXPECT_EQ(modem.hangUps, 0);
    EXPECT_TRUE(manager.Request(second, &CLink::ReadIdentification, iden));
    manager.Close(second);
    EXPECT_EQ(modem.hangUps, 1);
    EXPECT_FALSE(manager.Request(second, &CLink::ReadIdentification, iden));
}

// A modem whose device goes away under a call is the modem code's to deal
// with: the links neither open its device themselves nor dial again, however
// long the requests go on failing.
TEST(ModemLink, AVanishedModemDeviceIsNeitherReopenedNorRedialled)
{
    ModemRig rig({1});
    ASSERT_TRUE(rig.started);
    FakeModem& modem = rig.modem;
    const CPortEntry& entry = rig.entry;
    linktest::FakeClock clock;
    int opens = 0;
    CLinkManager manager(rig.ports, clock, [&](const QString& path, PortFault& fault) {
        ++opens;
        return OpenSystemSerialPort(path, fault);
    });

    const DWORD id = manager.Register(entry.name, 1);
    CIden iden;
    ASSERT_TRUE(manager.Open(id, entry.name, 1, QStringLiteral("123")));
    ASSERT_TRUE(manager.Request(id, &CLink::ReadIdentification, iden)) << manager.GetErrorText(id).toStdString();

    rig.line.Stop();
    for (int i = 0; i < 20; ++i) {
        clock.now += 100;
        EXPECT_FALSE(manager.Request(id, &CLink::ReadIdentification, iden));
    }
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(modem.dials, 1);
    manager.Close(id);
    EXPECT_EQ(modem.hangUps, 1);
}

} // namespace
