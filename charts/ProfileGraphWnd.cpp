#include "charts/ProfileGraphWnd.h"
#include "charts/SunkEdge.h"

#include "charts/ReportPrinter.h"
#include "charts_data/ProfileData.h"
#include "platform/Settings.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"

#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <optional>
#include <memory>

namespace {

constexpr std::array<std::uint32_t, CProfileGraphWnd::kMaxQuantities> kDefaultColours = {
    0x080D84, 0x5555F4, 0xAFAFDD, 0x892208, 0xE85F20, 0xEAB89F, 0xA54557, 0x7E0A82,
    0xCB27D1, 0xEAA3ED, 0xAF50BA, 0x12046D, 0x1E07B7, 0x8A7AF4, 0x3515EA, 0x1C6654,
    0x17B590, 0x6EEFD1, 0x23DB9D, 0x4B4F04, 0x888C47, 0xD8DBA4, 0xC2E231};

constexpr int kGroups = 4;
// U, I, PF, P, Q, S
constexpr int kPaperAxes = 6;
constexpr int kSumOfPhases = 6;

// The instrument's own display settings, or none.
std::optional<platform::SettingsSection> InstrumentSection(const platform::Settings& settings, const QString& name)
{
    const platform::SettingsSection devices(QStringLiteral("pristroje"));
    for (const QString& key : settings.SubSections(devices))
        if (key == name)
            return devices.Child(key);
    return std::nullopt;
}

} // namespace

CProfileGraphWnd::Group CProfileGraphWnd::GroupOf(int index)
{
    if (index <= 2)
        return {0, 0};
    if (index <= 6)
        return {1, 1};
    if (index <= 10)
        return {2, 2};
    return {3, 4};
}

std::uint32_t CProfileGraphWnd::DefaultColour(int index)
{
    return index >= 0 && index < kMaxQuantities ? kDefaultColours[std::size_t(index)] : 0;
}

CProfileGraphWnd::CProfileGraphWnd(QWidget* parent) : CGraphWnd(parent)
{
    setObjectName(QStringLiteral("ahoj"));
    SetTimeCursor(true);
    SetOffline(true);
    setFocusPolicy(Qt::StrongFocus);
}

CProfileGraphWnd::~CProfileGraphWnd() = default;

QString CProfileGraphWnd::TraceNameOf(int group) const
{
    static const char* const kNames[kGroups] = {"U", "I", "PF,cos", "P,Q,S"};
    return QString::fromLatin1(kNames[std::clamp(group, 0, kGroups - 1)]);
}

QString CProfileGraphWnd::UnitOf(int group) const
{
    if (!m_data)
        return {};
    switch (group) {
    case 0: return m_data->GetVoltageMultiplier() == 1 ? QStringLiteral("V") : QStringLiteral("kV");
    case 1: return m_data->GetCurrentMultiplier() == 1 ? QStringLiteral("A") : QStringLiteral("kA");
    case 2: return QStringLiteral("1");
    default:
        if (m_data->GetPowerMultiplier() == 1)
            return QStringLiteral("W,...");
        return m_data->GetPowerMultiplier() == 1000 ? QStringLiteral("kW,...") : QStringLiteral("MW,...");
    }
}

void CProfileGraphWnd::RangeOf(int index, float& minimum, float& maximum) const
{
    const Group g = GroupOf(index);
    const double voltage = m_data ? double(m_data->GetVoltageRatio()) : 1.0;
    const double current = m_data ? double(m_data->GetCurrentRatio()) : 1.0;
    const double nominal = g.group == 0 ? voltage : g.group == 1 ? current : g.group == 2 ? 1.0 : voltage * current;
    double low = 0;
    double high = 1;
    const int type = m_data ? m_data->GetType() : 2;
    if (!m_scales.GetEffectiveRange(g.category, type, low, high, nominal))
        CScaleCategories(type).GetEffectiveRange(g.category, type, low, high, nominal);
    if (index == kSumOfPhases)
        high *= 3;
    minimum = float(low);
    maximum = float(high);
}

