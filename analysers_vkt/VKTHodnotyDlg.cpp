#include "analysers_vkt/VKTHodnotyDlg.h"

#include "link/Pristroj.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ProgramFonts.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace analysers_vkt {

namespace {

constexpr QSize kTablePage(166, 80);
// The fullest arrangement: the 2 x 2 grid of charts ends 717 units across
// and the column of tables 328 down; with the margins around them.
constexpr QSize kFullest(723, 339);
// A table's page is the table's own size under its strip, raised over the
// file's name.
constexpr analysers_vk::CVKPagedValues::PageLook kLook{kTablePage, 3, false, true};

// Channel colours of the charts (COLORREF values of the program).
QColor FromColorRef(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}
const std::uint32_t kChannelColours[4] = {0xCD12A3, 0x1C770B, 0x1208D1, 0x790F08};
constexpr std::uint32_t kChartBackground = 0xF9DFCA;

// Values at or below this are markers, not measurements.
constexpr float kMarker = -999999.0f;

} // namespace

// ---- the current decade ------------------------------------------------------

int CVKTCurrentDecade::DecadeOf(double largest)
{
    const double m = std::max(largest, 0.0001);
    int n = 0;
    while (FullScale(n) < m && n < 12)
        ++n;
    return n;
}

double CVKTCurrentDecade::FullScale(int decade)
{
    return 0.1 * std::pow(10.0, decade);
}

int CVKTCurrentDecade::Update(double largest)
{
    const double m = std::max(largest, 0.0001);
    const int n = DecadeOf(m);
    if (n == m_decade) {
        m_waited = 0;
    } else if (n == m_decade - 1 || m <= 0.9 * FullScale(n)) {
        m_decade = n;
        m_waited = 0;
    } else if (++m_waited > kDeferrals) {
        m_decade = n;
        m_waited = 0;
    }
    return m_decade;
}

QString CVKTCurrentDecade::Unit(int decade)
{
    if (decade < 2)
        return QStringLiteral("[mA]");
    if (decade < 5)
        return QStringLiteral("[A]");
    return QStringLiteral("[kA]");
}

double CVKTCurrentDecade::UnitFactor(int decade)
{
    if (decade < 2)
        return 1000.0;
    if (decade < 5)
        return 1.0;
    return 0.001;
}

const char* CVKTCurrentDecade::Format(int decade)
{
    const double full = FullScale(decade) * UnitFactor(decade);
    if (full < 10.0)
        return "%0.2f";
    if (full < 100.0)
        return "%0.1f";
    return "%0.0f";
}

// ---- one harmonic chart -----------------------------------------------------------

CVKTHarmonicChart::CVKTHarmonicChart(int kind, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    for (auto& channel : m_values)
        channel.fill(CVKTValueTexts::kBarNoCurrent);
}

void CVKTHarmonicChart::SetValues(const std::array<std::array<float, kHarmonics>, 4>& values, int decade)
{
    m_values = values;
    m_decade = decade;
    update();
}

QString CVKTHarmonicChart::ValueText(float value, bool current, int decade, bool oneDecimal)
{
    if (std::isnan(value))
        return QStringLiteral("--");
    if (current) {
        if (value < -9999999.0f)
            return QStringLiteral("-N-");
        if (value < -999999.0f)
            return QStringLiteral("--");
        return QString::asprintf(CVKTCurrentDecade::Format(decade), value * CVKTCurrentDecade::UnitFactor(decade));
    }
    if (value < -1000.0f)
        return QStringLiteral("-N-");
    if (value < 0.0f)
        return QStringLiteral("--");
    return QString::asprintf(oneDecimal ? "%0.1f" : "%0.2f", value);
}

QString CVKTHarmonicChart::CellText(int channel, int harmonic) const
{
    if (channel < 0 || channel > 3 || harmonic < 0 || harmonic >= kHarmonics)
        return QString();
    return ValueText(m_values[std::size_t(channel)][std::size_t(harmonic)], Current(), m_decade);
}

void CVKTHarmonicChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, FromColorRef(kChartBackground));
    // Heights in lines of the dialog's text: the chart's lines keep that
    // proportion whatever the faces' spacing.
    const int base = QFontMetrics(font()).height();
    const QFont face(QStringLiteral("Times New Roman"));
    const QFont normal = ui::FontOfLineHeight(face, std::max(6, base));
    QFont boldFace(face);
    boldFace.setWeight(QFont::Bold);
    const QFont bold = ui::FontOfLineHeight(boldFace, std::max(6, int(base * 1.2)));

    painter.setFont(bold);
    painter.setPen(Qt::black);
    const int titleH = QFontMetrics(bold).height();
    painter.drawText(QRect(0, 1, r.width(), titleH), Qt::AlignHCenter, CVKTHodnotyDlg::ChartTitle(m_kind));

    painter.setFont(normal);
    const QFontMetrics fm(normal);
    const int rowH = fm.height();
    const QString unit = Current() ? CVKTCurrentDecade::Unit(m_decade) : QStringLiteral("[%]");
    const int left = std::max(fm.horizontalAdvance(unit), fm.horizontalAdvance(QStringLiteral("1000.00"))) + 6;
    const int right = r.width() - 4;
    const int top = titleH + rowH + 2;
    // Heading row and one row per channel under the bars.
    const int bottom = r.height() - 5 * rowH - 4;
    if (bottom <= top + 4 || right <= left + kHarmonics)
        return;
    // A cell per harmonic and, last, the unit cell.
    const int unitWidth = fm.horizontalAdvance(QStringLiteral("harm.")) + 4;
    const int slot = std::max(1, (right - left - unitWidth) / kHarmonics);
    painter.drawLine(left, top, left, bottom);
    painter.drawLine(left, bottom, right, bottom);
    painter.drawText(QRect(2, titleH, left, rowH), Qt::AlignLeft, unit);

    std::function<int(double)> yOf;
    if (Current()) {
        const double full = CVKTCurrentDecade::FullScale(m_decade);
        yOf = [=](double amps) { return bottom - int(std::clamp(amps / full, 0.0, 1.0) * (bottom - top)); };
        const double factor = CVKTCurrentDecade::UnitFactor(m_decade);
        for (int step = 1; step <= 4; ++step) {
            const double amps = full * step / 4;
            const int y = yOf(amps);
            painter.drawLine(left - 3, y, left, y);
            painter.drawText(QRect(0, y - rowH / 2, left - 4, rowH), Qt::AlignRight,
                             QString::asprintf(CVKTCurrentDecade::Format(m_decade), amps * factor));
        }
    } else {
        // Logarithmic percent axis from 0.5 to 50 %.
        const double lo = std::log10(0.5), hi = std::log10(50.0);
        yOf = [=](double percent) {
            const double v = std::clamp(std::log10(std::max(percent, 0.5)), lo, hi);
            return bottom - int((v - lo) / (hi - lo) * (bottom - top));
        };
        for (int label : {1, 2, 4, 10, 20, 40}) {
            const int y = yOf(label);
            painter.drawLine(left - 3, y, left, y);
            painter.drawText(QRect(0, y - rowH / 2, left - 4, rowH), Qt::AlignRight, QString::number(label));
        }
    }
    const bool odd = m_kind == kVoltageOdd || m_kind == kCurrentOdd;
    const int barWidth = std::max(1, (slot - 2) / 4);
    for (int k = 0; k < kHarmonics; ++k) {
        const int x0 = left + k * slot;
        for (int c = 0; c < 4; ++c) {
            const float value = m_values[std::size_t(c)][std::size_t(k)];
            if (value <= 0.0f || std::isnan(value))
                continue;
            const int y = yOf(value);
            painter.fillRect(QRect(x0 + 1 + c * barWidth, y, barWidth, bottom - y), FromColorRef(kChannelColours[c]));
        }
    }
    // The number rows: heading, then a row per channel in its colour.
    int y = bottom + 2;
    painter.setPen(Qt::black);
    for (int k = 0; k < kHarmonics; ++k)
        painter.drawText(QRect(left + k * slot, y, slot, rowH), Qt::AlignHCenter,
                         QString::asprintf("%d.", odd ? 2 * k + 3 : 2 * k + 2));
    // The unit column runs to the chart's edge: "harm." is wider than a cell.
    const QRect unitColumn(left + kHarmonics * slot + 2, 0, r.width() - (left + kHarmonics * slot) - 2, rowH);
    painter.drawText(unitColumn.translated(0, y), Qt::AlignLeft, QStringLiteral("harm."));
    for (int c = 0; c < 4; ++c) {
        y += rowH;
        painter.setPen(FromColorRef(kChannelColours[c]));
        painter.drawText(QRect(2, y, left - 4, rowH), Qt::AlignLeft, QStringLiteral("L%1").arg(c + 1));
        for (int k = 0; k < kHarmonics; ++k)
            painter.drawText(QRect(left + k * slot, y, slot, rowH), Qt::AlignHCenter, CellText(c, k));
        painter.drawText(unitColumn.translated(0, y), Qt::AlignLeft, unit);
    }
}

// ---- the dialog --------------------------------------------------------------------

