#include "analysers_vk/VKHodnotyDlg.h"

#include "link/Pristroj.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ProgramFonts.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTabBar>

#include <algorithm>
#include <cmath>

namespace analysers_vk {

namespace {

constexpr QSize kChartPage(268, 132);
constexpr QSize kGroupPage(166, 76);
constexpr QSize kGroupInColumn(166, 62);
// The fullest arrangement: the 2 x 2 grid of charts ends 717 units across
// and the column of groups 298 down; with the margins around them.
constexpr QSize kFullest(723, 307);

const char* const kTabCaptions[4] = {"U,I,...", "THD,...", "Výkony", "Ost."};
const char* const kChartCaptions[4] = {"U-harL", "U-harS", "I-harL", "I-harS"};
const char* const kChartTitles[4] = {"U - harmonické liché", "U - harmonické sudé", "I - harmonické liché",
                                     "I - harmonické sudé"};

// Pages of each tab strip by its mode: groups 0..3, charts 4..7.
const std::vector<int> kPages[3][3] = {
    {{0, 1, 2, 3}, {1, 2, 3}, {4, 5}},
    {{4, 5, 6, 7}, {4, 5}, {6, 7}},
    {{6, 7}, {}, {}},
};

// The value field that shows each quantity of the graph, in the order the
// graph hands its quantities over.
constexpr std::array<int, CVKHodnotyDlg::kStatusBoxes> kStatusFields = {
    1021, 1022, 1023, 1024, 1025, 1026, // U1..U3, I1..I3
    1225, 1226, 1227, 1049, 1048,       // PF1..PF3, Fr, T
    1027, 1028, 1029, 1033, 1034, 1035, // cos1..cos3, the line voltages
    1213, 1214, 1215, 1217, 1218, 1219, // P1..P3, Q1..Q3
    1221, 1222, 1223, 1038, 1039, 1040, // S1..S3, THDU1..THDU3
    1041, 1042, 1043, 1228, 1216, 1220, // THDI1..THDI3, 3PF, 3P, 3Q
    1224,                               // 3S
};

const QColor kStatusIdle(0xD2, 0xD2, 0xD2);

QString Caption(int page)
{
    return QString::fromUtf8(page < 4 ? kTabCaptions[page] : kChartCaptions[page - 4]);
}

} // namespace

CVKHarmonicChart::CVKHarmonicChart(const QString& title, bool odd, QWidget* parent)
    : QWidget(parent), m_title(title), m_odd(odd)
{
    m_bars.fill(CVKValueTexts::kNoBar);
}

void CVKHarmonicChart::SetBars(const CVKValueTexts::Bars& bars)
{
    m_bars = bars;
    update();
}

namespace {

// The font at the pixel size that makes `widest` pixels of it fit into
// `room`, never below 6 pixels.
QFont Shrunk(QFont font, int widest, int room)
{
    if (widest > room && widest > 0)
        font.setPixelSize(std::max(6, font.pixelSize() * room / widest));
    return font;
}

} // namespace

CVKHarmonicChart::Picture CVKHarmonicChart::Draw() const
{
    Picture pic;
    const QRect r = rect();
    const bool small = r.width() < 240 || r.height() < 120;
    // Heights in lines of the panel's text: the chart's lines keep that
    // proportion whatever the faces' spacing.
    const int fontHeight = QFontMetrics(font()).height();
    pic.font = ui::FontOfLineHeight(QFont(QStringLiteral("Times New Roman")),
                                    std::max(6, static_cast<int>(fontHeight * (small ? 1.0 : 1.3))));
    QFont bold(QStringLiteral("Times New Roman"));
    bold.setBold(true);
    pic.titleFont = ui::FontOfLineHeight(bold, std::max(7, static_cast<int>(fontHeight * (small ? 1.2 : 1.6))));
    const int titleH = QFontMetrics(pic.titleFont).height();
    pic.titles.push_back({QRect(0, 2, r.width(), titleH), m_title, Qt::black, Qt::AlignHCenter, pic.titleFont});

    const QColor phase[3] = {QColor(0xC0, 0x40, 0x00), QColor(0x00, 0x80, 0x00), QColor(0x00, 0x40, 0xC0)};
    static const int kLabels[6] = {40, 20, 10, 4, 2, 1};
    const QString unit = QStringLiteral("[%]");
    const QString axis = QStringLiteral("harm.");
    // The left margin holds the phase names, the percent labels with their
    // unit above them and the axis caption beside the orders.
    const QFontMetrics fm(pic.font);
    int left = 0;
    for (const QString& t : {unit, axis, QStringLiteral("L3"), QStringLiteral("40")})
        left = std::max(left, fm.horizontalAdvance(t));
    left += 6;
    const int right = r.width() - 6;
    const int slot = std::max(3, (right - left) / kOrders);

    // The values and orders each keep to their own column: a font small
    // enough for the widest of them.
    QStringList values;
    int widest = 0;
    for (int k = 0; k < kOrders; ++k) {
        widest = std::max(widest, fm.horizontalAdvance(QString::asprintf("%d.", Order(k))));
        for (int p = 0; p < 3; ++p) {
            const float value = m_bars[static_cast<std::size_t>(p * kOrders + k)];
            values << (value >= 0 ? QString::asprintf("%-1.1f", double(value)) : QStringLiteral("--"));
            widest = std::max(widest, fm.horizontalAdvance(values.back()));
        }
    }
    const QFont cellFont = Shrunk(pic.font, widest, slot - 2);
    // A pixel between rows: the laid-out text may reach a pixel past the
    // font's height.
    const int line = QFontMetrics(cellFont).height() + 1;

    // Rows of values per phase between the title and the plot, the unit
    // under them, the orders under the plot.
    const int rows = titleH + 4;
    // The percent labels keep the chart's font in a low chart too: those
    // that would run into their neighbours are left out below.
    const QFont tickFont = pic.font;
    const int tickLine = fm.height() + 1;
    const int bottom = r.height() - line - 4;
    const int top = rows + 3 * line + tickLine + tickLine / 2 + 1;
    const double lo = std::log10(0.5), hi = std::log10(50.0);
    pic.plot = QRect(QPoint(left, top), QPoint(right, bottom));
    if (bottom <= top || right <= left)
        return pic;
    // Logarithmic axis from 0.5 to 50 %.
    auto yOf = [&](double percent) {
        const double v = std::clamp(std::log10(std::max(percent, 0.5)), lo, hi);
        return bottom - static_cast<int>((v - lo) / (hi - lo) * (bottom - top));
    };
    // A label that would run into the one above it is left out.
    int above = yOf(kLabels[0]) - tickLine / 2;
    pic.texts.push_back({QRect(0, above - tickLine - 1, left - 4, tickLine), unit, Qt::black,
                         Qt::AlignRight | Qt::AlignVCenter, tickFont});
    int lastBottom = above - 1;
    for (int label : kLabels) {
        const int y = yOf(label);
        pic.ticks.push_back(y);
        const QRect box(0, y - tickLine / 2, left - 4, tickLine);
        if (box.top() <= lastBottom)
            continue;
        lastBottom = box.bottom();
        pic.texts.push_back({box, QString::number(label), Qt::black, Qt::AlignRight | Qt::AlignVCenter, tickFont});
    }
    pic.texts.push_back({QRect(0, bottom + 1, left - 4, line), axis, Qt::black, Qt::AlignRight, cellFont});
    for (int p = 0; p < 3; ++p)
        pic.texts.push_back(
            {QRect(2, rows + p * line, left - 4, line), QStringLiteral("L%1").arg(p + 1), phase[p], Qt::AlignLeft, cellFont});
    const int w = std::max(1, slot / 4);
    for (int k = 0; k < kOrders; ++k) {
        const int x0 = left + k * slot;
        pic.texts.push_back(
            {QRect(x0, bottom + 1, slot, line), QString::asprintf("%d.", Order(k)), Qt::black, Qt::AlignCenter, cellFont});
        for (int p = 0; p < 3; ++p) {
            const float value = m_bars[static_cast<std::size_t>(p * kOrders + k)];
            pic.texts.push_back({QRect(x0, rows + p * line, slot, line), values[k * 3 + p], phase[p], Qt::AlignCenter,
                                 cellFont});
            if (value < 0)
                continue;
            const int y = yOf(value);
            pic.bars.push_back({QRect(x0 + 1 + p * w, y, w, bottom - y), phase[p]});
        }
    }
    return pic;
}

void CVKHarmonicChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    const Picture pic = Draw();
    for (const Picture::Text& t : pic.titles) {
        painter.setFont(t.font);
        painter.drawText(t.rect, t.align, t.text);
    }
    if (pic.plot.width() <= 0 || pic.plot.height() <= 0)
        return;
    painter.drawLine(pic.plot.topLeft(), pic.plot.bottomLeft());
    painter.drawLine(pic.plot.bottomLeft(), pic.plot.bottomRight());
    for (int y : pic.ticks)
        painter.drawLine(pic.plot.left() - 3, y, pic.plot.left(), y);
    for (const auto& [bar, colour] : pic.bars)
        painter.fillRect(bar, colour);
    for (const Picture::Text& t : pic.texts) {
        painter.setFont(t.font);
        painter.setPen(t.colour);
        painter.drawText(t.rect, t.align, t.text);
    }
}

