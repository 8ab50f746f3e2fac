#include "analysers_vkt/VKTGrafAktual.h"

#include "analysers_vk/VKRecordBytes.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivStream.h"
#include "archive/store/VKTArchivData.h"
#include "charts/ReportPrinter.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "charts/GraphPainter.h"
#include "link/Pristroj.h"
#include "model/QuantityNames.h"
#include "platform/Settings.h"
#include "platform/Time32.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace analysers_vkt {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

const CVKTGrafAktual::Quantity kQuantities[CVKTGrafAktual::kQuantityCount] = {
    {0, 0, "U", Rgb(132, 13, 8)},        {0, 0, "U", Rgb(207, 20, 42)},       {0, 0, "U", Rgb(244, 85, 85)},
    {0, 0, "U", Rgb(221, 175, 175)},     {1, 1, "I", Rgb(8, 34, 137)},        {1, 1, "I", Rgb(87, 69, 165)},
    {1, 1, "I", Rgb(32, 95, 232)},       {1, 1, "I", Rgb(159, 184, 234)},     {2, 2, "PF,cos", Rgb(102, 8, 99)},
    {2, 2, "PF,cos", Rgb(171, 34, 166)}, {2, 2, "PF,cos", Rgb(209, 39, 203)}, {2, 2, "PF,cos", Rgb(186, 80, 175)},
    {2, 2, "PF,cos", Rgb(237, 163, 234)}, {3, 3, "Fr", Rgb(255, 0, 0)},       {4, 6, "T", Rgb(106, 226, 106)},
    {2, 2, "PF,cos", Rgb(3, 56, 16)},    {2, 2, "PF,cos", Rgb(10, 110, 33)},  {2, 2, "PF,cos", Rgb(25, 183, 65)},
    {2, 2, "PF,cos", Rgb(137, 249, 137)}, {0, 0, "U", Rgb(15, 5, 1)},          {0, 0, "U", Rgb(102, 98, 97)},
    {0, 0, "U", Rgb(193, 193, 193)},     {7, 7, "u2", Rgb(249, 79, 199)},     {5, 4, "P,Q,S", Rgb(109, 4, 18)},
    {5, 4, "P,Q,S", Rgb(183, 7, 30)},    {5, 4, "P,Q,S", Rgb(239, 105, 121)}, {5, 4, "P,Q,S", Rgb(234, 21, 53)},
    {5, 4, "P,Q,S", Rgb(250, 145, 163)}, {5, 4, "P,Q,S", Rgb(60, 76, 10)},    {5, 4, "P,Q,S", Rgb(84, 102, 28)},
    {5, 4, "P,Q,S", Rgb(144, 181, 23)},  {5, 4, "P,Q,S", Rgb(157, 219, 35)},  {5, 4, "P,Q,S", Rgb(209, 239, 110)},
    {5, 4, "P,Q,S", Rgb(0, 69, 65)},     {5, 4, "P,Q,S", Rgb(18, 55, 80)},    {5, 4, "P,Q,S", Rgb(71, 140, 136)},
    {5, 4, "P,Q,S", Rgb(49, 226, 194)},  {5, 4, "P,Q,S", Rgb(164, 219, 216)}, {6, 5, "THD", Rgb(103, 68, 0)},
    {6, 5, "THD", Rgb(141, 94, 15)},     {6, 5, "THD", Rgb(191, 138, 40)},    {6, 5, "THD", Rgb(244, 207, 137)},
    {6, 5, "THD", Rgb(60, 76, 3)},       {6, 5, "THD", Rgb(91, 87, 29)},      {6, 5, "THD", Rgb(145, 139, 50)},
    {6, 5, "THD", Rgb(237, 222, 24)},
};

// The first eight quantities (U1-U4, I1-I4) are shown by default.
constexpr int kShownByDefault = 8;
// More floats than any instrument type has categories for: not a record.
constexpr int kMaxCategoryFloats = 256;

} // namespace

const CVKTGrafAktual::Quantity& CVKTGrafAktual::QuantityAt(int index)
{
    return kQuantities[std::clamp(index, 0, kQuantityCount - 1)];
}

QString CVKTGrafAktual::NameAt(int index)
{
    return VKTQuantityNames[std::size_t(std::clamp(index, 0, kQuantityCount - 1))].toString();
}

