#include "analysers_vk/VKRArchivView.h"

#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "archive/documents/ArchivDocBase.h"
#include "archive/documents/FamilyArchivDocs.h"
#include "archive/store/VKRDisplayValues.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/ExportDlg.h"
#include "charts/PanelEventList.h"
#include "charts/StatPanel.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr int kArchivResourceId = 189;
// Show states of the stored placement.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
// Family code of WM_UPDATE_FRAME_UI.
constexpr int kFamilyVKR = 1;

} // namespace

CVKRArchivView::CVKRArchivView(QWidget* parent) : CVKR01View(parent)
{
    // No instrument stands behind an archive: no front panel.
    m_hasPanel = false;
    m_isNahled = 0;
    Panel()->hide();
    m_list = new ValueList(this);
    m_stats = new CVKRStatPanel(this);
    m_modes = std::make_unique<CVKArchivModes>(this, Graph(), m_list, m_stats);
    m_modes->SetReady(false);
    Values()->SetCompact(true);

    connect(m_list, &charts::CArchiveValueList::graphChanged, this, [this] { OnGraphChanged(); });
    connect(m_list, &charts::CArchiveValueList::quantitiesClosed, this, [this] { OnDisplayedQuantities(); });
    connect(m_stats, &CStatPanel::graphChanged, this, [this] { OnGraphChanged(); });

    using namespace platform;
    const std::pair<MessageId, std::function<void(std::uintptr_t, std::intptr_t)>> handlers[] = {
        {WM_ARCHIVE_WINDOW_MOVED, [this](std::uintptr_t, std::intptr_t) { OnWindowMoved(); }},
        {WM_ARCHIVE_SET_WINDOW, [this](std::uintptr_t, std::intptr_t) { OnSetWindow(); }},
        {WM_ARCHIVE_REFILL, [this](std::uintptr_t mode, std::intptr_t) { OnRefill(int(mode)); }},
        {WM_ARCHIVE_REDRAW, [this](std::uintptr_t ready, std::intptr_t) { m_modes->SetReady(ready != 0); }},
        {WM_GRAPH_SCROLL_KEY,
         [this](std::uintptr_t records, std::intptr_t pages) {
             if (CVKRArchivDoc* doc = GetDocument())
                 doc->MoveRecords(int(std::intptr_t(records)), int(pages));
         }},
        {WM_QUANTITIES_CLOSED, [this](std::uintptr_t, std::intptr_t) { OnDisplayedQuantities(); }},
        {WM_GRAPH_CHANGED, [this](std::uintptr_t, std::intptr_t) { OnGraphChanged(); }},
        {WM_ARCHIVE_PRINT_GRAPH, [this](std::uintptr_t, std::intptr_t) { OnPrint(); }},
        {WM_ARCHIVE_PRINT_LIST, [this](std::uintptr_t, std::intptr_t) { OnExport(); }},
    };
    for (const auto& [id, handler] : handlers) {
        SetMessageHandler(id, [handler = handler](std::uintptr_t w, std::intptr_t l) {
            handler(w, l);
            return std::intptr_t(0);
        });
    }
    ResetPanes();
    Graph()->setFocus();
}

CVKRArchivView::~CVKRArchivView()
{
    Close();
}

void CVKRArchivView::Close()
{
    SaveState();
    if (m_document)
        Graph()->Detach();
    m_document = nullptr;
}

CVKRArchivDoc* CVKRArchivView::GetDocument() const
{
    return qobject_cast<CVKRArchivDoc*>(ui::CView::GetDocument());
}

CVKRArchivData* CVKRArchivView::Data() const
{
    CVKRArchivDoc* doc = GetDocument();
    return doc ? &doc->GetFamilyArchiv() : nullptr;
}

void CVKRArchivView::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    CVKRArchivDoc* doc = GetDocument();
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

void CVKRArchivView::TakeGraphQuantities()
{
    std::array<int, 36> shown{};
    std::array<std::uint32_t, 36> colours{};
    std::array<int, CVKRGrafAktual::kLineCount> lineShown{};
    std::array<std::uint32_t, CVKRGrafAktual::kLineCount> lineColours{};
    Graph()->GetAllQuantities(shown, colours, lineShown, lineColours);
    charts::VKRCsvColumns columns = m_list->ColumnFlags();
    for (std::size_t i = 0; i < shown.size() && i < columns.flags.size(); ++i)
        columns.flags[i] = shown[i];
    for (std::size_t k = 0; k < lineShown.size() && k < columns.extra.size(); ++k)
        columns.extra[k] = lineShown[k];
    m_list->SetColumns(columns);
}

void CVKRArchivView::OnFirstRefresh()
{
    CVKRArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    m_document = doc;
    CVKRArchivData& data = doc->GetFamilyArchiv();
    Graph()->AttachArchive(data);
    TakeGraphQuantities();
    Values()->ResetLayout();
    m_list->SetArchivData(&data);
    m_list->SetNavigator(&doc->Navigator());
    QPointer<CVKRArchivDoc> guarded(doc);
    m_list->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
    m_stats->SetArchivData(&data, &doc->Navigator());
    m_stats->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
}

