#pragma once

#include "analysers_vk/VKArchivModes.h"
#include "analysers_vk/VKPaneLayout.h"
#include "archive_docs/ArchivDocBase.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/ExportDlg.h"
#include "charts/StatPanel.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QApplication>
#include <QPointer>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <memory>

class CArchivData;
class CPanelEventList;
class QPrinter;
struct CArchivWindow;

namespace ui {
class CChildFrame;
}

namespace analysers_vk {

// What the analysers' archive views share beside their types: the frame's
// placement as their record keeps it, the record's place in section 1 of
// the archive's settings stream, the alarm list filled from the archive.
namespace archivview {

// Show states of the stored placement.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

struct CFramePlacement {
    QRect normal;
    int show = kShowNormal;

    void Remember(const ui::CChildFrame* frame);
    // A stored placement without a size leaves the frame alone.
    static void Apply(ui::CChildFrame* frame, const QRect& normal, int show);
};

// The view's record from section 1, at most `size` bytes; false when the
// archive has none.
bool ReadRecord(CArchivData& data, int size, QByteArray& block);
// Writes the record as section 1; false (reported) when it cannot.
bool WriteRecord(CArchivData& data, const QByteArray& block);
// The alarms and events of the archive's loaded window.
void RefillEvents(CArchivData& data, const CArchivWindow& window, CPanelEventList& events);
// The archive tool bar follows the view's mode.
void TellFrame(QWidget* view, int mode, int family);

} // namespace archivview

// The view of an opened analyser archive: the family's form view without the
// front panel, whose graph pane shows the archive's window as a time graph,
// a record list or statistics under the range bar. Its panes, placement,
// tabs and statistics settings are kept in the archive file itself (the
// family's view record in section 1). A family view derives from it with its
// form view, document, value list, statistics panel and record, and says how
// the graph's quantities reach the list and the values, and which of its
// settings the record holds.
template <class FormView, class Doc, class TValueList, class TStatPanel, class Record>
class TVKArchivView : public FormView {
public:
    using ValueList = TValueList;

    Doc* GetDocument() const { return qobject_cast<Doc*>(ui::CView::GetDocument()); }
    CVKArchivModes& Modes() { return *m_modes; }
    const CVKArchivModes& Modes() const { return *m_modes; }
    int Mode() const { return m_modes->Mode(); }
    ValueList* List() const { return m_list; }
    TStatPanel* Stats() const { return m_stats; }
    bool Initialised() const { return this->m_initialised != 0; }

    // The front panel belongs to a live instrument; an archive's graph,
    // which zooms in time, leaves it off.
    bool PaneEnabled(int bit) const override
    {
        return bit != CVKPaneLayout::kPanelBit && FormView::PaneEnabled(bit);
    }

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override
    {
        Doc* doc = GetDocument();
        switch (hint) {
        case archive::hint::kState:
            if (doc)
                doc->SetState(Mode());
            return;
        case archive::hint::kOpening: return;
        case archive::hint::kWindowPlaced:
            if (!this->m_initialised && doc) {
                OnFirstRefresh();
                this->m_initialised = 1;
                // An archive without a usable placement of its own opens at
                // the size its panes and range bar ask for.
                if (!RestoreState())
                    FitFrame();
            }
            OnWindowMoved();
            break;
        case archive::hint::kWindowChanged:
        case archive::hint::kReloadedInPlace: OnWindowMoved(); break;
        case archive::hint::kRecordMoved:
            OnGraphChanged();
            RedrawGraph();
            break;
        default: break;
        }
        ui::CView::OnUpdate(sender, hint, object);
    }

    // The record this view writes into the archive when it closes.
    Record StateRecord() const
    {
        Record record;
        record.isAlarm = this->m_isAlarm;
        record.isData = this->m_isData;
        record.isGraf = this->m_isGraf;
        record.prickaX = this->m_prickaX;
        record.prickaY = this->m_prickaY;
        record.x = m_frame.normal.x();
        record.y = m_frame.normal.y();
        record.cx = m_frame.normal.width();
        record.cy = m_frame.normal.height();
        record.showCommand = m_frame.show;
        FillRecord(record);
        return record;
    }

