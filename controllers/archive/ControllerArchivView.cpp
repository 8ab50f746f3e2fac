#include "controllers/archive/ControllerArchivView.h"

#include "archive/store/ArchivStream.h"
#include "archive/store/ArchivWindowEvents.h"
#include "archive/store/ControllerDisplay.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/ExportDlg.h"
#include "charts/PanelEventList.h"
#include "charts/QorinStatPanel.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "link/Pristroj.h"
#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MdiFrame.h"
#include "platform/ui/MenuCommand.h"
#include "platform/ui/MessageBox.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>

#include <optional>
#include <stdexcept>

namespace controllers {

namespace {

// Update hints of the archive documents, as bits.
constexpr std::intptr_t kHintLimits = 0x01;
constexpr std::intptr_t kHintValues = 0x02;
constexpr std::intptr_t kHintFirstData = 0x04;
constexpr std::intptr_t kHintMode = 0x08;
constexpr std::intptr_t kHintLayout = 0x10;
constexpr std::intptr_t kHintRange = 0x20;
constexpr std::intptr_t kHintState = 0x80;

// Show commands of a stored placement.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

// The store's own mode for a view mode: graph, list, or neither.
int StoreMode(int mode)
{
    return mode == CControllerArchivView::kGraphMode ? 0 : mode == CControllerArchivView::kListMode ? 1 : 2;
}

template <class List>
typename List::Columns AllColumns()
{
    typename List::Columns columns{};
    columns.fill(TRUE);
    return columns;
}

// The store's texts of the window (file, block start, recording start,
// current record) in the places of a live instrument's status texts.
CPristrojStatusTexts WindowStatus(const QStringList& texts)
{
    CPristrojStatusTexts status;
    status.archive = texts.value(0);
    status.ringFull = texts.value(1);
    status.ringStart = texts.value(2);
    status.newest = texts.value(3);
    return status;
}

} // namespace

CControllerArchivView::CControllerArchivView(bool duskar, QWidget* parent)
    : CControllerPaneView(duskar, 600, 620, parent)
{
    connect(m_graph, &CControllerGraphWnd::CursorMoved, this, [this](float perMille) { OnGraphCursor(perMille); });
    m_rangeBar = new CGraphRangeBar(this);
    if (duskar) {
        auto* list = new charts::CDuskarValueList(this);
        list->SetColumns(AllColumns<CDuskarArchivData>());
        m_list = list;
    } else {
        auto* list = new charts::CQorinValueList(this);
        list->SetColumns(AllColumns<CQorinArchivData>());
        m_list = list;
    }
    m_list->setObjectName(QString::number(duskar ? kDuskarListId : kQorinListId));
    m_stat = new CQorinStatPanel(this);
    // A Duskar archive offers no statistics: its panel is made but never
    // bound or shown.
    if (duskar) {
        if (auto* tabs = qobject_cast<QTabBar*>(m_rangeBar->Control(CGraphRangeBar::kTab)))
            tabs->removeTab(2);
    }
    connect(m_list, &charts::CArchiveValueList::graphChanged, this, [this] { FillValuesPane(); });
    // A right click on the list asks the view for the displayed quantities.
    connect(m_list, &charts::CArchiveValueList::quantitiesClosed, this,
            [this] { platform::SendMessageTo(this, platform::WM_QUANTITIES_CLOSED, 0, 0); });
    connect(m_graph, &CControllerGraphWnd::QuantitiesChanged, this, [this] { RebindGraph(); });
    // A statistics segment moved the current record to its start.
    connect(m_stat, &CStatPanel::graphChanged, this, [this] {
        FillValuesPane();
        m_graph->Redraw();
    });

    SetMessageHandler(platform::WM_ARCHIVE_WINDOW_MOVED, [this](std::uintptr_t, std::intptr_t) {
        return OnWindowMoved();
    });
    SetMessageHandler(platform::WM_ARCHIVE_SET_WINDOW, [this](std::uintptr_t, std::intptr_t) -> std::intptr_t {
        platform::CTime from, to;
        m_rangeBar->GetRange(from, to);
        if (m_document)
            m_document->SetWindow(from, to);
        return 0;
    });
    SetMessageHandler(platform::WM_ARCHIVE_REFILL,
                      [this](std::uintptr_t w, std::intptr_t) { return OnRefill(int(w)); });
    SetMessageHandler(platform::WM_ARCHIVE_REDRAW, [this](std::uintptr_t w, std::intptr_t) { return OnRedraw(w != 0); });
    SetMessageHandler(platform::WM_GRAPH_SCROLL_KEY, [this](std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
        if (m_document)
            m_document->MoveRecords(int(std::intptr_t(w)), int(l));
        return 0;
    });
    SetMessageHandler(platform::WM_ARCHIVE_PRINT_GRAPH, [this](std::uintptr_t, std::intptr_t) { return OnPrint(); });
    SetMessageHandler(platform::WM_ARCHIVE_PRINT_LIST, [this](std::uintptr_t, std::intptr_t) { return OnExport(); });
    SetMessageHandler(platform::WM_QUANTITIES_CLOSED, [this](std::uintptr_t, std::intptr_t) { return OnQuantities(); });

    const CControllerPaneLayout::Reset reset = CControllerPaneLayout::ResetFor(PaneMask());
    m_scrollSize = reset.scrollSize;
    setMinimumSize(m_scrollSize);
    LayoutPanes();
}

CControllerArchivView::~CControllerArchivView()
{
    SaveLayout();
    // The graph saves its block and lets go of the store while the
    // document still holds it.
    if (m_document)
        m_graph->Detach();
}

CArchivViewRecord CControllerArchivView::Record() const
{
    CArchivViewRecord record;
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
    record.tab = m_duskar ? static_cast<CDuskarValuesPanel*>(m_values)->GetSelectedTab() : 0;
    const CQorinStatSettings& stat = m_stat->GetSettings();
    record.statU = stat.nominalVoltage;
    record.statP = stat.nominalPower;
    record.statQ = stat.requiredPowerFactor;
    record.statSecond = stat.window2;
    record.statFirst = stat.window1;
    record.statEighth = stat.fromInstrument;
    return record;
}

CControllerArchivView::GraphPaneRects CControllerArchivView::PlaceGraphPane(const CControllerPaneLayout::Rect& r,
                                                                            int width, int height)
{
    const int left = width * r.l / 1000 + 1;
    const int top = height * r.t / 1000;
    const int right = width * r.r / 1000 - 1;
    const int bottom = height * r.b / 1000 - 1;
    GraphPaneRects out;
    out.bar = QRect(left, top + 1, right - left, kRangeBarHeight);
    out.pane = QRect(left, top + kRangeBarHeight + 1, right - left, bottom - (top + kRangeBarHeight + 1));
    return out;
}

void CControllerArchivView::LayoutPanes()
{
    TakeExtent();
    const auto rects = CControllerPaneLayout::PaneRects(PaneMask(), m_prickaX, m_prickaY);
    QWidget* side[] = {m_values, m_events};
    const CControllerPaneLayout::Pane sidePanes[] = {CControllerPaneLayout::kValues, CControllerPaneLayout::kEvents};
    for (int i = 0; i < 2; ++i) {
        const auto& rect = rects[std::size_t(sidePanes[i])];
        side[i]->setVisible(rect.valid);
        if (rect.valid)
            side[i]->setGeometry(CControllerPaneLayout::ToPixels(rect, m_extent.width(), m_extent.height()));
    }
    const auto& graph = rects[CControllerPaneLayout::kGraph];
    if (graph.valid) {
        const GraphPaneRects placed = PlaceGraphPane(graph, m_extent.width(), m_extent.height());
        m_rangeBar->setGeometry(placed.bar);
        for (QWidget* pane : {static_cast<QWidget*>(m_graph), static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_stat)})
            pane->setGeometry(placed.pane);
    }
    ShowModePanes();
}

