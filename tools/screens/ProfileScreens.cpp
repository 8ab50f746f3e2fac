// The profile windows: the profile view of a VK and a VKT day with its graph
// and value panels, the profile settings dialog and the profile download
// window.
#include "Screens.h"

#include "charts/BexorArchivView.h"
#include "charts/BexorDisplayDlg.h"
#include "charts/ProfileChoiceDlg.h"
#include "charts/ProfileDoc.h"
#include "charts/ProfileGraphWnd.h"
#include "charts/ProfileSettingsDlg.h"
#include "charts/ProfileView.h"
#include "platform/ui/ChildFrame.h"
#include "link_ui/DownloaderDoc.h"
#include "link_ui/DownloaderViewProf.h"
#include "platform/ui/DocTemplate.h"
#include "tests/charts/ProfileFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

#include <atomic>
#include <cmath>
#include <chrono>
#include <thread>

namespace {

using platform::CTime;

class StatusIo : public IProfileIo {
public:
    bool ReadStatus(CProfileStatus& status) override
    {
        const CTime day(2009, 3, 5, 0, 0, 0);
        SerialArchive out;
        const float maxima[4] = {48.2f, 51.7f, 45.9f, 142.3f};
        const float days[4] = {31.0f, 33.4f, 29.8f, 92.6f};
        for (int k = 0; k < 4; ++k)
            out << maxima[k] << CTime(2009, 2, 17 + k, 11, 15 * k, 0) << days[k] << (day + CTimeSpan(3600 * (10 + k)));
        out << CTime(2009, 2, 18, 0, 0, 0) << day << BYTE(1) << BYTE(1) << CTime(2009, 3, 6, 0, 0, 0)
            << CTime(2009, 1, 1, 0, 0, 0);
        SerialArchive in(out.buffer());
        status.Serialize(in);
        return true;
    }
    bool WriteDay(CTime) override { return true; }
    bool ResetMaximum() override { return true; }
    QString ErrorText() const override { return {}; }
    QString ArchivePrefix() const override { return QStringLiteral("hala"); }
    CPristroj* Instrument() override { return nullptr; }
};

// A meter view over a day of quarter-hour readings made in code.
class SampleMeterView : public CMeterArchivView {
public:
    explicit SampleMeterView(bool vkt) : CMeterArchivView(vkt) {}

protected:
    std::vector<charts::CMeterSample> Samples() const override
    {
        std::vector<charts::CMeterSample> samples;
        std::array<std::array<double, 4>, 7> energy{};
        for (int i = 0; i <= 96; ++i) {
            charts::CMeterSample s;
            s.time = CTime(2024, 3, 12, 0, 0, 0) + CTimeSpan(900 * i + (i == 37 ? 50 : 0));
            const double load = 0.5 - 0.45 * std::cos(2.0 * 3.14159265358979 * i / 96.0);
            for (int sub = 0; sub < 7; ++sub) {
                const bool tariff = sub < 3;
                const double share = tariff ? (sub == (i / 32) ? 1.0 : 0.0) : sub == 3 ? 1.0 : 1.0 / 3;
                energy[std::size_t(sub)][0] += 12.5 * load * share;
                energy[std::size_t(sub)][1] += 0.2 * share;
                energy[std::size_t(sub)][2] += 4.1 * load * share;
                energy[std::size_t(sub)][3] += 0.3 * share;
            }
            s.energy = energy;
            samples.push_back(s);
        }
        return samples;
    }
    std::array<int, 24> Tariffs() const override
    {
        std::array<int, 24> t{};
        for (int h = 0; h < 24; ++h)
            t[std::size_t(h)] = h >= 6 && h < 22 ? 1 : 2;
        return t;
    }
};

} // namespace

QORIN_SCREENS(MeterWindows)
{
    // At the size a new meter window takes.
    SampleMeterView vk(false);
    vk.RebuildTable();
    vk.resize(vk.sizeHint());
    shot.save(&vk, QStringLiteral("CBexorArchivView"));
    charts::CMeterDisplay readings = vk.Display();
    readings.increments = 0;
    readings.subColumns = {1, 1, 0, 1, 0, 0, 0};
    SampleMeterView vkt(true);
    charts::CMeterDisplay phases = readings;
    phases.subColumns = {0, 0, 0, 1, 1, 1, 1};
    phases.quantities = {1, 0, 1, 0, 1};
    vkt.SetDisplay(phases);
    vkt.resize(vkt.sizeHint());
    shot.save(&vkt, QStringLiteral("CVKTBexorArchivView"));
    std::array<int, 24> tariffs{};
    tariffs.fill(1);
    CBexorDisplayDlg dialog(readings, true, tariffs, QStringLiteral("01.01.24 00:00:00"));
    shot.save(&dialog, QStringLiteral("CBexorDisplayDlg"));
}

