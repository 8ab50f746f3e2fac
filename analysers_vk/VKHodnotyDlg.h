#pragma once

#include "analysers_vk/VKPagedValues.h"

#include <QColor>
#include <QFont>
#include <QRect>

#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

class QLabel;
class QTabBar;
struct CPristrojStatusTexts;

namespace analysers_vk {

// One harmonic chart of the values panel: a bar per phase for each odd
// (3 to 25) or even (2 to 24) harmonic on a logarithmic percent axis, with
// the phases' values in rows above the plot.
class CVKHarmonicChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int kOrders = 12;

    // What the chart draws at its present size: the texts where they stand
    // and the bars of the valid values.
    struct Picture {
        struct Text {
            QRect rect;
            QString text;
            QColor colour;
            int align = Qt::AlignCenter;
            QFont font;
        };
        QFont font;
        QFont titleFont;
        QRect plot; // left and bottom edges are the axes
        std::vector<Text> titles;
        std::vector<Text> texts;
        std::vector<std::pair<QRect, QColor>> bars;
        std::vector<int> ticks; // y of the percent labels
    };

    CVKHarmonicChart(const QString& title, bool odd, QWidget* parent = nullptr);
    void SetBars(const CVKValueTexts::Bars& bars);
    const CVKValueTexts::Bars& Bars() const { return m_bars; }
    // The harmonic order of column k.
    int Order(int k) const { return m_odd ? 2 * k + 3 : 2 * k + 2; }
    Picture Draw() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    bool m_odd;
    CVKValueTexts::Bars m_bars{};
};

class CVKStatusBox;

// The newest values of a VK analyser as numbers and harmonic charts. Its
// owners fill the fields; the panel itself only arranges four value groups,
// four charts and up to three tab strips by the size it is given.
class CVKHodnotyDlg : public CVKPagedValues {
    Q_OBJECT
public:
    enum { kTabCount = kStrips, kStatusBoxes = 36 };

    explicit CVKHodnotyDlg(QWidget* parent = nullptr);

    // The arrangement for a client size in dialog units (0 to 7).
    static int ChooseState(int widthDlu, int heightDlu, bool keepHeader);

    void SetValues(const CVKValueTexts& texts);
    void SetHeader(const QString& name, const QString& time);

    // The graph's shown flags and colours of its quantities (as
    // `CVKGrafAktual::GetAllQuantities` lists them): a value field's box
    // takes its quantity's colour while the graph shows it, grey otherwise.
    void SetGraphQuantities(const std::array<int, kStatusBoxes>& shown,
                            const std::array<std::uint32_t, kStatusBoxes>& colours);
    // The status box beside a value field; null for a field without one.
    QWidget* StatusBox(int fieldId) const;
    void ShowFileFields(bool show);
    void SetKeepHeader(bool keep) { m_keepHeader = keep; }

    int State() const { return m_arrangement; }
    int TabMode(int index) const { return m_modes[std::size_t(index)]; }
    QWidget* Group(int index) const { return m_groups[std::size_t(index)]; }
    CVKHarmonicChart* Chart(int index) const { return static_cast<CVKHarmonicChart*>(m_charts[std::size_t(index)]); }

private:
    void BuildGroups();
    void Layout(bool force) override;

    std::array<CVKStatusBox*, kStatusBoxes> m_statusBoxes{};
    QLabel* m_name = nullptr;
    QLabel* m_time = nullptr;
    bool m_keepHeader = false;
    bool m_fileFields = true;
};

} // namespace analysers_vk
