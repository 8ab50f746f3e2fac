#include "link_ui/DownloaderView.h"

#include "link/DownloadRoutines.h"
#include "link_ui/DownloaderDoc.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"

#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr char kCaptionInfo[] = "INFO";

// The boxes of an import that has no program around it.
class PlainImportHost : public IDownloadImportHost {
public:
    void ShowError(const QString& text, const QString& caption) override
    {
        ui::ShowMessageBox(nullptr, text, caption, ui::MsgButtons::Ok, ui::MsgIcon::Error);
    }
    void OpenArchiveFile(const QString&) override {}
    CPristroj* FindDevice(const QString&) override { return nullptr; }
};

template <class T>
T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

// The form in dialog units, as wide as the download window's first size
// leaves room for: every control's place while the window is that wide.
constexpr QSize kFormDlu(222, 108);

int LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

QString WithExtension(QString name, const QString& extension)
{
    name = name.trimmed();
    if (!name.endsWith(extension, Qt::CaseInsensitive))
        name += extension;
    return name;
}

} // namespace

CDownloaderView::CDownloaderView(QWidget* parent)
    : CDownloadWindowView(parent),
      m_newMode(Named(new QRadioButton(QStringLiteral("Založit nový soubor")), IdNewMode)),
      m_existingMode(Named(new QRadioButton(QStringLiteral("Připojit (doplnit) existující")), IdExistingMode)),
      m_newEdit(Named(new QLineEdit, IdNewFile)),
      m_existingEdit(Named(new QLineEdit, IdExistingFile)),
      m_browseNew(Named(new QPushButton(QStringLiteral("...")), IdBrowseNew)),
      m_browseExisting(Named(new QPushButton(QStringLiteral("...")), IdBrowseExisting)),
      m_ok(Named(new QPushButton(QStringLiteral("OK")), IdOk))
{
    // The controls stand where the form's dialog units put them (see
    // PlaceControls); the two targets, each a radio button with its field
    // and browse button, are rows of their own inside "soubor:".
    auto* target = new QGroupBox(QStringLiteral("soubor:"), this);
    auto* cancel = Named(new QPushButton(QStringLiteral("Storno")), IdCancel);
    const struct {
        QWidget* widget;
        QRect dlu;
        Grow grow;
    } places[] = {
        {new QLabel(QStringLiteral("Přístroj:")), {4, 6, 34, 9}, Grow::None},
        {m_ident, {40, 4, 178, 12}, Grow::Wider},
        {target, {4, 18, 214, 44}, Grow::Wider},
        {m_newMode, {10, 29, 112, 10}, Grow::None},
        {m_newEdit, {124, 28, 74, 12}, Grow::Wider},
        {m_browseNew, {200, 28, 14, 12}, Grow::Right},
        {m_existingMode, {10, 45, 112, 10}, Grow::None},
        {m_existingEdit, {124, 44, 74, 12}, Grow::Wider},
        {m_browseExisting, {200, 44, 14, 12}, Grow::Right},
        {new QLabel(QStringLiteral("Stav příjmu dat:")), {4, 67, 60, 9}, Grow::None},
        {m_progress, {66, 66, 152, 10}, Grow::Wider},
        {m_status, {4, 80, 214, 12}, Grow::Wider},
        {cancel, {128, 95, 43, 13}, Grow::Right},
        {m_ok, {175, 95, 43, 13}, Grow::Right},
    };
    for (const auto& place : places) {
        // Those within the group's rectangle are its children.
        const bool inTarget = place.widget != target && QRect(4, 18, 214, 44).contains(place.dlu);
        place.widget->setParent(inTarget ? static_cast<QWidget*>(target) : this);
        m_places.push_back({place.widget, place.dlu, place.grow});
    }
    setMinimumSize(ui::DluToPixels(kFormDlu, font()));
    PlaceControls();

    m_newMode->setChecked(true);
    connect(m_newMode, &QRadioButton::clicked, this, &CDownloaderView::OnModeChanged);
    connect(m_existingMode, &QRadioButton::clicked, this, &CDownloaderView::OnModeChanged);
    connect(m_ok, &QPushButton::clicked, this, &CDownloaderView::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CDownloaderView::OnCancel);
    connect(m_browseNew, &QPushButton::clicked, this, [this] { Browse(false); });
    connect(m_browseExisting, &QPushButton::clicked, this, [this] { Browse(true); });
    EnableControls(false);
}