// A field's status box: its quantity's colour while the graph shows it.
class CVKStatusBox : public QWidget {
public:
    using QWidget::QWidget;
    void SetColour(const QColor& colour)
    {
        if (colour != m_colour) {
            m_colour = colour;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_colour);
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_colour = kStatusIdle;
};

CVKHodnotyDlg::CVKHodnotyDlg(QWidget* parent) : CVKValuesBase(kFullest, parent)
{
    setAutoFillBackground(true);
    MakeHeader(m_name, m_time);
    BuildGroups();
    for (int c = 0; c < 4; ++c)
        m_charts[c] = new CVKHarmonicChart(QString::fromUtf8(kChartTitles[c]), c % 2 == 0, this);
    for (int t = 0; t < kTabCount; ++t) {
        m_tabs[t] = new QTabBar(this);
        m_tabs[t]->setDrawBase(true);
        m_tabs[t]->hide();
        connect(m_tabs[t], &QTabBar::currentChanged, this, [this, t] { ShowTabPage(t); });
    }
}

void CVKHodnotyDlg::BuildGroups()
{
    const QSize boxSize = Dlu(0, 0, 4, 6).size();
    auto field = [this, boxSize](QGridLayout* grid, int id, int row, int column) {
        auto* label = new QLabel(QStringLiteral("--"));
        label->setFrameShape(QFrame::StyledPanel);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        RegisterField(id, label);
        const auto at = std::find(kStatusFields.begin(), kStatusFields.end(), id);
        if (at == kStatusFields.end()) {
            grid->addWidget(label, row, column);
            return;
        }
        auto* box = new CVKStatusBox;
        box->setFixedSize(boxSize);
        m_statusBoxes[std::size_t(at - kStatusFields.begin())] = box;
        auto* pair = new QHBoxLayout;
        pair->setSpacing(1);
        pair->addWidget(label, 1);
        pair->addWidget(box, 0, Qt::AlignVCenter);
        grid->addLayout(pair, row, column);
    };
    auto header = [this](QGridLayout* grid, const QString& text, int row, int column, int id = 0) {
        auto* label = new QLabel(text);
        grid->addWidget(label, row, column, Qt::AlignCenter);
        if (id)
            RegisterField(id, label);
    };
    auto group = [this](int index) {
        m_groups[index] = new QWidget(this);
        auto* grid = new QGridLayout(m_groups[index]);
        grid->setContentsMargins(2, 2, 2, 2);
        grid->setSpacing(2);
        return grid;
    };
    const QStringList phases = {QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3")};

    QGridLayout* g1 = group(0);
    const CValuesDialogCaptionIds& captions = kVKValuesDialogCaptionIds;
    header(g1, CValuesDialogCaptions::VoltageCaption(false, 1), 0, 1, captions.phaseVoltage);
    header(g1, CValuesDialogCaptions::VoltageCaption(true, 1), 0, 2, captions.lineVoltage);
    header(g1, CValuesDialogCaptions::CurrentCaption(1), 0, 3, captions.current);
    header(g1, QStringLiteral("cos"), 0, 4);
    const int ids1[4] = {1021, 1033, 1024, 1027};
    for (int p = 0; p < 3; ++p) {
        header(g1, phases[p], p + 1, 0);
        for (int c = 0; c < 4; ++c)
            field(g1, ids1[c] + p, p + 1, c + 1);
    }

    QGridLayout* g2 = group(1);
    header(g2, QStringLiteral("THDU[%]"), 0, 1);
    header(g2, QStringLiteral("THDI[%]"), 0, 2);
    for (int p = 0; p < 3; ++p) {
        header(g2, phases[p], p + 1, 0);
        field(g2, 1038 + p, p + 1, 1);
        field(g2, 1041 + p, p + 1, 2);
    }
    header(g2, QStringLiteral("Fr [Hz]:"), 0, 3);
    field(g2, 1049, 1, 3);
    header(g2, QStringLiteral("t [C]:"), 2, 3);
    field(g2, 1048, 3, 3);

    QGridLayout* g3 = group(2);
    const int powerCaptions[3] = {captions.power, captions.reactive, captions.apparent};
    for (int kind = 0; kind < 3; ++kind)
        header(g3, CValuesDialogCaptions::PowerCaption(kind, 1), 0, kind + 1, powerCaptions[kind]);
    header(g3, QStringLiteral("PF"), 0, 4);
    const int ids3[4] = {1213, 1217, 1221, 1225};
    for (int p = 0; p < 4; ++p) {
        header(g3, p < 3 ? phases[p] : QStringLiteral("3F"), p + 1, 0);
        for (int c = 0; c < 4; ++c)
            field(g3, ids3[c] + p, p + 1, c + 1);
    }

    QGridLayout* g4 = group(3);
    const QStringList c4 = {QStringLiteral("Záznam od:"), QStringLiteral("do:"), QStringLiteral("Soubor:")};
    for (int r = 0; r < 3; ++r) {
        header(g4, c4[r], r, 0);
        field(g4, 1044 + r, r, 1);
    }
    for (QWidget* g : m_groups)
        g->hide();
}

void CVKHodnotyDlg::SetGraphQuantities(const std::array<int, kStatusBoxes>& shown,
                                       const std::array<std::uint32_t, kStatusBoxes>& colours)
{
    for (std::size_t k = 0; k < m_statusBoxes.size(); ++k) {
        const std::uint32_t c = colours[k];
        m_statusBoxes[k]->SetColour(shown[k] ? QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF))
                                             : kStatusIdle);
    }
}