QORIN_SCREENS(ProfileWindows)
{
    using namespace profilefixture;
    const QDir scratch(shot.scratchDir());
    const QString vk = Write(scratch.filePath(QStringLiteral("hala_MP_Y09D0305.pro")),
                             charts::StoreProfileFile(VKDay(QStringLiteral("Hala")), 24));
    const QString vkt = Write(scratch.filePath(QStringLiteral("rozvodna_SP_Y09D0305.pro")),
                              charts::StoreProfileFile(VKTDay(QStringLiteral("Rozvodna R1")), 15));
    ui::CDocManager manager;
    AddProfileTemplates(manager);
    const auto view = [&](const QString& path, const char* variant) {
        auto* doc = qobject_cast<CProfileDoc*>(manager.OpenDocumentFile(path, false));
        auto* v = doc ? qobject_cast<CProfileView*>(doc->FirstView()) : nullptr;
        if (!v) {
            shot.fail(QStringLiteral("CProfileView: %1 did not open").arg(path));
            return;
        }
        QWidget* frame = v->GetParentFrame() ? static_cast<QWidget*>(v->GetParentFrame()) : v;
        frame->resize(doc->GetProfileType() == 2 ? 900 : 1100, 640);
        frame->setWindowTitle(doc->GetTitle());
        doc->MoveCursor(0, 48); // 12:00
        shot.save(frame, QStringLiteral("CProfileView-") + QString::fromLatin1(variant));
        shot.save(v->Graph(), QStringLiteral("CProfileGraphWnd-") + QString::fromLatin1(variant));
        shot.save(v->Panel(), doc->GetProfileType() == 2 ? QStringLiteral("CProfileValuesDlg")
                                                         : QStringLiteral("CVKTPanelHodnotyDlg"));
        if (doc->GetProfileType() == 2) {
            // Below the graph's minimum the view scrolls; here to its panel.
            frame->resize(340, 330);
            shot.save(frame, QStringLiteral("CProfileView-small"));
            v->ScrollArea()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
            shot.save(frame, QStringLiteral("CProfileView-small-scrolled"));
        }
        doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    view(vk, "vk");
    view(vkt, "vkt");

    {
        StatusIo io;
        CProfileSettingsDlg dlg;
        dlg.SetSleeper([](int) {});
        if (dlg.Attach(&io))
            shot.save(&dlg, QStringLiteral("CProfileSettingsDlg"));
        else
            shot.fail(QStringLiteral("CProfileSettingsDlg: no status"));
    }

    {
        ui::CDocManager downloads;
        AddDownloaderTemplates(downloads);
        ui::CDocTemplate* found =
            downloads.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Profile Downloader"));
        auto* document = found ? dynamic_cast<CDownloaderDoc*>(found->OpenDocumentFile(QString(), false)) : nullptr;
        auto* v = document ? dynamic_cast<CDownloaderViewProf*>(document->FirstView()) : nullptr;
        if (!v) {
            shot.fail(QStringLiteral("CDownloaderViewProf: no profile download template"));
            return;
        }
        CPristroj instrument;
        instrument.m_nazev = QStringLiteral("Hala");
        instrument.SetType(CPristroj::kVK, FALSE);
        std::atomic<bool> finish{false};
        v->SetWorker([&finish](CProfileDownloadJob& job) {
            job.SetIdentText(QStringLiteral("PJW 2.14  v. č. 40117"));
            job.SetIdentReady(TRUE);
            job.SetProgress(QStringLiteral("Stahuji 24 záznam z 60."), 43);
            while (!finish && job.IsRunning())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            job.m_result = kDownloadCancelled;
        });
        v->SetOpener([](const QString&) {});
        v->resize(480, 260);
        document->StartProfileDownload(instrument, scratch.filePath(QStringLiteral("hala_MP_Y09D0305-dl.pro")), 1,
                                       CTime(2009, 3, 5, 0, 0, 0), nullptr);
        const QDeadlineTimer deadline(1500);
        while (!deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        shot.save(v, QStringLiteral("CDownloaderViewProf"));
        finish = true;
        QPointer<ui::CDocument> alive = document;
        v->OnCancel();
        const QDeadlineTimer end(10000);
        while (alive && !end.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
