// The instrument commands of the main menu and what the instrument list
// dialog asks of the application.
#include "shell/MavexApp.h"

#include "link/Pristroj.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"
#include "shell/AddInstrumentDlg.h"
#include "shell/AppTasks.h"
#include "shell/MainFrame.h"
#include "shell/ObecneNastaveni.h"
#include "shell/PristrojeDlg.h"
#include "shell/WaitCursor.h"

namespace {

void Warn(QWidget* parent, const QString& text)
{
    ui::ShowMessageBox(parent, text, platform::LoadString(platform::IDS_CAPTION_ERROR), ui::MsgButtons::Ok,
                       ui::MsgIcon::Warning);
}

void Warn(QWidget* parent, int text)
{
    Warn(parent, platform::LoadString(text));
}

} // namespace

bool CMavexApp::AddInstrument(QWidget* parent)
{
    const std::vector<CPortEntry> ports = m_ports ? m_ports->Entries() : std::vector<CPortEntry>{};
    if (ports.empty()) {
        Warn(parent, platform::IDS_ERR_PORT_NOT_FOUND);
        return false;
    }
    auto entry = std::make_unique<CPristroj>(ports.front().name, m_settings.m_pocetPristroju + 1,
                                             m_settings.m_adresar, m_settings.m_pouzivatPodadresare,
                                             m_families.Empty() ? 0 : m_families.All().front().type, m_linkEnv);
    CAddInstrumentDlg dialog(m_families, *m_ports, m_settings.m_adresar, m_settings.m_pouzivatPodadresare != 0, parent);
    dialog.SetEntry(entry.get(), true, nullptr);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return AdoptInstrument(parent, std::move(entry));
}

bool CMavexApp::AdoptInstrument(QWidget* parent, std::unique_ptr<CPristroj> entry)
{
    CPristroj* added = entry.get();
    {
        CWaitCursor wait;
        for (const auto& device : m_devices) {
            if (device->m_nazev == added->m_nazev) {
                Warn(parent, platform::IDS_NAME_COLLISION);
                return false;
            }
            if (device->IsSameLink(*added)) {
                Warn(parent, platform::IDS_ADDRESS_COLLISION);
                added->m_merit = 0;
            }
            if (const QString shared = added->SharedArchiveWith(*device); !shared.isEmpty()) {
                Warn(parent, shared);
                return false;
            }
        }
    }
    m_devices.push_back(std::move(entry));
    ++m_settings.m_pocetPristroju;

    if (added->m_merit) {
        if (!added->BeginThread(platform::WM_DEVICE_ACTIVATE)) {
            Warn(parent, platform::IDS_CANNOT_PROCESS_DATA);
            m_devices.pop_back();
            return false;
        }
        // The answer is taken when it comes; the window goes on meanwhile.
        const int wait = LookupPort(added->m_com) ? CPristroj::kModemSettingsWaitMs : CPristroj::kThreadWaitMs;
        WatchActivation(*added, wait, true);
    }
    platform::Settings settings;
    CDeviceRegistry::SaveDeviceSettingsUnderKey(settings, *added);
    CDeviceRegistry::SaveOrder(settings, m_devices);
    if (m_mainFrame)
        m_mainFrame->UpdateCommands();
    return true;
}

void CMavexApp::OnInstrumentList(QWidget* parent)
{
    platform::Settings settings;
    CPristrojeDlg dialog(*this, settings, parent);
    dialog.SetList(&m_devices);
    dialog.exec();
    if (m_mainFrame)
        m_mainFrame->UpdateCommands();
}

void CMavexApp::OnGeneralSettings(QWidget* parent)
{
    if (!m_ports)
        return;
    platform::Settings settings;
    CObecneNastaveni sheet(platform::LoadString(platform::IDS_TITLE_GENERAL_SETTINGS),
                           CONSpolecne::Context{m_settings, *m_ports, settings, m_devices, m_linkManager.get()}, parent, 0,
                           &m_families);
    sheet.Load();
    if (sheet.exec() == QDialog::Accepted)
        sheet.Apply();
}

bool CMavexApp::EditInstrument(QWidget* parent, CPristroj& copy, CPristroj& live)
{
    CAddInstrumentDlg dialog(m_families, *m_ports, m_settings.m_adresar, m_settings.m_pouzivatPodadresare != 0, parent);
    dialog.SetEntry(&copy, false, &live);
    return dialog.exec() == QDialog::Accepted;
}

void CMavexApp::OpenPanel(CPristroj& entry)
{
    if (const CFamilyDescriptor* family = m_families.Find(entry.GetType()); family && family->openPanel)
        family->openPanel(entry);
}

void CMavexApp::OpenSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet)
{
    if (const CFamilyDescriptor* family = m_families.Find(entry.GetType()); family && family->openSettings)
        family->openSettings(parent, entry, sheet);
}

void CMavexApp::ReceiveData(CPristroj& entry)
{
    const CFamilyDescriptor* family = m_families.Find(entry.GetType());
    if (family && family->receiveData)
        family->receiveData(m_mainFrame.get(), entry);
    else if (family && family->canDownload)
        OpenDownloadWindow(entry);
}

bool CMavexApp::CanReceiveData(const CPristroj& entry) const
{
    return m_families.CanDownload(entry.GetType());
}

void CMavexApp::RemoveInstrumentTasks(const QString& name)
{
    platform::Settings settings;
    ::RemoveInstrumentTasks(m_tasks, name, settings);
}