    void ApplyStateRecord(const Record& record)
    {
        if (!record.hasLayout)
            return;
        this->m_isAlarm = record.isAlarm != 0;
        this->m_isData = record.isData != 0;
        this->m_isGraf = record.isGraf != 0;
        this->m_isNahled = 0;
        // The stored dividers stand: the panes are laid out without a reset.
        this->ResetPanes();
        this->m_prickaX = std::clamp(record.prickaX, CVKPaneLayout::kMinRatio, CVKPaneLayout::kMaxRatio);
        this->m_prickaY = std::clamp(record.prickaY, CVKPaneLayout::kMinRatio, CVKPaneLayout::kMaxRatio);
        this->LayoutPanes();
        if (record.hasPlacement && ui::CChildFrame::PlacementShowsWindow(QSize(record.cx, record.cy)))
            archivview::CFramePlacement::Apply(this->GetParentFrame(),
                                               QRect(record.x, record.y, record.cx, record.cy), record.showCommand);
        else
            FitFrame();
        ApplyRecord(record);
    }

    void FitFrame()
    {
        if (ui::CChildFrame* frame = this->GetParentFrame())
            frame->FitToView();
    }

    // Reads and writes section 1 of the archive's settings stream; false
    // when the archive has no such record or it cannot be written.
    bool RestoreState()
    {
        Doc* doc = GetDocument();
        QByteArray block;
        if (!doc || !archivview::ReadRecord(doc->GetArchiv(), Record::kSize, block))
            return false;
        ApplyStateRecord(Record::Read(block));
        return true;
    }

    bool SaveState()
    {
        // Kept while the view is up: the document lets go of its views
        // before it hides them. Only a view that was bound writes, once.
        if (!this->m_initialised || m_saved || !m_document)
            return false;
        m_saved = true;
        this->Graph()->SaveArchiveSettings();
        return archivview::WriteRecord(m_document->GetArchiv(), StateRecord().Write());
    }

protected:
    // `family` is the family's code in WM_UPDATE_FRAME_UI.
    TVKArchivView(QWidget* parent, int family) : FormView(parent), m_family(family)
    {
        // No instrument stands behind an archive: the panel pane stays empty.
        this->m_isNahled = 0;
        m_list = new ValueList(this);
        m_stats = new TStatPanel(this);
        m_modes = std::make_unique<CVKArchivModes>(this, this->Graph(), m_list, m_stats);
        m_modes->SetReady(false);

        QObject::connect(m_list, &charts::CArchiveValueList::graphChanged, this, [this] { OnGraphChanged(); });
        QObject::connect(m_list, &charts::CArchiveValueList::quantitiesClosed, this,
                         [this] { this->OnDisplayedQuantities(); });
        QObject::connect(m_stats, &CStatPanel::graphChanged, this, [this] { OnGraphChanged(); });

        using namespace platform;
        auto on = [this](MessageId id, auto handler) {
            this->SetMessageHandler(id, [handler](std::uintptr_t w, std::intptr_t l) {
                handler(w, l);
                return std::intptr_t(0);
            });
        };
        on(WM_ARCHIVE_WINDOW_MOVED, [this](std::uintptr_t, std::intptr_t) { OnWindowMoved(); });
        on(WM_ARCHIVE_SET_WINDOW, [this](std::uintptr_t, std::intptr_t) { OnSetWindow(); });
        on(WM_ARCHIVE_REFILL, [this](std::uintptr_t mode, std::intptr_t) { OnRefill(int(mode)); });
        on(WM_ARCHIVE_REDRAW, [this](std::uintptr_t ready, std::intptr_t) { OnReady(ready != 0); });
        on(WM_GRAPH_SCROLL_KEY, [this](std::uintptr_t records, std::intptr_t pages) {
            if (Doc* doc = GetDocument())
                doc->MoveRecords(int(std::intptr_t(records)), int(pages));
        });
        on(WM_QUANTITIES_CLOSED, [this](std::uintptr_t, std::intptr_t) { this->OnDisplayedQuantities(); });
        on(WM_GRAPH_CHANGED, [this](std::uintptr_t, std::intptr_t) { OnGraphChanged(); });
        on(WM_ARCHIVE_PRINT_GRAPH, [this](std::uintptr_t, std::intptr_t) { OnPrint(); });
        on(WM_ARCHIVE_PRINT_LIST, [this](std::uintptr_t, std::intptr_t) { OnExport(); });
    }