void CProfileGraphWnd::SetData(CProfileData* data)
{
    if (m_data != data)
        m_shown.fill(0);
    m_data = data;
    SetReady(data != nullptr);
    if (data)
        LoadSettings();
    CreateFonts();
    update();
}

void CProfileGraphWnd::LoadSettings()
{
    if (!m_data)
        return;
    const int type = m_data->GetType();
    const bool vkt = type == 4;
    const platform::Settings settings;
    const std::optional<platform::SettingsSection> own = InstrumentSection(settings, m_data->GetHeaderText());
    const auto loadBlob = [&](const platform::SettingsSection& section, const QString& count, const QString& blob,
                              const QString& autoKey) {
        const int stored = settings.GetProfileInt(section, count, 0);
        const int autoFlag = settings.GetProfileInt(section, autoKey, 1);
        QByteArray bytes;
        if (stored != 0 && settings.GetProfileBinary(section, blob, bytes) && bytes.size() == qsizetype(stored) * 4) {
            std::vector<float> values(static_cast<std::size_t>(stored), 0.0f);
            std::memcpy(values.data(), bytes.constData(), bytes.size());
            m_scales.Set(autoFlag, stored, values.data());
            return true;
        }
        return false;
    };
    platform::SettingsSection styles(QStringLiteral("Obecne nastaveni"));
    if (own) {
        m_scales = CScaleCategories(type);
        const int count = settings.GetProfileInt(*own, QStringLiteral("pocetKat"), 0);
        if (count == 0 || count != m_scales.GetCount()
            || !loadBlob(*own, QStringLiteral("pocetKat"), QStringLiteral("ketegorie"), QStringLiteral("auto")))
            m_scales.SetAuto(settings.GetProfileInt(*own, QStringLiteral("auto"), 1));
        styles = *own;
    } else {
        const platform::SettingsSection general(QStringLiteral("Obecne nastaveni"));
        const QString prefix = vkt ? QStringLiteral("VKT") : QStringLiteral("VK");
        if (!loadBlob(general, prefix + QStringLiteral("PocetKat"), prefix + QStringLiteral("Ketegorie"),
                      prefix + QStringLiteral("Auto")))
            m_scales = CScaleCategories(type);
        styles = platform::SettingsSection(vkt ? QStringLiteral("Obecne nastaveni vkt")
                                               : QStringLiteral("Obecne nastaveni vk"));
    }
    for (int i = 0; i < m_data->GetQuantityCount() && i < kMaxQuantities; ++i) {
        const QString name = m_data->GetQuantityName(i);
        const auto colour = std::uint32_t(settings.GetProfileInt(styles, QStringLiteral("barva ") + name,
                                                                 int(DefaultColour(i))));
        const int shown = settings.GetProfileInt(styles, QStringLiteral("is") + name, i < 7 ? 1 : 0);
        SetTraceStyle(i, shown, colour);
    }
    if (own) {
        m_currentGroup = settings.GetProfileInt(*own, QStringLiteral("Aktualni Velicina"), 0);
        SetGrid(settings.GetProfileInt(*own, QStringLiteral("isMriz"), 0) != 0);
    }
}

void CProfileGraphWnd::SetTraceStyle(int index, int shown, std::uint32_t colour)
{
    if (!m_data || index < 0 || index >= std::min(kMaxQuantities, m_data->GetQuantityCount()))
        return;
    const Group g = GroupOf(index);
    float minimum = 0;
    float maximum = 1;
    RangeOf(index, minimum, maximum);
    const QString name = m_data->GetQuantityName(index);
    int& flag = m_shown[std::size_t(index)];
    shown = shown ? 1 : 0;
    if (shown != flag) {
        if (!shown)
            m_data->RemoveGraphSeries(name);
        else if (m_data->AddGraphSeries(name, UnitOf(g.group), TraceNameOf(g.group), colour, maximum, minimum))
            m_data->FindGraphSeries(name)->SetPointCount(0, CProfileData::kMinutes);
        flag = shown;
    } else if (shown) {
        m_data->SetSeriesColor(name, colour);
        m_data->SetSeriesScale(name, maximum, minimum);
    }
}

