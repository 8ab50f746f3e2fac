#include "analysers_vk/VKPagedValues.h"

#include "platform/ui/DialogUnits.h"

#include <QGridLayout>
#include <QLabel>
#include <QTabBar>

#include <algorithm>
#include <vector>

namespace analysers_vk {

namespace {

constexpr QSize kChartPage(268, 132);

const char* const kGroupCaptions[4] = {"U,I,...", "THD,...", "Výkony", "Ost."};
const char* const kChartCaptions[4] = {"U-harL", "U-harS", "I-harL", "I-harS"};
const char* const kChartTitles[4] = {"U - harmonické liché", "U - harmonické sudé", "I - harmonické liché",
                                     "I - harmonické sudé"};

// Pages of each strip by its mode: groups 0..3, charts 4..7.
const std::vector<int> kPages[3][3] = {
    {{0, 1, 2, 3}, {1, 2, 3}, {4, 5}},
    {{4, 5, 6, 7}, {4, 5}, {6, 7}},
    {{6, 7}, {}, {}},
};

QString PageCaption(int item)
{
    return QString::fromUtf8(item < 4 ? kGroupCaptions[item] : kChartCaptions[item - 4]);
}

} // namespace

CVKPagedValues::CVKPagedValues(QSize fullestDlu, const PageLook& look, const CValuesDialogCaptionIds& captions,
                               QWidget* parent)
    : CVKValuesBase(fullestDlu, parent), m_look(look), m_captionIds(captions), m_captions(captions)
{
    setAutoFillBackground(true);
}

QString CVKPagedValues::ChartTitle(int chart)
{
    return QString::fromUtf8(kChartTitles[chart]);
}

QGridLayout* CVKPagedValues::MakeGroup(int index)
{
    m_groups[std::size_t(index)] = new QWidget(this);
    auto* grid = new QGridLayout(m_groups[std::size_t(index)]);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);
    return grid;
}

QLabel* CVKPagedValues::AddCaption(QGridLayout* grid, const QString& text, int row, int column, int id)
{
    auto* label = new QLabel(text);
    grid->addWidget(label, row, column, Qt::AlignCenter);
    if (id)
        RegisterField(id, label);
    return label;
}

void CVKPagedValues::AddVoltageCaptions(QGridLayout* grid)
{
    AddCaption(grid, CValuesDialogCaptions::VoltageCaption(false, 1), 0, 1, m_captionIds.phaseVoltage);
    AddCaption(grid, CValuesDialogCaptions::VoltageCaption(true, 1), 0, 2, m_captionIds.lineVoltage);
    AddCaption(grid, CValuesDialogCaptions::CurrentCaption(1), 0, 3, m_captionIds.current);
    AddCaption(grid, QStringLiteral("cos"), 0, 4);
}

void CVKPagedValues::AddPowerCaptions(QGridLayout* grid)
{
    const int ids[3] = {m_captionIds.power, m_captionIds.reactive, m_captionIds.apparent};
    for (int kind = 0; kind < 3; ++kind)
        AddCaption(grid, CValuesDialogCaptions::PowerCaption(kind, 1), 0, kind + 1, ids[kind]);
    AddCaption(grid, QStringLiteral("PF"), 0, 4);
}

void CVKPagedValues::MakeStrips()
{
    for (int t = 0; t < kStrips; ++t) {
        QTabBar* bar = new QTabBar(this);
        m_tabs[std::size_t(t)] = bar;
        bar->setDrawBase(true);
        bar->hide();
        connect(bar, &QTabBar::currentChanged, this, [this, t] { ShowStripPage(t); });
    }
}

void CVKPagedValues::UpdateCaptions(int voltageMultiplier, int currentMultiplier, int powerMultiplier)
{
    for (const CValuesDialogCaption& caption : m_captions.Update(voltageMultiplier, currentMultiplier, powerMultiplier))
        SetField(caption.control, caption.text);
}