CVKTHodnotyDlg::CVKTHodnotyDlg(QWidget* parent) : CVKPagedValues(kFullest, kLook, kVKTValuesDialogCaptionIds, parent)
{
    m_file = new QLabel(this);
    m_file->setObjectName(QStringLiteral("1286"));
    RegisterField(1286, m_file);
    SetNewestLabel(m_file);
    m_file->setFrameShape(QFrame::StyledPanel);
    BuildTables();
    for (int c = 0; c < 4; ++c) {
        m_charts[std::size_t(c)] = new CVKTHarmonicChart(c, this);
        m_charts[std::size_t(c)]->hide();
    }
    MakeStrips();
    m_shown.fill(0);
    m_colours.fill(0);
}

QLabel* CVKTHodnotyDlg::AddField(QGridLayout* grid, int id, int row, int column)
{
    auto* label = new QLabel(QStringLiteral("--"));
    label->setFrameShape(QFrame::StyledPanel);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, row, column);
    RegisterField(id, label);
    return label;
}

void CVKTHodnotyDlg::BuildTables()
{
    const QStringList rows = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};

    QGridLayout* ui = MakeGroup(0);
    AddVoltageCaptions(ui);
    const int first[4] = {1015, 1031, 1050, 1058};
    for (int row = 0; row < 4; ++row) {
        AddCaption(ui, rows[row], row + 1, 0);
        for (int c = 0; c < 4; ++c)
            if (c != 1 || row < 3)
                AddField(ui, first[c] + row, row + 1, c + 1);
    }

    QGridLayout* thd = MakeGroup(1);
    AddCaption(thd, QStringLiteral("THDU[%]"), 0, 1);
    AddCaption(thd, QStringLiteral("THDI[%]"), 0, 2);
    for (int row = 0; row < 4; ++row) {
        AddCaption(thd, rows[row], row + 1, 0);
        AddField(thd, 1112 + row, row + 1, 1);
        AddField(thd, 1121 + row, row + 1, 2);
    }
    const QStringList singles = {QStringLiteral("Fr [Hz]:"), QStringLiteral("t [C]:"), QStringLiteral("u2 [%]:"),
                                 QStringLiteral("I / O")};
    const int singleIds[4] = {1023, 1024, 1049, 1048};
    for (int s = 0; s < 4; ++s) {
        AddCaption(thd, singles[s], s + 1, 3);
        AddField(thd, singleIds[s], s + 1, 4);
    }

    QGridLayout* powers = MakeGroup(2);
    AddPowerCaptions(powers);
    const int powerIds[4] = {1071, 1082, 1092, 1245};
    for (int row = 0; row < 5; ++row) {
        QLabel* label = AddCaption(powers, row < 4 ? rows[row] : QStringLiteral("3f"), row + 1, 0);
        if (row == 4)
            m_sumLabels[0] = label;
        for (int c = 0; c < 4; ++c)
            AddField(powers, powerIds[c] + row, row + 1, c + 1);
    }

    QGridLayout* head = MakeGroup(3);
    const QStringList headCaptions = {QStringLiteral("Záznam od:"), QStringLiteral("do:"), QStringLiteral("Soubor:"),
                                      QStringLiteral("Typ hodnot:")};
    const int headIds[4] = {1044, 1045, 1046, 1062};
    for (int r = 0; r < 4; ++r) {
        AddCaption(head, headCaptions[r], r, 0);
        AddField(head, headIds[r], r, 1)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    for (QWidget* t : m_groups)
        t->hide();
}

int CVKTHodnotyDlg::LayoutClass(int w, int h, bool archiveMode)
{
    if (w >= kFullest.width() && h >= kFullest.height())
        return 0;
    if (w >= 450 && h >= 339)
        return 1;
    if (w >= 731 && h > 204)
        return 2;
    if (w < 450 || h < 205) {
        if (h > 338)
            return 4;
        if (h < 205)
            return archiveMode || h > 126 ? 6 : 7;
        return 5;
    }
    return 3;
}

std::array<bool, 4> CVKTHodnotyDlg::DialogRows() const
{
    std::array<bool, 4> rows{};
    for (int c = 0; c < 4; ++c)
        rows[std::size_t(c)] = m_archive || IsReceived(m_mask, c, 0);
    return rows;
}