int CProfileGraphWnd::GetTraceColour(int index, int& fromTrace, std::uint32_t& colour) const
{
    if (!m_data)
        return 0;
    const CGraphTrace* trace = IsShown(index) ? m_data->FindGraphSeries(m_data->GetQuantityName(index)) : nullptr;
    fromTrace = trace ? 1 : 0;
    colour = trace ? trace->Colour() : DefaultColour(index);
    return 1;
}

void CProfileGraphWnd::GetTraceColours(std::array<std::uint32_t, kMaxQuantities>& colours,
                                       std::array<int, kMaxQuantities>& shown) const
{
    const int count = m_data ? std::min(kMaxQuantities, m_data->GetQuantityCount()) : 0;
    for (int i = 0; i < count; ++i)
        GetTraceColour(i, shown[std::size_t(i)], colours[std::size_t(i)]);
}

void CProfileGraphWnd::SetTraceStyles(const std::array<int, kMaxQuantities>& shown,
                                      const std::array<std::uint32_t, kMaxQuantities>& colours)
{
    const int count = m_data ? std::min(kMaxQuantities, m_data->GetQuantityCount()) : 0;
    for (int i = 0; i < count; ++i)
        SetTraceStyle(i, shown[std::size_t(i)], colours[std::size_t(i)]);
}

void CProfileGraphWnd::CreateFonts()
{
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    m_inner = inner;
    const int s = std::min(inner.width(), inner.height());
    int h = logicalDpiY() * 9 / 72;
    int normal = h;
    int bold = h * 8 / 7;
    if (s >= 600) {
        h = h * 3 / 2;
        normal = bold = h;
    } else if (s >= 350) {
        h = h * 4 / 3;
        normal = h;
        bold = h * 8 / 7;
    }
    auto label = std::make_unique<QFont>(QStringLiteral("Times New Roman"));
    label->setPixelSize(std::max(6, normal));
    auto title = std::make_unique<QFont>(*label);
    title->setPixelSize(std::max(6, bold));
    title->setWeight(QFont::Bold);
    SetFonts(std::move(label), std::move(title));

    // The time axis's labels keep their lines under the plot.
    const int below = std::max(h * 3 / 2, CGraphPainter::TimeAxisRoom(*LabelFont(), this));
    CGraphRect plot{inner.left() + 5, inner.top() + h * 3 / 2 + 5, inner.right() - 3 * h, inner.bottom() - below - 5};
    if (X1() - X0() != 1000) {
        plot.bottom -= 4 * h / 3;
        HorzBar()->setGeometry(inner.left() + inner.width() / 2, inner.bottom() - 4 * h / 3,
                               std::max(1, inner.width() / 2 - 3 * h), h);
        HorzBar()->show();
    } else {
        HorzBar()->hide();
    }
    if (Y1() - Y0() != 1000) {
        VertBar()->setGeometry(inner.right() - 3 * h / 2, plot.top, h, std::max(1, plot.bottom - 3 * h));
        VertBar()->show();
    } else {
        VertBar()->hide();
    }
    m_layoutPlot = plot;
    SetPlotRect(plot);
}

void CProfileGraphWnd::OnCursorMoved(float perMille)
{
    if (m_data)
        m_data->SetCursorPermille(perMille);
}

int CProfileGraphWnd::GetCursorPos(int width)
{
    return m_data ? m_data->GetCursorPos(width) : 0;
}

void CProfileGraphWnd::PrepareContextMenu(QMenu& menu)
{
    for (QAction* action : menu.actions()) {
        const int id = action->data().toInt();
        if (id == kCmdReceivedQuantities || id == kCmdShownQuantities)
            action->setVisible(false);
        if (id == kCmdGrid) {
            action->setCheckable(true);
            action->setChecked(Grid());
        }
    }
}

