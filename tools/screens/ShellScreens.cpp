// The program's own windows and dialogs: the main frame, the instrument
// dialogs, the general settings sheet, the download tasks, the wait dialog
// and the archive dialogs over archives recorded by the store.
#include "tools/screens/Screens.h"
#include "tools/screens/ScreensArchive.h"

#include "app/Families.h"
#include "archive_docs/OpenArchiveDlg.h"
#include "archive_docs/ZaplatovatArchivDlg.h"
#include "archive/store/VKArchivData.h"
#include "link/DownloadTasks.h"
#include "link/LinkManager.h"
#include "link/ModemSettings.h"
#include "link/PortList.h"
#include "link_ui/TransferProgressDlg.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ui/WaitDlg.h"
#include "shell/AddInstrumentDlg.h"
#include "shell/DeviceListCtrl.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/MavexApp.h"
#include "shell/ObecneNastaveni.h"
#include "shell/PristrojeDlg.h"
#include "shell/TaskEditDlg.h"
#include "shell/TaskManagerDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QTabBar>
#include <QDir>
#include <QTableWidget>

#include <mutex>

namespace {

using platform::CTime;

// The serial ports of the machine as the program lists them: two serial
// ports and a USB modem.
std::vector<CSerialPortInfo> Ports()
{
    std::vector<CSerialPortInfo> list(3);
    list[0].portName = QStringLiteral("ttyS0");
    list[0].devicePath = QStringLiteral("/dev/ttyS0");
    list[0].description = QStringLiteral("Sériový port");
    list[1].portName = QStringLiteral("ttyUSB0");
    list[1].devicePath = QStringLiteral("/dev/ttyUSB0");
    list[1].usbProduct = QStringLiteral("ZRT VKT 44");
    list[2].portName = QStringLiteral("ttyACM0");
    list[2].devicePath = QStringLiteral("/dev/ttyACM0");
    list[2].description = QStringLiteral("USB Modem");
    return list;
}

struct Instrument {
    const char* name;
    int type;
    const char* port;
    int address;
    const char* number = "";
};

// Instruments of every family on the ports and one behind the modem; none
// measures, so no thread touches a port.
const Instrument kInstruments[] = {
    {"Rozvodna R1", CPristroj::kVK, "ttyS0", 1},
    {"Kotelna", CPristroj::kQorin, "ttyS0", 2},
    {"Hala B", CPristroj::kVKT, "ttyUSB0", 1},
    {"Kompresorovna", CPristroj::kVKR, "ttyS0", 3},
    {"Trafostanice T2", CPristroj::kDuskar, "ttyS0", 4},
    {"Vodárna", CPristroj::kVK, "USB Modem (ttyACM0)", 1, "0412345678"},
};

void WriteSettings(platform::Settings& store, const QString& dataFolder)
{
    const auto& general = CGeneralSettings::Section();
    store.WriteProfileString(general, QStringLiteral("adresar"), dataFolder);
    store.WriteProfileInt(general, QStringLiteral("spustit pri startu"), 0);
    store.WriteProfileInt(general, QStringLiteral("maximize"), 0);
    for (const Instrument& i : kInstruments) {
        const platform::SettingsSection key = CDeviceRegistry::Key(QString::fromUtf8(i.name));
        store.WriteProfileInt(key, QStringLiteral("kat"), i.type);
        store.WriteProfileInt(key, QStringLiteral("merit"), 0);
        store.WriteProfileInt(key, QStringLiteral("adresa"), i.address);
        store.WriteProfileString(key, QStringLiteral("com"), QString::fromLatin1(i.port));
        store.WriteProfileString(key, QStringLiteral("telCislo"), QString::fromLatin1(i.number));
    }
}

CMavexApp::Environment Environment()
{
    CMavexApp::Environment env;
    env.instanceName = QStringLiteral("qorin01-screens-%1").arg(QCoreApplication::applicationPid());
    env.instancePause = [](int) {};
    env.readPause = [](int) {};
    env.startPauseMs = 0;
    env.enumeratePorts = [] { return Ports(); };
    env.modemLines = [] { return ModemLinesOf(Ports(), platform::Settings()); };
    env.showWindow = false;
    return env;
}

// The patch dialog's instrument: answers its memory range at once.
class ShownInstrument : public IPatchInstrument {
public:
    ShownInstrument(QString name, int type) : m_name(std::move(name)), m_type(type) {}
    QString Name() const override { return m_name; }
    int Type() const override { return m_type; }
    bool IsMeasured() const override { return false; }
    bool OpenLink() override { return true; }
    void CloseLink() override {}
    bool ReadRecordRange(int, CTime& first, CTime& last) override
    {
        first = CTime(2024, 2, 1, 0, 0, 0);
        last = CTime(2024, 3, 11, 11, 0, 0);
        return true;
    }

private:
    QString m_name;
    int m_type;
};

void ArchiveDialogs(screens::Shot& shot, const QString& data)
{
    const CTime start(2024, 3, 10, 10, 0, 0);
    const QString path = screens::WriteVKArchive(data, QStringLiteral("Rozvodna R1"), QStringLiteral(".vk"),
                                                 QStringLiteral("Rozvodna R1"), start, 45);
    screens::WriteVKArchive(data, QStringLiteral("Rozvodna R1_Y24D0309H00"), QStringLiteral(".vk"),
                            QStringLiteral("Rozvodna R1"), CTime(2024, 3, 9, 0, 0, 0), 30);
    screens::WriteVKArchive(data, QStringLiteral("Rozvodna R1_Y24D0308H00"), QStringLiteral(".vk"),
                            QStringLiteral("Rozvodna R1"), CTime(2024, 3, 8, 0, 0, 0), 20);
    if (path.isEmpty()) {
        shot.fail(QStringLiteral("COpenArchiveDlg: the archive could not be written"));
        return;
    }

    {
        std::vector<COpenArchiveInstrument> instruments = {
            {QStringLiteral("Rozvodna R1"), 2, QDir(data).filePath(QStringLiteral("Rozvodna R1"))},
            {QStringLiteral("Hala B"), 4, QDir(data).filePath(QStringLiteral("Hala B"))},
        };
        COpenArchiveDlg dlg;
        dlg.SetInstruments(&instruments, 0);
        dlg.InitDialog();
        shot.save(&dlg, QStringLiteral("COpenArchiveDlg"));
    }
    {
        CVKArchivData archive;
        if (archive.Open(path) != 1) {
            shot.fail(QStringLiteral("CZaplatovatArchivDlg: the archive could not be opened"));
            return;
        }
        ShownInstrument first(QStringLiteral("Rozvodna R1"), 2);
        ShownInstrument second(QStringLiteral("Rozvodna R2"), 2);
        CPatchArchivHost host;
        host.instruments = [&] { return std::vector<IPatchInstrument*>{&first, &second}; };
        host.startIntervalDownload = [](IPatchInstrument&, CTime, CTime, int, int, const QString&) { return true; };
        CZaplatovatArchivDlg dlg;
        dlg.SetHost(host);
        dlg.SetVKArchive(&archive);
        dlg.InitDialog();
        shot.save(&dlg, QStringLiteral("CZaplatovatArchivDlg"));
        archive.Close();
    }
}

} // namespace

