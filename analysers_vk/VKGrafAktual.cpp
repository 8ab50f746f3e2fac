#include "analysers_vk/VKGrafAktual.h"

#include "analysers_vk/VKRecordBytes.h"

#include "archive/documents/ArchivDocBase.h"
#include "archive/store/ArchivData.h"
#include "archive/store/ArchivStream.h"
#include "charts/ReportPrinter.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/Document.h"
#include "archive/store/VKArchivData.h"
#include "charts/GraphPainter.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/Time32.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <optional>

namespace analysers_vk {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

const CVKGrafAktual::Quantity kQuantities[CVKGrafAktual::kQuantityCount] = {
    {"U1", 0, 0, "U", Rgb(132, 13, 8)},       {"U2", 0, 0, "U", Rgb(244, 85, 85)},
    {"U3", 0, 0, "U", Rgb(221, 175, 175)},    {"I1", 1, 1, "I", Rgb(8, 34, 137)},
    {"I2", 1, 1, "I", Rgb(32, 95, 232)},      {"I3", 1, 1, "I", Rgb(159, 184, 234)},
    {"I4", 1, 1, "I", Rgb(87, 69, 165)},      {"PF1", 2, 2, "PF,cos", Rgb(130, 10, 126)},
    {"PF2", 2, 2, "PF,cos", Rgb(209, 39, 203)}, {"PF3", 2, 2, "PF,cos", Rgb(237, 163, 234)},
    {"Fr", 3, 3, "Fr", Rgb(255, 0, 0)},       {"T", 4, 6, "T", Rgb(106, 226, 106)},
    {"cos1", 2, 2, "PF,cos", Rgb(3, 56, 16)}, {"cos2", 2, 2, "PF,cos", Rgb(25, 183, 65)},
    {"cos3", 2, 2, "PF,cos", Rgb(137, 249, 137)}, {"U3,1", 0, 0, "U", Rgb(15, 5, 1)},
    {"U1,2", 0, 0, "U", Rgb(102, 98, 97)},    {"U2,3", 0, 0, "U", Rgb(193, 193, 193)},
    {"P1", 5, 4, "P,Q,S", Rgb(109, 4, 18)},   {"P2", 5, 4, "P,Q,S", Rgb(183, 7, 30)},
    {"P3", 5, 4, "P,Q,S", Rgb(244, 122, 138)}, {"Q1", 5, 4, "P,Q,S", Rgb(84, 102, 28)},
    {"Q2", 5, 4, "P,Q,S", Rgb(144, 181, 23)}, {"Q3", 5, 4, "P,Q,S", Rgb(209, 239, 110)},
    {"S1", 5, 4, "P,Q,S", Rgb(4, 79, 75)},    {"S2", 5, 4, "P,Q,S", Rgb(71, 140, 136)},
    {"S3", 5, 4, "P,Q,S", Rgb(164, 219, 216)}, {"THDU1", 6, 5, "THD", Rgb(137, 93, 11)},
    {"THDU2", 6, 5, "THD", Rgb(191, 138, 40)}, {"THDU3", 6, 5, "THD", Rgb(244, 207, 137)},
    {"THDI1", 6, 5, "THD", Rgb(68, 64, 4)},   {"THDI2", 6, 5, "THD", Rgb(145, 139, 50)},
    {"THDI3", 6, 5, "THD", Rgb(237, 222, 24)}, {"3PF", 2, 2, "PF,cos", Rgb(186, 80, 175)},
    {"3P", 5, 4, "P,Q,S", Rgb(234, 21, 53)},  {"3Q", 5, 4, "P,Q,S", Rgb(157, 219, 35)},
    {"3S", 5, 4, "P,Q,S", Rgb(49, 226, 194)},
};

QString Name(int index)
{
    return QString::fromLatin1(kQuantities[index].name);
}

} // namespace

const CVKGrafAktual::Quantity& CVKGrafAktual::QuantityAt(int index)
{
    return kQuantities[std::clamp(index, 0, kQuantityCount - 1)];
}

