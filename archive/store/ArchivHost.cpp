#include "archive/store/ArchivHost.h"

#include <atomic>

namespace {

class SilentHost final : public IArchivHost {
public:
    bool AskYesNo(int) override { return false; }
    void ReportFileError(const QString&) override {}
    void ReportBlockNotWritten(const QString&, int) override {}
    void ReportBlocksLost(const QString&, int) override {}
};

SilentHost g_silentHost;
std::atomic<IArchivHost*> g_host{nullptr};

} // namespace

void SetArchivHost(IArchivHost* host)
{
    g_host.store(host);
}

IArchivHost& GetArchivHost()
{
    IArchivHost* host = g_host.load();
    return host ? *host : g_silentHost;
}
