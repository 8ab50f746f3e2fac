#pragma once

#include "link/DownloadImport.h"
#include "link/DownloadJob.h"
#include "link/DownloaderDocState.h"
#include "link_ui/DownloadWindowView.h"

#include <QPointer>
#include <QRect>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;

// The form of an archive download window: runs the download worker on a
// job, shows its progress every 500 ms, takes the target (a new archive
// file or an existing one to complete) and imports when both are done; a
// failure offers a retry.
class CDownloaderView : public CDownloadWindowView, public IDownloaderView {
    Q_OBJECT
public:
    enum ControlId {
        IdNewFile = 1017,
        IdExistingFile = 1018,
        IdOk = 1024,
        IdNewMode = 1293,
        IdExistingMode = 1294,
        IdBrowseNew = 1295,
        IdBrowseExisting = 1296,
    };

    // The worker of a job; returns when the download ended (the result is
    // in the job). Tests replace the real download routines.
    using Worker = std::function<void(CDownloadJob& job)>;
    // The import of a finished download into the target; a DownloadImportResult.
    using Importer = std::function<int(const CDownloadJob& job, const CDownloadTarget& target)>;

    explicit CDownloaderView(QWidget* parent = nullptr);

    void SetWorker(Worker worker) { m_worker = std::move(worker); }
    void SetImporter(Importer importer) { m_importer = std::move(importer); }
    // The program's side of the import (boxes, the instrument recording
    // into the target); without one the import reports in plain boxes.
    void SetImportHost(IDownloadImportHost* host) { m_importHost = host; }

    // IDownloaderView
    void StartWorker(BOOL search) override;
    void StartIntervalWorker(CTime from, CTime to, BOOL fromOpen, BOOL toOpen, const QString& file) override;

    void OnWorkerDone() override;
    void OnOK();
    void OnCancel() override;
    void OnModeChanged();
    void EnableControls(bool busy);

    // The temporary file of a download for the archive path: its folder,
    // "temp", the time as HHMMSS, ".tmp"; when that file exists, "_1",
    // "_2", ... before ".tmp". The file is created empty, so the name is
    // this download's alone.
    static QString TempPath(const QString& archivePath, const QTime& now);
    // The newest earlier off-line file and the first free new one.
    static QString FindOfflineFile(const QString& archivePath, const QString& extension);
    static QString FreeOfflineName(const QString& archivePath, const QString& extension);

    QString NewFile() const { return m_newFile; }
    QString ExistingFile() const { return m_existingFile; }
    int Mode() const { return m_mode; }
    CDownloadJob* Job() const { return m_job.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Each control at its place in dialog units.
    enum class Grow { None, Wider, Right };
    struct Place {
        QWidget* widget;
        QRect dlu;
        Grow grow;
    };
    void PlaceControls();

    QString Extension() const;
    void ReadControls();
    void FillControls();
    void RunJob();
    bool RunImport();
    void Browse(bool existing);

    QRadioButton* m_newMode;
    QRadioButton* m_existingMode;
    QLineEdit* m_newEdit;
    QLineEdit* m_existingEdit;
    QPushButton* m_browseNew;
    QPushButton* m_browseExisting;
    QPushButton* m_ok;
    std::vector<Place> m_places;

    int m_mode = 0;
    QString m_existingFile;
    QString m_newFile;
    bool m_importRequested = false;
    bool m_intervalMode = false;
    bool m_keepTemporary = false;
    Worker m_worker;
    Importer m_importer;
    IDownloadImportHost* m_importHost = nullptr;
};
