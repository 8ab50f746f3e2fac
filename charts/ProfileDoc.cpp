#include "charts/ProfileDoc.h"

#include "charts/ProfileGraphWnd.h"
#include "charts/ProfileView.h"
#include "charts_data/ProfileDataFactory.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>

namespace {

CProfileDoc::SettingsSheet& Sheet()
{
    static CProfileDoc::SettingsSheet sheet;
    return sheet;
}

std::function<void()>& Beep()
{
    static std::function<void()> beep = [] { QApplication::beep(); };
    return beep;
}

} // namespace

CProfileDoc::CProfileDoc() = default;
CProfileDoc::~CProfileDoc() = default;

void CProfileDoc::SetSettingsSheet(SettingsSheet sheet) { Sheet() = std::move(sheet); }

void CProfileDoc::SetBeep(std::function<void()> beep) { Beep() = std::move(beep); }

bool CProfileDoc::OnOpenDocument(const QString& path)
{
    const int type = charts::ProfileFileType(path);
    if (type == 0) {
        ui::ErrorBox(nullptr, platform::LoadString(platform::IDS_FILE_DAMAGED), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        return false;
    }
    // The profile held so far stays until the new one has been read whole.
    std::unique_ptr<CProfileData> fresh = type == m_type ? nullptr : charts::CreateProfileData(type);
    CProfileData& data = fresh ? *fresh : *m_data;
    if (!data.SetPath(path)) {
        ui::ErrorBox(nullptr, data.GetErrorText(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return false;
    }
    if (fresh) {
        // The graph lets go of the old data before it goes.
        m_type = 0;
        UpdateAllViews(nullptr, kHintData);
        m_data = std::move(fresh);
        m_type = type;
    }
    UpdateAllViews(nullptr, kHintNewContent | kHintData);
    m_data->Prepare(CProfileData::kFillTraces);
    UpdateAllViews(nullptr, kHintStyles);
    return true;
}

void CProfileDoc::SetTitle(const QString& title)
{
    ui::CDocument::SetTitle(m_type != 0 && m_data ? m_data->GetTitle() : title);
}

void CProfileDoc::MoveCursor(int step, int pages)
{
    if (!m_data)
        return;
    if (m_data->MoveCursor(step + 15 * pages) && Beep())
        Beep()();
    UpdateAllViews(nullptr, kHintCursor);
}

void CProfileDoc::OnShowSettings(QWidget* parent)
{
    if (m_data && Sheet() && !Sheet()(parent, *m_data))
        ui::ErrorBox(parent, platform::LoadString(platform::IDS_SETTINGS_FILE_DAMAGED), ui::MsgButtons::OkCancel,
                     ui::MsgIcon::Warning);
}

void CProfileDoc::AppendCommands(std::vector<ui::CommandItem>& items)
{
    items.push_back({CProfileGraphWnd::kCmdInstrumentSettings, QStringLiteral("Nastavení přístroje..."),
                     QStringLiteral("&Profil"), 0, false});
}

bool CProfileDoc::OnCommand(int id)
{
    if (id != CProfileGraphWnd::kCmdInstrumentSettings)
        return false;
    OnShowSettings(FirstView());
    return true;
}

void AddProfileTemplates(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CProfileDoc, ui::CChildFrame, CProfileView>(117, CProfileDoc::DocString()));
}