void CControllerArchivView::ShowModePanes()
{
    const bool shown = m_isGraf && m_mode >= kGraphMode && m_mode <= kStatMode;
    m_rangeBar->setVisible(shown);
    m_graph->setVisible(shown && m_mode == kGraphMode);
    m_list->setVisible(shown && m_mode == kListMode);
    m_stat->setVisible(shown && m_mode == kStatMode);
}

void CControllerArchivView::TogglePane(int bit)
{
    switch (bit) {
    case CControllerPaneLayout::kGraphBit: m_isGraf = !m_isGraf; break;
    case CControllerPaneLayout::kValuesBit: m_isData = !m_isData; break;
    case CControllerPaneLayout::kEventsBit: m_isAlarm = !m_isAlarm; break;
    default: return;
    }
    ResetBars();
}

bool CControllerArchivView::GraphZoomAllowed() const
{
    return m_graph && m_graph->CommandsEnabled();
}

bool CControllerArchivView::PrintView(QPrinter* printer)
{
    switch (m_mode) {
    case kGraphMode: return m_graph->PrintGraph(printer);
    case kListMode: return PrintList(printer);
    case kStatMode: return m_stat->PrintResults(printer);
    default: return false;
    }
}

bool CControllerArchivView::ReadyToPrint()
{
    return m_mode != kListMode || !RefuseChangedFile();
}

