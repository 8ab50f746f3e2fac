// The stored values of the modem lines, their entries in the port list,
// the texts of the connection dialog and the messages of the dial dialog.
#include "ModemTestSupport.h"

#include "link/ModemSettings.h"
#include "link/SerialPortInfo.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

TEST(ModemSettings, LinesAreListedWithTheirValuesAndTheTotalsAreSaved)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Settings settings(dir.filePath(QStringLiteral("qorin01.ini")));
    ModemLineSettings stored;
    stored.baud = 19200;
    stored.retryCount = 3;
    stored.totalKB = 70000;
    stored.totalSeconds = 123456;
    stored.connectFlag = 1;
    WriteModemLineSettings(settings, QStringLiteral("USB Modem (ttyACM0)"), stored);

    CPortList ports([] { return std::vector<CSerialPortInfo>{}; }, [](const QString&, int d) { return d; });
    std::vector<std::unique_ptr<CModemPort>> owned;
    modemtest::SteppingClock clock;
    ModemServices services;
    services.clock = &clock;
    const ModemLineSource source = [] {
        return std::vector<ModemLineInfo>{{QStringLiteral("USB Modem (ttyACM0)"), QStringLiteral("ttyACM0")},
                                          {QStringLiteral("Modem 2"), QStringLiteral("/dev/ttyS7")}};
    };
    EnumerateModemLines(ports, false, owned, services, settings, source);
    ASSERT_EQ(owned.size(), 2u);
    EnumerateModemLines(ports, true, owned, services, settings, source);
    EXPECT_EQ(owned.size(), 2u); // a refresh skips the lines already listed

    CPortEntry entry;
    ASSERT_TRUE(ports.Find(QStringLiteral("USB Modem (ttyACM0)"), entry));
    EXPECT_EQ(entry.kind, kPortKindModem);
    EXPECT_EQ(entry.description, QStringLiteral("modem"));
    EXPECT_EQ(entry.baud, 19200);
    auto* modem = dynamic_cast<CModemPort*>(entry.modem);
    ASSERT_NE(modem, nullptr);
    EXPECT_EQ(modem->GetDevicePath(), QStringLiteral("ttyACM0"));
    {
        std::lock_guard lock(modem->StateLock());
        const ModemLineState s = modem->Snapshot();
        EXPECT_EQ(s.retryCount, 3);
        EXPECT_EQ(s.totalKB, DWORD(70000));
        EXPECT_EQ(s.totalSeconds, DWORD(123456));
        EXPECT_EQ(s.connectFlag, 1);
        EXPECT_TRUE(s.wanted); // the connect flag is the first wanted flag
        EXPECT_EQ(s.lineState, IModemPort::kIdle);
    }
    // Nothing stored: the defaults.
    ASSERT_TRUE(ports.Find(QStringLiteral("Modem 2"), entry));
    EXPECT_EQ(entry.baud, 9600);
    {
        auto* other = dynamic_cast<CModemPort*>(entry.modem);
        ASSERT_NE(other, nullptr);
        std::lock_guard lock(other->StateLock());
        EXPECT_EQ(other->GetRetryCount(), 0);
        EXPECT_EQ(other->GetConnectFlag(), 0);
    }

    // The manager hands new values to the line; the counters reset.
    CLinkManager manager(ports, clock);
    manager.ApplyModemSettings(QStringLiteral("USB Modem (ttyACM0)"), 4, 0);
    clock.wall += 10;
    manager.ResetModemCounters(*modem);
    const ModemLineState reset = manager.GetModemState(*modem);
    EXPECT_EQ(reset.retryCount, 4);
    EXPECT_EQ(reset.connectFlag, 0);
    EXPECT_EQ(reset.totalKB, DWORD(0));
    EXPECT_FALSE(reset.wanted);
    EXPECT_EQ(reset.connectTime.GetTime(), clock.wall.load());
    EXPECT_EQ(manager.GetPortRetryCount(QStringLiteral("USB Modem (ttyACM0)")), 4);

    // Only the totals are written at exit; the rest is the settings page's.
    {
        std::lock_guard lock(modem->StateLock());
        modem->AddBytes(5);
    }
    SaveModemSettings(ports, settings);
    const ModemLineSettings back = ReadModemLineSettings(settings, QStringLiteral("USB Modem (ttyACM0)"));
    EXPECT_EQ(back.totalKB, DWORD(0));
    EXPECT_EQ(back.totalSeconds, DWORD(0));
    EXPECT_EQ(back.baud, 19200);
    EXPECT_EQ(back.retryCount, 3);
    EXPECT_EQ(back.connectFlag, 1);
    EXPECT_TRUE(settings.Contains("modemy", QStringLiteral("Modem 2_pc")));
    EXPECT_TRUE(settings.Contains("modemy", QStringLiteral("Modem 2_dc")));
    EXPECT_FALSE(settings.Contains("modemy", QStringLiteral("Modem 2_r")));
}

