#include "analysers_vkt/VKTArchivView.h"

#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "archive/store/VKTDisplayValues.h"
#include "controls/common/PanelControl.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QFileInfo>
#include <QLabel>

namespace analysers_vkt {

namespace {

constexpr int kArchivResourceId = 303;
// Family code of WM_UPDATE_FRAME_UI.
constexpr int kFamilyVKT = 3;

} // namespace

CVKTArchivView::CVKTArchivView(QWidget* parent) : CVKTArchivViewBase(parent, kFamilyVKT)
{
    if (PanelControl())
        PanelControl()->hide();
    if (PanelError())
        PanelError()->hide();
    Values()->SetArchiveMode(true);
    m_graphReady = 0;
    m_exportOutsideList = true;
    m_valuesFollowQuantities = true;
    // The archive view's own dividers until its record is read.
    ResetPanes();
    m_prickaX = 600;
    m_prickaY = 620;
    LayoutPanes();
    Graph()->setFocus();
}

CVKTArchivView::~CVKTArchivView()
{
    Close();
}

void CVKTArchivView::OnReady(bool ready)
{
    CVKTArchivViewBase::OnReady(ready);
    m_graphReady = ready;
}

void CVKTArchivView::RedrawGraph()
{
    Graph()->update();
}

void CVKTArchivView::TakeGraphQuantities()
{
    std::array<int, CVKTGrafAktual::kQuantityCount> shown{};
    std::array<std::uint32_t, CVKTGrafAktual::kQuantityCount> colours{};
    Graph()->GetAllQuantities(shown, colours);
    Values()->SetGraphQuantities(shown, colours);
    CVKTArchivData::Selection columns{};
    std::copy(shown.begin(), shown.end(), columns.begin());
    List()->SetColumns(columns);
    Values()->ResetLayout();
}

void CVKTArchivView::OnQuantitiesTaken()
{
    Modes().RangeBar()->SetValueKind(Graph()->OffLineZob());
}

void CVKTArchivView::OnGraphChanged()
{
    CVKTArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    CVKTArchivData& data = doc->GetFamilyArchiv();
    // The record the walk stands on, shown with the kind of values the
    // graph's off-line choice names.
    const int current = data.GetCurrentIndex() >= 0 ? 1 : 0;
    Values()->SetValues(archive::vkt::FormatValues(data.GetCurrentValues(), current,
                                                   archive::vkt::ReadDisplaySettings(data), Values()->DialogRows(),
                                                   Graph()->OffLineZob()));
    const CVKTArchivData::WindowTexts texts = data.GetWindowTexts();
    Values()->SetWindowTexts(texts.windowStart, texts.currentTime, QFileInfo(texts.fileName).fileName(),
                             Values()->FieldText(1062));
    Values()->update();
}

void CVKTArchivView::FillRecord(CVKTArchivViewRecord& record) const
{
    Values()->GetActiveTab(record.tab1, record.tab2, record.tab3);
    const CVKTStatSettings& stats = Stats()->GetSettings();
    record.SetA(stats.nominalVoltage);
    record.SetB(stats.nominalPowerPhase);
    record.window1 = stats.window1;
    record.window2 = stats.window2;
    record.voltageMultiplier = stats.voltageMultiplier;
    record.currentMultiplier = stats.currentMultiplier;
}

void CVKTArchivView::ApplyRecord(const CVKTArchivViewRecord& record)
{
    if (record.hasPlacement)
        Values()->SetActiveTab(record.tab1, record.tab2, record.tab3);
    if (record.hasStatistics) {
        CVKTStatSettings& stats = Stats()->GetSettings();
        stats.nominalVoltage = record.A();
        stats.nominalPowerPhase = record.B();
        stats.nominalVoltageLine = record.LineVoltage();
        stats.nominalPower = record.ThreePhasePower();
        if (record.HasCurrent())
            stats.nominalCurrent = record.Current();
        stats.window1 = record.window1;
        stats.window2 = record.window2;
        stats.voltageMultiplier = record.voltageMultiplier;
        stats.currentMultiplier = record.currentMultiplier;
    }
}

void AddVKTArchivTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CVKTArchivDoc, ui::CChildFrame, CVKTArchivView>(
        kArchivResourceId, CVKTArchivDoc::DocString()));
}

} // namespace analysers_vkt