void CControllerArchivView::FillMenu(QMenu& menu)
{
    auto toggle = [&](int id, const char* text, int bit, int flag) {
        QAction* action
            = ui::WithCommandId(menu.addAction(QString::fromUtf8(text), this, [this, bit] { TogglePane(bit); }), id);
        action->setCheckable(true);
        action->setChecked(flag != 0);
    };
    // The front panel shows a live instrument: never beside a graph whose
    // time axis zooms, as an archive's does.
    toggle(32138, "Panel &přístroje", CControllerPaneLayout::kPanelBit, 0);
    menu.actions().constLast()->setEnabled(!m_graph->TimeCursor());
    toggle(32139, "Panel &aktuálních dat", CControllerPaneLayout::kValuesBit, m_isData);
    toggle(32140, "Panel &grafu", CControllerPaneLayout::kGraphBit, m_isGraf);
    menu.actions().constLast()->setEnabled(m_graphCommands);
    toggle(32179, "Panel a&larmů a událostí", CControllerPaneLayout::kEventsBit, m_isAlarm);
    menu.addSeparator();
    AddGraphMenuItems(menu, QStringLiteral("Celý graf"));
    // Always offered: without quantities to choose the dialog just does not open.
    ui::WithCommandId(menu.addAction(QStringLiteral("Zobrazené veličiny ..."), this, [this] { OnQuantities(); }), 32181);
}

void CControllerArchivView::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    if (auto* document = qobject_cast<CArchivDocBase*>(GetDocument()))
        m_document = document;
    if (!m_document) {
        ui::CView::OnUpdate(sender, hint, object);
        return;
    }
    if (hint & kHintState) {
        m_document->SetState(m_mode);
        return;
    }
    if (hint & kHintRange)
        SetRangeFromFile();
    if (hint & kHintLayout)
        LoadLayout();
    if (hint & kHintMode)
        RefillForMode();
    if (hint & kHintFirstData) {
        m_firstDone = true;
        OnFirstData();
    }
    if (hint & kHintLimits) {
        SetLimitsFromWindow();
        m_graph->Redraw();
    }
    if (hint & kHintValues)
        FillValuesPane();
}

void CControllerArchivView::OnFirstData()
{
    m_graph->AttachArchive(m_document->GetArchiv());
    if (auto* doc = qobject_cast<CArchivDoc*>(m_document)) {
        if (auto* list = dynamic_cast<charts::CQorinValueList*>(m_list))
            list->SetArchivData(&doc->GetFamilyArchiv());
        m_stat->SetArchivData(&doc->GetFamilyArchiv(), &doc->Navigator());
    } else if (auto* doc = qobject_cast<CDuskarArchivDoc*>(m_document)) {
        if (auto* list = dynamic_cast<charts::CDuskarValueList*>(m_list))
            list->SetArchivData(&doc->GetFamilyArchiv());
    }
    m_list->SetNavigator(&m_document->Navigator());
    QPointer<CArchivDocBase> document = m_document;
    const auto reloadCheck = [document]() { return document ? document->ReloadIfChangedSafe() : 0; };
    m_list->SetReloadCheck(reloadCheck);
    m_stat->SetReloadCheck(reloadCheck);
    BindGraphSeries();
}

void CControllerArchivView::BindGraphSeries()
{
    if (!m_graph->HasSource())
        return;
    if (auto* list = dynamic_cast<charts::CQorinValueList*>(m_list)) {
        std::array<std::uint32_t, CQuantityGraphWnd::kCurveCount> colours{};
        std::array<int, CQuantityGraphWnd::kCurveCount> visible{};
        static_cast<CQuantityGraphWnd*>(m_graph)->GetCurveColors(colours, visible);
        // The list's columns stand in the graph's colour order.
        CQorinArchivData::Columns columns{};
        for (std::size_t i = 0; i < columns.size(); ++i)
            columns[i] = visible[i] ? TRUE : FALSE;
        list->SetColumns(columns);
    } else if (auto* list = dynamic_cast<charts::CDuskarValueList*>(m_list)) {
        std::array<int, CDuskarGraphWnd::kQuantityCount> shown{};
        std::array<std::uint32_t, CDuskarGraphWnd::kQuantityCount> colours{};
        static_cast<CDuskarGraphWnd*>(m_graph)->GetLegend(shown, colours);
        CDuskarArchivData::Columns columns{};
        for (std::size_t i = 0; i < columns.size(); ++i)
            columns[i] = shown[i] ? TRUE : FALSE;
        list->SetColumns(columns);
    }
    FillValuesPane();
}