void CVKGrafAktual::GroupRange(int group, float& minimum, float& maximum)
{
    switch (group) {
    case 0: minimum = 0; maximum = 500; break;
    case 1: minimum = 0; maximum = 10; break;
    case 2: minimum = 0; maximum = 2; break;
    case 3: minimum = 40; maximum = 85; break;
    case 4: minimum = 0; maximum = 100; break;
    case 5: minimum = -4000; maximum = 4000; break;
    default: minimum = 0; maximum = 200; break;
    }
}

CVKGrafAktual::Layout CVKGrafAktual::ComputeLayout(const QRect& clientRect, int logPixelsY, bool reserveBand)
{
    Layout layout;
    const QRect client = clientRect.adjusted(1, 1, -1, -1);
    int h = std::min(client.width(), client.height());
    int f = logPixelsY * 9 / 72;
    layout.title = client;
    if (reserveBand && 10 * f < client.height()) {
        layout.band = true;
        const int oldBottom = layout.title.bottom();
        layout.title.setBottom(oldBottom - 5 * f / 2);
        h -= (oldBottom - 2 * f / 3) - layout.title.bottom();
    }
    if (h < 350)
        ;
    else if (h < 600)
        f = f * 4 / 3;
    else
        f = f * 3 / 2;
    layout.f = f;
    const int line = static_cast<int>(1.5 * f);
    layout.plot = QRect(QPoint(layout.title.left() + 5, layout.title.top() + line + 5),
                        QPoint(layout.title.right() - 3 * f, layout.title.bottom() - line - 5));
    return layout;
}

int CVKGrafAktual::MarkerPosition(std::int64_t elapsed, int span)
{
    if (span <= 0)
        return 0;
    return static_cast<int>(std::clamp<std::int64_t>(elapsed * 30000 / span, 0, 30000));
}

CVKGrafAktual::CVKGrafAktual(QWidget* parent) : CGraphWnd(parent)
{
    for (int i = 0; i < kQuantityCount; ++i)
        m_colours[i] = kQuantities[i].colour;
    SetReady(true);
}

CVKGrafAktual::~CVKGrafAktual() = default;

void CVKGrafAktual::Detach()
{
    if (m_data)
        for (int i = 0; i < kQuantityCount; ++i)
            m_data->SeriesRegistry().RemoveGraphSeries(Name(i));
    m_data = nullptr;
    m_entry = nullptr;
}

void CVKGrafAktual::AttachOnline(CPristroj& entry)
{
    m_entry = &entry;
    m_data = entry.GetArchivData();
    SetOffline(false);
    LoadSettings();
    CreateFonts();
    update();
}

void CVKGrafAktual::AttachArchive(CArchivData& data)
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

QString CVKGrafAktual::UnitOf(int index) const
{
    switch (kQuantities[index].group) {
    case 0: return QStringLiteral("V");
    case 1: return QStringLiteral("A");
    case 2: return QStringLiteral("1");
    case 3: return QStringLiteral("Hz");
    case 4: return QStringLiteral("C");
    case 5: return QStringLiteral("W,...");
    default: return QStringLiteral("%");
    }
}

bool CVKGrafAktual::GetQuantity(int index, int& shown, std::uint32_t& colour) const
{
    if (!m_data || index < 0 || index >= kQuantityCount)
        return false;
    const CGraphTrace* trace = m_shown[index] ? m_data->SeriesRegistry().FindGraphSeries(Name(index)) : nullptr;
    shown = trace ? 1 : 0;
    colour = trace ? trace->Colour() : m_colours[index];
    return true;
}

int CVKGrafAktual::SetQuantity(int index, int shown, std::uint32_t colour)
{
    if (!m_data || index < 0 || index >= kQuantityCount)
        return 0;
    m_colours[index] = colour;
    m_shown[index] = shown;
    CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const QString name = Name(index);
    CGraphTrace* trace = registry.FindGraphSeries(name);
    if (!shown)
        return trace && registry.RemoveGraphSeries(name) ? 1 : 0;
    if (trace) {
        registry.SetSeriesColour(name, colour);
        return 0;
    }
    float minimum = 0, maximum = 0;
    GroupRange(kQuantities[index].group, minimum, maximum);
    if (kQuantities[index].group == 5 && !m_isOdbDod)
        minimum = 0;
    const bool added = registry.AddGraphSeries(name, UnitOf(index), QString::fromLatin1(kQuantities[index].caption),
                                               colour, maximum, minimum);
    if (added && kQuantities[index].group == 5 && !m_isOdbDod)
        registry.SetSeriesOption(name, 1);
    return added ? 1 : 0;
}