QORIN_SCREENS(Shell)
{
    const QString ini = QDir(shot.scratchDir()).filePath(QStringLiteral("shell.ini"));
    const QString data = QDir(shot.scratchDir()).filePath(QStringLiteral("data"));
    platform::Settings::SetFileForTesting(ini);
    platform::Settings store(ini);
    WriteSettings(store, data);

    {
        CMavexApp app(Environment());
        app.SetFamilies(CFamilyList(ProgramFamilies()));
        if (!app.InitInstance({QStringLiteral("qorin01")}) || !app.MainFrame()) {
            shot.fail(QStringLiteral("CMainFrame: the application did not start"));
            platform::Settings::SetFileForTesting(QString());
            return;
        }
        CMainFrame* frame = app.MainFrame();
        frame->resize(1024, 700);
        shot.save(frame, QStringLiteral("CMainFrame"));
        {
            // An archive window in front: the menu bar and the tool bars
            // carry its commands.
            const QString path =
                screens::WriteVKArchive(data, QStringLiteral("Rozvodna R5"), QStringLiteral(".vk"),
                                        QStringLiteral("Rozvodna R5"), CTime(2024, 3, 10, 10, 0, 0), 45);
            if (path.isEmpty() || !app.OpenArchiveFile(path))
                shot.fail(QStringLiteral("CMainFrame-archive: the archive could not be opened"));
            else
                shot.save(frame, QStringLiteral("CMainFrame-archive"));
        }

        {
            CAddInstrumentDlg dlg(app.Families(), *app.Ports(), data, true, frame);
            CPristroj entry(QStringLiteral("ttyS0"), 1, data, TRUE, CPristroj::kVK);
            entry.m_nazev = QStringLiteral("Rozvodna R3");
            dlg.SetEntry(&entry, true, nullptr);
            shot.save(&dlg, QStringLiteral("CAddInstrumentDlg"));
            if (auto* advanced = dlg.Control<QCheckBox>(CAddInstrumentDlg::IdAdvanced)) {
                advanced->setChecked(true);
                shot.save(&dlg, QStringLiteral("CAddInstrumentDlg-advanced"));
            }
        }
        {
            CAddInstrumentDlg dlg(app.Families(), *app.Ports(), data, true, frame);
            CPristroj& live = *app.GetDeviceList().front();
            CPristroj copy(live);
            dlg.SetEntry(&copy, false, &live);
            shot.save(&dlg, QStringLiteral("CAddInstrumentDlg-edit"));
        }
        {
            // The instrument behind the modem: the line and its number.
            CAddInstrumentDlg dlg(app.Families(), *app.Ports(), data, true, frame);
            CPristroj& live = *app.GetDeviceList().back();
            CPristroj copy(live);
            dlg.SetEntry(&copy, false, &live);
            shot.save(&dlg, QStringLiteral("CAddInstrumentDlg-modem"));
        }
        if (CLinkManager* manager = app.LinkEnvironment()->LinkManager()) {
            // "Modemy" as the program opens it: the machine's modem line,
            // and its serial ports, any of which may carry one.
            CTransferProgressDlg modems(CTransferProgressDlg::LinesOf(*app.Ports(), *manager), frame,
                                        [] { return CTime(2024, 3, 11, 6, 30, 0); });
            CTransferProgressDlg::PortMarks marks;
            for (const CPortEntry& entry : app.Ports()->Entries())
                if (entry.kind == kPortKindSerial)
                    marks.ports.push_back({entry.name, entry.description});
            marks.isModem = [](const QString& port, const QString& description) {
                return IsModemPort(platform::Settings(), port, description);
            };
            marks.mark = [](const QString&, const QString&, bool) { return std::vector<CTransferProgressDlg::Line>{}; };
            modems.SetPortMarks(marks);
            if (auto* port = modems.findChild<QComboBox*>(QString::number(CTransferProgressDlg::IdModemPort)))
                port->setCurrentIndex(port->findData(QStringLiteral("ttyACM0")));
            shot.save(&modems, QStringLiteral("CTransferProgressDlg-program"));
        }
        {
            CPristrojeDlg dlg(app, store, frame);
            dlg.SetList(&app.GetDeviceList());
            dlg.List()->selectRow(0);
            dlg.UpdateButtons();
            shot.save(&dlg, QStringLiteral("CPristrojeDlg"));
        }
        {
            CObecneNastaveni sheet(QStringLiteral("Obecná nastavení"),
                                   CONSpolecne::Context{app.GeneralSettings(), *app.Ports(), store,
                                                        app.GetDeviceList()},
                                   frame, 0, &app.Families());
            sheet.Load();
            shot.save(&sheet, QStringLiteral("CObecneNastaveni"));
            for (int page = 0; page < sheet.GetPageCount(); ++page) {
                sheet.SetActivePage(page);
                const QString name = QString::fromLatin1(sheet.GetPage(page)->metaObject()->className());
                shot.save(&sheet, QStringLiteral("CObecneNastaveni-") + name);
            }
            // The common page with the modem line's tab: its retries and
            // the connect flag.
            int common = 0;
            for (int page = 0; page < sheet.GetPageCount(); ++page)
                if (QString::fromLatin1(sheet.GetPage(page)->metaObject()->className()) == QStringLiteral("CONSpolecne"))
                    common = page;
            sheet.SetActivePage(common);
            QTabBar* portTabs = nullptr;
            for (QTabBar* tabs : sheet.GetPage(common)->findChildren<QTabBar*>())
                for (int t = 0; t < tabs->count(); ++t)
                    if (tabs->tabText(t) == QStringLiteral("USB Modem (ttyACM0)")) {
                        tabs->setCurrentIndex(t);
                        portTabs = tabs;
                    }
            if (portTabs)
                shot.save(&sheet, QStringLiteral("CObecneNastaveni-CONSpolecne-modem"));
            else
                shot.fail(QStringLiteral("CObecneNastaveni-CONSpolecne-modem: no tab of the modem line"));
        }
        {
            CTaskList& tasks = app.Tasks();
            {
                std::lock_guard list(tasks.ListLock());
                const struct {
                    const char* name;
                    const char* instrument;
                    int interval;
                    bool synch;
                } kTasks[] = {{"Denní stažení R1", "Rozvodna R1", 2, true},
                              {"Týdenní stažení haly", "Hala B", 4, false},
                              {"Noční záloha", "Rozvodna R1", 0, false}};
                for (const auto& t : kTasks) {
                    CTask* task = tasks.Add();
                    task->m_nazev = QString::fromUtf8(t.name);
                    task->m_pristroj = QString::fromUtf8(t.instrument);
                    task->m_active = 1;
                    task->m_interval = t.interval;
                    task->m_synch = t.synch ? 1 : 0;
                    task->m_synchTime = CTime(2024, 3, 11, 6, 30, 0);
                    task->m_lastTime = CTime(2024, 3, 10, 6, 30, 12);
                }
            }
            CTaskManagerDlg manager(app.Families(), store, frame);
            manager.SetContext(&app.GetDeviceList(), &tasks);
            shot.save(&manager, QStringLiteral("CTaskManagerDlg"));

            CTaskEditDlg editor(app.Families(), frame);
            if (editor.NewTask(app.GetDeviceList(), tasks))
                shot.save(&editor, QStringLiteral("CTaskEditDlg"));
            else
                shot.fail(QStringLiteral("CTaskEditDlg: no VK or VKT instrument to edit a task for"));
        }
        {
            auto* wait = new ui::CWaitDlg(frame);
            wait->SetText(QStringLiteral("Změna aktuálního výřezu archivního souboru."));
            wait->SetProgress(40);
            shot.save(wait, QStringLiteral("CWaitDlg"));
            wait->close();
        }
        ArchiveDialogs(shot, data);
        app.ExitInstance();
    }
    platform::Settings::SetFileForTesting(QString());
}
