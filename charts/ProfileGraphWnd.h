#pragma once

#include "charts/GraphWnd.h"
#include "model/ScaleCategories.h"

#include <QString>

#include <array>
#include <cstdint>

class CProfileData;
class QPrinter;

// The graph of a downloaded current profile: one trace per shown quantity
// over the profile day, value axes by quantity group, the cursor minute as a
// marker. Which quantities are shown and in which colours is kept per
// instrument (or, without an instrument key, in the family's general
// settings) and changed through the values dialog beside it.
class CProfileGraphWnd : public CGraphWnd {
    Q_OBJECT
public:
    static constexpr int kMaxQuantities = 23;
    // The instrument settings stored in the profile (the document's command).
    static constexpr int kCmdInstrumentSettings = 32136;

    struct Group {
        int group;    // 0 U, 1 I, 2 PF, 3 P/Q/S
        int category; // scale category of the instrument type
    };
    // The axis group of a quantity index.
    static Group GroupOf(int index);
    static std::uint32_t DefaultColour(int index);

    explicit CProfileGraphWnd(QWidget* parent = nullptr);
    ~CProfileGraphWnd() override;

    // Binds the profile (not owned; null lets go), loads the display
    // settings of its instrument and lays the window out.
    void SetData(CProfileData* data);
    CProfileData* Data() const { return m_data; }
    void LoadSettings();

    void SetTraceStyle(int index, int shown, std::uint32_t colour);
    // 0 without data; `fromTrace` 1 with the colour of a shown trace, else
    // the index's default colour.
    int GetTraceColour(int index, int& fromTrace, std::uint32_t& colour) const;
    void GetTraceColours(std::array<std::uint32_t, kMaxQuantities>& colours,
                         std::array<int, kMaxQuantities>& shown) const;
    void SetTraceStyles(const std::array<int, kMaxQuantities>& shown,
                        const std::array<std::uint32_t, kMaxQuantities>& colours);
    int IsShown(int index) const { return index >= 0 && index < kMaxQuantities ? m_shown[std::size_t(index)] : 0; }
    int CurrentGroup() const { return m_currentGroup; }
    const CScaleCategories& Scales() const { return m_scales; }

    // The visible part of the day on paper: heading, legend and the graph.
    // `printer` null asks for one. False when nothing was printed.
    bool Print(QPrinter* printer, const QString& frameTitle);

    int CursorPos(int width) { return GetCursorPos(width); }

protected:
    void CreateFonts() override;
    void OnCursorMoved(float perMille) override;
    int GetCursorPos(int width) override;
    void Draw(QPainter& painter, const QRect& client) override;
    void PrepareContextMenu(QMenu& menu) override;

private:
    // Axes, time axis, traces and cursor inside `plot`; `screen` draws the
    // cursor and lets the current group's axis lie on top with the grid.
    void DrawContent(QPainter& p, CGraphRect plot, int gridRight, const QFont* label, const QFont* title, int x0,
                     int x1, bool screen);
    // The value axis of a quantity: the screen's four groups, or on paper
    // the powers split by unit (P, Q, S).
    struct Axis {
        int id = -1;
        QString name;
        QString unit;
    };
    Axis AxisOf(int index, bool screen) const;
    QString UnitOf(int group) const;
    QString TraceNameOf(int group) const;
    void RangeOf(int index, float& minimum, float& maximum) const;

    CProfileData* m_data = nullptr;
    std::array<int, kMaxQuantities> m_shown{};
    int m_reserved = 0;
    int m_currentGroup = 0;
    CScaleCategories m_scales;
    QRect m_inner;
    CGraphRect m_layoutPlot{};
};