    // The family's part of the record: its tabs and statistics settings.
    virtual void FillRecord(Record& record) const = 0;
    virtual void ApplyRecord(const Record& record) = 0;
    // The graph's quantities to the list's columns (and the values).
    virtual void TakeGraphQuantities() = 0;
    // After the graph's quantities were taken.
    virtual void OnQuantitiesTaken() {}
    // The current record's values into the values pane.
    virtual void OnGraphChanged() = 0;
    virtual void RedrawGraph() { this->Graph()->Redraw(); }
    // The range bar's limits are set (true) or being edited.
    virtual void OnReady(bool ready) { m_modes->SetReady(ready); }

    // The range bar stands across the top of the graph's pane: the pane is
    // at least as wide as the bar's controls and the bar's height deeper.
    QSize GraphPaneSizeHint() const override
    {
        const QSize graph = FormView::GraphPaneSizeHint();
        if (!m_modes)
            return graph;
        const QSize bar = m_modes->RangeBar()->sizeHint();
        return QSize(std::max(graph.width(), bar.width()), graph.height() + CVKArchivModes::kBarHeight);
    }

    virtual void OnFirstRefresh()
    {
        Doc* doc = GetDocument();
        if (!doc)
            return;
        m_document = doc;
        auto& data = doc->GetFamilyArchiv();
        this->Graph()->AttachArchive(data);
        TakeGraphQuantities();
        OnQuantitiesTaken();
        m_list->SetArchivData(&data);
        m_list->SetNavigator(&doc->Navigator());
        QPointer<Doc> guarded(doc);
        m_list->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
        m_stats->SetArchivData(&data, &doc->Navigator());
        m_stats->SetReloadCheck([guarded] { return guarded ? guarded->ReloadIfChangedSafe() : 0; });
    }

    void OnQuantitiesChanged() override
    {
        Doc* doc = GetDocument();
        if (!doc || doc->ReloadIfChangedSafe())
            return;
        TakeGraphQuantities();
        OnQuantitiesTaken();
        doc->Navigator().SetMode(Mode(), this->Graph()->IsOdbDod());
        if (Mode() == CVKArchivModes::kList)
            m_list->Fill();
        else
            RedrawGraph();
        if (this->m_isAlarm)
            RefillAlarmList();
        if (m_valuesFollowQuantities)
            OnGraphChanged();
    }

    void RefillAlarmList() override
    {
        if (Doc* doc = GetDocument())
            archivview::RefillEvents(doc->GetFamilyArchiv(), doc->GetFamilyArchiv().Window(), *this->Alarms());
    }

    void PlaceGraph(const QRect& rect, bool show) override
    {
        m_graphPane = rect;
        m_graphPaneShown = show;
        // The base constructor lays out before the presentations exist.
        if (m_modes)
            m_modes->Place(rect, show);
        else
            FormView::PlaceGraph(rect, false);
    }

    void hideEvent(QHideEvent* event) override
    {
        if (ui::CView::GetDocument())
            m_frame.Remember(this->GetParentFrame());
        else
            Close(); // the document is closing and still holds its archive
        FormView::hideEvent(event);
    }

