#pragma once

#include "analysers_vk/VKValuesBase.h"
#include "archive/store/VKDisplayValues.h"

#include <QPoint>
#include <QSize>

#include <array>

class QGridLayout;
class QLabel;
class QTabBar;

namespace analysers_vk {

// What the VK and VKT values displays share: four value groups and four
// harmonic charts ("U-harL", "U-harS", "I-harL", "I-harS"), shown side by
// side when the display is large enough, else as pages of up to three tab
// strips; and the unit captions that follow the values' multipliers.
class CVKPagedValues : public CVKValuesBase {
    Q_OBJECT
public:
    static constexpr int kStrips = 3;

    // How a display shows a group under a strip.
    struct PageLook {
        QSize groupPage;  // a group's page, dialog units
        int gap;          // pixels between the strip and the page
        bool stripInPage; // the strip and 6 pixels come off the page's height
        bool raise;       // the page is raised over the display's other widgets
    };

    QTabBar* Tab(int index) const { return m_tabs[std::size_t(index)]; }
    // Arranges the display again for its size, each strip keeping its tab.
    void ResetLayout();
    // The chosen tab of each strip; -1 for a strip not shown. A tab the
    // strip does not have is not chosen.
    void SetTabs(int tab1, int tab2, int tab3);
    void GetTabs(int& tab1, int& tab2, int& tab3) const;

    // A chart's title by its place: voltage odd, voltage even, current odd,
    // current even.
    static QString ChartTitle(int chart);

protected:
    CVKPagedValues(QSize fullestDlu, const PageLook& look, const CValuesDialogCaptionIds& captions,
                   QWidget* parent);

    // The empty grid of group `index`, hidden until a layout places it.
    QGridLayout* MakeGroup(int index);
    // A caption in a group's grid; with an id, a field that may be set.
    QLabel* AddCaption(QGridLayout* grid, const QString& text, int row, int column, int id = 0);
    // The captions over columns 1 to 4 of the voltage group and of the
    // power group, in the units of multiplier 1.
    void AddVoltageCaptions(QGridLayout* grid);
    void AddPowerCaptions(QGridLayout* grid);
    // The strips, made after the groups and charts they page.
    void MakeStrips();
    // The captions for the values' multipliers, where one changed.
    void UpdateCaptions(int voltageMultiplier, int currentMultiplier, int powerMultiplier);

    // The display's size in dialog units.
    QSize ClientDlu() const;
    // False when `arrangement` is the one shown and not `force`d; else it
    // becomes the display's, with every group, chart and strip hidden.
    bool BeginLayout(int arrangement, bool force);
    // Strip `index` at `dlu` with the pages of its `mode`: 0 the groups,
    // 1 and 2 a part of the groups or charts (see the page table).
    void PlaceStrip(int index, int mode, QPoint dlu);
    // The four charts in their 2 x 2 grid right of the groups.
    void ShowChartGrid();
    int ItemCount(int index) const;

    std::array<QWidget*, 4> m_groups{};
    std::array<QWidget*, 4> m_charts{};
    std::array<QTabBar*, kStrips> m_tabs{};
    std::array<int, kStrips> m_modes{-1, -1, -1};
    // The arrangement shown; -1 before the first.
    int m_arrangement = -1;

private:
    void ShowStripPage(int index);
    QWidget* PageOf(int index, int page) const;

    PageLook m_look;
    CValuesDialogCaptionIds m_captionIds;
    // The unit captions follow the multipliers the values are divided by.
    CValuesDialogCaptions m_captions;
};

} // namespace analysers_vk
