#include "analysers_vk/VKArchivView.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "archive/store/VKDisplayValues.h"
#include "charts/PanelEventList.h"
#include "controls/common/PanelControl.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QLabel>

namespace analysers_vk {

namespace {

constexpr int kArchivResourceId = 188;
// Family code of WM_UPDATE_FRAME_UI.
constexpr int kFamilyVK = 1;

} // namespace

CVKArchivView::CVKArchivView(QWidget* parent) : CVKArchivViewBase(parent, kFamilyVK)
{
    if (PanelControl())
        PanelControl()->hide();
    if (PanelError())
        PanelError()->hide();
    ResetPanes();
    OnViewCreated();
}

CVKArchivView::~CVKArchivView()
{
    Close();
}

void CVKArchivView::TakeGraphQuantities()
{
    std::array<int, 36> shown{};
    std::array<std::uint32_t, 36> colours{};
    Graph()->GetAllQuantities(shown, colours);
    Values()->SetGraphQuantities(shown, colours);
    charts::VKCsvColumns columns;
    for (std::size_t i = 0; i < shown.size(); ++i)
        columns.flags[i] = shown[i];
    List()->SetColumns(columns);
}

void CVKArchivView::OnQuantitiesTaken()
{
    Values()->ResetLayout();
}

void CVKArchivView::OnViewCreated()
{
    Values()->SetKeepHeader(true);
    Graph()->setFocus();
}

void CVKArchivView::OnGraphChanged()
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    CVKArchivData& data = doc->GetFamilyArchiv();
    // The values of the record the walk stands on; a reader never measured,
    // so its own new-data flag says nothing here.
    CVKAktData values;
    int measured = 0;
    data.GetLatestValues(values, measured);
    const int current = data.GetCurrentRecordPosition() >= 0 ? 1 : 0;
    Values()->SetValues(archive::vk::FormatValues(values, current, archive::vk::ReadDisplaySettings(data)));
    const platform::CTime time = data.GetCurrentRecordTime();
    Values()->SetHeader(data.GetArchiveFileName(),
                        time.GetTime() ? time.Format(QStringLiteral("%d.%m.%Y %H:%M:%S")) : QString());
    Values()->update();
}

void CVKArchivView::FillRecord(CVKArchivViewRecord& record) const
{
    Values()->GetTabs(record.tab1, record.tab2, record.tab3);
    const CVKStatSettings& stats = Stats()->GetSettings();
    record.nominalVoltage = stats.nominalVoltage;
    record.nominalCurrent = stats.nominalCurrent;
    record.window1 = stats.window1;
    record.window2 = stats.window2;
    record.voltageMultiplier = stats.voltageMultiplier;
    record.currentMultiplier = stats.currentMultiplier;
}

void CVKArchivView::ApplyRecord(const CVKArchivViewRecord& record)
{
    if (record.hasPlacement)
        Values()->SetTabs(record.tab1, record.tab2, record.tab3);
    if (record.hasStatistics) {
        CVKStatSettings& stats = Stats()->GetSettings();
        stats.nominalVoltage = record.nominalVoltage;
        stats.nominalCurrent = record.nominalCurrent;
        stats.window1 = record.window1;
        stats.window2 = record.window2;
        stats.voltageMultiplier = record.voltageMultiplier;
        stats.currentMultiplier = record.currentMultiplier;
    }
}

void AddVKArchivTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CVKArchivDoc, ui::CChildFrame, CVKArchivView>(kArchivResourceId, CVKArchivDoc::DocString()));
}

} // namespace analysers_vk