    // Writes the state and lets go of the archive (once); the family view's
    // destructor calls it while its part of the record is still there.
    void Close()
    {
        SaveState();
        if (m_document)
            this->Graph()->Detach();
        m_document = nullptr;
    }

    // The value list is exported in statistics mode too (not only in list
    // mode); the values pane follows a change of the graph's quantities.
    bool m_exportOutsideList = false;
    bool m_valuesFollowQuantities = false;

private:
    void OnWindowMoved()
    {
        Doc* doc = GetDocument();
        if (!doc || !this->m_initialised)
            return;
        CArchivNavigator& navigator = doc->Navigator();
        // The series take the graph's import/export choice: a power axis
        // cut at 0 would hide the exported power it asks to show.
        navigator.SetMode(Mode(), this->Graph()->IsOdbDod());
        if (Mode() == CVKArchivModes::kList)
            m_list->Fill();
        else
            RedrawGraph();
        if (Mode() == CVKArchivModes::kStatistics)
            m_stats->Refresh();
        else
            m_stats->FreeResults();
        if (this->m_isAlarm)
            RefillAlarmList();
        m_modes->UpdateRange(navigator);
        OnGraphChanged();
    }

    void OnSetWindow()
    {
        Doc* doc = GetDocument();
        if (!doc)
            return;
        platform::CTime from;
        platform::CTime to;
        m_modes->RangeBar()->GetRange(from, to);
        doc->SetWindow(from, to);
    }

    void OnRefill(int mode)
    {
        Doc* doc = GetDocument();
        if (!doc)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_modes->SetMode(mode);
        m_modes->ShowModeTab();
        const bool reloaded = doc->ReloadIfChangedSafe() != 0;
        if (!reloaded) {
            m_modes->Place(m_graphPane, m_graphPaneShown);
            // The chosen presentation stands on the screen before its data
            // are worked out: statistics of a long window take a while.
            if (this->isVisible())
                this->repaint();
            if (mode >= CVKArchivModes::kGraph && mode <= CVKArchivModes::kStatistics)
                doc->Navigator().EnsureMode(mode);
            OnWindowMoved();
        }
        QApplication::restoreOverrideCursor();
        if (!reloaded)
            archivview::TellFrame(this, mode, m_family);
    }

    void OnPrint()
    {
        if (ReadyToPrint())
            PrintView(nullptr);
    }

    // What the mode shows: the graph, the value list or the statistics.
    bool PrintView(QPrinter* printer) override
    {
        if (!GetDocument())
            return false;
        switch (Mode()) {
        case CVKArchivModes::kGraph: return this->Graph()->Print(printer);
        case CVKArchivModes::kList: return m_list->Print(printer);
        case CVKArchivModes::kStatistics: return m_stats->PrintResults(printer);
        default: return false;
        }
    }
    bool CanPrint() const override { return true; }
    // The value list of a file changed under the window is refused, once
    // per job rather than on every page the preview draws.
    bool ReadyToPrint() override
    {
        Doc* doc = GetDocument();
        return doc && (Mode() != CVKArchivModes::kList || CVKArchivModes::UnchangedForPrint(this, *doc));
    }

    void OnExport()
    {
        Doc* doc = GetDocument();
        // A file changed meanwhile is read again and nothing is exported.
        const bool exported =
            Mode() == CVKArchivModes::kList || (m_exportOutsideList && Mode() != CVKArchivModes::kGraph);
        if (!doc || !exported || !CVKArchivModes::UnchangedForPrint(this, *doc))
            return;
        charts::ExportArchiveValues(this, doc->GetFamilyArchiv(), m_list->ColumnFlags());
    }

    int m_family;
    ValueList* m_list = nullptr;
    TStatPanel* m_stats = nullptr;
    std::unique_ptr<CVKArchivModes> m_modes;
    QPointer<Doc> m_document;
    QRect m_graphPane;
    bool m_graphPaneShown = false;
    bool m_saved = false;
    archivview::CFramePlacement m_frame;
};

} // namespace analysers_vk