bool CVKGrafAktual::HasVariantFlag() const
{
    const CArchivData* data = m_entry ? m_entry->GetArchivData() : m_data;
    const auto* vk = dynamic_cast<const CVKArchivData*>(data);
    return vk && vk->HasVariantBit0();
}

void CVKGrafAktual::GetAllQuantities(std::array<int, 36>& shown, std::array<std::uint32_t, 36>& colours) const
{
    std::size_t out = 0;
    for (int i = 0; i < kQuantityCount; ++i) {
        if (i == 6)
            continue;
        int s = 0;
        std::uint32_t c = m_colours[i];
        if (!GetQuantity(i, s, c))
            s = 0;
        shown[out] = s;
        colours[out] = c;
        ++out;
    }
}

void CVKGrafAktual::LoadSettings()
{
    if (!m_data)
        return;
    platform::Settings settings;
    // Offline the record kept in the archive comes first.
    if (!m_entry && LoadArchiveSettings()) {
        m_data->PublishToGraphs();
        return;
    }
    const QString name = m_entry ? m_entry->m_nazev : m_data->GetInstrumentName();
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
    const platform::SettingsSection section = useDevice ? device : platform::SettingsSection("Obecne nastaveni vk");
    if (!m_entry && !useDevice)
        m_data->ScaleCategories().LoadFromSettings(2, settings);
    m_isOdbDod = settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0);
    m_isSpinac = settings.GetProfileInt(section, QStringLiteral("isSpinac"), 0);
    if (useDevice) {
        m_currentGroup = std::clamp(settings.GetProfileInt(device, QStringLiteral("Aktualni Velicina"), 0), 0, 6);
        SetGrid(settings.GetProfileInt(device, QStringLiteral("isMriz"), 0) != 0);
    }
    for (int i = 0; i < kQuantityCount; ++i) {
        const QString n = Name(i);
        const auto colour = static_cast<std::uint32_t>(
            settings.GetProfileInt(section, QStringLiteral("barva ") + n, static_cast<int>(kQuantities[i].colour)));
        const int shown = settings.GetProfileInt(section, QStringLiteral("is") + n, i < 6 ? 1 : 0);
        SetQuantity(i, shown, colour);
    }
    m_data->PublishToGraphs();
}

void CVKGrafAktual::SaveSettings()
{
    if (!m_data || !m_entry)
        return;
    platform::Settings settings;
    const platform::SettingsSection device({QStringLiteral("pristroje"), m_entry->m_nazev});
    settings.WriteProfileInt(device, QStringLiteral("isOdbDod"), m_isOdbDod);
    settings.WriteProfileInt(device, QStringLiteral("isSpinac"), m_isSpinac);
    for (int i = 0; i < kQuantityCount; ++i) {
        int shown = 0;
        std::uint32_t colour = m_colours[i];
        GetQuantity(i, shown, colour);
        settings.WriteProfileInt(device, QStringLiteral("barva ") + Name(i), static_cast<int>(colour));
        settings.WriteProfileInt(device, QStringLiteral("is") + Name(i), shown);
    }
    settings.WriteProfileInt(device, QStringLiteral("Aktualni Velicina"), m_currentGroup);
    settings.WriteProfileInt(device, QStringLiteral("isMriz"), Grid() ? 1 : 0);
}

