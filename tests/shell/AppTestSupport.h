#pragma once

#include "link/Pristroj.h"
#include "shell/MavexApp.h"
#include "support/ScriptedMessageBoxes.h"

#include <QStringList>

#include <QUuid>

#include <memory>

namespace shelltest {

// An application that touches nothing of the machine: a socket name of its
// own, no pauses, no ports or modems, no window on screen.
inline CMavexApp::Environment QuietEnvironment()
{
    CMavexApp::Environment env;
    env.instanceName = QStringLiteral("MavexRunTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    env.instancePause = [](int) {};
    env.readPause = [](int) {};
    env.startPauseMs = 0;
    env.enumeratePorts = [] { return std::vector<CSerialPortInfo>{}; };
    env.modemLines = [] { return std::vector<ModemLineInfo>{}; };
    env.showWindow = false;
    return env;
}

// The end of a test that ran the program on simulated lines: the program
// ends first, while its ports are still there to close, then the lines.
template <class Lines>
void EndProgramAndLines(std::unique_ptr<CMavexApp>& app, Lines&& stopLines)
{
    if (app)
        app->ExitInstance();
    app.reset();
    stopLines();
}

// The instrument of the running program named `name`; null when it has none.
inline CPristroj* InstrumentNamed(CMavexApp& app, const QString& name)
{
    for (const auto& device : app.GetDeviceList())
        if (device->m_nazev == name)
            return device.get();
    return nullptr;
}

// The texts of the boxes shown so far that contain `part`.
inline QStringList BoxesSaying(const ui::ScriptedMessageBoxes& boxes, const QString& part)
{
    QStringList texts;
    for (const auto& request : boxes.Requests())
        if (request.text.contains(part))
            texts << request.text;
    return texts;
}

} // namespace shelltest
