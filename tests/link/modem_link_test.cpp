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

TEST(ModemLink, DialsOnceSharesTheCallAndHangsUpAfterTheLastLink)
{
    sim::PtySimulator line;
    line.AddInstrument(sim::Instrument(sim::Family::VK, 1));
    line.AddInstrument(sim::Instrument(sim::Family::VK, 2));
    std::string error;
    ASSERT_TRUE(line.Start(error)) << error;

    FakeModem modem;
    modem.devicePath = QString::fromStdString(line.SlavePath());
    linktest::FakePortList ports;
    CPortEntry entry;
    entry.name = QStringLiteral("Modem 1");
    entry.kind = kPortKindModem;
    entry.modem = &modem;
    ports.entries[entry.name] = entry;
    linktest::FakeClock clock;
    CLinkManager manager(ports, clock);

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

} // namespace