void CVKTGrafAktual::GroupRange(int group, float& minimum, float& maximum)
{
    switch (group) {
    case 0: minimum = 0; maximum = 500; break;
    case 1: minimum = 0; maximum = 10; break;
    case 2: minimum = 0; maximum = 2; break;
    case 3: minimum = 40; maximum = 85; break;
    case 4: minimum = 0; maximum = 100; break;
    case 5: minimum = -4000; maximum = 4000; break;
    case 7: minimum = 0; maximum = 10; break;
    default: minimum = 0; maximum = 200; break;
    }
}

CVKTGrafAktual::Layout CVKTGrafAktual::ComputeLayout(const QRect& clientRect, int logPixelsY, bool reserveBand)
{
    Layout layout;
    const QRect client = clientRect.adjusted(1, 1, -1, -1);
    int h = std::min(client.width(), client.height());
    int f = logPixelsY * 9 / 72;
    layout.title = client;
    if (reserveBand && 18 * f < client.height()) {
        layout.band = true;
        const int oldBottom = layout.title.bottom();
        layout.title.setBottom(oldBottom - 8 * f);
        layout.bandRect = QRect(QPoint(client.left(), layout.title.bottom()), QPoint(client.right(), oldBottom - 2 * f / 3));
        h -= (oldBottom - 2 * f / 3) - layout.title.bottom();
    }
    if (h >= 600)
        f = f * 3 / 2;
    else if (h >= 350)
        f = f * 4 / 3;
    layout.f = f;
    const int line = static_cast<int>(1.5 * f);
    layout.plot = QRect(QPoint(layout.title.left() + 5, layout.title.top() + line + 5),
                        QPoint(layout.title.right() - 3 * f, layout.title.bottom() - line - 5));
    return layout;
}

CVKTGrafAktual::CVKTGrafAktual(QWidget* parent) : CGraphWnd(parent)
{
    for (int i = 0; i < kQuantityCount; ++i)
        m_colours[std::size_t(i)] = kQuantities[i].colour;
    SetReady(true);
}

CVKTGrafAktual::~CVKTGrafAktual() = default;

void CVKTGrafAktual::Detach()
{
    if (m_data)
        for (int i = 0; i < kQuantityCount; ++i)
            m_data->SeriesRegistry().RemoveGraphSeries(NameAt(i));
    m_data = nullptr;
    m_entry = nullptr;
}

void CVKTGrafAktual::AttachOnline(CPristroj& entry)
{
    m_entry = &entry;
    m_data = entry.GetArchivData();
    SetOffline(false);
    LoadSettings();
    CreateFonts();
    update();
}

void CVKTGrafAktual::AttachArchive(CArchivData& data)
{
    m_entry = nullptr;
    m_data = &data;
    SetOffline(true);
    // An archive's graph follows the records: clicks and keys move the
    // current one, and the time axis zooms.
    SetTimeCursor(true);
    LoadSettings();
    CreateFonts();
    update();
}

QString CVKTGrafAktual::UnitOf(int index) const
{
    switch (kQuantities[index].group) {
    case 0: return QStringLiteral("V");
    case 1: return QStringLiteral("A");
    case 2: return QStringLiteral("1");
    case 3: return QStringLiteral("Hz");
    case 4: return QStringLiteral("C");
    case 5: return QStringLiteral("W,...");
    case 7: return QStringLiteral("1");
    default: return QStringLiteral("%");
    }
}

bool CVKTGrafAktual::GetQuantity(int index, int& shown, std::uint32_t& colour) const
{
    if (!m_data || index < 0 || index >= kQuantityCount)
        return false;
    const CGraphTrace* trace =
        m_shown[std::size_t(index)] ? m_data->SeriesRegistry().FindGraphSeries(NameAt(index)) : nullptr;
    shown = trace ? 1 : 0;
    colour = trace ? trace->Colour() : m_colours[std::size_t(index)];
    return true;
}

int CVKTGrafAktual::SetQuantity(int index, int shown, std::uint32_t colour)
{
    if (!m_data || index < 0 || index >= kQuantityCount)
        return 0;
    m_colours[std::size_t(index)] = colour;
    m_shown[std::size_t(index)] = shown;
    CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const QString name = NameAt(index);
    CGraphTrace* trace = registry.FindGraphSeries(name);
    if (!shown)
        return trace && registry.RemoveGraphSeries(name) ? 1 : 0;
    if (trace) {
        registry.SetSeriesColour(name, colour);
        return 0;
    }
    const int group = kQuantities[index].group;
    float minimum = 0, maximum = 0;
    GroupRange(group, minimum, maximum);
    if (group == 5 && !m_isOdbDod)
        minimum = 0;
    const bool added = registry.AddGraphSeries(name, UnitOf(index), QString::fromLatin1(kQuantities[index].caption),
                                               colour, maximum, minimum);
    if (added && group == 5 && !m_isOdbDod)
        registry.SetSeriesOption(name, 1);
    return added ? 1 : 0;
}

