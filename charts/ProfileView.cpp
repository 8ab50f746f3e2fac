#include "charts/ProfileView.h"

#include "charts/ProfileDoc.h"
#include "charts/ProfileGraphWnd.h"
#include "charts/ProfileValuesDlg.h"
#include "charts/VKTPanelHodnotyDlg.h"
#include "charts_data/VKTProfileData.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QFileInfo>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace {

// The scrolled pane under the graph and the panel. They address their
// messages (cursor keys, changed choices, print) to their parent, which
// hands them on to the view.
class MessagePane : public QWidget {
public:
    MessagePane(QWidget* view, QWidget* parent) : QWidget(parent), m_view(view) {}

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == platform::MessageEvent::EventType())
            return QCoreApplication::sendEvent(m_view, e);
        return QWidget::event(e);
    }

private:
    QWidget* m_view;
};

} // namespace

CProfileView::CProfileView(QWidget* parent)
    : charts::CGraphView(parent),
      m_scroll(new QScrollArea(this)),
      m_content(new MessagePane(this, nullptr)),
      m_graph(new CProfileGraphWnd(m_content))
{
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(false);
    m_scroll->setWidget(m_content);
    m_graph->setObjectName(QStringLiteral("1"));
    m_graph->setWindowTitle(QStringLiteral("ahoj"));
    ConnectGraphMenu(m_graph);
    SetMessageHandler(platform::WM_GRAPH_CHANGED, [this](std::uintptr_t, std::intptr_t) {
        RefreshPanel();
        return 0;
    });
    SetMessageHandler(platform::WM_ARCHIVE_WINDOW_MOVED, [this](std::uintptr_t, std::intptr_t) {
        ApplyChoices();
        return 0;
    });
    SetMessageHandler(platform::WM_GRAPH_SCROLL_KEY, [this](std::uintptr_t records, std::intptr_t pages) {
        if (CProfileDoc* doc = Document())
            doc->MoveCursor(int(std::intptr_t(records)), int(pages));
        return 0;
    });
    SetMessageHandler(platform::WM_ARCHIVE_PRINT_GRAPH, [this](std::uintptr_t, std::intptr_t) {
        PrintGraph();
        return 0;
    });
}

CProfileView::~CProfileView()
{
    m_graph->SetData(nullptr);
}

CProfileDoc* CProfileView::Document() const
{
    return qobject_cast<CProfileDoc*>(GetDocument());
}

void CProfileView::OnUpdate(ui::CView*, std::intptr_t hint, void*)
{
    CProfileDoc* doc = Document();
    if (!doc)
        return;
    if (hint & CProfileDoc::kHintNewContent) {
        delete m_panel;
        m_kind = doc->GetProfileType() == 2 ? 0 : 1;
        if (m_kind == 0) {
            m_panel = new CProfileValuesDlg(m_content);
            m_panelHeight = kVKPanelHeight;
        } else {
            m_panel = new CVKTPanelHodnotyDlg(m_content);
            m_panelHeight = kVKTPanelHeight;
        }
        m_panel->show();
        Layout();
    }
    if (hint & CProfileDoc::kHintData)
        m_graph->SetData(doc->GetProfileType() != 0 ? doc->GetProfile() : nullptr);
    if ((hint & CProfileDoc::kHintStyles) && m_panel) {
        std::array<std::uint32_t, CProfileGraphWnd::kMaxQuantities> colours{};
        std::array<int, CProfileGraphWnd::kMaxQuantities> shown{};
        m_graph->GetTraceColours(colours, shown);
        for (int i = 0; i < m_panel->QuantityCount(); ++i) {
            m_panel->SetColour(i, colours[std::size_t(i)]);
            m_panel->SetShown(i, m_graph->IsShown(i));
        }
        RefreshPanel();
        m_panel->LoadFlags();
    }
    if (hint & CProfileDoc::kHintCursor) {
        RefreshPanel();
        m_graph->Redraw();
    }
}

