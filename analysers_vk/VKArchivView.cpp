#include "analysers_vk/VKArchivView.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "archive/documents/ArchivDocBase.h"
#include "archive/documents/FamilyArchivDocs.h"
#include "archive/store/VKDisplayValues.h"
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
#include <QLabel>
#include <QPointer>

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr int kArchivResourceId = 188;
// Show states of the stored placement.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
// Family code of WM_UPDATE_FRAME_UI.
constexpr int kFamilyVK = 1;

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CVKArchivView::CVKArchivView(QWidget* parent) : CVK01View(parent)
{
    // No instrument stands behind an archive: the panel pane stays empty.
    m_isNahled = 0;
    if (PanelControl())
        PanelControl()->hide();
    if (PanelError())
        PanelError()->hide();
    m_list = new ValueList(this);
    m_stats = new CVKStatPanel(this);
    m_modes = std::make_unique<CVKArchivModes>(this, Graph(), m_list, m_stats);
    m_modes->SetReady(false);

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
        OnRedraw(ready != 0);
        return 0;
    });
    SetMessageHandler(WM_GRAPH_SCROLL_KEY, [this](std::uintptr_t records, std::intptr_t pages) {
        if (CVKArchivDoc* doc = GetDocument())
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
    ResetPanes();
    OnViewCreated();
}

CVKArchivView::~CVKArchivView()
{
    Close();
}

void CVKArchivView::Close()
{
    SaveState();
    if (m_document)
        Graph()->Detach();
    m_document = nullptr;
}

CVKArchivDoc* CVKArchivView::GetDocument() const
{
    return qobject_cast<CVKArchivDoc*>(ui::CView::GetDocument());
}

CVKArchivData* CVKArchivView::Data() const
{
    CVKArchivDoc* doc = GetDocument();
    return doc ? &doc->GetFamilyArchiv() : nullptr;
}

void CVKArchivView::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    CVKArchivDoc* doc = GetDocument();
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
        Graph()->Redraw();
        break;
    default:
        break;
    }
    ui::CView::OnUpdate(sender, hint, object);
}

void CVKArchivView::TakeGraphQuantities()
{
    std::array<int, 36> shown{};
    std::array<std::uint32_t, 36> colours{};
    Graph()->GetAllQuantities(shown, colours);
    charts::VKCsvColumns columns;
    for (std::size_t i = 0; i < shown.size(); ++i)
        columns.flags[i] = shown[i];
    m_list->SetColumns(columns);
}

void CVKArchivView::OnFirstRefresh()
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    m_document = doc;
    CVKArchivData& data = doc->GetFamilyArchiv();
    Graph()->AttachArchive(data);
    TakeGraphQuantities();
    Values()->ResetLayout();
    m_list->SetArchivData(&data);
    m_list->SetNavigator(&doc->Navigator());
    QPointer<CVKArchivDoc> guarded(doc);
    m_list->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
    m_stats->SetArchivData(&data, &doc->Navigator());
    m_stats->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
}

void CVKArchivView::OnQuantitiesChanged()
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc || doc->ReloadIfChangedSafe())
        return;
    TakeGraphQuantities();
    Values()->ResetLayout();
    doc->Navigator().SetMode(Mode());
    if (Mode() == CVKArchivModes::kList)
        m_list->Fill();
    else
        Graph()->Redraw();
    if (m_isAlarm)
        RefillAlarmList();
}

void CVKArchivView::OnViewCreated()
{
    Values()->SetKeepHeader(true);
    Graph()->setFocus();
}

void CVKArchivView::RefillAlarmList()
{
    CVKArchivData* data = Data();
    if (!data)
        return;
    Alarms()->Entries().clear();
    data->CollectEvents(Alarms()->Entries());
    Alarms()->Rebuild();
}

void CVKArchivView::PlaceGraph(const QRect& rect, bool show)
{
    m_graphPane = rect;
    m_graphPaneShown = show;
    // The base constructor lays out before the presentations exist.
    if (m_modes)
        m_modes->Place(rect, show);
    else
        CVK01View::PlaceGraph(rect, false);
}

void CVKArchivView::OnGraphChanged()
{
    CVKArchivData* data = Data();
    if (!data)
        return;
    // The values of the record the walk stands on; a reader never measured,
    // so its own new-data flag says nothing here.
    CVKAktData values;
    int measured = 0;
    data->GetLatestValues(values, measured);
    const int current = data->GetCurrentRecordPosition() >= 0 ? 1 : 0;
    Values()->SetValues(archive::vk::FormatValues(values, current, archive::vk::ReadDisplaySettings(*data)));
    const platform::CTime time = data->GetCurrentRecordTime();
    Values()->SetHeader(data->GetArchiveFileName(),
                        time.GetTime() ? time.Format(QStringLiteral("%d.%m.%Y %H:%M:%S")) : QString());
    Values()->update();
}

void CVKArchivView::OnWindowMoved()
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc || !m_initialised)
        return;
    CArchivNavigator& navigator = doc->Navigator();
    navigator.SetMode(Mode());
    if (Mode() == CVKArchivModes::kList)
        m_list->Fill();
    else
        Graph()->Redraw();
    if (Mode() == CVKArchivModes::kStatistics)
        m_stats->Refresh();
    else
        m_stats->FreeResults();
    if (m_isAlarm)
        RefillAlarmList();
    m_modes->UpdateRange(navigator);
    OnGraphChanged();
}