void CVKTGrafAktual::GetAllQuantities(std::array<int, kQuantityCount>& shown,
                                      std::array<std::uint32_t, kQuantityCount>& colours) const
{
    for (int i = 0; i < kQuantityCount; ++i) {
        int s = 0;
        std::uint32_t c = m_colours[std::size_t(i)];
        if (!GetQuantity(i, s, c))
            s = m_shown[std::size_t(i)];
        shown[std::size_t(i)] = s;
        colours[std::size_t(i)] = c;
    }
}

void CVKTGrafAktual::LoadSettings()
{
    if (!m_data)
        return;
    if (!m_entry && LoadArchiveSettings()) {
        m_data->PublishToGraphs();
        return;
    }
    platform::Settings settings;
    const QString name = m_entry ? m_entry->m_nazev : QString();
    const platform::SettingsSection device({QStringLiteral("pristroje"), name});
    bool useDevice = !name.isEmpty() && settings.SubSections(QStringLiteral("pristroje")).contains(name);
    if (useDevice && settings.GetProfileInt(device, QStringLiteral("init"), 0) == 0) {
        // A first binding takes the general defaults and marks the
        // instrument's section as set up.
        settings.WriteProfileInt(device, QStringLiteral("init"), 1);
        useDevice = false;
    } else if (!useDevice && !name.isEmpty()) {
        settings.WriteProfileInt(device, QStringLiteral("init"), 1);
    }
    const platform::SettingsSection section = useDevice ? device : platform::SettingsSection("Obecne nastaveni vkt");
    m_isOdbDod = settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0);
    m_isSpinac = settings.GetProfileInt(section, QStringLiteral("isSpinac"), 0);
    m_offLineZob = settings.GetProfileInt(section, QStringLiteral("offLineZob"), 0);
    if (useDevice) {
        m_currentGroup =
            std::clamp(settings.GetProfileInt(device, QStringLiteral("Aktualni Velicina"), 0), 0, kGroupCount - 1);
        SetGrid(settings.GetProfileInt(device, QStringLiteral("isMriz"), 0) != 0);
    }
    for (int i = 0; i < kQuantityCount; ++i) {
        const QString n = NameAt(i);
        const auto colour = static_cast<std::uint32_t>(
            settings.GetProfileInt(section, QStringLiteral("barva ") + n, static_cast<int>(kQuantities[i].colour)));
        const int shown = settings.GetProfileInt(section, QStringLiteral("is") + n, i < kShownByDefault ? 1 : 0);
        SetQuantity(i, shown, colour);
    }
    m_data->PublishToGraphs();
}

void CVKTGrafAktual::SaveSettings()
{
    if (!m_data || !m_entry)
        return;
    platform::Settings settings;
    const platform::SettingsSection device({QStringLiteral("pristroje"), m_entry->m_nazev});
    settings.WriteProfileInt(device, QStringLiteral("isOdbDod"), m_isOdbDod);
    settings.WriteProfileInt(device, QStringLiteral("isSpinac"), m_isSpinac);
    settings.WriteProfileInt(device, QStringLiteral("offLineZob"), m_offLineZob);
    for (int i = 0; i < kQuantityCount; ++i) {
        int shown = 0;
        std::uint32_t colour = m_colours[std::size_t(i)];
        GetQuantity(i, shown, colour);
        settings.WriteProfileInt(device, QStringLiteral("barva ") + NameAt(i), static_cast<int>(colour));
        settings.WriteProfileInt(device, QStringLiteral("is") + NameAt(i), shown);
    }
    settings.WriteProfileInt(device, QStringLiteral("Aktualni Velicina"), m_currentGroup);
    settings.WriteProfileInt(device, QStringLiteral("isMriz"), Grid() ? 1 : 0);
}

