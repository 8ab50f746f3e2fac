#include "controllers/settings/ControllerIo.h"

#include "link/Pristroj.h"
#include "model/ControllerAlarms.h"
#include "model/ControllerStatistics.h"
#include "model/DuskarConfig.h"
#include "model/Iden.h"
#include "platform/ui/InstrumentTask.h"

#include <QFileInfo>

namespace controllers {

BOOL CPristrojIo::ReadQorinConfig(CConfig& config)
{
    return m_entry.ReadQorinConfig(config);
}

BOOL CPristrojIo::WriteQorinConfig(CConfig& config)
{
    return m_entry.WriteQorinConfig(config);
}

BOOL CPristrojIo::ReadDuskarConfig(CDuskarConfig& config)
{
    return m_entry.ReadDuskarConfig(config);
}

BOOL CPristrojIo::WriteDuskarConfig(CDuskarConfig& config)
{
    return m_entry.WriteDuskarConfig(config);
}

BOOL CPristrojIo::ReadIdentification(CIden& iden)
{
    return m_entry.ReadIdentification(iden);
}

BOOL CPristrojIo::ReadSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state)
{
    return m_entry.ReadSwitchingStatistics(stats, state);
}

BOOL CPristrojIo::SendControllerCommand(const CControllerAlarms& command)
{
    return m_entry.SendControllerCommand(command);
}

void CPristrojIo::Sleep(DWORD ms)
{
    m_entry.Clock().Sleep(ms);
}

CArchivData* CPristrojIo::Archive()
{
    return m_entry.GetArchivData();
}

QString CPristrojIo::Name() const
{
    return m_entry.m_nazev;
}

QString CPristrojIo::SettingsFolder() const
{
    // The archive base lies in the instrument's data folder; the settings
    // files go to that folder's parent, where the instrument folders lie.
    const QString dataFolder = QFileInfo(m_entry.m_soubor).path();
    const QString parent = QFileInfo(dataFolder).path();
    return parent.isEmpty() ? dataFolder : parent;
}

BOOL RunInstrumentTask(QWidget* parent, const std::function<BOOL()>& task)
{
    return ui::RunInstrumentTask(parent, [&task] { return task() != 0; }) ? TRUE : FALSE;
}

BOOL RetryThreeTimes(IControllerIo& io, const std::function<BOOL()>& call, DWORD pause1, DWORD pause2)
{
    return ui::RetryThreeTimes([&call] { return call() != 0; }, [&io](int ms) { io.Sleep(DWORD(ms)); }, int(pause1),
                               int(pause2))
               ? TRUE
               : FALSE;
}

BOOL RetryReadDuskarSettings(IControllerIo& io, CDuskarConfig& config, CIden& iden)
{
    bool haveConfig = false;
    bool haveIden = false;
    const DWORD pauses[3] = {0, 300, 300};
    for (DWORD pause : pauses) {
        if (!haveConfig) {
            haveConfig = io.ReadDuskarConfig(config) != 0;
            if (!haveConfig)
                io.Sleep(pause);
        }
        if (!haveIden) {
            haveIden = io.ReadIdentification(iden) != 0;
            if (!haveIden)
                io.Sleep(pause);
        }
    }
    return haveConfig && haveIden ? TRUE : FALSE;
}

} // namespace controllers
