#include "link/SerialPortInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

const QString kVktPrefix = QStringLiteral("ZRT VKT 44");

// The USB product string of a tty, from sysfs: the first "product" file
// above the tty's device (interface, then the USB device itself).
QString UsbProductOf(const QString& portName)
{
#ifdef Q_OS_LINUX
    QString dir = QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(portName)).canonicalFilePath();
    for (int level = 0; level < 4 && !dir.isEmpty() && dir != QLatin1String("/"); ++level) {
        QFile product(dir + QStringLiteral("/product"));
        if (product.open(QIODevice::ReadOnly))
            return QString::fromUtf8(product.readAll()).trimmed();
        dir = QFileInfo(dir).path();
    }
#else
    Q_UNUSED(portName);
#endif
    return QString();
}

} // namespace

std::vector<SerialPortSource> SystemSerialPortSources()
{
    std::vector<SerialPortSource> out;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        SerialPortSource s;
        s.portName = info.portName();
        s.devicePath = info.systemLocation();
        s.description = info.description();
        if (!s.description.isEmpty())
            s.friendlyName = s.description + QStringLiteral(" (") + s.portName + QLatin1Char(')');
        s.usb = info.hasVendorIdentifier();
        if (s.usb)
            s.usbProduct = UsbProductOf(s.portName);
        out.push_back(std::move(s));
    }
    return out;
}

bool IsVktPort(const CSerialPortInfo& port)
{
    return port.description.startsWith(kVktPrefix) || port.usbProduct.startsWith(kVktPrefix);
}

void EnumerateSerialPorts(std::vector<CSerialPortInfo>& ports, bool probe,
                          const std::function<std::vector<SerialPortSource>()>& source,
                          const SerialPortOpener& opener)
{
    ports.clear();
    for (const SerialPortSource& s : source()) {
        CSerialPortInfo info;
        info.devicePath = s.devicePath.isEmpty() ? DevicePathForPort(s.portName) : s.devicePath;
        info.portName = s.portName;
        info.friendlyName = s.friendlyName;
        info.usbFlag = s.usb ? 1 : 0;
        info.description = s.description;
        info.usbProduct = s.usbProduct;
        ports.push_back(std::move(info));
    }

    if (probe) {
        std::erase_if(ports, [&](const CSerialPortInfo& info) {
            PortFault fault = PortFault::None;
            auto port = opener(info.devicePath, fault);
            if (!port)
                return true;
            port->Close();
            return false;
        });
    }

    for (CSerialPortInfo& info : ports) {
        if (info.friendlyName.isEmpty())
            info.friendlyName = info.portName;
        if (info.description.isEmpty()) {
            info.description = info.friendlyName;
            const int cut = info.description.indexOf(QStringLiteral(" ("));
            if (cut >= 1 && info.description.endsWith(QLatin1Char(')')))
                info.description.truncate(cut);
        }
    }
}

void EnumerateSerialPorts(std::vector<CSerialPortInfo>& ports, bool probe)
{
    EnumerateSerialPorts(ports, probe, SystemSerialPortSources, OpenSystemSerialPort);
}
