#include "link/PristrojHost.h"

#include <chrono>
#include <thread>

bool IPristrojHost::AskYesNo(QObject*, const QString&, const QString&)
{
    return false;
}

void IPristrojHost::ShowError(QObject*, const QString&, const QString&) {}

std::vector<CPristroj*> IPristrojHost::Instruments()
{
    return {};
}

bool IPristrojHost::IsPanelOpen(CPristroj&)
{
    return false;
}

void IPristrojHost::ClosePanel(CPristroj&) {}
void IPristrojHost::CloseLiveDocument(CPristroj&) {}

bool IPristrojHost::IsModemPort(const QString&)
{
    return false;
}

void IPristrojHost::SaveDeviceSettings(CPristroj&) {}
void IPristrojHost::RenameDevice(CPristroj&, const QString&, const QString&) {}
void IPristrojHost::SaveBexorInterval(CPristroj&, int) {}
void IPristrojHost::SetGraphFeed(CPristroj&, bool) {}

bool IPristrojHost::WaitEvent(platform::Event& event, int timeoutMs)
{
    return event.Wait(timeoutMs);
}

bool IPristrojHost::JoinThread(CPristrojThread& thread, int timeoutMs)
{
    return thread.Join(timeoutMs);
}

void IPristrojHost::Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