void CVKTHodnotyDlg::SetValues(const CVKTValueTexts& t)
{
    m_texts = t;
    if (t.hasValues)
        UpdateCaptions(t.voltageMultiplier, t.currentMultiplier, t.powerMultiplier);
    for (int c = 0; c < 4; ++c) {
        const auto i = std::size_t(c);
        SetField(1015 + c, t.u[i]);
        if (c < 3)
            SetField(1031 + c, t.uLine[i]);
        SetField(1050 + c, t.i[i]);
        SetField(1058 + c, t.cosPhi[i]);
        SetField(1112 + c, t.thdU[i]);
        SetField(1121 + c, t.thdI[i]);
        SetField(1071 + c, t.p[i]);
        SetField(1082 + c, t.q[i]);
        SetField(1092 + c, t.s[i]);
        SetField(1245 + c, t.pf[i]);
    }
    SetField(1023, t.frequency);
    SetField(1024, t.temperature);
    SetField(1049, t.unbalance);
    SetField(1048, t.outputState);
    SetField(1062, t.valuesKind);
    UpdateLabels(t.connectionType == 1 ? 1 : 0);

    // The charts show harmonics 3..25 and 2..24; the fundamental (odd order
    // 1) only enters the current scale, with a tenth of its value.
    using Rows = std::array<std::array<float, CVKTHarmonicChart::kHarmonics>, 4>;
    Rows uOdd{}, uEven{}, iOdd{}, iEven{};
    double largest = 0.0;
    auto take = [&largest](float v) {
        if (v > kMarker && !std::isnan(v))
            largest = std::max(largest, double(std::fabs(v)));
    };
    for (std::size_t c = 0; c < 4; ++c) {
        for (std::size_t k = 0; k < CVKTHarmonicChart::kHarmonics; ++k) {
            uOdd[c][k] = t.voltageOdd[c][k + 1];
            uEven[c][k] = t.voltageEven[c][k];
            iOdd[c][k] = t.currentOdd[c][k + 1];
            iEven[c][k] = t.currentEven[c][k];
            take(iOdd[c][k]);
            take(iEven[c][k]);
        }
        const float fundamental = t.currentOdd[c][0];
        if (fundamental > kMarker && !std::isnan(fundamental))
            take(fundamental / 10.0f);
    }
    const int decade = m_decade.Update(largest);
    Chart(0)->SetValues(uOdd, 0);
    Chart(1)->SetValues(uEven, 0);
    Chart(2)->SetValues(iOdd, decade);
    Chart(3)->SetValues(iEven, decade);
}

void CVKTHodnotyDlg::SetWindowTexts(const QString& from, const QString& to, const QString& file, const QString& kind)
{
    SetField(1044, from);
    SetField(1045, to);
    SetField(1046, file);
    SetField(1062, kind);
    m_file->setText(file);
}

void CVKTHodnotyDlg::SetArchiveMode(bool archive)
{
    m_archive = archive;
    ResetLayout();
}

void CVKTHodnotyDlg::UpdateLabels(int kind)
{
    const QString text = kind == 1 ? QStringLiteral("2f") : QStringLiteral("3f");
    for (QLabel* label : m_sumLabels)
        if (label)
            label->setText(text);
}

void CVKTHodnotyDlg::SetGraphQuantities(const std::array<int, kQuantities>& shown,
                                        const std::array<std::uint32_t, kQuantities>& colours)
{
    m_shown = shown;
    m_colours = colours;
}

void CVKTHodnotyDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        emit PanelMenu(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

void CVKTHodnotyDlg::Layout(bool force)
{
    const QSize dlu = ClientDlu();
    const int cls = LayoutClass(dlu.width(), dlu.height(), m_archive);
    if (!BeginLayout(cls, force))
        return;
    m_file->setVisible(cls != 7);
    // The file's name takes the row above the tables: an archive name with
    // its period does not fit the 70 units of the model's name.
    if (cls != 7)
        m_file->setGeometry(Dlu(5, 5, kTablePage.width(), 12));
    auto table = [this](int index, int y) {
        QWidget* t = m_groups[std::size_t(index)];
        t->setGeometry(Dlu(5, y, kTablePage.width(), index == 3 ? 60 : kTablePage.height()));
        t->show();
    };
    auto tables = [&] {
        table(0, 22);
        table(1, 105);
        table(2, 185);
        table(3, 268);
    };
    switch (cls) {
    case 0:
        tables();
        ShowChartGrid();
        break;
    case 1:
        tables();
        PlaceStrip(0, 2, {181, 7});
        PlaceStrip(1, 2, {181, 156});
        break;
    case 2:
        table(0, 22);
        PlaceStrip(0, 1, {5, 99});
        PlaceStrip(1, 1, {181, 22});
        PlaceStrip(2, 0, {459, 22});
        break;
    case 4: tables(); break;
    case 5:
        table(0, 22);
        PlaceStrip(0, 1, {5, 99});
        break;
    case 6: PlaceStrip(0, 0, {5, 22}); break;
    case 7: PlaceStrip(0, 0, {5, 5}); break;
    default:
        table(0, 22);
        PlaceStrip(0, 1, {5, 99});
        PlaceStrip(1, 0, {181, 22});
        break;
    }
}

} // namespace analysers_vkt
