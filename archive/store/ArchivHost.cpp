#include "archive/store/ArchivHost.h"

Q_LOGGING_CATEGORY(lcArchivWrite, "qorin.archive.write", QtWarningMsg)

namespace {

class SilentHost final : public IArchivHost {
public:
    bool AskYesNo(int) override { return false; }
    void ReportFileError(const QString&) override {}
    void ReportBlockNotWritten(const QString&, int) override {}
    void ReportBlocksLost(const QString&, int) override {}
};

} // namespace

IArchivHost& SilentArchivHost()
{
    static SilentHost host;
    return host;
}
