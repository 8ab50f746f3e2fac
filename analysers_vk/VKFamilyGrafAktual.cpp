#include "analysers_vk/VKFamilyGrafAktual.h"

#include "analysers_vk/VKRecordBytes.h"

#include "archive_docs/ArchivDocBase.h"
#include "archive/store/ArchivData.h"
#include "archive/store/ArchivStream.h"
#include "archive/store/VKFamilyArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "charts/GraphPainter.h"
#include "charts/ReportPrinter.h"
#include "link/Pristroj.h"
#include "model/ScaleCategorySection.h"
#include "platform/Settings.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/Time32.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameTitle.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <memory>
#include <optional>

namespace analysers_vk {

namespace {

// More floats than any instrument type has categories for: not a record.
constexpr int kMaxCategoryFloats = 256;

// The scale categories whose ranges scale with the transformer ratios, and
// the instrument types whose category sets the graphs use.
constexpr int kCategoryVoltage = 0;
constexpr int kCategoryCurrent = 1;
constexpr int kCategoryPower = 4;
constexpr int kScaleTypeVK = 2;
constexpr int kScaleTypeVKT = 4;

// The archive's graph choice before any was stored; a stored one is taken
// only while the graph still holds this.
constexpr int kInitialTyp = 7;

} // namespace

CVKFamilyGrafAktual::Layout CVKFamilyGrafAktual::LayoutFor(const QRect& clientRect, int logPixelsY, bool reserveBand,
                                                           int bandLines, int bandHalfLines)
{
    Layout layout;
    const QRect client = clientRect.adjusted(1, 1, -1, -1);
    int h = std::min(client.width(), client.height());
    int f = logPixelsY * 9 / 72;
    layout.title = client;
    if (reserveBand && ReserveBand(layout, f, bandLines, bandHalfLines, 2 * f / 3))
        h -= layout.bandRect.bottom() - layout.bandRect.top();
    // Large graphs write both fonts at one and a half times the base.
    if (h >= 600)
        f = f * 3 / 2;
    else if (h >= 350)
        f = f * 4 / 3;
    layout.f = f;
    layout.bold = h >= 600 ? f : f * 8 / 7;
    const int line = static_cast<int>(1.5 * f);
    layout.plot = QRect(QPoint(layout.title.left() + 5, layout.title.top() + line + 5),
                        QPoint(layout.title.right() - 3 * f, layout.title.bottom() - line - 5));
    return layout;
}

bool CVKFamilyGrafAktual::ReserveBand(Layout& layout, int f, int bandLines, int bandHalfLines, int gap)
{
    if (bandLines * f >= layout.title.height())
        return false;
    layout.band = true;
    const int oldBottom = layout.title.bottom();
    layout.title.setBottom(oldBottom - bandHalfLines * f / 2);
    layout.bandRect =
        QRect(QPoint(layout.title.left(), layout.title.bottom()), QPoint(layout.title.right(), oldBottom - gap));
    return true;
}

int CVKFamilyGrafAktual::MarkerPosition(std::int64_t elapsed, int span)
{
    if (span <= 0)
        return 0;
    return static_cast<int>(std::clamp<std::int64_t>(elapsed * 30000 / span, 0, 30000));
}

void CVKFamilyGrafAktual::GroupRange(int group, float& minimum, float& maximum)
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

CVKFamilyGrafAktual::CVKFamilyGrafAktual(const Family& family, QWidget* parent)
    : CGraphWnd(parent), m_family(family), m_shown(family.quantities.size(), 0)
{
    for (const Quantity& q : family.quantities)
        m_colours.push_back(q.colour);
    SetReady(true);
}

CVKFamilyGrafAktual::~CVKFamilyGrafAktual() = default;

const CVKFamilyGrafAktual::Quantity& CVKFamilyGrafAktual::QuantityOf(int index) const
{
    return m_family.quantities[std::size_t(std::clamp(index, 0, QuantityCount() - 1))];
}

QString CVKFamilyGrafAktual::NameOf(int index) const
{
    return QString::fromLatin1(QuantityOf(index).name);
}

void CVKFamilyGrafAktual::Detach()
{
    if (m_data)
        for (int i = 0; i < QuantityCount(); ++i)
            m_data->SeriesRegistry().RemoveGraphSeries(NameOf(i));
    m_data = nullptr;
    m_entry = nullptr;
}

void CVKFamilyGrafAktual::AttachOnline(CPristroj& entry)
{
    m_entry = &entry;
    m_data = entry.GetArchivData();
    SetOffline(false);
    LoadSettings();
    CreateFonts();
    update();
}

void CVKFamilyGrafAktual::AttachArchive(CArchivData& data)
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

QString CVKFamilyGrafAktual::UnitOf(int index) const
{
    switch (QuantityOf(index).group) {
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

bool CVKFamilyGrafAktual::GetQuantity(int index, int& shown, std::uint32_t& colour) const
{
    if (!m_data || index < 0 || index >= QuantityCount())
        return false;
    const CGraphTrace* trace =
        m_shown[std::size_t(index)] ? m_data->SeriesRegistry().FindGraphSeries(NameOf(index)) : nullptr;
    shown = trace ? 1 : 0;
    colour = trace ? trace->Colour() : m_colours[std::size_t(index)];
    return true;
}

void CVKFamilyGrafAktual::ListQuantity(int index, int& shown, std::uint32_t& colour) const
{
    colour = m_colours[std::size_t(std::clamp(index, 0, QuantityCount() - 1))];
    if (!GetQuantity(index, shown, colour))
        shown = 0;
}

int CVKFamilyGrafAktual::SetQuantity(int index, int shown, std::uint32_t colour)
{
    if (!m_data || index < 0 || index >= QuantityCount())
        return 0;
    m_colours[std::size_t(index)] = colour;
    m_shown[std::size_t(index)] = shown;
    CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const QString name = NameOf(index);
    CGraphTrace* trace = registry.FindGraphSeries(name);
    if (!shown)
        return trace && registry.RemoveGraphSeries(name) ? 1 : 0;
    const int group = QuantityOf(index).group;
    float minimum = 0, maximum = 0;
    GroupRange(group, minimum, maximum);
    // Voltages, currents and powers get their ranges with the transformer
    // ratios from the store; the other quantities take their category's
    // range as it is, automatic or as the user stored it.
    const int category = QuantityOf(index).category;
    const bool ownRange = category != kCategoryVoltage && category != kCategoryCurrent && category != kCategoryPower;
    if (ownRange) {
        const int type = dynamic_cast<CVKTArchivData*>(m_data) ? kScaleTypeVKT : kScaleTypeVK;
        double low = 0, high = 0;
        if (m_data->ScaleCategories().GetEffectiveRange(category, type, low, high, 1.0) && high > low) {
            minimum = float(low);
            maximum = float(high);
        }
    }
    if (group == 5 && !m_isOdbDod)
        minimum = 0;
    if (trace) {
        registry.SetSeriesColour(name, colour);
        // A range changed while the quantity is shown applies at once.
        if (ownRange)
            registry.SetSeriesScale(name, minimum, maximum);
        // Import/export switched while a power is shown: its axis follows.
        if (group != 5 || registry.SetSeriesOption(name, m_isOdbDod ? 0 : 1) == 1)
            return 0;
        registry.SetSeriesScale(name, minimum, maximum);
        return 1;
    }
    const bool added =
        registry.AddGraphSeries(name, UnitOf(index), QString::fromLatin1(QuantityOf(index).caption), colour, maximum,
                                minimum);
    if (added && group == 5 && !m_isOdbDod)
        registry.SetSeriesOption(name, 1);
    if (added && !Offline())
        MarkLiveScalesChanged();
    return added ? 1 : 0;
}

void CVKFamilyGrafAktual::MarkLiveScalesChanged()
{
    if (auto* vk = dynamic_cast<CVKFamilyArchivData*>(m_data))
        vk->MarkSeriesScalesChanged();
    else if (auto* vkt = dynamic_cast<CVKTArchivData*>(m_data))
        vkt->MarkSeriesScalesChanged();
}

void CVKFamilyGrafAktual::FollowLiveScales()
{
    // Both are asked: each clears its own flag.
    int changed = 0;
    if (auto* vk = dynamic_cast<CVKFamilyArchivData*>(m_data)) {
        changed = vk->RescaleCurrentSeries(m_isOdbDod);
        changed |= vk->RescaleVoltageSeries(m_isOdbDod);
    } else if (auto* vkt = dynamic_cast<CVKTArchivData*>(m_data)) {
        changed = vkt->RescaleCurrentSeries(m_isOdbDod);
        changed |= vkt->RescaleVoltageSeries(m_isOdbDod);
    }
    if (changed && m_data->ScaleCategories().GetAuto())
        m_data->PublishToGraphs();
}

void CVKFamilyGrafAktual::LoadSettings()
{
    if (!m_data)
        return;
    // Offline the record kept in the archive comes first.
    if (!m_entry && LoadArchiveSettings()) {
        m_data->PublishToGraphs();
        return;
    }
    platform::Settings settings;
    // Offline, the instrument the archive was recorded from, when this
    // computer still knows it.
    const QString name = m_entry ? m_entry->m_nazev : m_data->GetInstrumentName();
    const platform::SettingsSection device({QStringLiteral("pristroje"), name});
    bool useDevice = !name.isEmpty() && settings.SubSections(QStringLiteral("pristroje")).contains(name);
    if (useDevice && settings.GetProfileInt(device, QStringLiteral("init"), 0) == 0) {
        // A first binding takes the general defaults and marks the
        // instrument's section as set up.
        settings.WriteProfileInt(device, QStringLiteral("init"), 1);
        useDevice = false;
    } else if (!useDevice && m_entry && !name.isEmpty()) {
        // Only for an instrument of the list: every section there is an
        // instrument at the next start, so an archive of an instrument this
        // computer does not know must not make one.
        settings.WriteProfileInt(device, QStringLiteral("init"), 1);
    }
    const platform::SettingsSection section = useDevice ? device : platform::SettingsSection(m_family.generalSection);
    if (!m_entry && !useDevice)
        m_data->ScaleCategories().LoadFromSettings(m_family.categoryType, settings);
    m_isOdbDod = settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0);
    m_isSpinac = settings.GetProfileInt(section, QStringLiteral("isSpinac"), 0);
    if (m_family.offLineZob)
        m_offLineZob = settings.GetProfileInt(section, QStringLiteral("offLineZob"), 0);
    if (useDevice) {
        if (m_typ == kInitialTyp)
            m_typ = settings.GetProfileInt(device, QStringLiteral("typ"), kInitialTyp);
        // The instrument's own ranges, before the quantities take theirs.
        LoadScaleCategories(m_data->ScaleCategories(), settings, device);
        m_currentGroup = std::clamp(settings.GetProfileInt(device, QStringLiteral("Aktualni Velicina"), 0), 0,
                                    m_family.groupCount - 1);
        SetGrid(settings.GetProfileInt(device, QStringLiteral("isMriz"), 0) != 0);
    }
    for (int i = 0; i < QuantityCount(); ++i) {
        const QString n = NameOf(i);
        const auto colour = static_cast<std::uint32_t>(
            settings.GetProfileInt(section, QStringLiteral("barva ") + n, static_cast<int>(QuantityOf(i).colour)));
        int shown = settings.GetProfileInt(section, QStringLiteral("is") + n, i < m_family.shownByDefault ? 1 : 0);
        // An instrument that does not measure its temperature never shows it.
        if (n == QLatin1String("T") && !TemperatureAvailable())
            shown = 0;
        SetQuantity(i, shown, colour);
    }
    m_data->PublishToGraphs();
}

void CVKFamilyGrafAktual::SaveSettings()
{
    if (!m_data || !m_entry)
        return;
    platform::Settings settings;
    const platform::SettingsSection device({QStringLiteral("pristroje"), m_entry->m_nazev});
    settings.WriteProfileInt(device, QStringLiteral("isOdbDod"), m_isOdbDod);
    for (int i = 0; i < QuantityCount(); ++i) {
        int shown = 0;
        std::uint32_t colour = m_colours[std::size_t(i)];
        GetQuantity(i, shown, colour);
        settings.WriteProfileInt(device, QStringLiteral("barva ") + NameOf(i), static_cast<int>(colour));
        settings.WriteProfileInt(device, QStringLiteral("is") + NameOf(i), shown);
    }
    settings.WriteProfileInt(device, QStringLiteral("isSpinac"), m_isSpinac);
    if (m_family.offLineZob)
        settings.WriteProfileInt(device, QStringLiteral("offLineZob"), m_offLineZob);
    settings.WriteProfileInt(device, QStringLiteral("typ"), m_typ);
    SaveScaleCategories(m_data->ScaleCategories(), settings, device);
    settings.WriteProfileInt(device, QStringLiteral("Aktualni Velicina"), m_currentGroup);
    settings.WriteProfileInt(device, QStringLiteral("isMriz"), Grid() ? 1 : 0);
}

void CVKFamilyGrafAktual::CreateFonts()
{
    m_layout = LayoutFor(rect(), logicalDpiY(), m_isSpinac != 0, m_family.bandLines, m_family.bandHalfLines);
    auto normal = std::make_unique<QFont>(QStringLiteral("Times New Roman"));
    normal->setPixelSize(std::max(6, m_layout.f));
    normal->setWeight(QFont::Normal);
    auto bold = std::make_unique<QFont>(*normal);
    bold->setWeight(QFont::Bold);
    bold->setPixelSize(std::max(6, m_layout.bold));
    SetFonts(std::move(normal), std::move(bold));
    QRect plot = m_layout.plot;
    const QRect title = m_layout.title;
    const int f = m_layout.f;
    // The time axis's labels keep their lines under the plot.
    plot.setBottom(std::min(plot.bottom(), title.bottom() - CGraphPainter::TimeAxisRoom(*LabelFont(), this) - 5));
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

int CVKFamilyGrafAktual::GetCursorPos(int width)
{
    if (!m_data)
        return 0;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    return MarkerPosition((platform::CTime::GetCurrentTime() - registry.GraphOrigin()).GetTotalSeconds(),
                          registry.GraphSpan()) *
           width / 30000;
}

void CVKFamilyGrafAktual::Draw(QPainter& p, const QRect& client)
{
    if (!DrawPlate(p, client))
        return;
    if (!m_data)
        return;
    if (!LabelFont())
        CreateFonts();
    CGraphPainter painter(&p, LabelFont(), TitleFont());
    DrawGraph(painter, m_layout, false);
}

void CVKFamilyGrafAktual::DrawGraph(CGraphPainter& painter, const Layout& layout, bool print)
{
    // Each drawing starts from the laid-out plot: the axes move its left
    // edge, which must not carry over to the next drawing.
    CGraphRect plot = CGraphRect::FromQRect(layout.plot);
    if (Offline() && !print)
        plot.top -= 8;
    if (!Offline() && !print)
        FollowLiveScales();
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    auto traceOf = [&](int i) { return m_shown[std::size_t(i)] ? registry.FindGraphSeries(NameOf(i)) : nullptr; };
    const int count = QuantityCount();

    // With the grid on, a group without a shown quantity gives way to the
    // group of the first shown one; the printed graph chooses on a copy.
    int currentGroup = m_currentGroup;
    if (Grid()) {
        bool any = false;
        for (int i = 0; i < count && !any; ++i)
            any = traceOf(i) && QuantityOf(i).group == currentGroup;
        for (int i = 0; i < count && !any; ++i)
            if (traceOf(i)) {
                currentGroup = QuantityOf(i).group;
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
        if (QuantityOf(i).group == 2)
            painter.DrawPowerFactorAxis(trace, r, grid, layout.title.right(), Y0(), Y1());
        else
            painter.DrawValueAxis(trace, r, grid, layout.title.right(), Y0(), Y1(), 1.0f);
        left = r.right;
        edges.push_back(std::uint32_t(r.right));
        groups.push_back(std::uint32_t(QuantityOf(i).group));
    };
    std::vector<bool> drawn(std::size_t(m_family.groupCount), false);
    for (int i = 0; i < count; ++i) {
        const int g = QuantityOf(i).group;
        if (!traceOf(i) || drawn[std::size_t(g)])
            continue;
        drawn[std::size_t(g)] = true;
        if (!(Grid() && g == currentGroup))
            axis(i, false);
    }
    if (Grid())
        for (int i = 0; i < count; ++i)
            if (traceOf(i) && QuantityOf(i).group == currentGroup) {
                axis(i, true);
                break;
            }
    // The curves keep clear of the last axis's line; on the screen they
    // reach the title's right edge, less the room the time axis takes.
    plot.left = left + 2;
    if (!print)
        plot.right = layout.title.right();
    const CGraphTrace* first = FirstShownTrace();
    std::uint32_t origin = 0;
    std::int64_t span = 0;
    // Before the store has chosen a window there is no time to show: an
    // axis or a marker placed in it would read 1970.
    const bool timed = ShownWindow(origin, span);
    if (first) {
        // The axis takes its room at the right: the curves, the band, the
        // cursor and the clicks keep to the same width.
        if (timed)
            painter.DrawTimeAxis(*first, plot, Grid(), X0(), X1());
        if (layout.band)
            DrawBand(painter, CGraphRect{plot.left, layout.bandRect.top(), plot.right, layout.bandRect.bottom()});
    }
    if (!print) {
        SetColumns(edges, groups);
        SetPlotRect(plot);
    }
    if (!Offline() && !print)
        painter.DrawTitle(CGraphRect::FromQRect(layout.title), plot);
    if (!Ready() && !print) {
        painter.DrawBusyNotice(plot.left, plot.top, plot.right, plot.bottom);
        return;
    }
    painter.SetViewport(plot.left, plot.top, plot.right, plot.bottom, X0(), Y0(), X1(), Y1());
    for (int i = 0; i < count; ++i)
        if (const CGraphTrace* trace = traceOf(i))
            painter.DrawTrace(*trace, X0(), Y0(), X1(), Y1());
    if (!print) {
        if (!Offline()) {
            if (timed)
                painter.DrawMarkerLine(GetCursorPos(30000), X1() - X0());
        } else if (const int marker = OfflineMarker(); marker >= 0) {
            painter.DrawMarkerLine(marker, X1() - X0());
        }
    }
    painter.DeleteClipRegion();
}

QByteArray CVKFamilyGrafAktual::ArchiveRecord() const
{
    using namespace recordbytes;
    QByteArray out;
    PutInt(out, m_isOdbDod);
    PutInt(out, m_isSpinac);
    if (m_family.offLineZob)
        PutInt(out, m_offLineZob);
    for (int i = 0; i < QuantityCount(); ++i) {
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

bool CVKFamilyGrafAktual::ApplyArchiveRecord(const QByteArray& record)
{
    if (!m_data)
        return false;
    recordbytes::Reader r(record);
    int odbDod = 0, spinac = 0, offLine = 0, typ = 0, count = 0, autoFlag = 0;
    const std::size_t n = std::size_t(QuantityCount());
    std::vector<int> colours(n, 0), shown(n, 0);
    if (!r.Int(odbDod) || !r.Int(spinac) || (m_family.offLineZob && !r.Int(offLine)))
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (!r.Int(colours[i]) || !r.Int(shown[i]))
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
    // The tail follows the float block wherever the count puts it.
    int group = 0, grid = 0;
    const bool tail = r.Int(group) && r.Int(grid);
    if (!tail && m_family.offLineZob)
        return false;
    if (tail) {
        m_currentGroup = std::clamp(group, 0, m_family.groupCount - 1);
        SetGrid(grid != 0);
    }
    m_isOdbDod = odbDod;
    m_isSpinac = spinac;
    if (m_family.offLineZob)
        m_offLineZob = offLine;
    m_typ = typ;
    if (count != 0)
        m_data->ScaleCategories().Set(autoFlag ? TRUE : FALSE, count, floats.data());
    else
        m_data->ScaleCategories().SetAuto(autoFlag ? TRUE : FALSE);
    // An instrument that does not measure its temperature never shows it,
    // whatever an archive of another instrument's settings stored.
    const bool temperature = TemperatureAvailable();
    for (std::size_t i = 0; i < n; ++i) {
        const bool off = !temperature && NameOf(int(i)) == QLatin1String("T");
        SetQuantity(int(i), shown[i] && !off ? 1 : 0, std::uint32_t(colours[i]));
    }
    return true;
}

bool CVKFamilyGrafAktual::LoadArchiveSettings()
{
    if (!m_data)
        return false;
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = m_data->OpenSettingsStream(0, instrument, length);
    if (!stream || length == 0)
        return false;
    const DWORD longest = DWORD(4 * (3 + 2 * QuantityCount() + 3 + 1 + kMaxCategoryFloats + 2));
    QByteArray record(qsizetype(std::min(length, longest)), '\0');
    const std::int64_t got = stream->Read(record.data(), record.size());
    record.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
    return ApplyArchiveRecord(record);
}

bool CVKFamilyGrafAktual::SaveArchiveSettings()
{
    if (!m_data || m_entry)
        return false;
    return m_data->WriteSettingsSection(0, ArchiveRecord());
}

const CGraphTrace* CVKFamilyGrafAktual::FirstShownTrace() const
{
    if (!m_data)
        return nullptr;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    for (int i = 0; i < QuantityCount(); ++i)
        if (m_shown[std::size_t(i)])
            if (const CGraphTrace* trace = registry.FindGraphSeries(NameOf(i)))
                return trace;
    return nullptr;
}

bool CVKFamilyGrafAktual::ShownWindow(std::uint32_t& origin, std::int64_t& span) const
{
    if (!m_data)
        return false;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    if (const CGraphTrace* first = FirstShownTrace()) {
        origin = first->Origin().GetTime();
        span = first->Span();
    } else {
        origin = registry.GraphOrigin().GetTime();
        span = registry.GraphSpan();
    }
    return origin != 0 && span > 0;
}

int CVKFamilyGrafAktual::OfflineMarker() const
{
    platform::CTime current;
    if (const auto* vk = dynamic_cast<const CVKFamilyArchivData*>(m_data))
        current = vk->GetCurrentRecordTime();
    else if (const auto* vkt = dynamic_cast<const CVKTArchivData*>(m_data))
        current = vkt->GetCurrentTime();
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    if (!current.GetTime() || registry.GraphSpan() <= 0)
        return -1;
    return MarkerPosition(std::int64_t(current.GetTime()) - std::int64_t(registry.GraphOrigin().GetTime()),
                          registry.GraphSpan());
}

void CVKFamilyGrafAktual::OnCursorMoved(float perMille)
{
    if (!m_data || !Offline())
        return;
    ui::CView* view = nullptr;
    for (QWidget* w = parentWidget(); w && !view; w = w->parentWidget())
        view = qobject_cast<ui::CView*>(w);
    auto* doc = view ? qobject_cast<CArchivDocBase*>(view->GetDocument()) : nullptr;
    if (!doc || doc->ReloadIfChangedSafe())
        return;
    // The base window tells the view, which shows the record's values.
    doc->Navigator().SeekTime(int(perMille));
}

QString CVKFamilyGrafAktual::ArchiveFileName() const
{
    if (const auto* vk = dynamic_cast<const CVKFamilyArchivData*>(m_data))
        return vk->GetArchiveFileName();
    if (const auto* vkt = dynamic_cast<const CVKTArchivData*>(m_data))
        return vkt->GetArchiveFileName();
    return QString();
}

bool CVKFamilyGrafAktual::Print(QPrinter* printer)
{
    // A live graph gets its store with the first measurement and its time
    // window with the measurements after; before them the page shows the
    // plot the window shows, without a time axis, headed with the time of
    // printing, rather than the command doing nothing at all.
    static const CArchivSeriesRegistry kNoSeries;
    const CArchivSeriesRegistry& registry = m_data ? m_data->SeriesRegistry() : kNoSeries;
    std::uint32_t start = 0;
    std::int64_t span = 0;
    if (!ShownWindow(start, span)) {
        start = platform::CTime::GetCurrentTime().GetTime();
        span = 0;
    }
    // The heading names the part of the window the axis shows, as the axis
    // computes it.
    const QString format = QStringLiteral("%d.%m.%y %H:%M:%S");
    const QString from = platform::CTime(platform::CTime::time_type(start + span * X0() / 1000)).Format(format);
    const QString to = platform::CTime(platform::CTime::time_type(start + span * X1() / 1000)).Format(format);
    const QString name = ArchiveFileName();

    charts::CReportPrinter report(printer, 2, 2, false);
    report.SetParent(this);
    const QString title = ui::FrameTitleOf(this);
    if (!report.BeginPrint(charts::FillPlaceholders(platform::LoadString(platform::IDS_JOB_GRAPH), {name}), title,
                           QString()))
        return false;
    QString heading =
        charts::FillPlaceholders(platform::LoadString(platform::IDS_PRINT_GRAPH_HEADING), {name, from, to});
    heading.chop(1);
    report.PrintBox(heading);
    report.PrintText(QString());
    // The legend: each drawn series by name beside a box of its colour.
    int entry = 0;
    for (int i = 0; i < QuantityCount(); ++i) {
        const CGraphTrace* trace = m_shown[std::size_t(i)] ? registry.FindGraphSeries(NameOf(i)) : nullptr;
        if (!trace)
            continue;
        const QRect r = report.PrintTextPair(QStringLiteral("   ") + trace->Name(), entry == 0 ? 0 : 1, 1);
        if (report.IsPrinting())
            report.Painter().fillRect(QRect(r.left(), r.top(), std::max(1, r.height() / 2), r.height()),
                                      ColorFromRef(trace->Colour()));
        ++entry;
    }
    if (entry != 0)
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
        QFont normal(QStringLiteral("Times New Roman"));
        normal.setPixelSize(std::max(6, f));
        QFont bold(normal);
        bold.setWeight(QFont::Bold);
        Layout layout;
        layout.f = f;
        layout.title = area.adjusted(1, 1, -1, -1);
        // A whole line of the printed text: the face's own line height,
        // which may well be more than its size.
        const int textLine = std::max(f, QFontMetrics(normal, pp.device()).height());
        if (m_isSpinac)
            ReserveBand(layout, f, m_family.bandLines, m_family.bandHalfLines,
                        m_family.printBandToLine ? textLine : 2 * f / 3);
        const int line = int(1.5 * f);
        const int below = std::max(line, CGraphPainter::TimeAxisRoom(normal, pp.device()));
        layout.plot = QRect(QPoint(layout.title.left() + 5, layout.title.top() + line + 5),
                            QPoint(layout.title.right() - 3 * f, layout.title.bottom() - below - 5));
        if (m_data) {
            CGraphPainter painter(&pp, &normal, &bold);
            DrawGraph(painter, layout, true);
        }
        pp.restore();
        report.SetCurrentY(area.bottom());
    }
    report.EndPrint();
    return !report.Failed();
}

} // namespace analysers_vk