void CDownloaderView::PlaceControls()
{
    const QFont f = font();
    // A window wider than the form widens the fields; what stands right of
    // them keeps to the right edge.
    const int extra = std::max(0, width() - ui::DluToPixelsX(kFormDlu.width(), f));
    for (const Place& place : m_places) {
        QRect r = ui::DluToPixels(place.dlu, f);
        if (place.grow == Grow::Wider)
            r.setWidth(r.width() + extra);
        else if (place.grow == Grow::Right)
            r.translate(extra, 0);
        if (place.widget->parentWidget() != this)
            r.translate(-place.widget->parentWidget()->pos());
        place.widget->setGeometry(r);
    }
}

void CDownloaderView::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    PlaceControls();
}

QString CDownloaderView::Extension() const
{
    const CDownloaderDoc* document = Document();
    const int type = m_job ? m_job->m_pristroj.GetType()
                           : (document ? const_cast<CDownloaderDoc*>(document)->Instrument().GetType() : 0);
    return type == CPristroj::kVKT ? QStringLiteral(".vkt") : QStringLiteral(".vk");
}

QString CDownloaderView::TempPath(const QString& archivePath, const QTime& now)
{
    const int separator = LastSeparator(archivePath);
    const QString folder = separator < 0 ? QString() : archivePath.left(separator);
    const QString stem = folder + QDir::separator() + QStringLiteral("temp") + now.toString(QStringLiteral("HHmmss"));
    // The name is taken by creating the file: two downloads started within
    // one second into one folder must not share it.
    QString name = stem + QStringLiteral(".tmp");
    for (int n = 1; n < 1000; ++n) {
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).isDir())
            break; // the worker reports the file it cannot make
        name = stem + QLatin1Char('_') + QString::number(n) + QStringLiteral(".tmp");
    }
    return name;
}

QString CDownloaderView::FindOfflineFile(const QString& archivePath, const QString& extension)
{
    const int separator = LastSeparator(archivePath);
    const QString folder = separator < 0 ? QStringLiteral(".") : archivePath.left(separator);
    QString found;
    QDirIterator it(folder, {QStringLiteral("*") + extension}, QDir::Files);
    while (it.hasNext()) {
        const QString path = QDir::toNativeSeparators(it.next());
        if (found.isEmpty() || path.indexOf(QStringLiteral("-Off")) > 0)
            found = path;
    }
    return found;
}

QString CDownloaderView::FreeOfflineName(const QString& archivePath, const QString& extension)
{
    for (int n = 1;; ++n) {
        const QString name = archivePath + QStringLiteral("-Off") + QString::number(n) + extension;
        if (!QFileInfo::exists(name))
            return name;
    }
}

void CDownloaderView::StartWorker(BOOL search)
{
    m_thread.Join();
    m_job = std::make_unique<CDownloadJob>();
    if (CDownloaderDoc* document = Document())
        m_job->m_pristroj = document->Instrument();
    m_job->SetProgress(QStringLiteral("Zjišťuji soubory nastavení přístroje."), 0);
    m_job->m_tempPath = TempPath(m_job->m_pristroj.m_soubor, QTime::currentTime());
    if (search) {
        m_existingFile = FindOfflineFile(m_job->m_pristroj.m_soubor, Extension());
        m_newFile = FreeOfflineName(m_job->m_pristroj.m_soubor, Extension());
        FillControls();
    }
    m_finished = false;
    m_keepTemporary = false;
    RunJob();
}