QSize CVKPagedValues::ClientDlu() const
{
    return QSize(ui::PixelsToDluX(width(), font()), ui::PixelsToDluY(height(), font()));
}

bool CVKPagedValues::BeginLayout(int arrangement, bool force)
{
    if (arrangement == m_arrangement && !force)
        return false;
    m_arrangement = arrangement;
    for (QWidget* g : m_groups)
        g->hide();
    for (QWidget* c : m_charts)
        c->hide();
    for (int t = 0; t < kStrips; ++t) {
        m_tabs[std::size_t(t)]->hide();
        m_modes[std::size_t(t)] = -1;
    }
    return true;
}

void CVKPagedValues::ShowChartGrid()
{
    const int w = kChartPage.width(), h = kChartPage.height();
    const QRect charts[4] = {Dlu(176, 22, w, h), Dlu(176, 161, w, h), Dlu(449, 22, w, h), Dlu(449, 161, w, h)};
    for (std::size_t c = 0; c < 4; ++c) {
        m_charts[c]->setGeometry(charts[c]);
        m_charts[c]->show();
    }
}

void CVKPagedValues::ResetLayout()
{
    int t1 = -1, t2 = -1, t3 = -1;
    GetTabs(t1, t2, t3);
    m_arrangement = -1;
    Layout(true);
    SetTabs(t1, t2, t3);
}

int CVKPagedValues::ItemCount(int index) const
{
    const int mode = m_modes[std::size_t(index)];
    return mode < 0 ? 0 : int(kPages[index][mode].size());
}

QWidget* CVKPagedValues::PageOf(int index, int page) const
{
    if (page < 0 || page >= ItemCount(index))
        return nullptr;
    const int item = kPages[index][m_modes[std::size_t(index)]][std::size_t(page)];
    return item < 4 ? m_groups[std::size_t(item)] : m_charts[std::size_t(item - 4)];
}

void CVKPagedValues::PlaceStrip(int index, int mode, QPoint dlu)
{
    QTabBar* bar = m_tabs[std::size_t(index)];
    m_modes[std::size_t(index)] = mode;
    QStringList captions;
    for (int item : kPages[index][mode])
        captions << PageCaption(item);
    const bool charts = kPages[index][mode].front() >= 4;
    FillStrip(bar, captions, QRect(dlu, charts ? kChartPage : m_look.groupPage));
    ShowStripPage(index);
}

void CVKPagedValues::ShowStripPage(int index)
{
    const int mode = m_modes[std::size_t(index)];
    QTabBar* bar = m_tabs[std::size_t(index)];
    if (mode < 0 || bar->isHidden())
        return;
    const bool charts = kPages[index][mode].front() >= 4;
    const QSize page = charts ? kChartPage : m_look.groupPage;
    int height = ui::DluToPixelsY(page.height(), font());
    if (m_look.stripInPage)
        height -= bar->height() + 6;
    ShowCurrentPage(bar, m_look.gap, height, [this, index](int p) { return PageOf(index, p); }, m_look.raise);
}

void CVKPagedValues::SetTabs(int tab1, int tab2, int tab3)
{
    const int wanted[kStrips] = {tab1, tab2, tab3};
    for (int t = 0; t < kStrips; ++t)
        if (wanted[t] >= 0 && wanted[t] < ItemCount(t))
            m_tabs[std::size_t(t)]->setCurrentIndex(wanted[t]);
}

void CVKPagedValues::GetTabs(int& tab1, int& tab2, int& tab3) const
{
    int out[kStrips];
    for (int t = 0; t < kStrips; ++t) {
        const int count = ItemCount(t);
        out[t] = count == 0 ? -1 : std::clamp(m_tabs[std::size_t(t)]->currentIndex(), 0, count - 1);
    }
    tab1 = out[0];
    tab2 = out[1];
    tab3 = out[2];
}

} // namespace analysers_vk
