#pragma once

#include "shell/MavexApp.h"

#include <QUuid>

namespace shelltest {

// An application that touches nothing of the machine: a socket name of its
// own, no pauses, no ports or modems, no window on screen.
inline CMavexApp::Environment QuietEnvironment()
{
    CMavexApp::Environment env;
    env.instanceName = QStringLiteral("MavexRunTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    env.instancePause = [](int) {};
    env.readPause = [](int) {};
    env.enumeratePorts = [] { return std::vector<CSerialPortInfo>{}; };
    env.modemLines = [] { return std::vector<ModemLineInfo>{}; };
    env.showWindow = false;
    return env;
}

} // namespace shelltest