void CControllerArchivView::RebindGraph()
{
    if (!m_document || !m_firstDone)
        return;
    m_document->ReloadIfChangedSafe();
    if (!m_document)
        return;
    BindGraphSeries();
    RefillForMode();
    m_graph->Redraw();
}

std::intptr_t CControllerArchivView::OnQuantities()
{
    // On OK the graph takes the choice and says so: RebindGraph follows.
    m_graph->EditQuantities();
    m_graph->Redraw();
    return 0;
}

void CControllerArchivView::RefillForMode()
{
    if (!m_document)
        return;
    m_document->Navigator().SetMode(StoreMode(m_mode));
    if (m_mode == kListMode) {
        if (auto* list = dynamic_cast<charts::CQorinValueList*>(m_list))
            list->Fill();
        else if (auto* list = dynamic_cast<charts::CDuskarValueList*>(m_list))
            list->Fill();
    } else {
        m_list->Model().Rebuild({}, 0, {});
    }
    if (m_mode == kStatMode && !m_duskar)
        m_stat->Refresh();
    else
        m_stat->FreeResults();
    RebuildEvents();
}

void CControllerArchivView::RebuildEvents()
{
    if (!m_document)
        return;
    if (auto* doc = qobject_cast<CArchivDoc*>(m_document))
        archive::CollectWindowEvents(doc->GetFamilyArchiv(), doc->GetFamilyArchiv().Window(), m_events->Entries());
    else if (auto* doc = qobject_cast<CDuskarArchivDoc*>(m_document))
        archive::CollectWindowEvents(doc->GetFamilyArchiv(), doc->GetFamilyArchiv().Window(), m_events->Entries());
    m_events->Rebuild();
}

void CControllerArchivView::FillValuesPane()
{
    if (!m_document)
        return;
    // An archive's store keeps no live state: the values pane shows the
    // walk's current record, a measurement like any other.
    const bool current = m_document->Navigator().GetCurrentRecord() >= 0;
    if (auto* doc = qobject_cast<CArchivDoc*>(m_document)) {
        CQorinArchivData& data = doc->GetFamilyArchiv();
        CQorinAktData values;
        int state = 0;
        data.GetLatestValues(values, state);
        auto* pane = static_cast<CQorinHodnotyDlg*>(m_values);
        const CPristrojStatusTexts status = WindowStatus(data.GetWindowTexts());
        pane->Fill(archive::controller::FormatQorinValues(values, current ? 1 : state), &status);
        pane->m_recordGroup = true;
        pane->SetLegend(*static_cast<CQuantityGraphWnd*>(m_graph));
        pane->UpdateControls();
        pane->Layout();
    } else if (auto* doc = qobject_cast<CDuskarArchivDoc*>(m_document)) {
        CDuskarArchivData& data = doc->GetFamilyArchiv();
        CDuskarAktData values;
        int state = 0;
        data.GetLatestValues(values, state);
        CVKRatioScales scales;
        scales.TakeCurrentRatio(float(values.GetCtRatio()));
        scales.TakeVoltageRatio(float(values.GetVtRatio()));
        auto* pane = static_cast<CDuskarValuesPanel*>(m_values);
        pane->SetVoltageUnits(scales.voltage.multiplier);
        pane->SetCurrentUnits(scales.current.multiplier);
        pane->SetPowerUnits(scales.power.multiplier);
        const CPristrojStatusTexts status = WindowStatus(data.GetWindowTexts());
        pane->Fill(archive::controller::FormatDuskarValues(values, current ? 1 : state, scales), &status);
        pane->m_recordGroup = true;
        pane->SetLegend(*static_cast<CDuskarGraphWnd*>(m_graph));
        pane->UpdateControls();
        pane->Layout();
    }
    m_values->update();
}

void CControllerArchivView::OnGraphCursor(float perMille)
{
    if (!m_document)
        return;
    m_document->Navigator().SeekTime(int(perMille));
    FillValuesPane();
    m_graph->Redraw();
}