// Which serial port carries a modem: the user's word in "modemy", else the
// system's description. Any port can be made a modem line, a device path
// that no enumeration lists too; a line the system found keeps its name
// (and with it its stored values).
TEST(ModemSettings, TheUsersWordMakesAnyPortAModemLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Settings settings(dir.filePath(QStringLiteral("qorin01.ini")));
    const auto source = [](const char* name, const char* description) {
        SerialPortSource s;
        s.portName = QString::fromLatin1(name);
        s.devicePath = QStringLiteral("/dev/") + s.portName;
        s.description = QString::fromUtf8(description);
        if (!s.description.isEmpty())
            s.friendlyName = s.description + QStringLiteral(" (") + s.portName + QLatin1Char(')');
        return s;
    };
    std::vector<CSerialPortInfo> machine;
    EnumerateSerialPorts(
        machine, false,
        [&] {
            return std::vector<SerialPortSource>{source("ttyS0", "Sériový port"), source("ttyACM0", "USB Modem"),
                                                 source("ttyUSB0", "FT232R USB UART"), source("ttyS1", "")};
        },
        OpenSystemSerialPort);
    const auto lines = [&] {
        std::vector<std::string> out;
        for (const ModemLineInfo& line : ModemLinesOf(machine, settings))
            out.push_back((line.name + QStringLiteral(" @ ") + line.devicePath).toStdString());
        return out;
    };
    EXPECT_EQ(lines(), std::vector<std::string>{"USB Modem (ttyACM0) @ /dev/ttyACM0"});

    MarkModemPort(settings, QStringLiteral("ttyUSB0"), true);
    MarkModemPort(settings, QStringLiteral("ttyS1"), true);
    MarkModemPort(settings, QStringLiteral("ttyACM0"), false);
    MarkModemPort(settings, QStringLiteral("/dev/pts/7"), true);
    MarkModemPort(settings, QStringLiteral("/dev/pts/9"), false);
    MarkModemPort(settings, QStringLiteral("ttyUSB5"), true); // not on the machine now
    EXPECT_EQ(lines(), (std::vector<std::string>{"FT232R USB UART (ttyUSB0) @ /dev/ttyUSB0", "modem (ttyS1) @ /dev/ttyS1",
                                                 "modem (/dev/pts/7) @ /dev/pts/7"}));
    EXPECT_TRUE(IsModemPort(settings, QStringLiteral("ttyUSB0"), QStringLiteral("FT232R USB UART")));
    EXPECT_FALSE(IsModemPort(settings, QStringLiteral("ttyACM0"), QStringLiteral("USB Modem")));
    EXPECT_TRUE(IsModemPort(settings, QStringLiteral("ttyACM3"), QStringLiteral("USB Modem")));
    EXPECT_FALSE(IsModemPort(settings, QStringLiteral("ttyS0"), QStringLiteral("Sériový port")));

    // Listed while the program runs, with the values stored under the
    // line's name; taken away and listed again, the same modem serves.
    ModemLineSettings stored;
    stored.baud = 19200;
    WriteModemLineSettings(settings, QStringLiteral("modem (/dev/pts/7)"), stored);
    CPortList ports([] { return std::vector<CSerialPortInfo>{}; }, [](const QString&, int d) { return d; });
    std::vector<std::unique_ptr<CModemPort>> owned;
    modemtest::SteppingClock clock;
    ModemServices services;
    services.clock = &clock;
    const ModemLineInfo pty = ModemLineOnPort(QStringLiteral("/dev/pts/7"), QString());
    ASSERT_TRUE(AddModemLine(ports, owned, services, settings, pty));
    EXPECT_FALSE(AddModemLine(ports, owned, services, settings, pty));
    CPortEntry entry;
    ASSERT_TRUE(ports.Find(QStringLiteral("modem (/dev/pts/7)"), entry));
    EXPECT_EQ(entry.kind, kPortKindModem);
    EXPECT_EQ(entry.baud, 19200);
    ASSERT_EQ(owned.size(), 1u);
    EXPECT_EQ(entry.modem, owned.front().get());
    EXPECT_EQ(owned.front()->GetDevicePath(), QStringLiteral("/dev/pts/7"));
    ports.RemoveModemLine(pty.name);
    EXPECT_FALSE(ports.IsListed(pty.name));
    ASSERT_TRUE(AddModemLine(ports, owned, services, settings, pty));
    EXPECT_EQ(owned.size(), 1u);
    ASSERT_TRUE(ports.Find(pty.name, entry));
    EXPECT_EQ(entry.modem, owned.front().get());
}

