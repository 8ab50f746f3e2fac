#include "link/ProfileDownload.h"

#include "link/DownloadWorker.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "platform/Archive.h"

#include <algorithm>
#include <array>

namespace {

// Settings, profile status, the file's head and the 1440 minutes of the
// profile; the family reads the settings and the records.
class ProfileWorker : public CDownloadWorker {
public:
    explicit ProfileWorker(CProfileDownloadJob& job) : CDownloadWorker(job), m_profile(job) {}

protected:
    int Download() final
    {
        if (!ReadTwice([&] { return ReadSettings(); }, 1000))
            return kDownloadReadFailed;
        m_job.SetProgress(QString::fromUtf8(download_texts::kSettings), 5);
        ShowIdent(IdentText());
        Yield();
        if (!m_profile.m_hasStatus && !ReadStatus())
            return kDownloadReadFailed;
        Yield();
        platform::SerialArchive head;
        head << m_entry.m_nazev << std::int32_t(m_entry.GetType()) << std::int32_t(m_profile.m_kind)
             << m_profile.m_date;
        m_file.Store(head.buffer());
        StoreSettings();
        const bool held = m_profile.m_kind == CProfileDownloadJob::kSelected
            ? m_profile.m_status.GetFlagD() == 1
            : (m_profile.m_status.GetFlagC() == 1 || m_profile.m_status.GetFlagC() == 2);
        if (!held)
            return kDownloadNoData;
        if (int result = Transfer())
            return result;
        m_file.Finish();
        m_job.SetProgress(QString::fromUtf8(download_texts::kDone), 100);
        return kDownloadOk;
    }

    virtual bool ReadSettings() = 0;
    virtual QString IdentText() const = 0;
    virtual void StoreSettings() = 0;
    virtual float CurrentRatio() const = 0;
    virtual int Transfer() = 0;

    void ShowRecords(int remaining, int perText)
    {
        const int done = CProfileDownloadJob::kRecords - remaining;
        m_job.SetProgress(DownloadRecordsText(done / perText, CProfileDownloadJob::kRecords / perText),
                          5 + done * 95 / CProfileDownloadJob::kRecords);
    }

    CProfileDownloadJob& m_profile;

private:
    // Four tries: at once, then after 0, 200 and 1000 ms.
    bool ReadStatus()
    {
        constexpr std::array<int, 4> pauses{0, 0, 200, 1000};
        for (int pause : pauses) {
            if (pause > 0)
                Pause(pause);
            if (m_entry.ReadProfileStatus(m_profile.m_status, CurrentRatio()))
                return true;
        }
        return false;
    }
};

class VKProfileWorker : public ProfileWorker {
public:
    using ProfileWorker::ProfileWorker;

private:
    static constexpr int kRecordSize = 17;
    static constexpr int kPerRequest = 8;

    bool ReadSettings() override { return RetryReadVKSettings(m_entry, m_config, m_notebook, m_iden) != 0; }
    QString IdentText() const override { return m_iden.GetModelText(); }
    void StoreSettings() override
    {
        m_file.Store(m_iden);
        m_file.Store(m_config);
        m_file.Store(m_notebook);
    }
    float CurrentRatio() const override { return -1.0f; }

    int Transfer() override
    {
        const int chunk = m_slow ? 288 : 24;
        DWORD index = m_profile.m_kind == CProfileDownloadJob::kSelected ? 0x40000000u : 0x80000000u;
        int remaining = CProfileDownloadJob::kRecords;
        CUniTyp block;
        while (remaining > 0) {
            if (Cancelled())
                return kDownloadCancelled;
            int n = kPerRequest;
            int requests = std::min(remaining, chunk) / kPerRequest;
            if (requests == 0) {
                requests = 1;
                n = remaining;
            }
            const bool read = ThreeTries([&] {
                return (m_slow ? m_entry.ReadArchiveRecords(block, kRecordSize, n, requests, index)
                               : m_entry.ReadArchiveBlock(block, kRecordSize, n, requests, index))
                    != 0;
            });
            if (!read)
                return kDownloadDataReadFailed;
            Yield();
            m_file.Store(block);
            index += DWORD(requests * n);
            remaining -= requests * n;
            ShowRecords(remaining, chunk);
        }
        return kDownloadOk;
    }

    CIden m_iden;
    CVKConfig m_config;
    CVKNoteBook m_notebook;
};

class VKTProfileWorker : public ProfileWorker {
public:
    using ProfileWorker::ProfileWorker;

private:
    static constexpr int kRecordSize = 54;
    static constexpr int kPerRequest = 15;

    bool SlowLink() override
    {
        return m_entry.HasModem() || (m_entry.GetPortRetryCount() != 0 && !m_entry.IsLinkKind3());
    }
    bool ReadSettings() override { return RetryReadVKTSettings(m_entry, m_config, m_notebook, m_iden) != 0; }
    QString IdentText() const override { return m_iden.GetVKTModelText(); }
    void StoreSettings() override
    {
        m_file.Store(m_iden);
        m_file.Store(m_config);
        m_file.Store(m_notebook);
    }
    float CurrentRatio() const override { return float(m_config.GetRatio()); }

    int Transfer() override
    {
        const BYTE area = m_profile.m_kind == CProfileDownloadJob::kSelected ? 1 : 2;
        DWORD index = 0;
        int remaining = CProfileDownloadJob::kRecords;
        int budget = 16;
        CUniTyp block;
        while (remaining > 0) {
            if (Cancelled())
                return kDownloadCancelled;
            const int n = std::min(remaining, kPerRequest);
            if (!m_slow) {
                if (!ThreeTries([&] { return m_entry.ReadVKTArchiveBlock(block, area, kRecordSize, n, index) != 0; }))
                    return kDownloadDataReadFailed;
            } else {
                const auto read = [&] {
                    return m_entry.ReadVKTArchiveRecords(block, area, kRecordSize, n, 1, index) != 0;
                };
                if (!read()) {
                    if (Yield(), read()) {
                        budget = budget * 2 / 3 + 1;
                    } else if (Pause(100), read()) {
                        budget = budget * 2 / 5 + 1;
                    } else if (budget > 10) {
                        Pause(1500);
                        budget = budget > 20 ? 8 : 4;
                        continue;
                    } else {
                        return kDownloadDataReadFailed;
                    }
                }
            }
            Yield();
            m_file.Store(block);
            index += DWORD(n);
            remaining -= n;
            ShowRecords(remaining, 1);
        }
        return kDownloadOk;
    }

    CIden m_iden;
    CVKTConfig m_config;
    CVKTNoteBook m_notebook;
};

} // namespace

int DownloadVKProfilesProc(CProfileDownloadJob* job)
{
    VKProfileWorker(*job).Run();
    return 0;
}

int DownloadVKTProfilesProc(CProfileDownloadJob* job)
{
    VKTProfileWorker(*job).Run();
    return 0;
}
