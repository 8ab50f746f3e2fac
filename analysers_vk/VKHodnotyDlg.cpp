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

constexpr QSize kGroupInColumn(166, 62);
// The fullest arrangement: the 2 x 2 grid of charts ends 717 units across
// and the column of groups 298 down; with the margins around them.
constexpr QSize kFullest(723, 307);
// A group's page includes its strip.
constexpr CVKPagedValues::PageLook kLook{QSize(166, 76), 4, true, false};

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

CVKHodnotyDlg::CVKHodnotyDlg(QWidget* parent) : CVKPagedValues(kFullest, kLook, kVKValuesDialogCaptionIds, parent)
{
    MakeHeader(m_name, m_time);
    BuildGroups();
    for (std::size_t c = 0; c < 4; ++c)
        m_charts[c] = new CVKHarmonicChart(ChartTitle(int(c)), c % 2 == 0, this);
    MakeStrips();
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
    const QStringList phases = {QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3")};

    QGridLayout* g1 = MakeGroup(0);
    AddVoltageCaptions(g1);
    const int ids1[4] = {1021, 1033, 1024, 1027};
    for (int p = 0; p < 3; ++p) {
        AddCaption(g1, phases[p], p + 1, 0);
        for (int c = 0; c < 4; ++c)
            field(g1, ids1[c] + p, p + 1, c + 1);
    }

    QGridLayout* g2 = MakeGroup(1);
    AddCaption(g2, QStringLiteral("THDU[%]"), 0, 1);
    AddCaption(g2, QStringLiteral("THDI[%]"), 0, 2);
    for (int p = 0; p < 3; ++p) {
        AddCaption(g2, phases[p], p + 1, 0);
        field(g2, 1038 + p, p + 1, 1);
        field(g2, 1041 + p, p + 1, 2);
    }
    AddCaption(g2, QStringLiteral("Fr [Hz]:"), 0, 3);
    field(g2, 1049, 1, 3);
    AddCaption(g2, QStringLiteral("t [C]:"), 2, 3);
    field(g2, 1048, 3, 3);

    QGridLayout* g3 = MakeGroup(2);
    AddPowerCaptions(g3);
    const int ids3[4] = {1213, 1217, 1221, 1225};
    for (int p = 0; p < 4; ++p) {
        AddCaption(g3, p < 3 ? phases[p] : QStringLiteral("3F"), p + 1, 0);
        for (int c = 0; c < 4; ++c)
            field(g3, ids3[c] + p, p + 1, c + 1);
    }

    QGridLayout* g4 = MakeGroup(3);
    const QStringList c4 = {QStringLiteral("Záznam od:"), QStringLiteral("do:"), QStringLiteral("Soubor:")};
    for (int r = 0; r < 3; ++r) {
        AddCaption(g4, c4[r], r, 0);
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
        UpdateCaptions(t.voltageMultiplier, t.currentMultiplier, t.powerMultiplier);
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
    Chart(0)->SetBars(t.voltageOdd);
    Chart(1)->SetBars(t.voltageEven);
    Chart(2)->SetBars(t.currentOdd);
    Chart(3)->SetBars(t.currentEven);
}

void CVKHodnotyDlg::SetHeader(const QString& name, const QString& time)
{
    m_name->setText(name);
    m_time->setText(time);
}

void CVKHodnotyDlg::ShowFileFields(bool show)
{
    m_fileFields = show;
    m_name->setVisible(show && m_arrangement != 7);
    m_time->setVisible(show && m_arrangement != 7);
}

void CVKHodnotyDlg::Layout(bool force)
{
    const QSize dlu = ClientDlu();
    const int state = ChooseState(dlu.width(), dlu.height(), m_keepHeader);
    if (!BeginLayout(state, force))
        return;
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
    case 0:
        column({22, 91, 162, 236});
        ShowChartGrid();
        break;
    case 1:
        column({22, 91, 162, 236});
        PlaceStrip(0, 2, {181, 7});
        PlaceStrip(1, 2, {181, 156});
        break;
    case 2:
        firstGroup();
        PlaceStrip(0, 1, {5, 85});
        PlaceStrip(1, 1, {181, 22});
        PlaceStrip(2, 0, {459, 22});
        break;
    case 3:
        firstGroup();
        PlaceStrip(0, 1, {5, 85});
        PlaceStrip(1, 0, {181, 22});
        break;
    case 4: column({22, 93, 164, 235}); break;
    case 5:
        firstGroup();
        PlaceStrip(0, 1, {5, 85});
        break;
    case 6: PlaceStrip(0, 0, {5, 22}); break;
    default: PlaceStrip(0, 0, {5, 5}); break;
    }
}

} // namespace analysers_vk
