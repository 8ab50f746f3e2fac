// The program's own windows beside its dialogs: About, the download window
// (during a download and when it is done), the modem dial dialog and the
// connection dialog.
#include "tools/screens/Screens.h"

#include "link/DownloadJob.h"
#include "link/Pristroj.h"
#include "link_ui/DownloaderDoc.h"
#include "link_ui/DownloaderView.h"
#include "link_ui/ModemDialDlg.h"
#include "link_ui/TransferProgressDlg.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "shell/AboutDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <atomic>
#include <thread>

QORIN_SCREENS(ShellWindows)
{
    {
        CAboutDlg about;
        shot.save(&about, QStringLiteral("CAboutDlg"));
    }
    {
        CModemDialDlg dial;
        const QString caption = QStringLiteral("Spojení s modemem");
        const QString status = QStringLiteral("Probíhá vytáčení modemu.");
        platform::SendMessageTo(&dial, platform::WM_DIAL_CAPTION, reinterpret_cast<std::uintptr_t>(&caption));
        platform::SendMessageTo(&dial, platform::WM_DIAL_STATUS, reinterpret_cast<std::uintptr_t>(&status));
        shot.save(&dial, QStringLiteral("CModemDialDlg-dialling"));
        const QString busy = QStringLiteral("Obsazeno.");
        platform::SendMessageTo(&dial, platform::WM_DIAL_STATUS, reinterpret_cast<std::uintptr_t>(&busy));
        platform::SendMessageTo(&dial, platform::WM_DIAL_DONE, IModemDialog::kFinished);
        shot.save(&dial, QStringLiteral("CModemDialDlg-busy"));
    }
    {
        ModemLineState connected;
        connected.lineState = 1;
        connected.bytes = 153600;
        connected.connectTime = CTime(2024, 3, 11, 6, 12, 40);
        connected.totalKB = 5230;
        connected.totalSeconds = 41000;
        connected.links = 2;
        // The lines as the program names them: one the system describes as
        // a modem, one on a USB adapter that the user made a modem line.
        std::vector<CTransferProgressDlg::Line> lines{
            {QStringLiteral("USB Modem (ttyACM0)"), [connected] { return connected; }, {}, {}},
            {QStringLiteral("FT232R USB UART (ttyUSB1)"), [] { return ModemLineState(); }, {}, {}},
        };
        CTransferProgressDlg::PortMarks marks;
        marks.ports = {{QStringLiteral("ttyS0"), QStringLiteral("Sériový port")},
                       {QStringLiteral("ttyACM0"), QStringLiteral("USB Modem")},
                       {QStringLiteral("ttyUSB1"), QStringLiteral("FT232R USB UART")}};
        marks.isModem = [](const QString& port, const QString&) { return port != QStringLiteral("ttyS0"); };
        marks.mark = [lines](const QString&, const QString&, bool) { return lines; };
        const auto now = [] { return CTime(2024, 3, 11, 6, 30, 0); };
        CTransferProgressDlg progress(lines, nullptr, now);
        progress.SetPortMarks(marks);
        if (auto* port = progress.findChild<QComboBox*>(QString::number(CTransferProgressDlg::IdModemPort)))
            port->setCurrentIndex(2);
        shot.save(&progress, QStringLiteral("CTransferProgressDlg"));

        // No modem line yet: the user types the port the modem is on.
        CTransferProgressDlg none({}, nullptr, now);
        marks.isModem = [](const QString&, const QString&) { return false; };
        none.SetPortMarks(marks);
        if (auto* port = none.findChild<QComboBox*>(QString::number(CTransferProgressDlg::IdModemPort)))
            port->setEditText(QStringLiteral("/dev/serial/by-id/usb-Modem_56k-if00"));
        shot.save(&none, QStringLiteral("CTransferProgressDlg-none"));
    }
    {
        ui::CDocManager manager;
        AddDownloaderTemplates(manager);
        ui::CDocTemplate* found =
            manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Downloader"));
        auto* document = found ? dynamic_cast<CDownloaderDoc*>(found->OpenDocumentFile(QString(), false)) : nullptr;
        auto* view = document ? dynamic_cast<CDownloaderView*>(document->FirstView()) : nullptr;
        if (!view) {
            shot.fail(QStringLiteral("CDownloaderView: no download template"));
            return;
        }
        CPristroj instrument;
        instrument.m_nazev = QStringLiteral("Rozvodna R1");
        instrument.m_soubor = QDir::toNativeSeparators(QDir(shot.scratchDir()).filePath(QStringLiteral("R1")));
        instrument.SetType(CPristroj::kVK, FALSE);
        QFile(instrument.m_soubor + QStringLiteral("-Off1.vk")).open(QIODevice::WriteOnly);
        std::atomic<bool> finish{false};
        view->SetWorker([&finish](CDownloadJob& job) {
            job.SetIdentText(QStringLiteral("PJW 2.14  v. č. 40117"));
            job.SetIdentReady(TRUE);
            job.SetProgress(DownloadRecordsText(32, 80), 40);
            while (!finish && job.IsRunning())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            // As the download ends: all records in, the bar full.
            job.SetProgress(DownloadRecordsText(80, 80), 95);
            job.SetProgress(QString::fromUtf8(download_texts::kDone), 100);
            job.m_result = kDownloadOk;
        });
        view->SetImporter([](const CDownloadJob&, const CDownloadTarget&) -> BOOL { return FALSE; });
        // The window as the program opens it: its frame of 230 x 130 dialog units.
        QWidget* window = view->GetParentFrame();
        document->StartDownload(instrument);
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        shot.save(window, QStringLiteral("CDownloaderView-running"));
        finish = true;
        while (view->IsWorkerRunning() && !view->IsFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        shot.save(window, QStringLiteral("CDownloaderView-finished"));
        view->OnCancel();
        QCoreApplication::processEvents();
    }
}