void CVKGrafAktual::CreateFonts()
{
    m_layout = ComputeLayout(rect(), logicalDpiY(), m_isSpinac != 0);
    auto normal = std::make_unique<QFont>(QStringLiteral("Times New Roman"));
    normal->setPixelSize(std::max(6, m_layout.f));
    normal->setWeight(QFont::Normal);
    auto bold = std::make_unique<QFont>(*normal);
    bold->setWeight(QFont::Bold);
    if (m_layout.f * 3 / 2 != m_layout.f)
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

int CVKGrafAktual::GetCursorPos(int width)
{
    if (!m_data)
        return 0;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    return MarkerPosition((platform::CTime::GetCurrentTime() - registry.GraphOrigin()).GetTotalSeconds(), registry.GraphSpan()) *
           width / 30000;
}

void CVKGrafAktual::Draw(QPainter& p, const QRect& client)
{
    if (Dragging() || client.width() < 50 || client.height() < 50)
        return;
    const QRect frame = client.adjusted(1, 1, -2, -2);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(frame);
    p.setPen(QColor(32, 32, 32));
    p.drawLine(frame.topLeft(), frame.topRight());
    p.drawLine(frame.topLeft(), frame.bottomLeft());
    p.setPen(QColor(224, 224, 224));
    p.drawLine(frame.bottomLeft(), frame.bottomRight());
    p.drawLine(frame.topRight(), frame.bottomRight());
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    if (!m_data)
        return;
    if (!LabelFont())
        CreateFonts();
    CGraphPainter painter(&p, LabelFont(), TitleFont());
    DrawGraph(painter, m_layout, false);
}

void CVKGrafAktual::DrawGraph(CGraphPainter& painter, const Layout& layout, bool print)
{
    // Each drawing starts from the laid-out plot: the axes move its left
    // edge, which must not carry over to the next drawing.
    CGraphRect plot = CGraphRect::FromQRect(layout.plot);
    if (Offline() && !print)
        plot.top -= 8;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    auto traceOf = [&](int i) { return m_shown[i] ? registry.FindGraphSeries(Name(i)) : nullptr; };

    // The printed graph chooses its grid group on a copy.
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
        const int gridRight = layout.title.right();
        if (kQuantities[i].group == 2)
            painter.DrawPowerFactorAxis(trace, r, grid, gridRight, Y0(), Y1());
        else
            painter.DrawValueAxis(trace, r, grid, gridRight, Y0(), Y1(), 1.0f);
        left = r.right;
        edges.push_back(std::uint32_t(r.right));
        groups.push_back(std::uint32_t(kQuantities[i].group));
    };
    std::array<bool, 7> drawn{};
    for (int i = 0; i < kQuantityCount; ++i) {
        const int g = kQuantities[i].group;
        if (!traceOf(i) || drawn[g])
            continue;
        drawn[g] = true;
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
    }
    if (!Offline() && !print)
        painter.DrawTitle(CGraphRect::FromQRect(layout.title), plot);
    if (!Ready() && !print) {
        painter.DrawBusyNotice(plot.left, plot.top, plot.right, plot.bottom);
        return;
    }
    painter.SetViewport(plot.left, plot.top, plot.right, plot.bottom, X0(), Y0(), X1(), Y1());
    for (int i = 0; i < kQuantityCount; ++i)
        if (const CGraphTrace* trace = traceOf(i))
            painter.DrawTrace(*trace, X0(), Y0(), X1(), Y1());
    if (!print) {
        if (!Offline())
            painter.DrawMarkerLine(MarkerPosition((platform::CTime::GetCurrentTime() - registry.GraphOrigin()).GetTotalSeconds(),
                                                  registry.GraphSpan()),
                                   X1() - X0());
        else if (const int marker = OfflineMarker(); marker >= 0)
            painter.DrawMarkerLine(marker, X1() - X0());
    }
    painter.DeleteClipRegion();
}

namespace {

// More floats than any instrument type has categories for: not a record.
constexpr int kMaxCategoryFloats = 256;

} // namespace

QByteArray CVKGrafAktual::ArchiveRecord() const
{
    QByteArray out;
    recordbytes::PutInt(out, m_isOdbDod);
    recordbytes::PutInt(out, m_isSpinac);
    for (int i = 0; i < kQuantityCount; ++i) {
        int shown = 0;
        std::uint32_t colour = m_colours[i];
        if (!GetQuantity(i, shown, colour))
            shown = m_shown[i];
        recordbytes::PutInt(out, int(colour));
        recordbytes::PutInt(out, shown);
    }
    recordbytes::PutInt(out, m_typ);
    BOOL autoFlag = TRUE;
    int count = 0;
    std::vector<float> floats;
    if (m_data) {
        const CScaleCategories& categories = m_data->ScaleCategories();
        floats.resize(std::size_t(categories.GetCount()));
        categories.Get(autoFlag, count, floats.data());
    }
    recordbytes::PutInt(out, count);
    recordbytes::PutInt(out, autoFlag ? 1 : 0);
    if (count != 0) {
        recordbytes::PutInt(out, count * 4);
        for (int k = 0; k < count; ++k) {
            recordbytes::PutFloat(out, floats[std::size_t(k)]);
        }
    }
    recordbytes::PutInt(out, m_currentGroup);
    recordbytes::PutInt(out, Grid() ? 1 : 0);
    return out;
}

