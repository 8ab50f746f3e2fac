// Serial port enumeration and the port list built from it.
#include "LinkTestSupport.h"

#include "link/PreciseDelay.h"
#include "link/SerialPortInfo.h"
#include "platform/Settings.h"

#include <QTemporaryDir>

#include <chrono>

namespace {

SerialPortSource Source(const char* name, const char* friendly, const char* description, bool usb = false,
                        const char* product = "")
{
    SerialPortSource s;
    s.portName = QString::fromUtf8(name);
    s.devicePath = QStringLiteral("/dev/") + s.portName;
    s.friendlyName = QString::fromUtf8(friendly);
    s.description = QString::fromUtf8(description);
    s.usb = usb;
    s.usbProduct = QString::fromUtf8(product);
    return s;
}

std::shared_ptr<ISerialPort> NoPort(const QString&, PortFault& fault)
{
    fault = PortFault::Busy;
    return nullptr;
}

TEST(EnumerateSerialPorts, NamesDescriptionsAndKinds)
{
    const std::vector<SerialPortSource> machine = {
        Source("COM12", "USB Serial Port (COM12)", "", true),
        Source("ttyS0", "", ""),
        Source("ttyACM0", "", "ZRT VKT 44 analyser", true),
        Source("ttyUSB1", "FT232R USB UART (ttyUSB1)", "FT232R USB UART", true, "ZRT VKT 44"),
        Source("ttyUSB2", "(ttyUSB2)", ""),
    };
    std::vector<CSerialPortInfo> ports;
    EnumerateSerialPorts(ports, false, [&] { return machine; }, NoPort);
    ASSERT_EQ(ports.size(), 5u);

    EXPECT_EQ(ports[0].portName, QStringLiteral("COM12"));
    EXPECT_EQ(ports[0].description, QStringLiteral("USB Serial Port"));
    EXPECT_EQ(ports[0].usbFlag, 1u);
    EXPECT_FALSE(IsVktPort(ports[0]));

    EXPECT_EQ(ports[1].friendlyName, QStringLiteral("ttyS0"));
    EXPECT_EQ(ports[1].description, QStringLiteral("ttyS0"));
    EXPECT_EQ(ports[1].usbFlag, 0u);

    EXPECT_TRUE(IsVktPort(ports[2])); // by description
    EXPECT_TRUE(IsVktPort(ports[3])); // by USB product
    EXPECT_EQ(ports[3].description, QStringLiteral("FT232R USB UART"));
    EXPECT_EQ(ports[4].description, QStringLiteral("(ttyUSB2)")); // nothing before the bracket to keep
}

TEST(EnumerateSerialPorts, ProbeDropsPortsHeldElsewhere)
{
    sim::PtySimulator free;
    sim::PtySimulator held;
    std::string error;
    ASSERT_TRUE(free.Start(error)) << error;
    ASSERT_TRUE(held.Start(error)) << error;
    PortFault fault = PortFault::None;
    auto holder = OpenSystemSerialPort(QString::fromStdString(held.SlavePath()), fault);
    ASSERT_TRUE(holder);

    auto source = [&] {
        std::vector<SerialPortSource> list(2);
        list[0].portName = list[0].devicePath = QString::fromStdString(free.SlavePath());
        list[1].portName = list[1].devicePath = QString::fromStdString(held.SlavePath());
        return list;
    };
    std::vector<CSerialPortInfo> ports;
    EnumerateSerialPorts(ports, true, source, OpenSystemSerialPort);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].devicePath.toStdString(), free.SlavePath());

    // The probe let go of the free port again.
    EXPECT_TRUE(OpenSystemSerialPort(QString::fromStdString(free.SlavePath()), fault));
}

TEST(EnumerateSerialPorts, SystemListDoesNotFail)
{
    std::vector<CSerialPortInfo> ports;
    EXPECT_NO_THROW(EnumerateSerialPorts(ports, false));
}

TEST(PortList, TakesStoredValuesAndDefaults)
{
    std::vector<CSerialPortInfo> machine(2);
    machine[0].portName = QStringLiteral("ttyUSB0");
    machine[0].description = QStringLiteral("FT232R USB UART");
    machine[1].portName = QStringLiteral("ttyACM0");
    machine[1].description = QStringLiteral("ZRT VKT 44");
    const std::map<QString, int> stored = {
        {QStringLiteral("ttyUSB0"), 19200}, {QStringLiteral("ttyUSB0_ks"), 2}, {QStringLiteral("/dev/pts/77_ks"), 1}};
    CPortList list([&] { return machine; },
                   [&](const QString& name, int def) {
                       const auto it = stored.find(name);
                       return it == stored.end() ? def : it->second;
                   });
    list.Build();

    CPortEntry e;
    ASSERT_TRUE(list.Find(QStringLiteral("ttyUSB0"), e));
    EXPECT_EQ(e.baud, 19200);
    EXPECT_EQ(e.retryCount, 2);
    EXPECT_EQ(e.kind, kPortKindSerial);
    ASSERT_TRUE(list.Find(QStringLiteral("ttyACM0"), e));
    EXPECT_EQ(e.baud, 115200);
    EXPECT_EQ(e.retryCount, 0);
    EXPECT_EQ(e.kind, kPortKindVkt);
    EXPECT_FALSE(list.Find(QStringLiteral("ttyS5"), e));

    // A device path joins the list with the values stored under it.
    ASSERT_TRUE(list.Find(QStringLiteral("/dev/pts/77"), e));
    EXPECT_EQ(e.baud, 9600);
    EXPECT_EQ(e.retryCount, 1);

    // A refresh adds what appeared and keeps what the probe may no longer
    // open (a port this program holds); a rebuild keeps the modem lines.
    CPortEntry modem;
    modem.name = QStringLiteral("Modem 1");
    modem.kind = kPortKindModem;
    list.AddModemLine(modem);
    machine.erase(machine.begin());
    machine.push_back(CSerialPortInfo{});
    machine.back().portName = QStringLiteral("ttyUSB3");
    list.Refresh();
    EXPECT_TRUE(list.Find(QStringLiteral("ttyUSB0"), e));
    EXPECT_TRUE(list.Find(QStringLiteral("ttyUSB3"), e));
    list.Build();
    EXPECT_FALSE(list.Find(QStringLiteral("ttyUSB0"), e));
    EXPECT_TRUE(list.Find(QStringLiteral("Modem 1"), e));
    EXPECT_EQ(e.kind, kPortKindModem);
}

TEST(PortList, ReadsTheGeneralSettings)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    platform::Settings::SetFileForTesting(file);
    platform::Settings settings;
    settings.WriteProfileInt("Obecne nastaveni", QStringLiteral("ttyUSB7"), 19200);
    settings.WriteProfileInt("Obecne nastaveni", QStringLiteral("/dev/pts/9_ks"), 2);

    const auto read = GeneralSettingsReader();
    EXPECT_EQ(read(QStringLiteral("ttyUSB7"), 9600), 19200);
    EXPECT_EQ(read(QStringLiteral("/dev/pts/9_ks"), 0), 2);
    EXPECT_EQ(read(QStringLiteral("ttyUSB8"), 9600), 9600);
    platform::Settings::SetFileForTesting(QString());
}

TEST(PreciseDelay, NeverReturnsEarly)
{
    using Clock = std::chrono::steady_clock;
    CPreciseDelay delay;
    for (DWORD ms : {0u, 1u, 10u}) {
        const auto start = Clock::now();
        delay.Wait(ms);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(ms));
    }
}

} // namespace