void CDownloaderView::StartIntervalWorker(CTime from, CTime to, BOOL fromOpen, BOOL toOpen, const QString& file)
{
    m_intervalMode = true;
    m_importRequested = true;
    m_thread.Join();
    auto job = std::make_unique<CDownloadIntervalJob>(from, to, fromOpen, toOpen);
    if (CDownloaderDoc* document = Document())
        job->m_pristroj = document->Instrument();
    job->SetProgress(QStringLiteral("Zjišťuji soubory nastavení přístroje."), 0);
    job->m_tempPath = TempPath(job->m_pristroj.m_soubor, QTime::currentTime());
    m_job = std::move(job);
    m_existingFile = file;
    m_newFile = QStringLiteral("--");
    m_mode = 1;
    FillControls();
    m_finished = false;
    m_keepTemporary = false;
    RunJob();
}

void CDownloaderView::RunJob()
{
    Worker worker = m_worker;
    if (!worker)
        worker = [](CDownloadJob& job) {
            const bool vkt = job.m_pristroj.GetType() == CPristroj::kVKT;
            if (auto* interval = dynamic_cast<CDownloadIntervalJob*>(&job))
                vkt ? DownloadVKTArchiveIntervalProc(interval) : DownloadVKArchiveIntervalProc(interval);
            else
                vkt ? DownloadVKTArchiveProc(&job) : DownloadVKArchiveProc(&job);
        };
    CDownloadJob* job = m_job.get();
    Launch([job, worker] { worker(*job); });
}

void CDownloaderView::OnWorkerDone()
{
    if (!WorkerEnded())
        return;
    if (m_job && m_job->m_result == kDownloadOk && m_job->IsRunning()) {
        m_finished = true;
        if (!m_importRequested)
            return;
        if (RunImport() || m_intervalMode) {
            CloseDocument();
            return;
        }
        EnableControls(false);
        m_importRequested = false;
        return;
    }
    const int result = m_job ? m_job->m_result : kDownloadCancelled;
    // A worker that failed before it made its file leaves the name's placeholder.
    if (m_job)
        QFile::remove(m_job->m_tempPath);
    if (result >= kDownloadCancelled || (m_job && !m_job->IsRunning())) {
        CloseDocument();
        return;
    }
    if (!AskRetry(result)) {
        CloseDocument();
        return;
    }
    if (auto* interval = dynamic_cast<CDownloadIntervalJob*>(m_job.get()))
        StartIntervalWorker(interval->m_from, interval->m_to, interval->m_fromOpen, interval->m_toOpen,
                            m_existingFile);
    else
        StartWorker(FALSE);
}

bool CDownloaderView::RunImport()
{
    if (!m_job)
        return false;
    CDownloadTarget target;
    target.mode = m_mode;
    target.newFile = m_newFile;
    target.existingFile = m_existingFile;
    target.intervalMode = m_intervalMode ? 1 : 0;
    int result = kImportFailed;
    if (m_importer) {
        result = m_importer(*m_job, target);
    } else {
        PlainImportHost plain;
        IDownloadImportHost& host = m_importHost ? *m_importHost : plain;
        result = m_job->m_pristroj.GetType() == CPristroj::kVKT ? ImportVKTArchive(*m_job, target, host)
                                                                : ImportVKArchive(*m_job, target, host);
    }
    // What could not be stored stays on disk when the window goes.
    if (result == kImportNothingStored)
        m_keepTemporary = true;
    return result == kImportDone;
}

void CDownloaderView::ReadControls()
{
    m_mode = m_existingMode->isChecked() ? 1 : 0;
    m_newFile = m_newEdit->text();
    m_existingFile = m_existingEdit->text();
}