QByteArray CVKTGrafAktual::ArchiveRecord() const
{
    using namespace analysers_vk::recordbytes;
    QByteArray out;
    PutInt(out, m_isOdbDod);
    PutInt(out, m_isSpinac);
    PutInt(out, m_offLineZob);
    for (int i = 0; i < kQuantityCount; ++i) {
        int shown = 0;
        std::uint32_t colour = m_colours[std::size_t(i)];
        if (!GetQuantity(i, shown, colour))
            shown = m_shown[std::size_t(i)];
        PutInt(out, int(colour));
        PutInt(out, shown);
    }
    PutInt(out, m_typ);
    BOOL autoFlag = TRUE;
    int count = 0;
    std::vector<float> floats;
    if (m_data) {
        const CScaleCategories& categories = m_data->ScaleCategories();
        floats.resize(std::size_t(categories.GetCount()));
        categories.Get(autoFlag, count, floats.data());
    }
    PutInt(out, count);
    PutInt(out, autoFlag ? 1 : 0);
    if (count != 0) {
        PutInt(out, count * 4);
        for (int k = 0; k < count; ++k)
            PutFloat(out, floats[std::size_t(k)]);
    }
    PutInt(out, m_currentGroup);
    PutInt(out, Grid() ? 1 : 0);
    return out;
}

bool CVKTGrafAktual::ApplyArchiveRecord(const QByteArray& record)
{
    if (!m_data)
        return false;
    analysers_vk::recordbytes::Reader r(record);
    int odbDod = 0, spinac = 0, offLine = 0, typ = 0, count = 0, autoFlag = 0, group = 0, grid = 0;
    std::array<int, kQuantityCount> colours{}, shown{};
    if (!r.Int(odbDod) || !r.Int(spinac) || !r.Int(offLine))
        return false;
    for (int i = 0; i < kQuantityCount; ++i)
        if (!r.Int(colours[std::size_t(i)]) || !r.Int(shown[std::size_t(i)]))
            return false;
    if (!r.Int(typ) || !r.Int(count) || !r.Int(autoFlag) || count < 0 || count > kMaxCategoryFloats)
        return false;
    std::vector<float> floats(std::size_t(count), 0.0f);
    if (count != 0) {
        int length = 0;
        if (!r.Int(length) || length != count * 4)
            return false;
        for (float& f : floats)
            if (!r.Float(f))
                return false;
    }
    if (!r.Int(group) || !r.Int(grid))
        return false;
    m_isOdbDod = odbDod;
    m_isSpinac = spinac;
    m_offLineZob = offLine;
    m_typ = typ;
    m_currentGroup = std::clamp(group, 0, kGroupCount - 1);
    SetGrid(grid != 0);
    if (count != 0)
        m_data->ScaleCategories().Set(autoFlag ? TRUE : FALSE, count, floats.data());
    else
        m_data->ScaleCategories().SetAuto(autoFlag ? TRUE : FALSE);
    for (int i = 0; i < kQuantityCount; ++i)
        SetQuantity(i, shown[std::size_t(i)] ? 1 : 0, std::uint32_t(colours[std::size_t(i)]));
    return true;
}

bool CVKTGrafAktual::LoadArchiveSettings()
{
    if (!m_data)
        return false;
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = m_data->OpenSettingsStream(0, instrument, length);
    if (!stream || length == 0)
        return false;
    constexpr DWORD kLongest = 4 * (3 + 2 * kQuantityCount + 3 + 1 + kMaxCategoryFloats + 2);
    QByteArray record(qsizetype(std::min(length, kLongest)), '\0');
    const std::int64_t got = stream->Read(record.data(), record.size());
    record.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
    return ApplyArchiveRecord(record);
}

bool CVKTGrafAktual::SaveArchiveSettings()
{
    if (!m_data || m_entry)
        return false;
    std::optional<QByteArray> saved;
    std::unique_ptr<CArchivStream> stream = m_data->OpenSettingsSection(0, saved);
    if (!stream)
        return false;
    const QByteArray record = ArchiveRecord();
    if (stream->Write(record.constData(), record.size()) != record.size()) {
        m_data->ReleaseAndReportError(stream);
        return false;
    }
    return m_data->CloseSettingsSection(std::move(stream), 0, saved) == 1;
}

