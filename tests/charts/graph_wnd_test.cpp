#include "charts/GraphWnd.h"
#include "graph_sample.h"
#include "PdfCheck.h"

#include "platform/WindowMessage.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QRubberBand>
#include <QScrollBar>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

#include <gtest/gtest.h>

using platform::CTime;

namespace {

// The view a graph lives in: records the messages the graph sends it.
class HostView : public QWidget, public platform::MessageDispatcher {
public:
    struct Message {
        platform::MessageId id;
        std::intptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<Message> messages;

    HostView()
    {
        for (platform::MessageId id : {platform::WM_GRAPH_CHANGED, platform::WM_GRAPH_SCROLL_KEY})
            SetMessageHandler(id, [this, id](std::uintptr_t w, std::intptr_t l) {
                messages.push_back({id, std::intptr_t(w), l});
                return 0;
            });
    }
    bool event(QEvent* e) override { return DispatchMessageEvent(e) || QWidget::event(e); }
};

// A red line over one hour from 10:00 on a 0..100 scale.
CGraphTrace HourTrace(const QString& name, const QString& unit, double from, double to)
{
    CGraphTrace trace(name, unit, QString(), 0x000000FF, 100.0f, 0.0f);
    const CTime origin(CTime(2024, 3, 12, 10, 0, 0));
    trace.Rescale(origin, 3600, false);
    trace.SetPointCount(0, 2);
    trace.SetPoint(0, 0, origin, from);
    trace.SetPoint(0, 1, origin + platform::CTimeSpan(3600), to);
    return trace;
}

class GraphWnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(640, 480);
        graph = new CSampleGraphWnd(&host);
        graph->setGeometry(0, 0, 640, 480);
        host.setAttribute(Qt::WA_DontShowOnScreen, true);
        host.show();
        graph->Redraw();
        graph->SetPlotRect({100, 50, 600, 450}); // 500 x 400 pixels
    }
    void Window(int x0, int y0, int x1, int y1) { graph->SetWindow(x0, y0, x1, y1); graph->SetPlotRect({100, 50, 600, 450}); }
    std::array<int, 4> Zoom() const { return {graph->X0(), graph->Y0(), graph->X1(), graph->Y1()}; }
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(graph, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, graph->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(graph, &move);
        QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, to);
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, int count = 1)
    {
        QKeyEvent e(QEvent::KeyPress, key, mods, QString(), false, quint16(count));
        QApplication::sendEvent(graph, &e);
        QCoreApplication::processEvents();
    }

    HostView host;
    CSampleGraphWnd* graph = nullptr;
};

} // namespace

TEST_F(GraphWnd, AbsoluteZoomCentresOnTheCursorAndTheValueWindow)
{
    graph->SetTimeCursor(true);
    graph->cursor = 990;
    graph->SetHorzRange(2000, CGraphWnd::kTimeAxis);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{950, 0, 1000, 1000}));
    graph->SetHorzRange(500, CGraphWnd::kValueAxis);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{950, 400, 1000, 600}));
    EXPECT_FALSE(graph->HorzBar()->isHidden());
    EXPECT_EQ(graph->HorzBar()->value(), 950);
    EXPECT_EQ(graph->VertBar()->value(), 400); // 1000 - top
    graph->SetHorzRange(100, CGraphWnd::kTimeAxis | CGraphWnd::kValueAxis);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{0, 0, 1000, 1000}));
    EXPECT_TRUE(graph->HorzBar()->isHidden());

    // Without the time cursor the time axis stays.
    graph->SetTimeCursor(false);
    graph->SetHorzRange(200, CGraphWnd::kTimeAxis | CGraphWnd::kValueAxis);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{0, 250, 1000, 750}));
    // Nonsense percentages change nothing and never divide by zero.
    graph->SetHorzRange(0, 3);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{0, 250, 1000, 750}));
}

TEST_F(GraphWnd, RelativeZoomKeepsTheCentreWithinLimits)
{
    Window(200, 200, 600, 600);
    graph->SetVertRange(50, CGraphWnd::kTimeAxis | CGraphWnd::kValueAxis);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{300, 300, 500, 500}));
    graph->SetVertRange(1, CGraphWnd::kValueAxis);
    EXPECT_EQ(graph->Y1() - graph->Y0(), 10);
    graph->SetVertRange(100000, CGraphWnd::kTimeAxis);
    EXPECT_EQ(graph->X0(), 0);
    EXPECT_EQ(graph->X1(), 1000);
}

