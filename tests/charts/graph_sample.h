#pragma once

// A plain graph on the graph window base, as the family graphs lay one out:
// one value axis per trace at the left, the time axis under the plot, the
// title when live, the traces and the time marker. Used by the tests, the
// screens tool and the paint benchmark.
#include "charts/GraphPainter.h"
#include "charts/GraphWnd.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>

#include <array>
#include <memory>
#include <vector>

class CSampleGraphWnd : public CGraphWnd {
public:
    using CGraphWnd::CGraphWnd;

    std::vector<const CGraphTrace*> traces;
    int cursor = -1; // per mille of the span; -1: no marker
    bool busy = false;
    std::array<CSwitchRows, 3> stages{};
    int stageSpan = 0;
    int lastSegments = 0;
    float lastCursorMoved = -1;

protected:
    void CreateFonts() override
    {
        const int h = std::max(200, height());
        auto label = std::make_unique<QFont>(QStringLiteral("DejaVu Sans"));
        label->setPixelSize(std::max(9, h / 50));
        auto title = std::make_unique<QFont>(*label);
        title->setBold(true);
        SetFonts(std::move(label), std::move(title));
        const int axisWidth = 12 * QFontMetrics(*LabelFont()).averageCharWidth();
        const int left = 10 + axisWidth * int(std::max<std::size_t>(traces.size(), 1));
        const int bottomSpace = HorzBar()->isHidden() && X1() - X0() == 1000 ? 0 : 18;
        const bool stagePanel = stageSpan > 0;
        const int plotBottom = height() - 3 * std::max(9, h / 50) - bottomSpace - (stagePanel ? height() / 4 : 0);
        SetPlotRect({left, 3 * std::max(9, h / 50), width() - 30, plotBottom});
        const CGraphRect plot = PlotRect();
        if (X1() - X0() != 1000) {
            HorzBar()->setGeometry(plot.left, height() - 18, plot.Width(), 18);
            HorzBar()->show();
        } else {
            HorzBar()->hide();
        }
        if (Y1() - Y0() != 1000) {
            VertBar()->setGeometry(width() - 18, plot.top, 18, plot.Height());
            VertBar()->show();
        } else {
            VertBar()->hide();
        }
    }

    void OnCursorMoved(float perMille) override
    {
        lastCursorMoved = perMille;
        cursor = int(perMille + 0.5f);
    }
    int GetCursorPos(int width) override { return cursor < 0 ? 0 : cursor * width / 1000; }

    void Draw(QPainter& p, const QRect& client) override
    {
        if (!LabelFont())
            CreateFonts();
        CGraphPainter painter(&p, LabelFont(), TitleFont());
        const CGraphRect plot = PlotRect();
        int x = 4;
        std::vector<std::uint32_t> edges;
        std::vector<std::uint32_t> values;
        for (std::size_t i = 0; i < traces.size(); ++i) {
            CGraphRect axis{x, plot.top, x, plot.bottom};
            if (traces[i]->Name() == QStringLiteral("Cos"))
                painter.DrawPowerFactorAxis(*traces[i], axis, Grid(), plot.right + 5 * painter.AverageCharWidth(),
                                            Y0(), Y1());
            else
                painter.DrawValueAxis(*traces[i], axis, Grid(), plot.right + 5 * painter.AverageCharWidth(), Y0(),
                                      Y1(), 1.0f);
            edges.push_back(std::uint32_t(axis.right));
            values.push_back(std::uint32_t(i));
            x = axis.right + 2 * painter.AverageCharWidth();
        }
        SetColumns(edges, values);
        p.drawRect(plot.left, plot.top, plot.Width(), plot.Height());
        if (!traces.empty()) {
            CGraphRect axis{plot.left, plot.top, plot.right + 5 * painter.AverageCharWidth(), plot.bottom};
            painter.DrawTimeAxis(*traces.front(), axis, Grid(), X0(), X1());
        }
        if (stageSpan > 0) {
            const CGraphRect panel{plot.left, plot.bottom + 3 * painter.TextHeight() / 2, plot.right,
                                   client.bottom() - 20};
            painter.DrawStageBars(stages, panel, stageSpan, X0(), X1(), false);
        }
        if (!Offline())
            painter.DrawTitle(CGraphRect::FromQRect(client), plot);
        if (busy)
            painter.DrawBusyNotice(plot.left, plot.top, plot.right, plot.bottom);
        painter.SetViewport(plot.left, plot.top, plot.right, plot.bottom, X0(), Y0(), X1(), Y1());
        lastSegments = 0;
        for (const CGraphTrace* trace : traces) {
            painter.DrawTrace(*trace, X0(), Y0(), X1(), Y1());
            lastSegments = std::max(lastSegments, painter.LastSegmentCount());
        }
        if (cursor >= 0)
            painter.DrawMarkerLine(cursor * 30, X1() - X0());
    }
};