void CVKTGrafAktual::CreateFonts()
{
    m_layout = ComputeLayout(rect(), logicalDpiY(), m_isSpinac != 0);
    auto normal = std::make_unique<QFont>(QStringLiteral("Times New Roman"));
    normal->setPixelSize(std::max(6, m_layout.f));
    normal->setWeight(QFont::Normal);
    auto bold = std::make_unique<QFont>(*normal);
    bold->setWeight(QFont::Bold);
    bold->setPixelSize(std::max(6, m_layout.f * 8 / 7));
    SetFonts(std::move(normal), std::move(bold));
    QRect plot = m_layout.plot;
    const QRect title = m_layout.title;
    const int f = m_layout.f;
    if (X1() - X0() != 1000) {
        plot.setBottom(plot.bottom() - 4 * f / 3);
        HorzBar()->setGeometry(title.left() + title.width() / 2, title.bottom() - 4 * f / 3, title.width() / 2 - 3 * f,
                               f);
        HorzBar()->show();
    } else {
        HorzBar()->hide();
    }
    if (Y1() - Y0() != 1000) {
        VertBar()->setGeometry(title.right() - 3 * f / 2, plot.top(), f, plot.bottom() - 3 * f);
        VertBar()->show();
    } else {
        VertBar()->hide();
    }
    m_layout.plot = plot;
    SetPlotRect(CGraphRect::FromQRect(plot));
}

int CVKTGrafAktual::GetCursorPos(int width)
{
    if (!m_data)
        return 0;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const std::int64_t elapsed = (platform::CTime::GetCurrentTime() - registry.GraphOrigin()).GetTotalSeconds();
    const int span = registry.GraphSpan();
    if (span <= 0)
        return 0;
    return int(std::clamp<std::int64_t>(elapsed * 30000 / span, 0, 30000)) * width / 30000;
}

void CVKTGrafAktual::Draw(QPainter& p, const QRect& client)
{
    if (Dragging() || client.width() < 50 || client.height() < 50)
        return;
    const QRect frame = client.adjusted(1, 1, -2, -2);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(frame);
    p.setBrush(Qt::NoBrush);
    if (!m_data)
        return;
    if (!LabelFont())
        CreateFonts();
    CGraphPainter painter(&p, LabelFont(), TitleFont());
    DrawGraph(painter, m_layout, false);
}

void CVKTGrafAktual::DrawGraph(CGraphPainter& painter, const Layout& layout, bool print)
{
    // Each drawing starts from the laid-out plot: the axes move its left
    // edge, which must not carry over to the next drawing.
    CGraphRect plot = CGraphRect::FromQRect(layout.plot);
    if (Offline() && !print)
        plot.top -= 8;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    auto traceOf = [&](int i) { return m_shown[std::size_t(i)] ? registry.FindGraphSeries(NameAt(i)) : nullptr; };

    // With the grid on, a group without a shown quantity gives way to the
    // group of the first shown one; the printed graph chooses on a copy.
    int currentGroup = m_currentGroup;
    if (Grid()) {
        bool any = false;
        for (int i = 0; i < kQuantityCount && !any; ++i)
            any = traceOf(i) && kQuantities[i].group == currentGroup;
        for (int i = 0; i < kQuantityCount && !any; ++i)
            if (traceOf(i)) {
                currentGroup = kQuantities[i].group;
                any = true;
            }
    }
    if (!print)
        m_currentGroup = currentGroup;
    int left = plot.left;
    std::vector<std::uint32_t> edges, groups;
    auto axis = [&](int i, bool grid) {
        CGraphRect r{left, plot.top, left, plot.bottom};
        const CGraphTrace& trace = *traceOf(i);
        if (kQuantities[i].group == 2)
            painter.DrawPowerFactorAxis(trace, r, grid, layout.title.right(), Y0(), Y1());
        else
            painter.DrawValueAxis(trace, r, grid, layout.title.right(), Y0(), Y1(), 1.0f);
        left = r.right;
        edges.push_back(std::uint32_t(r.right));
        groups.push_back(std::uint32_t(kQuantities[i].group));
    };
    std::array<bool, kGroupCount> drawn{};
    for (int i = 0; i < kQuantityCount; ++i) {
        const int g = kQuantities[i].group;
        if (!traceOf(i) || drawn[std::size_t(g)])
            continue;
        drawn[std::size_t(g)] = true;
        if (!(Grid() && g == currentGroup))
            axis(i, false);
    }
    if (Grid())
        for (int i = 0; i < kQuantityCount; ++i)
            if (traceOf(i) && kQuantities[i].group == currentGroup) {
                axis(i, true);
                break;
            }
    plot.left = left;
    if (!print) {
        SetColumns(edges, groups);
        SetPlotRect(plot);
    }
    const CGraphTrace* first = nullptr;
    for (int i = 0; i < kQuantityCount && !first; ++i)
        first = traceOf(i);
    if (first) {
        CGraphRect timeAxis{plot.left, plot.top, plot.right, plot.bottom};
        painter.DrawTimeAxis(*first, timeAxis, Grid(), X0(), X1());
        if (layout.band) {
            // The relays' band under the plot, over the same time window.
            const std::vector<std::vector<std::uint32_t>> none;
            const std::array<CSwitchRows, 3> channels{CSwitchRows(none), CSwitchRows(none), CSwitchRows(none)};
            const CGraphRect band{plot.left, layout.bandRect.top(), plot.right, layout.bandRect.bottom()};
            painter.DrawChannelBars(channels, band, registry.GraphSpan(), X0(), X1());
        }
    }
    if (!Offline() && !print)
        painter.DrawTitle(CGraphRect::FromQRect(layout.title), plot);
    if (!Ready()) {
        painter.DrawBusyNotice(plot.left, plot.top, plot.right, plot.bottom);
        return;
    }
    painter.SetViewport(plot.left, plot.top, plot.right, plot.bottom, X0(), Y0(), X1(), Y1());
    for (int i = 0; i < kQuantityCount; ++i)
        if (const CGraphTrace* trace = traceOf(i))
            painter.DrawTrace(*trace, X0(), Y0(), X1(), Y1());
    if (!Offline())
        painter.DrawMarkerLine(GetCursorPos(30000), X1() - X0());
    painter.DeleteClipRegion();
}

