#include "link/SerialPort.h"

#include <QDir>

bool IsDevicePathName(const QString& portName)
{
    return portName.startsWith(QLatin1Char('/')) || portName.startsWith(QLatin1String("\\\\"));
}

QString DevicePathForPort(const QString& portName, bool windowsNames)
{
    if (IsDevicePathName(portName))
        return portName;
    if (windowsNames) {
        // Names of two digits and more open only through the device namespace.
        for (int n = 10; n <= 98; ++n) {
            if (portName == QStringLiteral("COM%1").arg(n))
                return QStringLiteral("\\\\.\\COM%1").arg(n);
        }
        return portName;
    }
    return QStringLiteral("/dev/") + portName;
}

QString DevicePathForPort(const QString& portName)
{
#ifdef _WIN32
    return DevicePathForPort(portName, true);
#else
    return DevicePathForPort(portName, false);
#endif
}