TEST_F(GraphWnd, RubberBandZoomsToTheRectangleOrAroundAClick)
{
    graph->SetTimeCursor(true);
    graph->SetZoomMode(true);
    // A 3 x 3 drag is a click: 40 % around the point (the plot's centre).
    Drag({350, 250}, {353, 253});
    EXPECT_EQ(Zoom(), (std::array<int, 4>{306, 292, 706, 692}));
    EXPECT_FALSE(graph->Dragging());
    EXPECT_TRUE(graph->RubberBand()->isHidden());

    // A rectangle over the left half and the upper quarter of the plot.
    Window(0, 0, 1000, 1000);
    Drag({100, 50}, {350, 150});
    EXPECT_EQ(Zoom(), (std::array<int, 4>{0, 750, 500, 1000}));

    // While dragging the rubber band follows the mouse.
    QTest::mousePress(graph, Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
    QMouseEvent move(QEvent::MouseMove, QPoint(200, 180), graph->mapToGlobal(QPoint(200, 180)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(graph, &move);
    EXPECT_TRUE(graph->Dragging());
    EXPECT_FALSE(graph->RubberBand()->isHidden());
    EXPECT_EQ(graph->RubberBand()->geometry(), QRect(QPoint(200, 100), QPoint(300, 180)));
    EXPECT_EQ(graph->QWidget::cursor().shape(), Qt::CrossCursor);
    QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, QPoint(200, 180));
    EXPECT_EQ(graph->QWidget::cursor().shape(), Qt::BitmapCursor); // the zoom cursor again

    // A rectangle wider and higher than the plot keeps the full view.
    Window(0, 0, 1000, 1000);
    Drag({10, 10}, {630, 470});
    EXPECT_EQ(Zoom(), (std::array<int, 4>{0, 0, 1000, 1000}));
}

TEST_F(GraphWnd, RightClickInZoomModeZoomsOutWithoutAMenu)
{
    graph->SetTimeCursor(true);
    Window(400, 400, 600, 600);
    graph->SetZoomMode(true);
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(350, 250), graph->mapToGlobal(QPoint(350, 250)));
    QApplication::sendEvent(graph, &e);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{200, 200, 800, 800}));
    EXPECT_TRUE(graph->findChildren<QMenu*>().isEmpty());
}

TEST_F(GraphWnd, ClickPlacesTheTimeCursorAndTellsTheView)
{
    graph->SetTimeCursor(true);
    Window(200, 0, 400, 1000);
    QTest::mouseClick(graph, Qt::LeftButton, Qt::NoModifier, QPoint(350, 200));
    EXPECT_FLOAT_EQ(graph->lastCursorMoved, 300.0f);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].id, platform::WM_GRAPH_CHANGED);
    // Outside the plot nothing moves.
    QTest::mouseClick(graph, Qt::LeftButton, Qt::NoModifier, QPoint(50, 200));
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(GraphWnd, ClickPicksTheColumnLeftOfItsRightEdge)
{
    graph->SetColumnSelection(true);
    graph->SetColumns({40, 80}, {7, 9});
    graph->SetSelectedColumn(0);
    QTest::mouseClick(graph, Qt::LeftButton, Qt::NoModifier, QPoint(5, 200));
    EXPECT_EQ(graph->SelectedColumn(), 7u);
    QTest::mouseClick(graph, Qt::LeftButton, Qt::NoModifier, QPoint(60, 200));
    EXPECT_EQ(graph->SelectedColumn(), 9u);
    QTest::mouseClick(graph, Qt::LeftButton, Qt::NoModifier, QPoint(90, 200));
    EXPECT_EQ(graph->SelectedColumn(), 9u); // right of the last edge: nothing
}

TEST_F(GraphWnd, NavigationKeysGoToTheView)
{
    graph->SetTimeCursor(true);
    struct Case {
        int key;
        int count;
        std::intptr_t records;
        std::intptr_t pages;
    };
    for (const Case& c : {Case{Qt::Key_Left, 3, -3, 0}, Case{Qt::Key_Right, 1, 1, 0}, Case{Qt::Key_PageUp, 1, 0, 1},
                          Case{Qt::Key_PageDown, 1, 0, -1}, Case{Qt::Key_End, 1, 0, 1}, Case{Qt::Key_Home, 1, 0, -1}}) {
        host.messages.clear();
        Key(c.key, Qt::NoModifier, c.count);
        ASSERT_EQ(host.messages.size(), 1u) << c.key;
        EXPECT_EQ(host.messages[0].id, platform::WM_GRAPH_SCROLL_KEY);
        EXPECT_EQ(host.messages[0].wParam, c.records) << c.key;
        EXPECT_EQ(host.messages[0].lParam, c.pages) << c.key;
    }
    host.messages.clear();
    Key(Qt::Key_Up);
    graph->SetTimeCursor(false);
    Key(Qt::Key_Left);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(GraphWnd, AltKeysAndScrollBarsMoveTheZoomWindow)
{
    // Full view: the bar is hidden and Alt+Left does nothing.
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Zoom(), (std::array<int, 4>{0, 0, 1000, 1000}));

    graph->SetTimeCursor(true);
    graph->cursor = 500;
    graph->SetHorzRange(500, CGraphWnd::kTimeAxis); // 400..600
    graph->SetHorzRange(500, CGraphWnd::kValueAxis); // 400..600
    Key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(graph->X0(), 420);
    Key(Qt::Key_End, Qt::AltModifier);
    EXPECT_EQ(graph->X0(), 520);
    Key(Qt::Key_Up, Qt::AltModifier); // bar position 400 - 20: the window rises
    EXPECT_EQ(graph->Y1(), 620);
    EXPECT_EQ(graph->VertBar()->value(), 380);
    EXPECT_TRUE(host.messages.empty());

    // The bar's own steps: a line is a tenth, a page the width, and the
    // window keeps its width inside 0..1000.
    graph->HorzBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(graph->X0(), 500);
    graph->HorzBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    graph->HorzBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    graph->HorzBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(graph->X0(), 800);
    EXPECT_EQ(graph->X1(), 1000);
}

