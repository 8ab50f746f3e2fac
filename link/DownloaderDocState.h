#pragma once

#include "link/Pristroj.h"
#include "model/ProfileStatus.h"

#include <QString>

// The forms that run downloads for a download window.
class IDownloaderView {
public:
    virtual ~IDownloaderView() = default;
    virtual void StartWorker(BOOL search) = 0;
    virtual void StartIntervalWorker(CTime from, CTime to, BOOL fromOpen, BOOL toOpen, const QString& file) = 0;
};

class IDownloaderProfileView {
public:
    virtual ~IDownloaderProfileView() = default;
    virtual void StartWorker(const QString& file, int kind, CTime date, const CProfileStatus* status) = 0;
};

// What a download window's document holds: its own copy of the instrument
// entry (the live entry keeps measuring) and its title. The start operations
// copy the entry and hand the download to the window's form, when it has one.
class CDownloaderDocState {
public:
    void StartDownload(const CPristroj& source, IDownloaderView* view);
    void StartIntervalDownload(const CPristroj& source, CTime from, CTime to, BOOL fromOpen, BOOL toOpen,
                               const QString& file, IDownloaderView* view);
    void StartProfileDownload(const CPristroj& source, const QString& file, int kind, CTime date,
                              const CProfileStatus* status, IDownloaderProfileView* view);

    CPristroj& Instrument() { return m_pristroj; }
    const QString& Title() const { return m_title; }

private:
    void Take(const CPristroj& source);

    CPristroj m_pristroj;
    QString m_title;
};