void CProfileGraphWnd::Draw(QPainter& p, const QRect& client)
{
    if (client.width() <= 49 || client.height() <= 49)
        return;
    const QRect frame = client.adjusted(1, 1, -2, -2);
    p.fillRect(frame, Qt::white);
    DrawSunkEdge(p, frame);
    p.setPen(Qt::black);
    if (!m_data)
        return;
    if (!LabelFont())
        CreateFonts();
    // The axes take their room from the laid-out plot at every drawing.
    DrawContent(p, m_layoutPlot, m_inner.right(), LabelFont(), TitleFont(), X0(), X1(), true);
}

CProfileGraphWnd::Axis CProfileGraphWnd::AxisOf(int index, bool screen) const
{
    const Group g = GroupOf(index);
    if (screen || g.group < 3)
        return {g.group, TraceNameOf(g.group), UnitOf(g.group)};
    // On paper active, reactive and apparent powers each get an axis of
    // their own unit.
    static const char* const kPowers[3] = {"P", "Q", "S"};
    static const char* const kUnits[3][3] = {{"W", "kW", "MW"}, {"var", "kvar", "Mvar"}, {"VA", "kVA", "MVA"}};
    const int kind = std::clamp((index - 11) / 4, 0, 2);
    const int multiplier = m_data ? m_data->GetPowerMultiplier() : 1;
    const int prefix = multiplier == 1 ? 0 : multiplier == 1000 ? 1 : 2;
    return {3 + kind, QString::fromLatin1(kPowers[kind]), QString::fromLatin1(kUnits[kind][prefix])};
}

void CProfileGraphWnd::DrawContent(QPainter& p, CGraphRect plot, int gridRight, const QFont* label,
                                   const QFont* title, int x0, int x1, bool screen)
{
    CGraphPainter painter(&p, label, title);
    const int count = std::min(kMaxQuantities, m_data->GetQuantityCount());
    auto traceOf = [&](int i) -> const CGraphTrace* {
        return m_shown[std::size_t(i)] ? m_data->FindGraphSeries(m_data->GetQuantityName(i)) : nullptr;
    };
    const auto multiplierOf = [&](int axisId) {
        return axisId == 0 ? m_data->GetVoltageMultiplier()
               : axisId == 1 ? m_data->GetCurrentMultiplier()
               : axisId == 2 ? 1
                             : m_data->GetPowerMultiplier();
    };
    int left = plot.left;
    std::vector<std::uint32_t> edges, groups;
    auto axis = [&](int axisId, bool grid) {
        // The first shown trace of the axis stands for its range, under the
        // axis's name and unit.
        const CGraphTrace* first = nullptr;
        Axis named;
        for (int i = 0; i < count && !first; ++i)
            if (AxisOf(i, screen).id == axisId && traceOf(i)) {
                first = traceOf(i);
                named = AxisOf(i, screen);
            }
        if (!first)
            return;
        // On paper the caption names the trace itself, with its unit.
        const QString caption =
            screen ? named.name : charts::FillPlaceholders(QStringLiteral("%s[%s]"), {first->Name(), named.unit});
        CGraphTrace trace(caption, named.unit, first->Group(), first->Colour(), first->Maximum(), first->Minimum());
        trace.SetRange(first->Maximum(), first->Minimum(), false);
        CGraphRect r{left, plot.top, left, plot.bottom};
        if (axisId == 2)
            painter.DrawPowerFactorAxis(trace, r, grid, gridRight, Y0(), Y1());
        else
            painter.DrawValueAxis(trace, r, grid, gridRight, Y0(), Y1(), 1.0f / float(multiplierOf(axisId)));
        left = r.right;
        edges.push_back(std::uint32_t(r.right));
        groups.push_back(std::uint32_t(axisId));
    };
    const int axes = screen ? kGroups : kPaperAxes;
    const bool currentOnTop = Grid() && screen;
    for (int a = 0; a < axes; ++a)
        if (!(currentOnTop && a == m_currentGroup))
            axis(a, Grid() && !screen && a == m_currentGroup);
    if (currentOnTop)
        axis(m_currentGroup, true);
    if (screen)
        SetColumns(edges, groups);
    plot.left = left;
    const CGraphTrace* first = nullptr;
    for (int i = 0; i < count && !first; ++i)
        first = traceOf(i);
    if (!first) {
        if (screen)
            SetPlotRect(plot);
        return;
    }
    // The axis takes its room at the right: the curves, the cursor and the
    // clicks keep to the same width so that each time stands under its tick.
    painter.DrawTimeAxis(*first, plot, Grid(), x0, x1);
    if (screen)
        SetPlotRect(plot);
    painter.SetViewport(plot.left, plot.top, plot.right, plot.bottom, x0, Y0(), x1, Y1());
    for (int i = 0; i < count; ++i)
        if (const CGraphTrace* trace = traceOf(i))
            painter.DrawTrace(*trace, x0, Y0(), x1, Y1());
    if (screen)
        painter.DrawMarkerLine(m_data->GetCursorX(), x1 - x0);
    painter.DeleteClipRegion();
}