void CProfileView::RefreshPanel()
{
    CProfileDoc* doc = Document();
    CProfileData* data = doc ? doc->GetProfile() : nullptr;
    if (!m_panel || !data)
        return;
    const CProfileValueTexts texts = data->GetValueTexts();
    for (int i = 0; i < m_panel->QuantityCount() && i < int(texts.values.size()); ++i)
        m_panel->SetValueText(i, texts.values[std::size_t(i)]);
    m_panel->SetTimeText(texts.time);
    if (auto* vk = qobject_cast<CProfileValuesDlg*>(m_panel))
        vk->SetCaptions(texts.voltageCaption, texts.currentCaption);
    if (auto* vkt = qobject_cast<CVKTPanelHodnotyDlg*>(m_panel)) {
        vkt->SetCaptions(texts.voltageCaption, texts.currentCaption, texts.powerCaptions[0], texts.powerCaptions[1],
                         texts.powerCaptions[2]);
        if (const auto* vktData = dynamic_cast<const CVKTProfileData*>(data)) {
            const CVKTProfileRecord& r = vktData->GetHourTable()[std::size_t(data->GetCursor() % 60)];
            vkt->SetOutagesText(r.valid ? QString::number(r.outages) : QStringLiteral("--"));
        }
        vkt->SetFileText(QFileInfo(data->GetPath()).fileName());
    }
    m_panel->update();
}

void CProfileView::ApplyChoices()
{
    CProfileDoc* doc = Document();
    if (!m_panel || !doc || !doc->GetProfile())
        return;
    std::array<std::uint32_t, CProfileGraphWnd::kMaxQuantities> colours{};
    std::array<int, CProfileGraphWnd::kMaxQuantities> shown{};
    m_graph->GetTraceColours(colours, shown);
    for (int i = 0; i < m_panel->QuantityCount() && i < CProfileGraphWnd::kMaxQuantities; ++i) {
        shown[std::size_t(i)] = m_panel->Shown(i);
        colours[std::size_t(i)] = m_panel->Colour(i);
    }
    m_graph->SetTraceStyles(shown, colours);
    doc->GetProfile()->Prepare(CProfileData::kFillTraces);
    m_graph->Redraw();
}

CGraphWnd* CProfileView::CommandGraph() const
{
    return m_graph;
}

bool CProfileView::OnCommand(int id)
{
    if (CGraphView::OnCommand(id))
        return true;
    switch (id) {
    case CProfileGraphWnd::kCmdInstrumentSettings:
        if (CProfileDoc* doc = Document())
            doc->OnShowSettings(this);
        return true;
    default: return false;
    }
}

void CProfileView::FillMenu(QMenu& menu)
{
    AddGraphMenuItems(menu, QStringLiteral("Celý graf"), "Změnit vertikální lupu", "Změnit časovou lupu");
}

void CProfileView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    FillMenu(menu);
    menu.exec(event->globalPos());
}

bool CProfileView::PrintGraph(QPrinter* printer)
{
    const ui::CChildFrame* frame = GetParentFrame();
    return m_graph->Print(printer, frame ? frame->windowTitle() : (GetDocument() ? GetDocument()->GetTitle() : QString()));
}

void CProfileView::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    m_scroll->setGeometry(rect());
    Layout();
}

void CProfileView::Layout()
{
    // The graph keeps its minimum both ways and the panel its height; what
    // does not fit scrolls. A scroll bar takes room from the other
    // direction, which may then need its bar too.
    const int panel = m_panel ? m_panelHeight : 0;
    const QSize room = m_scroll->maximumViewportSize();
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    int w = room.width();
    int h = room.height();
    for (int pass = 0; pass < 2; ++pass) {
        const bool across = w < kMinimumGraph;
        const bool down = h - panel < kMinimumGraph;
        w = room.width() - (down ? bar : 0);
        h = room.height() - (across ? bar : 0);
    }
    const int width = std::max(w, kMinimumGraph);
    const int graphHeight = std::max(h - panel, kMinimumGraph);
    m_content->resize(width, graphHeight + panel);
    m_graph->setGeometry(0, 0, width, graphHeight);
    if (m_panel)
        m_panel->setGeometry(0, graphHeight, width, m_panelHeight);
}
