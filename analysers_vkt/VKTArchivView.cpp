#include "analysers_vkt/VKTArchivView.h"

#include "analysers_vk/VKArchivModes.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "archive/documents/ArchivDocBase.h"
#include "archive/documents/FamilyArchivDocs.h"
#include "archive/store/VKTDisplayValues.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/ExportDlg.h"
#include "charts/PanelEventList.h"
#include "charts/StatPanel.h"
#include "controls/common/PanelControl.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>

#include <algorithm>

namespace analysers_vkt {

namespace {

using ArchivModes = analysers_vk::CVKArchivModes;

constexpr int kArchivResourceId = 303;
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
// Family code of WM_UPDATE_FRAME_UI.
constexpr int kFamilyVKT = 3;

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CVKTArchivView::CVKTArchivView(QWidget* parent) : CVKT01View(parent)
{
    // No instrument stands behind an archive: the panel pane stays empty.
    m_isNahled = 0;
    if (PanelControl())
        PanelControl()->hide();
    if (PanelError())
        PanelError()->hide();
    Values()->SetArchiveMode(true);
    m_list = new ValueList(this);
    m_stats = new CVKTStatPanel(this);
    m_modes = std::make_unique<ArchivModes>(this, Graph(), m_list, m_stats);
    m_modes->SetReady(false);
    m_graphReady = 0;

    connect(m_list, &charts::CArchiveValueList::graphChanged, this, [this] { OnGraphChanged(); });
    connect(m_list, &charts::CArchiveValueList::quantitiesClosed, this, [this] { OnDisplayedQuantities(); });
    connect(m_stats, &CStatPanel::graphChanged, this, [this] { OnGraphChanged(); });

    using namespace platform;
    SetMessageHandler(WM_ARCHIVE_WINDOW_MOVED, [this](std::uintptr_t, std::intptr_t) {
        OnWindowMoved();
        return 0;
    });
    SetMessageHandler(WM_ARCHIVE_SET_WINDOW, [this](std::uintptr_t, std::intptr_t) {
        OnSetWindow();
        return 0;
    });
    SetMessageHandler(WM_ARCHIVE_REFILL, [this](std::uintptr_t mode, std::intptr_t) {
        OnRefill(int(mode));
        return 0;
    });
    SetMessageHandler(WM_ARCHIVE_REDRAW, [this](std::uintptr_t ready, std::intptr_t) {
        m_modes->SetReady(ready != 0);
        m_graphReady = ready != 0;
        return 0;
    });
    SetMessageHandler(WM_GRAPH_SCROLL_KEY, [this](std::uintptr_t records, std::intptr_t pages) {
        if (CVKTArchivDoc* doc = GetDocument())
            doc->MoveRecords(int(std::intptr_t(records)), int(pages));
        return 0;
    });
    SetMessageHandler(WM_QUANTITIES_CLOSED, [this](std::uintptr_t, std::intptr_t) {
        OnDisplayedQuantities();
        return 0;
    });
    SetMessageHandler(WM_GRAPH_CHANGED, [this](std::uintptr_t, std::intptr_t) {
        OnGraphChanged();
        return 0;
    });
    SetMessageHandler(WM_ARCHIVE_PRINT_GRAPH, [this](std::uintptr_t, std::intptr_t) {
        OnPrint();
        return 0;
    });
    SetMessageHandler(WM_ARCHIVE_PRINT_LIST, [this](std::uintptr_t, std::intptr_t) {
        OnExport();
        return 0;
    });
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

void CVKTArchivView::Close()
{
    SaveState();
    if (m_document)
        Graph()->Detach();
    m_document = nullptr;
}

CVKTArchivDoc* CVKTArchivView::GetDocument() const
{
    return qobject_cast<CVKTArchivDoc*>(ui::CView::GetDocument());
}

int CVKTArchivView::Mode() const
{
    return m_modes->Mode();
}

CVKTArchivData* CVKTArchivView::Data() const
{
    CVKTArchivDoc* doc = GetDocument();
    return doc ? &doc->GetFamilyArchiv() : nullptr;
}

void CVKTArchivView::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    CVKTArchivDoc* doc = GetDocument();
    switch (hint) {
    case archive::hint::kState:
        if (doc)
            doc->SetState(Mode());
        return;
    case archive::hint::kOpening:
        return;
    case archive::hint::kWindowPlaced:
        if (!m_initialised && doc) {
            OnFirstRefresh();
            m_initialised = 1;
            RestoreState();
        }
        OnWindowMoved();
        break;
    case archive::hint::kWindowChanged:
    case archive::hint::kReloadedInPlace:
        OnWindowMoved();
        break;
    case archive::hint::kRecordMoved:
        OnGraphChanged();
        Graph()->update();
        break;
    default:
        break;
    }
    ui::CView::OnUpdate(sender, hint, object);
}

void CVKTArchivView::TakeGraphQuantities()
{
    std::array<int, CVKTGrafAktual::kQuantityCount> shown{};
    std::array<std::uint32_t, CVKTGrafAktual::kQuantityCount> colours{};
    Graph()->GetAllQuantities(shown, colours);
    Values()->SetGraphQuantities(shown, colours);
    CVKTArchivData::Selection columns{};
    std::copy(shown.begin(), shown.end(), columns.begin());
    m_list->SetColumns(columns);
    Values()->ResetLayout();
}

void CVKTArchivView::OnFirstRefresh()
{
    CVKTArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    m_document = doc;
    CVKTArchivData& data = doc->GetFamilyArchiv();
    Graph()->AttachArchive(data);
    TakeGraphQuantities();
    m_modes->RangeBar()->SetValueKind(Graph()->OffLineZob());
    m_list->SetArchivData(&data);
    m_list->SetNavigator(&doc->Navigator());
    QPointer<CVKTArchivDoc> guarded(doc);
    m_list->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
    m_stats->SetArchivData(&data, &doc->Navigator());
    m_stats->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
}

void CVKTArchivView::OnQuantitiesChanged()
{
    CVKTArchivDoc* doc = GetDocument();
    if (!doc || doc->ReloadIfChangedSafe())
        return;
    TakeGraphQuantities();
    m_modes->RangeBar()->SetValueKind(Graph()->OffLineZob());
    doc->Navigator().SetMode(Mode());
    if (Mode() == ArchivModes::kList)
        m_list->Fill();
    else
        Graph()->update();
    if (m_isAlarm)
        RefillAlarmList();
    OnGraphChanged();
}

void CVKTArchivView::RefillAlarmList()
{
    CVKTArchivData* data = Data();
    if (!data)
        return;
    Alarms()->Entries().clear();
    data->CollectEvents(Alarms()->Entries());
    Alarms()->Rebuild();
}

void CVKTArchivView::PlaceGraph(const QRect& rect, bool show)
{
    m_graphPane = rect;
    m_graphPaneShown = show;
    // The base constructor lays out before the presentations exist.
    if (m_modes)
        m_modes->Place(rect, show);
    else
        CVKT01View::PlaceGraph(rect, false);
}

void CVKTArchivView::OnGraphChanged()
{
    CVKTArchivData* data = Data();
    if (!data)
        return;
    // The record the walk stands on, shown with the kind of values the
    // graph's off-line choice names.
    const int current = data->GetCurrentIndex() >= 0 ? 1 : 0;
    Values()->SetValues(archive::vkt::FormatValues(data->GetCurrentValues(), current,
                                                   archive::vkt::ReadDisplaySettings(*data), Values()->DialogRows(),
                                                   Graph()->OffLineZob()));
    const CVKTArchivData::WindowTexts texts = data->GetWindowTexts();
    Values()->SetWindowTexts(texts.windowStart, texts.currentTime, QFileInfo(texts.fileName).fileName(),
                             Values()->FieldText(1062));
    Values()->update();
}

void CVKTArchivView::OnWindowMoved()
{
    CVKTArchivDoc* doc = GetDocument();
    if (!doc || !m_initialised)
        return;
    CArchivNavigator& navigator = doc->Navigator();
    navigator.SetMode(Mode());
    if (Mode() == ArchivModes::kList)
        m_list->Fill();
    else
        Graph()->update();
    if (Mode() == ArchivModes::kStatistics)
        m_stats->Refresh();
    else
        m_stats->FreeResults();
    if (m_isAlarm)
        RefillAlarmList();
    m_modes->UpdateRange(navigator);
    OnGraphChanged();
}

void CVKTArchivView::OnSetWindow()
{
    CVKTArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    platform::CTime from;
    platform::CTime to;
    m_modes->RangeBar()->GetRange(from, to);
    doc->SetWindow(from, to);
}

void CVKTArchivView::OnRefill(int mode)
{
    CVKTArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    {
        WaitCursor wait;
        m_modes->SetMode(mode);
        m_modes->ShowModeTab();
        if (doc->ReloadIfChangedSafe())
            return;
        m_modes->Place(m_graphPane, m_graphPaneShown);
        if (mode >= ArchivModes::kGraph && mode <= ArchivModes::kStatistics)
            doc->Navigator().EnsureMode(mode);
        OnWindowMoved();
    }
    if (QWidget* main = window(); main && main != this)
        platform::SendMessageTo(main, platform::WM_UPDATE_FRAME_UI, std::uintptr_t(mode), kFamilyVKT);
}

void CVKTArchivView::OnPrint()
{
    CVKTArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    switch (Mode()) {
    case ArchivModes::kGraph: Graph()->Print(); break;
    case ArchivModes::kList:
        if (ArchivModes::UnchangedForPrint(this, *doc))
            m_list->Print();
        break;
    case ArchivModes::kStatistics: m_stats->PrintResults(); break;
    default: break;
    }
}


void CVKTArchivView::OnExport()
{
    CVKTArchivDoc* doc = GetDocument();
    // In graph mode the command does nothing; a file changed meanwhile is
    // read again and nothing is exported.
    if (!doc || Mode() == ArchivModes::kGraph || !ArchivModes::UnchangedForPrint(this, *doc))
        return;
    charts::ExportArchiveValues(this, doc->GetFamilyArchiv(), m_list->ColumnFlags());
}

CVKTArchivViewRecord CVKTArchivView::StateRecord() const
{
    CVKTArchivViewRecord record;
    record.isAlarm = m_isAlarm;
    record.isData = m_isData;
    record.isGraf = m_isGraf;
    record.prickaX = m_prickaX;
    record.prickaY = m_prickaY;
    record.x = m_frameNormal.x();
    record.y = m_frameNormal.y();
    record.cx = m_frameNormal.width();
    record.cy = m_frameNormal.height();
    record.showCommand = m_frameShow;
    Values()->GetActiveTab(record.tab1, record.tab2, record.tab3);
    const CVKTStatSettings& stats = m_stats->GetSettings();
    record.SetA(stats.nominalVoltage);
    record.SetB(stats.nominalPowerPhase);
    record.window1 = stats.window1;
    record.window2 = stats.window2;
    record.voltageMultiplier = stats.voltageMultiplier;
    record.currentMultiplier = stats.currentMultiplier;
    return record;
}

void CVKTArchivView::ApplyStateRecord(const CVKTArchivViewRecord& record)
{
    if (!record.hasLayout)
        return;
    m_isAlarm = record.isAlarm != 0;
    m_isData = record.isData != 0;
    m_isGraf = record.isGraf != 0;
    m_isNahled = 0;
    ResetPanes();
    // The stored dividers stand.
    m_prickaX = std::clamp(record.prickaX, Layout::kMinRatio, Layout::kMaxRatio);
    m_prickaY = std::clamp(record.prickaY, Layout::kMinRatio, Layout::kMaxRatio);
    LayoutPanes();
    if (record.hasPlacement) {
        if (ui::CChildFrame* frame = GetParentFrame(); frame && record.cx > 0 && record.cy > 0) {
            frame->setGeometry(record.x, record.y, record.cx, record.cy);
            if (record.showCommand == kShowMaximized)
                frame->showMaximized();
            else if (record.showCommand == kShowMinimized)
                frame->showMinimized();
        }
        Values()->SetActiveTab(record.tab1, record.tab2, record.tab3);
    }
    if (record.hasStatistics) {
        CVKTStatSettings& stats = m_stats->GetSettings();
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

bool CVKTArchivView::RestoreState()
{
    CVKTArchivData* data = Data();
    if (!data)
        return false;
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = data->OpenSettingsStream(1, instrument, length);
    if (!stream || length == 0)
        return false;
    // A length beyond what the stream holds reads only what is there.
    QByteArray block(qsizetype(std::min<DWORD>(length, CVKTArchivViewRecord::kSize)), '\0');
    const std::int64_t got = stream->Read(block.data(), block.size());
    block.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
    ApplyStateRecord(CVKTArchivViewRecord::Read(block));
    return true;
}

void CVKTArchivView::RememberFrame()
{
    ui::CChildFrame* frame = GetParentFrame();
    if (!frame)
        return;
    m_frameShow = frame->isMaximized() ? kShowMaximized : frame->isMinimized() ? kShowMinimized : kShowNormal;
    m_frameNormal = m_frameShow == kShowNormal ? frame->geometry() : frame->normalGeometry();
}

bool CVKTArchivView::SaveState()
{
    // Only a view that was bound writes, and only once.
    if (!m_initialised || m_saved || !m_document)
        return false;
    m_saved = true;
    CVKTArchivData& data = m_document->GetFamilyArchiv();
    Graph()->SaveArchiveSettings();
    std::optional<QByteArray> saved;
    std::unique_ptr<CArchivStream> stream = data.OpenSettingsSection(1, saved);
    if (!stream)
        return false;
    const QByteArray block = StateRecord().Write();
    if (stream->Write(block.constData(), block.size()) != block.size()) {
        data.ReleaseAndReportError(stream);
        return false;
    }
    return data.CloseSettingsSection(std::move(stream), 1, saved) == 1;
}

void CVKTArchivView::hideEvent(QHideEvent* event)
{
    if (ui::CView::GetDocument())
        RememberFrame();
    else
        Close(); // the document is closing and still holds its archive
    CVKT01View::hideEvent(event);
}

void AddVKTArchivTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CVKTArchivDoc, ui::CChildFrame, CVKTArchivView>(
        kArchivResourceId, CVKTArchivDoc::DocString()));
}

} // namespace analysers_vkt