bool CVKGrafAktual::ApplyArchiveRecord(const QByteArray& record)
{
    if (!m_data)
        return false;
    recordbytes::Reader r(record);
    int odbDod = 0, spinac = 0, typ = 0, count = 0, autoFlag = 0;
    std::array<int, kQuantityCount> colours{}, shown{};
    if (!r.Int(odbDod) || !r.Int(spinac))
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
    // The tail follows the float block wherever the count puts it.
    int group = 0, grid = 0;
    if (r.Int(group) && r.Int(grid)) {
        m_currentGroup = std::clamp(group, 0, 6);
        SetGrid(grid != 0);
    }
    m_isOdbDod = odbDod;
    m_isSpinac = spinac;
    m_typ = typ;
    if (count != 0)
        m_data->ScaleCategories().Set(autoFlag ? TRUE : FALSE, count, floats.data());
    else
        m_data->ScaleCategories().SetAuto(autoFlag ? TRUE : FALSE);
    for (int i = 0; i < kQuantityCount; ++i)
        SetQuantity(i, shown[std::size_t(i)] ? 1 : 0, std::uint32_t(colours[std::size_t(i)]));
    return true;
}

bool CVKGrafAktual::LoadArchiveSettings()
{
    if (!m_data)
        return false;
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = m_data->OpenSettingsStream(0, instrument, length);
    if (!stream || length == 0)
        return false;
    constexpr DWORD kLongest = 4 * (2 + 2 * kQuantityCount + 3 + 1 + kMaxCategoryFloats + 2);
    QByteArray record(qsizetype(std::min(length, kLongest)), '\0');
    const std::int64_t got = stream->Read(record.data(), record.size());
    record.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
    return ApplyArchiveRecord(record);
}

bool CVKGrafAktual::SaveArchiveSettings()
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

int CVKGrafAktual::OfflineMarker() const
{
    const auto* vk = dynamic_cast<const CVKFamilyArchivData*>(m_data);
    if (!vk)
        return -1;
    const platform::CTime current = vk->GetCurrentRecordTime();
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    if (!current.GetTime() || registry.GraphSpan() <= 0)
        return -1;
    return MarkerPosition(std::int64_t(current.GetTime()) - std::int64_t(registry.GraphOrigin().GetTime()),
                          registry.GraphSpan());
}

void CVKGrafAktual::OnCursorMoved(float perMille)
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

bool CVKGrafAktual::Print(QPrinter* printer)
{
    if (!m_data)
        return false;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const platform::CTime start = registry.GraphOrigin();
    const std::int64_t span = registry.GraphSpan();
    const QString format = QStringLiteral("%d.%m.%y %H:%M:%S");
    const QString from = platform::CTime(start.GetTime() + std::uint32_t(span * X0() / 1000)).Format(format);
    const QString to = platform::CTime(start.GetTime() + std::uint32_t(span * X1() / 1000)).Format(format);
    const auto* vk = dynamic_cast<const CVKFamilyArchivData*>(m_data);
    const QString name = vk ? vk->GetArchiveFileName() : QString();

    charts::CReportPrinter report(printer, 2, 2, false);
    report.SetParent(this);
    const QString title = window() ? window()->windowTitle() : QString();
    if (!report.BeginPrint(charts::FillPlaceholders(platform::LoadString(platform::IDS_JOB_GRAPH), {name}), title,
                           QString()))
        return false;
    QString heading = charts::FillPlaceholders(platform::LoadString(platform::IDS_PRINT_GRAPH_HEADING), {name, from, to});
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
        if (m_isSpinac && 10 * f < layout.title.height())
            layout.title.setBottom(layout.title.bottom() - 5 * f / 2);
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

} // namespace analysers_vk