void CControllerArchivView::SetRangeFromFile()
{
    platform::CTime start, end;
    m_document->Navigator().GetFileRange(start, end);
    m_rangeBar->SetRange(start, end);
}

void CControllerArchivView::SetLimitsFromWindow()
{
    platform::CTime start, end;
    m_document->Navigator().GetWindow(start, end);
    m_rangeBar->SetLimits(start, end);
}

std::intptr_t CControllerArchivView::OnWindowMoved()
{
    if (!m_document)
        return 0;
    try {
        RefillForMode();
        SetRangeFromFile();
        SetLimitsFromWindow();
    } catch (const std::exception&) {
        ui::ShowMessageBox(this, platform::LoadString(platform::IDS_ARCHIVE_SYSTEM_ERROR),
                           platform::LoadString(platform::IDS_CAPTION_ERROR), ui::MsgButtons::OkCancel,
                           ui::MsgIcon::Error);
        if (m_document)
            m_document->OnCloseDocument();
    }
    return 0;
}

std::intptr_t CControllerArchivView::OnRefill(int mode)
{
    // The Duskar window has no statistics mode.
    if (m_duskar && mode == kStatMode)
        mode = kGraphMode;
    m_mode = mode;
    if (m_document)
        m_document->ReloadIfChangedSafe();
    ShowModePanes();
    if (m_document)
        m_document->Navigator().EnsureMode(StoreMode(m_mode));
    RefillForMode();
    ui::CChildFrame* frame = GetParentFrame();
    if (ui::CMDIFrame* main = frame ? frame->GetMainFrame() : nullptr)
        platform::SendMessageTo(main, platform::WM_UPDATE_FRAME_UI, std::uintptr_t(m_mode), 0);
    return 0;
}

std::intptr_t CControllerArchivView::OnRedraw(bool limitsSet)
{
    m_list->SetReady(limitsSet ? 1 : 0);
    m_graph->SetReady(limitsSet);
    m_graph->SetCommandsEnabled(limitsSet);
    m_graphCommands = limitsSet;
    switch (m_mode) {
    case kGraphMode: m_graph->Redraw(); break;
    case kListMode: m_list->viewport()->update(); break;
    case kStatMode: m_stat->update(); break;
    default: break;
    }
    return 0;
}

