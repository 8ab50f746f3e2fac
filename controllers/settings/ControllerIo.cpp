#include "controllers/settings/ControllerIo.h"

#include "link/Pristroj.h"
#include "model/ControllerAlarms.h"
#include "model/ControllerStatistics.h"
#include "model/DuskarConfig.h"
#include "model/Iden.h"
#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

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
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return task();

    std::atomic<bool> done{false};
    BOOL result = FALSE;
    QEventLoop loop;
    std::thread worker([&] {
        result = task();
        done.store(true);
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });

    QPointer<ui::CWaitDlg> wait = new ui::CWaitDlg(parent);
    wait->setWindowModality(Qt::ApplicationModal);
    wait->SetText(QStringLiteral("Probíhá komunikace s přístrojem..."));
    wait->show();
    if (!done.load())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (wait)
        wait->close();
    return result;
}

BOOL RetryThreeTimes(IControllerIo& io, const std::function<BOOL()>& call, DWORD pause1, DWORD pause2)
{
    const DWORD pauses[2] = {pause1, pause2};
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (call())
            return TRUE;
        if (attempt < 2)
            io.Sleep(pauses[attempt]);
    }
    return FALSE;
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
