#include "analysers_vk/VKRArchivView.h"

#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "archive/store/VKRDisplayValues.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

namespace analysers_vk {

namespace {

constexpr int kArchivResourceId = 189;
// Family code of WM_UPDATE_FRAME_UI.
constexpr int kFamilyVKR = 1;

} // namespace

CVKRArchivView::CVKRArchivView(QWidget* parent) : CVKRArchivViewBase(parent, kFamilyVKR)
{
    // No instrument stands behind an archive: no front panel.
    m_hasPanel = false;
    Panel()->hide();
    Values()->SetCompact(true);
    ResetPanes();
    Graph()->setFocus();
}

CVKRArchivView::~CVKRArchivView()
{
    Close();
}

void CVKRArchivView::TakeGraphQuantities()
{
    std::array<int, 36> shown{};
    std::array<std::uint32_t, 36> colours{};
    std::array<int, CVKRGrafAktual::kLineCount> lineShown{};
    std::array<std::uint32_t, CVKRGrafAktual::kLineCount> lineColours{};
    Graph()->GetAllQuantities(shown, colours, lineShown, lineColours);
    charts::VKRCsvColumns columns = List()->ColumnFlags();
    for (std::size_t i = 0; i < shown.size() && i < columns.flags.size(); ++i)
        columns.flags[i] = shown[i];
    for (std::size_t k = 0; k < lineShown.size() && k < columns.extra.size(); ++k)
        columns.extra[k] = lineShown[k];
    List()->SetColumns(columns);
}

void CVKRArchivView::OnQuantitiesTaken()
{
    Values()->ResetLayout();
}

void CVKRArchivView::OnGraphChanged()
{
    CVKRArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    CVKRArchivData& data = doc->GetFamilyArchiv();
    // The values of the record the walk stands on; a reader never measured,
    // so its own new-data flag says nothing here.
    CVKRAktData values;
    int measured = 0;
    data.GetLatestValues(values, measured);
    const int current = data.GetCurrentRecordPosition() >= 0 ? 1 : 0;
    Values()->SetValues(archive::vkr::FormatValues(values, current, archive::vkr::ReadDisplaySettings(data)));
    const platform::CTime time = data.GetCurrentRecordTime();
    Values()->SetHeader(data.GetArchiveFileName(),
                        time.GetTime() ? time.Format(QStringLiteral("%d.%m.%Y %H:%M:%S")) : QString());
    Values()->update();
}

void CVKRArchivView::FillRecord(CVKRArchivViewRecord& record) const
{
    record.tab1 = Values()->GetActiveTab();
    const CVKRStatSettings& stats = Stats()->GetSettings();
    record.statA = stats.nominalVoltage;
    record.statB = stats.nominalCurrent;
    record.statSecond = stats.window2;
    record.statFirst = stats.window1;
}

void CVKRArchivView::ApplyRecord(const CVKRArchivViewRecord& record)
{
    if (record.hasPlacement)
        Values()->SetActiveTab(record.tab1);
    if (record.hasStatistics) {
        CVKRStatSettings& stats = Stats()->GetSettings();
        stats.nominalVoltage = record.statA;
        stats.nominalCurrent = record.statB;
        stats.window2 = record.statSecond;
        stats.window1 = record.statFirst;
    }
}

void AddVKRArchivTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CVKRArchivDoc, ui::CChildFrame, CVKRArchivView>(
        kArchivResourceId, CVKRArchivDoc::DocString()));
}

} // namespace analysers_vk