void CVKArchivView::OnSetWindow()
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    platform::CTime from;
    platform::CTime to;
    m_modes->RangeBar()->GetRange(from, to);
    doc->SetWindow(from, to);
}

void CVKArchivView::OnRefill(int mode)
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    {
        WaitCursor wait;
        m_modes->SetMode(mode);
        m_modes->ShowModeTab();
        if (doc->ReloadIfChangedSafe())
            return;
        m_modes->Place(m_graphPane, m_graphPaneShown);
        if (mode >= CVKArchivModes::kGraph && mode <= CVKArchivModes::kStatistics)
            doc->Navigator().EnsureMode(mode);
        OnWindowMoved();
    }
    if (QWidget* main = window(); main && main != this)
        platform::SendMessageTo(main, platform::WM_UPDATE_FRAME_UI, std::uintptr_t(mode), kFamilyVK);
}

void CVKArchivView::OnRedraw(bool ready)
{
    m_modes->SetReady(ready);
}

void CVKArchivView::OnPrint()
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    switch (Mode()) {
    case CVKArchivModes::kGraph: Graph()->Print(); break;
    case CVKArchivModes::kList:
        if (CVKArchivModes::UnchangedForPrint(this, *doc))
            m_list->Print();
        break;
    case CVKArchivModes::kStatistics: m_stats->PrintResults(); break;
    default: break;
    }
}

void CVKArchivView::OnExport()
{
    CVKArchivDoc* doc = GetDocument();
    if (!doc || Mode() != CVKArchivModes::kList || !CVKArchivModes::UnchangedForPrint(this, *doc))
        return;
    charts::ExportArchiveValues(this, doc->GetFamilyArchiv(), m_list->ColumnFlags());
}

CVKArchivViewRecord CVKArchivView::StateRecord() const
{
    CVKArchivViewRecord record;
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
    Values()->GetTabs(record.tab1, record.tab2, record.tab3);
    const CVKStatSettings& stats = m_stats->GetSettings();
    record.nominalVoltage = stats.nominalVoltage;
    record.nominalCurrent = stats.nominalCurrent;
    record.window1 = stats.window1;
    record.window2 = stats.window2;
    record.voltageMultiplier = stats.voltageMultiplier;
    record.currentMultiplier = stats.currentMultiplier;
    return record;
}

void CVKArchivView::ApplyStateRecord(const CVKArchivViewRecord& record)
{
    if (!record.hasLayout)
        return;
    m_isAlarm = record.isAlarm != 0;
    m_isData = record.isData != 0;
    m_isGraf = record.isGraf != 0;
    // The stored dividers stand: the panes are laid out without a reset.
    ResetPanes();
    m_prickaX = std::clamp(record.prickaX, CVKPaneLayout::kMinRatio, CVKPaneLayout::kMaxRatio);
    m_prickaY = std::clamp(record.prickaY, CVKPaneLayout::kMinRatio, CVKPaneLayout::kMaxRatio);
    LayoutPanes();
    if (record.hasPlacement) {
        if (ui::CChildFrame* frame = GetParentFrame(); frame && record.cx > 0 && record.cy > 0) {
            frame->setGeometry(record.x, record.y, record.cx, record.cy);
            if (record.showCommand == kShowMaximized)
                frame->showMaximized();
            else if (record.showCommand == kShowMinimized)
                frame->showMinimized();
        }
        Values()->SetTabs(record.tab1, record.tab2, record.tab3);
    }
    if (record.hasStatistics) {
        CVKStatSettings& stats = m_stats->GetSettings();
        stats.nominalVoltage = record.nominalVoltage;
        stats.nominalCurrent = record.nominalCurrent;
        stats.window1 = record.window1;
        stats.window2 = record.window2;
        stats.voltageMultiplier = record.voltageMultiplier;
        stats.currentMultiplier = record.currentMultiplier;
    }
}

bool CVKArchivView::RestoreState()
{
    CVKArchivData* data = Data();
    if (!data)
        return false;
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = data->OpenSettingsStream(1, instrument, length);
    if (!stream || length == 0)
        return false;
    // A length beyond what the stream holds reads only what is there.
    QByteArray block(qsizetype(std::min<DWORD>(length, CVKArchivViewRecord::kSize)), '\0');
    const std::int64_t got = stream->Read(block.data(), block.size());
    block.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
    ApplyStateRecord(CVKArchivViewRecord::Read(block));
    return true;
}

void CVKArchivView::RememberFrame()
{
    ui::CChildFrame* frame = GetParentFrame();
    if (!frame)
        return;
    m_frameShow = frame->isMaximized() ? kShowMaximized : frame->isMinimized() ? kShowMinimized : kShowNormal;
    m_frameNormal = m_frameShow == kShowNormal ? frame->geometry() : frame->normalGeometry();
}

bool CVKArchivView::SaveState()
{
    // Kept while the view is up: the document lets go of its views before
    // it hides them.
    if (!m_initialised || m_saved || !m_document)
        return false;
    m_saved = true;
    CVKArchivData& data = m_document->GetFamilyArchiv();
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

void CVKArchivView::hideEvent(QHideEvent* event)
{
    if (ui::CView::GetDocument())
        RememberFrame();
    else
        Close(); // the document is closing and still holds its archive
    CVK01View::hideEvent(event);
}

void AddVKArchivTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CVKArchivDoc, ui::CChildFrame, CVKArchivView>(kArchivResourceId, CVKArchivDoc::DocString()));
}

} // namespace analysers_vk