void CVKRArchivView::OnQuantitiesChanged()
{
    CVKRArchivDoc* doc = GetDocument();
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

void CVKRArchivView::RefillAlarmList()
{
    CVKRArchivData* data = Data();
    if (!data)
        return;
    Alarms()->Entries().clear();
    data->CollectEvents(Alarms()->Entries());
    Alarms()->Rebuild();
}

void CVKRArchivView::PlaceGraph(const QRect& rect, bool show)
{
    m_graphPane = rect;
    m_graphPaneShown = show;
    // The base constructor lays out before the presentations exist.
    if (m_modes)
        m_modes->Place(rect, show);
    else
        CVKR01View::PlaceGraph(rect, false);
}

void CVKRArchivView::OnGraphChanged()
{
    CVKRArchivData* data = Data();
    if (!data)
        return;
    // The values of the record the walk stands on; a reader never measured,
    // so its own new-data flag says nothing here.
    CVKRAktData values;
    int measured = 0;
    data->GetLatestValues(values, measured);
    const int current = data->GetCurrentRecordPosition() >= 0 ? 1 : 0;
    Values()->SetValues(archive::vkr::FormatValues(values, current, archive::vkr::ReadDisplaySettings(*data)));
    const platform::CTime time = data->GetCurrentRecordTime();
    Values()->SetHeader(data->GetArchiveFileName(),
                        time.GetTime() ? time.Format(QStringLiteral("%d.%m.%Y %H:%M:%S")) : QString());
    Values()->update();
}

void CVKRArchivView::OnWindowMoved()
{
    CVKRArchivDoc* doc = GetDocument();
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

void CVKRArchivView::OnSetWindow()
{
    CVKRArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    platform::CTime from;
    platform::CTime to;
    m_modes->RangeBar()->GetRange(from, to);
    doc->SetWindow(from, to);
}

void CVKRArchivView::OnRefill(int mode)
{
    CVKRArchivDoc* doc = GetDocument();
    if (!doc)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_modes->SetMode(mode);
    m_modes->ShowModeTab();
    const bool reloaded = doc->ReloadIfChangedSafe() != 0;
    if (!reloaded) {
        m_modes->Place(m_graphPane, m_graphPaneShown);
        if (mode >= CVKArchivModes::kGraph && mode <= CVKArchivModes::kStatistics)
            doc->Navigator().EnsureMode(mode);
        OnWindowMoved();
    }
    QApplication::restoreOverrideCursor();
    if (reloaded)
        return;
    if (QWidget* main = window(); main && main != this)
        platform::SendMessageTo(main, platform::WM_UPDATE_FRAME_UI, std::uintptr_t(mode), kFamilyVKR);
}

void CVKRArchivView::OnPrint()
{
    CVKRArchivDoc* doc = GetDocument();
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

void CVKRArchivView::OnExport()
{
    CVKRArchivDoc* doc = GetDocument();
    if (!doc || Mode() != CVKArchivModes::kList || !CVKArchivModes::UnchangedForPrint(this, *doc))
        return;
    charts::ExportArchiveValues(this, doc->GetFamilyArchiv(), m_list->ColumnFlags());
}

CVKRArchivViewRecord CVKRArchivView::StateRecord() const
{
    CVKRArchivViewRecord record;
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
    record.tab1 = Values()->GetActiveTab();
    const CVKRStatSettings& stats = m_stats->GetSettings();
    record.statA = stats.nominalVoltage;
    record.statB = stats.nominalCurrent;
    record.statSecond = stats.window2;
    record.statFirst = stats.window1;
    return record;
}

void CVKRArchivView::ApplyStateRecord(const CVKRArchivViewRecord& record)
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
        Values()->SetActiveTab(record.tab1);
    }
    if (record.hasStatistics) {
        CVKRStatSettings& stats = m_stats->GetSettings();
        stats.nominalVoltage = record.statA;
        stats.nominalCurrent = record.statB;
        stats.window2 = record.statSecond;
        stats.window1 = record.statFirst;
    }
}

bool CVKRArchivView::RestoreState()
{
    CVKRArchivData* data = Data();
    if (!data)
        return false;
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = data->OpenSettingsStream(1, instrument, length);
    if (!stream || length == 0)
        return false;
    // A length beyond what the stream holds reads only what is there.
    QByteArray block(qsizetype(std::min<DWORD>(length, CVKRArchivViewRecord::kSize)), '\0');
    const std::int64_t got = stream->Read(block.data(), block.size());
    block.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
    ApplyStateRecord(CVKRArchivViewRecord::Read(block));
    return true;
}

void CVKRArchivView::RememberFrame()
{
    ui::CChildFrame* frame = GetParentFrame();
    if (!frame)
        return;
    m_frameShow = frame->isMaximized() ? kShowMaximized : frame->isMinimized() ? kShowMinimized : kShowNormal;
    m_frameNormal = m_frameShow == kShowNormal ? frame->geometry() : frame->normalGeometry();
}

bool CVKRArchivView::SaveState()
{
    // Kept while the view is up: the document lets go of its views before
    // it hides them.
    if (!m_initialised || m_saved || !m_document)
        return false;
    m_saved = true;
    CVKRArchivData& data = m_document->GetFamilyArchiv();
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

void CVKRArchivView::hideEvent(QHideEvent* event)
{
    if (ui::CView::GetDocument())
        RememberFrame();
    else
        Close(); // the document is closing and still holds its archive
    CVKR01View::hideEvent(event);
}

void AddVKRArchivTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CVKRArchivDoc, ui::CChildFrame, CVKRArchivView>(
        kArchivResourceId, CVKRArchivDoc::DocString()));
}

} // namespace analysers_vk