TEST(ModemSettings, ConnectionDialogTexts)
{
    const CTime now(2024, 3, 1, 12, 0, 0);
    ModemLineState state;
    state.totalKB = 12;
    state.totalSeconds = 90061;
    state.links = 2;

    ModemStateTexts texts = DescribeModemState(state, now);
    EXPECT_EQ(texts.state, QStringLiteral("Modem není spojen - není požadován."));
    EXPECT_EQ(texts.callAmount, QStringLiteral("--"));
    EXPECT_EQ(texts.callDuration, QStringLiteral("--"));
    EXPECT_EQ(texts.totalAmount, QStringLiteral("12 kB"));
    EXPECT_EQ(texts.totalDuration, QStringLiteral("25 hodin,1 minut,1 sekund"));
    EXPECT_EQ(texts.links, QStringLiteral("2"));

    state.lineState = IModemPort::kConnected;
    state.bytes = 1536;
    state.connectTime = CTime(now.GetTime() - 3725);
    texts = DescribeModemState(state, now);
    EXPECT_EQ(texts.state, QStringLiteral("Modem je spojen."));
    EXPECT_EQ(texts.callAmount, QStringLiteral("2 kB"));
    EXPECT_EQ(texts.callDuration, QStringLiteral("1 h,2 m,5 s"));

    state.lineState = IModemPort::kDialling;
    EXPECT_EQ(DescribeModemState(state, now).state, QStringLiteral("Navazuje se spojení."));
    state.lineState = IModemPort::kFailed;
    EXPECT_EQ(DescribeModemState(state, now).state, QStringLiteral("Modem není spojen - Chyba."));
}

} // namespace

namespace {

class DialDialog : public QObject, public platform::MessageDispatcher {
public:
    bool event(QEvent* e) override { return DispatchMessageEvent(e) || QObject::event(e); }
};

TEST(ModemDialMessages, CarryTheTextsStagesAndTheCancel)
{
    // Events reach an object only with an application object.
    int argc = 1;
    char name[] = "link_tests";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    DialDialog dialog;
    QString caption;
    QString status;
    int stage = 0;
    bool cancelled = false;
    dialog.SetMessageHandler(platform::WM_DIAL_CAPTION, [&](std::uintptr_t w, std::intptr_t) {
        caption = *reinterpret_cast<const QString*>(w);
        return 0;
    });
    dialog.SetMessageHandler(platform::WM_DIAL_STATUS, [&](std::uintptr_t w, std::intptr_t) {
        status = *reinterpret_cast<const QString*>(w);
        return 0;
    });
    dialog.SetMessageHandler(platform::WM_DIAL_DONE, [&](std::uintptr_t w, std::intptr_t) {
        stage = int(w);
        return 0;
    });
    dialog.SetMessageHandler(platform::WM_DIAL_QUERY_CANCEL,
                             [&](std::uintptr_t, std::intptr_t) { return std::intptr_t(cancelled); });
    int closes = 0;
    CModemDialMessenger messenger(&dialog, [&] { ++closes; });

    messenger.SetCaption(QStringLiteral("Spojení s modemem"));
    messenger.SetStatus(QStringLiteral("Obsazeno."));
    messenger.Done(IModemDialog::kFinished);
    EXPECT_EQ(caption, QStringLiteral("Spojení s modemem"));
    EXPECT_EQ(status, QStringLiteral("Obsazeno."));
    EXPECT_EQ(stage, IModemDialog::kFinished);
    EXPECT_FALSE(messenger.QueryCancel());
    cancelled = true;
    EXPECT_TRUE(messenger.QueryCancel());
    messenger.Close();
    EXPECT_EQ(closes, 1);
}

} // namespace