TEST_F(GraphWnd, ContextMenuHasTheGraphCommands)
{
    std::unique_ptr<QMenu> menu(CGraphWnd::CreateGraphMenu(nullptr, true));
    EXPECT_EQ(menu->title(), QStringLiteral("Graf"));
    const auto actions = menu->actions();
    // The absolute zooms and "Vypnout lupy", then the quantities and the
    // grid; the step zooms and the zoom selection are the tool bar's.
    std::vector<int> ids;
    for (QAction* action : actions)
        ids.push_back(action->menu() || action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(ids, (std::vector<int>{0, 0, 32180, 0, 40002, 32181, 32235}));
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Změnit vertikální lupu"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Časová lupa"));
    const auto time = actions[1]->menu()->actions();
    ASSERT_EQ(time.size(), 6);
    EXPECT_EQ(time[2]->text(), QStringLiteral("300%"));
    EXPECT_EQ(time[2]->data().toInt(), 32221);
    EXPECT_EQ(time[5]->data().toInt(), 32220);
    EXPECT_EQ(actions[0]->menu()->actions()[5]->data().toInt(), 32190);
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Vypnout lupy"));
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4]->text(), QStringLiteral("Přijímané veličiny ..."));
    EXPECT_EQ(actions[5]->text(), QStringLiteral("Zobrazené veličiny ..."));
    EXPECT_EQ(actions[6]->text(), QStringLiteral("Rastr"));

    // Without the time cursor no time zooms.
    std::unique_ptr<QMenu> live(CGraphWnd::CreateGraphMenu(nullptr, false));
    std::vector<int> liveIds;
    for (QAction* action : live->actions())
        liveIds.push_back(action->menu() || action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(liveIds, (std::vector<int>{0, 32180, 0, 40002, 32181, 32235}));

    // A chosen item reaches the view as a command.
    int chosen = 0;
    QObject::connect(graph, &CGraphWnd::ContextCommand, [&](int id) { chosen = id; });
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(300, 200), graph->mapToGlobal(QPoint(300, 200)));
    QApplication::sendEvent(graph, &e);
    auto menus = graph->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(menus.size(), 1);
    menus[0]->actions().last()->trigger();
    EXPECT_EQ(chosen, 32235);
    menus[0]->close();
}

TEST_F(GraphWnd, WindowAndImageDrawTheSameGraph)
{
    CGraphTrace trace = HourTrace(QStringLiteral("U1"), QStringLiteral("V"), 50.0, 50.0);
    graph->traces = {&trace};
    graph->SetOffline(true);
    graph->Redraw();
    const CGraphRect plot = graph->PlotRect();
    const QImage image = graph->RenderImage();
    const int y = plot.top + plot.Height() / 2 - 1;
    const int mid = (plot.left + plot.right) / 2;
    EXPECT_EQ(image.pixelColor(mid, y), QColor(255, 0, 0));
    const QImage shown = graph->grab().toImage();
    EXPECT_EQ(shown.pixelColor(mid, y), QColor(255, 0, 0));
}

TEST_F(GraphWnd, PrinterGetsTheSameDrawing)
{
    if (!pdfcheck::HaveTools())
        GTEST_SKIP() << "pdfinfo and pdftotext are not installed";
    CGraphTrace trace = HourTrace(QStringLiteral("Proud"), QStringLiteral("A"), 20.0, 80.0);
    graph->traces = {&trace};
    graph->Redraw();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("graf.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QPainter painter(&printer);
        graph->Render(painter, graph->rect());
    }
    EXPECT_EQ(pdfcheck::PageCount(pdf), 1);
    const QString text = pdfcheck::PageTexts(pdf).join(QString());
    EXPECT_TRUE(text.contains(QStringLiteral("Proud"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("[A]")));
    EXPECT_TRUE(text.contains(QStringLiteral("10:30")));
    EXPECT_TRUE(text.contains(QStringLiteral("Graf vybraných veličin")));
}