QWidget* CVKHodnotyDlg::StatusBox(int fieldId) const
{
    const auto at = std::find(kStatusFields.begin(), kStatusFields.end(), fieldId);
    return at == kStatusFields.end() ? nullptr : m_statusBoxes[std::size_t(at - kStatusFields.begin())];
}

int CVKHodnotyDlg::ChooseState(int w, int h, bool keepHeader)
{
    if (w >= kFullest.width() && h >= kFullest.height())
        return 0;
    if (w >= 450 && h >= 307)
        return 1;
    if (w >= 731 && h > 176)
        return 2;
    if (w >= 450 && h >= 177)
        return 3;
    if (h > 306)
        return 4;
    if (h >= 177)
        return 5;
    if (h > 112 || keepHeader)
        return 6;
    return 7;
}

void CVKHodnotyDlg::SetValues(const CVKValueTexts& t)
{
    if (t.hasValues)
        for (const CValuesDialogCaption& caption :
             m_captions.Update(t.voltageMultiplier, t.currentMultiplier, t.powerMultiplier))
            SetField(caption.control, caption.text);
    for (int p = 0; p < 3; ++p) {
        SetField(1021 + p, t.u[p]);
        SetField(1033 + p, t.uLine[p]);
        SetField(1024 + p, t.i[p]);
        SetField(1027 + p, t.cosPhi[p]);
        SetField(1038 + p, t.thdU[p]);
        SetField(1041 + p, t.thdI[p]);
        SetField(1213 + p, t.p[p]);
        SetField(1217 + p, t.q[p]);
        SetField(1221 + p, t.s[p]);
        SetField(1225 + p, t.pf[p]);
    }
    SetField(1049, t.frequency);
    SetField(1048, t.temperature);
    SetField(1216, t.p3);
    SetField(1220, t.q3);
    SetField(1224, t.s3);
    SetField(1228, t.pf3);
    m_charts[0]->SetBars(t.voltageOdd);
    m_charts[1]->SetBars(t.voltageEven);
    m_charts[2]->SetBars(t.currentOdd);
    m_charts[3]->SetBars(t.currentEven);
}