bool CControllerArchivView::RefuseChangedFile()
{
    if (!m_document || m_document->ReloadIfChangedSafe() == 0)
        return false;
    ui::ShowMessageBox(this, platform::LoadString(platform::IDS_CANNOT_PRINT_CHANGED),
                       platform::LoadString(platform::IDS_CAPTION_ERROR), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    return true;
}

std::intptr_t CControllerArchivView::OnPrint()
{
    if (ReadyToPrint())
        PrintView(nullptr);
    return 0;
}

std::intptr_t CControllerArchivView::OnExport()
{
    if (m_mode == kListMode && !RefuseChangedFile())
        ExportList();
    return 0;
}

bool CControllerArchivView::PrintList(QPrinter* printer)
{
    if (auto* list = dynamic_cast<charts::CQorinValueList*>(m_list))
        return list->Print(printer);
    if (auto* list = dynamic_cast<charts::CDuskarValueList*>(m_list))
        return list->Print(printer);
    return false;
}

bool CControllerArchivView::ExportList()
{
    if (auto* list = dynamic_cast<charts::CQorinValueList*>(m_list))
        return list->GetArchivData() &&
               charts::ExportArchiveValues(this, *list->GetArchivData(), list->ColumnFlags());
    if (auto* list = dynamic_cast<charts::CDuskarValueList*>(m_list))
        return list->GetArchivData() &&
               charts::ExportArchiveValues(this, *list->GetArchivData(), list->ColumnFlags());
    return false;
}

void CControllerArchivView::LoadLayout()
{
    m_isAlarm = 1;
    m_isData = 1;
    m_isGraf = 1;
    m_prickaX = 600;
    m_prickaY = 620;
    bool placed = false;
    CArchivData& archive = m_document->GetArchiv();
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = archive.OpenSettingsStream(1, instrument, length);
    if (stream) {
        // Never more than a record of ours, whatever length the file claims.
        const qint64 wanted = std::min<qint64>(qint64(length), CArchivViewRecord::Size(m_duskar));
        QByteArray block(qsizetype(wanted), '\0');
        const std::int64_t got = stream->Read(block.data(), wanted);
        block.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
        archive.ReleaseStream(stream);
        // What the file claims beyond a full record is not ours to read,
        // but it still tells a block longer than the placement.
        const CArchivViewRecord record = CArchivViewRecord::Read(block, m_duskar);
        m_isAlarm = record.isAlarm;
        m_isData = record.isData;
        m_isGraf = record.isGraf;
        m_prickaX = record.prickaX;
        m_prickaY = record.prickaY;
        if (record.hasPlacement) {
            if (m_duskar)
                static_cast<CDuskarValuesPanel*>(m_values)->SelectTab(record.tab);
            ui::CChildFrame* frame = GetParentFrame();
            if (frame && ui::CChildFrame::PlacementShowsWindow(QSize(record.cx, record.cy))) {
                placed = true;
                frame->SetRememberedDocument(m_document);
                frame->setGeometry(record.x, record.y, record.cx, record.cy);
                if (record.showCommand == kShowMaximized)
                    frame->showMaximized();
                else if (record.showCommand == kShowMinimized)
                    frame->showMinimized();
                frame->SetRememberedDocument(nullptr);
            }
        }
        if (record.hasStatistics) {
            CQorinStatSettings& stat = m_stat->GetSettings();
            stat.nominalVoltage = record.statU;
            stat.nominalVoltageLine = record.statU * 1.7320508f;
            stat.nominalPower = record.statP;
            if (record.statU != 0.f)
                stat.nominalCurrent = record.statP * 0.33333334f / record.statU;
            stat.requiredPowerFactor = record.statQ;
            stat.window2 = record.statSecond;
            stat.window1 = record.statFirst;
            stat.fromInstrument = record.statEighth;
            // The user's nominal values stand over the instrument's. A window
            // closed before anyone touched the statistics stores the panel's
            // first values all the same; those are no choice of the user's,
            // and the instrument's transformer still gives the nominal current.
            const CQorinStatSettings untouched = CQorinStatPanel::Defaults();
            const bool userSet = record.statU != untouched.nominalVoltage ||
                                 record.statP != untouched.nominalPower ||
                                 record.statQ != untouched.requiredPowerFactor ||
                                 record.statSecond != untouched.window2 || record.statFirst != untouched.window1 ||
                                 record.statEighth != untouched.fromInstrument;
            stat.filled = userSet ? 1 : 0;
            m_stat->UpdateTab();
        }
    }
    m_scrollSize = CControllerPaneLayout::ResetFor(PaneMask()).scrollSize;
    setMinimumSize(m_scrollSize);
    if (!placed) {
        if (ui::CChildFrame* frame = GetParentFrame())
            frame->FitToView();
    }
    LayoutPanes();
}

QSize CControllerArchivView::sizeHint() const
{
    // The range bar sits above the graph inside the graph's pane: the pane
    // is as wide as the bar's controls and the graph's least height deeper.
    const int mask = PaneMask();
    const QSize bar = m_rangeBar->sizeHint();
    const QSize graph = CControllerPaneLayout::MinimumSize(CControllerPaneLayout::kGraph);
    const CControllerPaneLayout::Sizes own{QSize(bar.width(), kRangeBarHeight + 1 + graph.height()),
                                           m_values ? m_values->sizeHint() : QSize(),
                                           m_events ? m_events->sizeHint() : QSize(), QSize()};
    return ui::CPaneLayout::FirstSize(mask, m_prickaX, m_prickaY, own,
                                     CControllerPaneLayout::ResetFor(mask).scrollSize);
}

void CControllerArchivView::SaveLayout()
{
    // A window closed before its first data leaves the stored layout alone.
    if (!m_firstDone || m_saved || !m_document)
        return;
    m_saved = true;
    m_document->GetArchiv().WriteSettingsSection(1, Record().Write(m_duskar));
}

void CControllerArchivView::hideEvent(QHideEvent* event)
{
    // The frame's placement as it was last seen: at destruction the frame
    // is already on its way out.
    if (ui::CChildFrame* frame = GetParentFrame()) {
        m_frameShow = frame->isMaximized() ? kShowMaximized : frame->isMinimized() ? kShowMinimized : kShowNormal;
        m_frameNormal = frame->NormalGeometry();
    }
    ui::CView::hideEvent(event);
}

void AddQorinArchiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CArchivDoc, ui::CChildFrame, CArchivView>(162, CArchivDoc::DocString()));
}

void AddDuskarArchiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CDuskarArchivDoc, ui::CChildFrame, CDuskarArchivView>(317, CDuskarArchivDoc::DocString()));
}

} // namespace controllers
