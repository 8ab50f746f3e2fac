#pragma once

#include "link/DownloadJob.h"
#include "model/ProfileStatus.h"

// A download of one of an analyser's two current profiles into the profile
// file (the job's file path).
class CProfileDownloadJob : public CDownloadJob {
public:
    enum Kind { kSelected = 0, kMaximal = 1 };
    static constexpr int kRecords = 1440;

    // A status from the caller spares the worker reading it.
    void SetStatus(const CProfileStatus* status)
    {
        m_hasStatus = status != nullptr;
        if (status)
            m_status = *status;
    }

    CProfileStatus m_status;
    BOOL m_hasStatus = 0;
    int m_kind = kSelected;
    CTime m_date;
};

// Worker procedures; see DownloadRoutines.h.
int DownloadVKProfilesProc(CProfileDownloadJob* job);
int DownloadVKTProfilesProc(CProfileDownloadJob* job);
