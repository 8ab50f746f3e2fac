#pragma once

#include "link/DownloadJob.h"

// Worker procedures of the archive downloads: each fills the job's temporary
// file from the job's instrument and leaves a result code in the job. They
// return 0; the job belongs to the caller, who waits for the worker before
// reading the result or freeing the job.
int DownloadVKArchiveProc(CDownloadJob* job);
int DownloadVKTArchiveProc(CDownloadJob* job);
int DownloadVKArchiveIntervalProc(CDownloadIntervalJob* job);
int DownloadVKTArchiveIntervalProc(CDownloadIntervalJob* job);