bool CProfileGraphWnd::Print(QPrinter* printer, const QString& frameTitle)
{
    if (!m_data)
        return false;
    CTime start;
    int span = 0;
    m_data->GetTimeWindow(start, span);
    const CTime from(start.GetTime() + CTime::time_type(std::int64_t(span) * X0() / 1000));
    const CTime to(start.GetTime() + CTime::time_type(std::int64_t(span) * X1() / 1000));
    const QString name = m_data->GetHeaderText();
    charts::CReportPrinter report(printer, 2, 2, false);
    report.SetParent(this);
    const QString job =
        charts::FillPlaceholders(platform::LoadString(platform::IDS_JOB_PROFILES), {name});
    if (!report.BeginPrint(job, frameTitle, QString()))
        return false;
    const QString stamp = QStringLiteral("%d.%m.%y %H:%M:%S");
    QString heading = charts::FillPlaceholders(platform::LoadString(platform::IDS_PROFILE_PRINT_HEADING),
                                               {name, from.Format(stamp), to.Format(stamp)});
    heading.chop(1);
    report.PrintBox(heading);
    report.PrintText(QString());
    const int count = std::min(kMaxQuantities, m_data->GetQuantityCount());
    for (int i = 0; i < count; ++i) {
        const CGraphTrace* trace =
            m_shown[std::size_t(i)] ? m_data->FindGraphSeries(m_data->GetQuantityName(i)) : nullptr;
        if (!trace)
            continue;
        const QString blanks = QStringLiteral("   ");
        const QRect line = report.PrintTextFitted(blanks + trace->Name());
        const int w = report.Painter().fontMetrics().horizontalAdvance(blanks);
        if (line.isValid())
            report.Painter().fillRect(QRect(line.left(), line.top(), w, line.height()), ColorFromRef(trace->Colour()));
        report.PrintText(QString());
    }
    report.PrintText(QString());
    const QRect body = report.BodyRect();
    QFont label(QStringLiteral("Times New Roman"));
    label.setPixelSize(std::max(6, report.TextHeight()));
    QFont title(label);
    title.setWeight(QFont::Bold);
    const int h = report.TextHeight();
    const int below = std::max(2 * h, CGraphPainter::TimeAxisRoom(label, report.Painter().device()) + h / 2);
    const CGraphRect plot{body.left() + 5, report.CurrentY() + h * 3 / 2, body.right() - 3 * h, body.bottom() - below};
    if (plot.Height() > 4 * h && plot.Width() > 10 * h) {
        QPainter& p = report.Painter();
        p.save();
        DrawContent(p, plot, body.right(), &label, &title, X0(), X1(), false);
        p.restore();
    }
    report.EndPrint();
    return !report.Failed();
}