void CVKHodnotyDlg::SetHeader(const QString& name, const QString& time)
{
    m_name->setText(name);
    m_time->setText(time);
}

void CVKHodnotyDlg::ShowFileFields(bool show)
{
    m_fileFields = show;
    m_name->setVisible(show && m_state != 7);
    m_time->setVisible(show && m_state != 7);
}

void CVKHodnotyDlg::ResetLayout()
{
    int t1 = -1, t2 = -1, t3 = -1;
    GetTabs(t1, t2, t3);
    m_state = -1;
    Layout(true);
    SetTabs(t1, t2, t3);
}

QWidget* CVKHodnotyDlg::PageOf(int tab, int mode, int page) const
{
    if (mode < 0)
        return nullptr;
    const std::vector<int>& pages = kPages[tab][mode];
    if (page < 0 || page >= static_cast<int>(pages.size()))
        return nullptr;
    const int item = pages[static_cast<std::size_t>(page)];
    return item < 4 ? m_groups[static_cast<std::size_t>(item)] : m_charts[static_cast<std::size_t>(item - 4)];
}

void CVKHodnotyDlg::PlaceTab(int index, int mode, QPoint dlu)
{
    QTabBar* bar = m_tabs[index];
    m_modes[index] = mode;
    QStringList captions;
    for (int item : kPages[index][mode])
        captions << Caption(item);
    const bool charts = kPages[index][mode].front() >= 4;
    FillStrip(bar, captions, QRect(dlu, charts ? kChartPage : kGroupPage));
    ShowTabPage(index);
}