void CDownloaderView::FillControls()
{
    m_newEdit->setText(m_newFile);
    m_existingEdit->setText(m_existingFile);
    (m_mode == 1 ? m_existingMode : m_newMode)->setChecked(true);
    if (m_intervalMode) {
        for (QWidget* control : std::initializer_list<QWidget*>{m_newMode, m_existingMode, m_newEdit, m_existingEdit,
                                                                 m_browseNew, m_browseExisting, m_ok})
            control->setEnabled(false);
        return;
    }
    EnableControls(false);
}

void CDownloaderView::EnableControls(bool busy)
{
    m_newMode->setEnabled(!busy);
    m_existingMode->setEnabled(!busy);
    m_ok->setEnabled(!busy);
    m_newEdit->setEnabled(!busy && m_mode == 0);
    m_browseNew->setEnabled(!busy && m_mode == 0);
    m_existingEdit->setEnabled(!busy && m_mode == 1);
    m_browseExisting->setEnabled(!busy && m_mode == 1);
}

void CDownloaderView::OnModeChanged()
{
    ReadControls();
    EnableControls(false);
}

void CDownloaderView::OnOK()
{
    ReadControls();
    const QString info = QString::fromLatin1(kCaptionInfo);
    if (m_mode == 0) {
        m_newFile = WithExtension(m_newFile, Extension());
        m_newEdit->setText(m_newFile);
        if (QFileInfo::exists(m_newFile)) {
            const bool recording = m_job && m_job->m_pristroj.m_merit && m_job->m_pristroj.m_zaznamenavat;
            const QString question =
                recording ? QStringLiteral("Soubor se zadaným jménem již existuje, chcete ho přepsat ? ")
                          : QStringLiteral("Soubor je v současné době používán, chcete ho opravdu\npřepsat?");
            if (ui::ShowMessageBox(this, question, info, ui::MsgButtons::YesNo, ui::MsgIcon::Question) !=
                ui::MsgAnswer::Yes) {
                m_newEdit->selectAll();
                m_newEdit->setFocus();
                return;
            }
        }
        const int separator = LastSeparator(m_newFile);
        if (separator < 0 || !QFileInfo(m_newFile.left(separator)).isDir()) {
            ui::ShowMessageBox(this, QStringLiteral("Cesta k souboru neexistuje."), info, ui::MsgButtons::Ok,
                               ui::MsgIcon::Error);
            m_newEdit->selectAll();
            m_newEdit->setFocus();
            return;
        }
    } else {
        m_existingFile = WithExtension(m_existingFile, Extension());
        m_existingEdit->setText(m_existingFile);
        if (!QFileInfo::exists(m_existingFile)) {
            ui::ShowMessageBox(this, QStringLiteral("Zadaný soubor pro připojení záznamů neexistuje."), info,
                               ui::MsgButtons::Ok, ui::MsgIcon::Error);
            return;
        }
    }
    m_importRequested = true;
    EnableControls(true);
    if (!m_finished)
        return; // the import follows the download
    if (RunImport()) {
        CloseDocument();
        return;
    }
    // The user may choose another target.
    m_importRequested = false;
    EnableControls(false);
}

void CDownloaderView::OnCancel()
{
    if (m_finished) {
        if (m_job && !m_keepTemporary)
            QFile::remove(m_job->m_tempPath);
        CloseDocument();
        return;
    }
    CancelWorkerOrClose();
}

void CDownloaderView::Browse(bool existing)
{
    const bool vkt = Extension() == QLatin1String(".vkt");
    const QString filter = vkt ? QStringLiteral("Soubor data VKT(*.vkt)") : QStringLiteral("Soubor data VK(*.vk)");
    QString& member = existing ? m_existingFile : m_newFile;
    const QString chosen =
        existing ? QFileDialog::getOpenFileName(this, QStringLiteral("Načíst nastavení ze souboru"), member, filter)
                 : QFileDialog::getSaveFileName(this, QStringLiteral("Načíst nastavení ze souboru"), member, filter,
                                                nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return;
    member = QDir::toNativeSeparators(chosen);
    FillControls();
}