bool CVKTGrafAktual::Print(QPrinter* printer)
{
    if (!m_data)
        return false;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const platform::CTime start = registry.GraphOrigin();
    const std::int64_t span = registry.GraphSpan();
    const QString format = QStringLiteral("%d.%m.%y %H:%M:%S");
    const QString from = platform::CTime(start.GetTime() + std::uint32_t(span * X0() / 1000)).Format(format);
    const QString to = platform::CTime(start.GetTime() + std::uint32_t(span * X1() / 1000)).Format(format);
    const auto* vkt = dynamic_cast<const CVKTArchivData*>(m_data);
    const QString name = vkt ? vkt->GetArchiveFileName() : QString();

    charts::CReportPrinter report(printer, 2, 2, false);
    report.SetParent(this);
    const QString title = window() ? window()->windowTitle() : QString();
    if (!report.BeginPrint(charts::FillPlaceholders(platform::LoadString(platform::IDS_JOB_GRAPH), {name}), title,
                           QString()))
        return false;
    QString heading =
        charts::FillPlaceholders(platform::LoadString(platform::IDS_PRINT_GRAPH_HEADING), {name, from, to});
    heading.chop(1);
    report.PrintBox(heading);
    report.PrintText(QString());
    if (report.IsPrinting()) {
        QPainter& pp = report.Painter();
        const QRect body = report.BodyRect();
        const QRect area(QPoint(body.left(), report.CurrentY()), body.bottomRight());
        pp.save();
        pp.setPen(Qt::black);
        pp.setBrush(Qt::NoBrush);
        pp.drawRect(area);
        const int f = pp.device()->logicalDpiY() * 9 / 72;
        Layout layout;
        layout.f = f;
        layout.title = area.adjusted(1, 1, -1, -1);
        // The band on paper: from 8 f to f above the bottom.
        if (m_isSpinac && 18 * f < layout.title.height()) {
            layout.band = true;
            const int bottom = layout.title.bottom();
            layout.bandRect = QRect(QPoint(layout.title.left(), bottom - 8 * f), QPoint(layout.title.right(), bottom - f));
            layout.title.setBottom(bottom - 8 * f);
        }
        const int line = int(1.5 * f);
        layout.plot = QRect(QPoint(layout.title.left() + 5, layout.title.top() + line + 5),
                            QPoint(layout.title.right() - 3 * f, layout.title.bottom() - line - 5));
        QFont normal(QStringLiteral("Times New Roman"));
        normal.setPixelSize(std::max(6, f));
        QFont bold(normal);
        bold.setWeight(QFont::Bold);
        {
            CGraphPainter painter(&pp, &normal, &bold);
            DrawGraph(painter, layout, true);
        }
        pp.restore();
        report.SetCurrentY(area.bottom());
    }
    report.EndPrint();
    return !report.Failed();
}

} // namespace analysers_vkt