void CVKHodnotyDlg::ShowTabPage(int index)
{
    const int mode = m_modes[index];
    QTabBar* bar = m_tabs[index];
    if (mode < 0 || bar->isHidden())
        return;
    const bool charts = kPages[index][mode].front() >= 4;
    const QSize page = charts ? kChartPage : kGroupPage;
    ShowCurrentPage(bar, 4, ui::DluToPixelsY(page.height(), font()) - bar->height() - 6,
                    [this, index, mode](int p) { return PageOf(index, mode, p); }, false);
}

void CVKHodnotyDlg::Layout(bool force)
{
    const int w = ui::PixelsToDluX(width(), font());
    const int h = ui::PixelsToDluY(height(), font());
    const int state = ChooseState(w, h, m_keepHeader);
    if (state == m_state && !force)
        return;
    m_state = state;
    for (QWidget* g : m_groups)
        g->hide();
    for (QWidget* c : m_charts)
        c->hide();
    for (int t = 0; t < kTabCount; ++t) {
        m_tabs[t]->hide();
        m_modes[t] = -1;
    }
    const bool header = state != 7 && m_fileFields;
    m_name->setVisible(header);
    m_time->setVisible(header);
    if (state != 7) {
        m_name->setGeometry(Dlu(5, 5, 70, 12));
        m_time->setGeometry(Dlu(76, 5, 89, 12));
    }
    auto column = [this](const int (&ys)[4]) {
        for (int g = 0; g < 4; ++g) {
            m_groups[g]->setGeometry(Dlu(5, ys[g], kGroupInColumn.width(), kGroupInColumn.height()));
            m_groups[g]->show();
        }
    };
    auto firstGroup = [this] {
        m_groups[0]->setGeometry(Dlu(5, 22, kGroupInColumn.width(), kGroupInColumn.height()));
        m_groups[0]->show();
    };
    switch (state) {
    case 0: {
        column({22, 91, 162, 236});
        const QRect charts[4] = {Dlu(176, 22, 268, 132), Dlu(176, 161, 268, 132), Dlu(449, 22, 268, 132),
                                 Dlu(449, 161, 268, 132)};
        for (int c = 0; c < 4; ++c) {
            m_charts[c]->setGeometry(charts[c]);
            m_charts[c]->show();
        }
        break;
    }
    case 1:
        column({22, 91, 162, 236});
        PlaceTab(0, 2, {181, 7});
        PlaceTab(1, 2, {181, 156});
        break;
    case 2:
        firstGroup();
        PlaceTab(0, 1, {5, 85});
        PlaceTab(1, 1, {181, 22});
        PlaceTab(2, 0, {459, 22});
        break;
    case 3:
        firstGroup();
        PlaceTab(0, 1, {5, 85});
        PlaceTab(1, 0, {181, 22});
        break;
    case 4: column({22, 93, 164, 235}); break;
    case 5:
        firstGroup();
        PlaceTab(0, 1, {5, 85});
        break;
    case 6: PlaceTab(0, 0, {5, 22}); break;
    default: PlaceTab(0, 0, {5, 5}); break;
    }
}

void CVKHodnotyDlg::SetTabs(int tab1, int tab2, int tab3)
{
    const int wanted[kTabCount] = {tab1, tab2, tab3};
    for (int t = 0; t < kTabCount; ++t) {
        const int mode = m_modes[t];
        if (mode < 0 || wanted[t] < 0)
            continue;
        if (wanted[t] < static_cast<int>(kPages[t][mode].size()))
            m_tabs[t]->setCurrentIndex(wanted[t]);
    }
}

void CVKHodnotyDlg::GetTabs(int& tab1, int& tab2, int& tab3) const
{
    int out[kTabCount];
    for (int t = 0; t < kTabCount; ++t) {
        const int mode = m_modes[t];
        if (mode < 0) {
            out[t] = -1;
            continue;
        }
        const int last = static_cast<int>(kPages[t][mode].size()) - 1;
        out[t] = std::clamp(m_tabs[t]->currentIndex(), 0, std::max(0, last));
    }
    tab1 = out[0];
    tab2 = out[1];
    tab3 = out[2];
}

} // namespace analysers_vk
