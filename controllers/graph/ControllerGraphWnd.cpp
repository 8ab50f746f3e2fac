#include "controllers/graph/ControllerGraphWnd.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivGraphFeed.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "charts/GraphCommands.h"
#include "charts/GraphPainter.h"
#include "charts/ReportPrinter.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/GraphBlock.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "platform/ui/FrameTitle.h"

#include <QAction>
#include <QFont>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace controllers {

namespace {

std::unique_ptr<QFont> GraphFont(int pixels, bool bold)
{
    auto font = std::make_unique<QFont>(QStringLiteral("Times New Roman"));
    font->setPixelSize(std::max(6, pixels));
    font->setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

// The record the archive walk stands on, as a position of the window.
template <class Store>
bool ArchiveMarker(const CArchivData* data, int& x)
{
    const auto* store = dynamic_cast<const Store*>(data);
    if (!store)
        return false;
    const CArchivWindow& w = store->Window();
    const CArchivSeriesRegistry& registry = const_cast<Store*>(store)->SeriesRegistry();
    x = CArchivGraphFeed::GetNewestRecordPos(w.records, w.currentIndex, registry.GraphOrigin(), registry.GraphSpan());
    return true;
}

} // namespace

CControllerGraphWnd::Layout CControllerGraphWnd::ComputeLayout(const QRect& r, int f, bool wantStages,
                                                               bool compactStages)
{
    Layout layout;
    int small = std::min(r.width(), r.height());
    layout.title = r;
    if ((compactStages ? 15 * f : 20 * f) < r.height() && wantStages) {
        layout.title.setBottom(r.bottom() - (compactStages ? 5 * f : 10 * f));
        layout.stagePanel = QRect(QPoint(r.left(), layout.title.bottom()), QPoint(r.right(), r.bottom() - 2 * f / 3));
        layout.stages = true;
        small -= layout.stagePanel.height();
    }
    if (small < 350) {
        layout.fontHeight = f;
        layout.boldHeight = f * 8 / 7;
    } else if (small < 600) {
        layout.fontHeight = 4 * f / 3;
        layout.boldHeight = (4 * f / 3) * 8 / 7;
    } else {
        layout.fontHeight = layout.boldHeight = 3 * f / 2;
    }
    const int fh = layout.fontHeight;
    const int line = int(1.5 * fh);
    layout.plot = QRect(QPoint(layout.title.left() + 5, layout.title.top() + line + 5),
                        QPoint(layout.title.right() - 3 * fh, layout.title.bottom() - line - 5));
    return layout;
}

CControllerGraphWnd::CControllerGraphWnd(const Family& family, QWidget* parent)
    : CGraphWnd(parent), m_family(family), m_instrumentType(family.instrumentType)
{
    SetReady(true);
    SetColumnSelection(true);
    connect(this, &CGraphWnd::ContextCommand, this, &CControllerGraphWnd::OnCommand);
}

CControllerGraphWnd::~CControllerGraphWnd() = default;

void CControllerGraphWnd::AttachDevice(CPristroj& entry)
{
    SetOffline(false);
    // Live, the time axis follows the measurements: no cursor to place.
    SetTimeCursor(false);
    m_entry = &entry;
    m_data = entry.GetArchivData();
    m_archiveInstrument.clear();
    LoadSettings();
    CreateFonts();
    update();
}

void CControllerGraphWnd::AttachArchive(CArchivData& data)
{
    m_entry = nullptr;
    m_data = &data;
    SetOffline(true);
    // An archive's records are chosen by a click on their time.
    SetTimeCursor(true);
    LoadSettings();
    CreateFonts();
    update();
}

void CControllerGraphWnd::Detach()
{
    if (!m_data)
        return;
    if (m_entry)
        SaveSettings();
    else
        SaveToArchive();
    m_data = nullptr;
    m_entry = nullptr;
}

void CControllerGraphWnd::SetShowStages(int on)
{
    m_showStages = on ? 1 : 0;
    CreateFonts();
    update();
}

void CControllerGraphWnd::OnNewData()
{
    update();
}

void CControllerGraphWnd::SettingsChanged()
{
    if (m_entry && m_data) {
        m_data->PublishToGraphs();
        SaveSettings();
    }
    CreateFonts();
    update();
    emit QuantitiesChanged();
}

void CControllerGraphWnd::OnCommand(int id)
{
    if (charts::IsGraphZoomCommand(id)) {
        if (m_commandsEnabled)
            charts::RunGraphCommand(*this, id);
    } else if (id == kCmdGrid) {
        charts::RunGraphCommand(*this, id);
    } else if (id == kCmdShownQuantities) {
        EditQuantities();
    }
}

void CControllerGraphWnd::PrepareContextMenu(QMenu& menu)
{
    for (QAction* action : menu.actions()) {
        if (QMenu* zooms = action->menu()) {
            // The vertical and time zoom submenus.
            action->setEnabled(m_commandsEnabled);
            for (QAction* zoom : zooms->actions())
                zoom->setEnabled(m_commandsEnabled);
            continue;
        }
        const int id = action->data().toInt();
        if (charts::IsGraphZoomCommand(id)) {
            action->setEnabled(m_commandsEnabled);
        } else if (id == kCmdReceivedQuantities) {
            action->setVisible(false); // the controllers send every quantity
        } else if (id == kCmdGrid) {
            action->setCheckable(true);
            action->setChecked(Grid());
        } else if (id == kCmdShownQuantities) {
            action->setEnabled(m_data != nullptr);
        }
    }
}

CScaleCategories& CControllerGraphWnd::Categories() const
{
    return m_data->ScaleCategories();
}

QString CControllerGraphWnd::SectionName() const
{
    return m_entry ? m_entry->m_nazev : m_archiveInstrument;
}

bool CControllerGraphWnd::LoadCategories(const platform::Settings& settings, const platform::SettingsSection& section,
                                         const QString& prefix, bool defaults)
{
    CScaleCategories& categories = Categories();
    if (defaults) {
        categories = CDisplaySettingsForm::ReadCategories(settings, section, prefix, m_instrumentType);
        return true;
    }
    // The instrument's own values: a blob that does not match its count
    // changes nothing, not even the automatic flag.
    const int count = settings.GetProfileInt(section, QStringLiteral("pocetKat"), 0);
    const int autoFlag = settings.GetProfileInt(section, QStringLiteral("auto"), 1);
    if (count == 0) {
        categories.SetAuto(autoFlag);
        return true;
    }
    std::vector<float> values;
    if (!CDisplaySettingsForm::ParseFloats(settings.GetProfileBinary(section, QStringLiteral("ketegorie")), count,
                                           values))
        return false;
    categories.Set(autoFlag, count, values.data());
    return true;
}

void CControllerGraphWnd::SaveCategories(platform::Settings& settings, const platform::SettingsSection& section) const
{
    const CScaleCategories& categories = Categories();
    settings.WriteProfileInt(section, QStringLiteral("pocetKat"), categories.GetCount());
    settings.WriteProfileInt(section, QStringLiteral("auto"), categories.GetAuto());
    if (categories.GetCount() > 0)
        settings.WriteProfileBinary(section, QStringLiteral("ketegorie"), CDisplaySettingsForm::FloatBytes(categories));
}

const CGraphTrace* CControllerGraphWnd::StoredCurveTrace(int i) const
{
    if (!m_data || !StoredCurveVisible(i))
        return nullptr;
    return m_data->SeriesRegistry().FindGraphSeries(StoredCurveAt(i).series);
}

void CControllerGraphWnd::StoredCurveState(int i, int& shown, std::uint32_t& colour) const
{
    const CGraphTrace* trace = StoredCurveTrace(i);
    shown = trace ? 1 : 0;
    colour = trace ? trace->Colour() : StoredCurveColour(i);
}

int CControllerGraphWnd::StoredGridQuantity(int quantity) const
{
    return m_family.gridQuantityMax < 0 ? quantity : std::clamp(quantity, 0, m_family.gridQuantityMax);
}

void CControllerGraphWnd::LoadCurves(const platform::Settings& settings, const platform::SettingsSection& section)
{
    m_importExport = settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0) ? 1 : 0;
    for (int i = 0; i < StoredCurveCount(); ++i) {
        const StoredCurve curve = StoredCurveAt(i);
        const auto colour = std::uint32_t(settings.GetProfileInt(section, curve.colourValue, int(curve.colour)));
        ShowStoredCurve(i, settings.GetProfileInt(section, curve.shownValue, curve.shown), colour);
    }
    m_showStages = settings.GetProfileInt(section, QStringLiteral("isSpinac"), 1) ? 1 : 0;
}

void CControllerGraphWnd::LoadSettings()
{
    if (!m_data)
        return;
    platform::Settings settings;
    bool done = false;
    if (!m_entry)
        done = LoadFromArchive();
    const QString name = SectionName();
    if (!done && !name.isEmpty() && settings.SubSections(QStringLiteral("pristroje")).contains(name)) {
        const platform::SettingsSection device({QStringLiteral("pristroje"), name});
        if (settings.GetProfileInt(device, QStringLiteral("init"), 0) == 0) {
            settings.WriteProfileInt(device, QStringLiteral("init"), 1);
        } else {
            LoadCurves(settings, device);
            if (m_type == kInitialType)
                m_type = settings.GetProfileInt(device, QStringLiteral("typ"), kInitialType);
            LoadCategories(settings, device, QString(), false);
            SetGridQuantity(StoredGridQuantity(settings.GetProfileInt(device, QStringLiteral("Aktualni Velicina"), 0)));
            SetGrid(settings.GetProfileInt(device, QStringLiteral("isMriz"), 0) != 0);
            done = true;
        }
    }
    if (!done) {
        const platform::SettingsSection general(m_family.general);
        LoadCurves(settings, general);
        if (!m_entry || m_family.liveTakesGeneralCategories)
            LoadCategories(settings, general, QString::fromLatin1(m_family.prefix), true);
    }
    // The ranges follow the categories read after the curves.
    for (int i = 0; i < StoredCurveCount(); ++i)
        if (StoredCurveVisible(i))
            ShowStoredCurve(i, 1, StoredCurveColour(i));
    m_data->PublishToGraphs();
}

void CControllerGraphWnd::SaveSettings()
{
    if (!m_data || !m_entry)
        return;
    platform::Settings settings;
    const platform::SettingsSection device({QStringLiteral("pristroje"), m_entry->m_nazev});
    settings.WriteProfileInt(device, QStringLiteral("isOdbDod"), m_importExport);
    for (int i = 0; i < StoredCurveCount(); ++i) {
        const StoredCurve curve = StoredCurveAt(i);
        int shown = 0;
        std::uint32_t colour = 0;
        StoredCurveState(i, shown, colour);
        settings.WriteProfileInt(device, curve.colourValue, int(colour));
        settings.WriteProfileInt(device, curve.shownValue, shown);
    }
    settings.WriteProfileInt(device, QStringLiteral("isSpinac"), m_showStages);
    settings.WriteProfileInt(device, QStringLiteral("typ"), m_type);
    SaveCategories(settings, device);
    settings.WriteProfileInt(device, QStringLiteral("Aktualni Velicina"), GridQuantity());
    settings.WriteProfileInt(device, QStringLiteral("isMriz"), Grid() ? 1 : 0);
}

QByteArray CControllerGraphWnd::WriteBlock() const
{
    CControllerGraphBlock block;
    block.importExport = m_importExport;
    block.showStages = m_showStages;
    for (int i = 0; i < StoredCurveCount(); ++i) {
        CControllerGraphBlock::Curve entry;
        StoredCurveState(i, entry.shown, entry.colour);
        block.curves.push_back(entry);
    }
    block.type = m_type;
    const CScaleCategories& categories = m_data->ScaleCategories();
    block.autoFlag = categories.GetAuto();
    if (categories.GetCount() > 0)
        block.categories.assign(categories.GetValues(), categories.GetValues() + categories.GetCount());
    block.gridQuantity = GridQuantity();
    block.grid = Grid() ? 1 : 0;
    return block.Write(m_family.blockShownFirst);
}

bool CControllerGraphWnd::ApplyBlock(const QByteArray& bytes)
{
    const CControllerGraphBlock block = CControllerGraphBlock::Read(bytes, StoredCurveCount(), m_family.blockShownFirst);
    if (bytes.size() < 8)
        return false;
    m_importExport = block.importExport ? 1 : 0;
    m_showStages = block.showStages ? 1 : 0;
    for (int i = 0; i < block.curvesRead; ++i)
        ShowStoredCurve(i, block.curves[std::size_t(i)].shown, block.curves[std::size_t(i)].colour);
    if (!block.complete)
        return false;
    m_type = block.type;
    if (block.categories.empty())
        m_data->ScaleCategories().SetAuto(block.autoFlag);
    else
        m_data->ScaleCategories().Set(block.autoFlag, int(block.categories.size()), block.categories.data());
    if (!block.hasGrid)
        return !m_family.blockNeedsGrid;
    SetGridQuantity(StoredGridQuantity(block.gridQuantity));
    SetGrid(block.grid != 0);
    return true;
}

QString CControllerGraphWnd::LegendText(int, const CGraphTrace& trace) const
{
    return trace.Name();
}

std::vector<std::pair<QString, std::uint32_t>> CControllerGraphWnd::Legend() const
{
    std::vector<std::pair<QString, std::uint32_t>> legend;
    for (int i = 0; i < StoredCurveCount(); ++i)
        if (const CGraphTrace* trace = StoredCurveTrace(i))
            legend.emplace_back(LegendText(i, *trace), trace->Colour());
    return legend;
}

void CControllerGraphWnd::DrawTraces(CGraphPainter& painter)
{
    for (int i = 0; i < StoredCurveCount(); ++i)
        if (const CGraphTrace* trace = StoredCurveTrace(i))
            painter.DrawTrace(*trace, X0(), Y0(), X1(), Y1());
}

bool CControllerGraphWnd::LoadFromArchive()
{
    m_archiveInstrument.clear();
    if (!m_data)
        return false;
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = m_data->OpenSettingsStream(0, instrument, length);
    m_archiveInstrument = instrument;
    if (!stream)
        return false;
    // Only the block's own bytes: what follows it is the view's record.
    const std::int64_t size = stream->GetSize();
    const std::int64_t available = size < 0 ? 0 : std::max<std::int64_t>(0, size - stream->GetPosition());
    QByteArray block(qsizetype(std::min<std::int64_t>(length, available)), '\0');
    if (!block.isEmpty() && stream->Read(block.data(), block.size()) != block.size())
        block.clear();
    m_data->ReleaseStream(stream);
    return ApplyBlock(block);
}

bool CControllerGraphWnd::SaveToArchive()
{
    if (!m_data || m_entry)
        return false;
    return m_data->WriteSettingsSection(0, WriteBlock());
}

void CControllerGraphWnd::CreateFonts()
{
    if (!m_data)
        return;
    const int f = logicalDpiY() * 9 / 72;
    m_layout = ComputeLayout(rect().adjusted(1, 1, -1, -1), f, m_showStages != 0, CompactStages());
    SetFonts(GraphFont(m_layout.fontHeight, false), GraphFont(m_layout.boldHeight, true));
    QRect plot = m_layout.plot;
    const QRect title = m_layout.title;
    const int fh = m_layout.fontHeight;
    // The time axis's labels keep their lines under the plot.
    plot.setBottom(std::min(plot.bottom(), title.bottom() - CGraphPainter::TimeAxisRoom(*LabelFont(), this) - 5));
    if (X1() - X0() != 1000) {
        plot.setBottom(plot.bottom() - 4 * fh / 3);
        HorzBar()->setGeometry(title.left() + title.width() / 2, title.bottom() - 4 * fh / 3,
                               std::max(1, title.width() / 2 - 3 * fh), fh);
        HorzBar()->show();
    } else {
        HorzBar()->hide();
    }
    if (Y1() - Y0() != 1000) {
        VertBar()->setGeometry(title.right() - 3 * fh / 2, plot.top(), fh, std::max(1, plot.bottom() - 3 * fh));
        VertBar()->show();
    } else {
        VertBar()->hide();
    }
    m_layout.plot = plot;
    SetPlotRect(CGraphRect::FromQRect(plot));
}

int CControllerGraphWnd::MarkerPosition() const
{
    if (!m_data)
        return 0;
    if (!m_entry) {
        int x = 0;
        if (ArchiveMarker<CQorinArchivData>(m_data, x) || ArchiveMarker<CDuskarArchivData>(m_data, x))
            return x;
        return 0;
    }
    return std::clamp(m_data->GetGraphPosition(), 0, 30000);
}

int CControllerGraphWnd::GetCursorPos(int width)
{
    return int(std::int64_t(MarkerPosition()) * width / 30000);
}

void CControllerGraphWnd::OnCursorMoved(float perMille)
{
    emit CursorMoved(perMille);
}

void CControllerGraphWnd::DrawStagePanel(CGraphPainter& painter, const QRect& panel, const CGraphRect& plot)
{
    std::array<CSwitchRows, 3> channels;
    for (int c = 0; c < 3; ++c) {
        const archive::CStageLists& lists = m_data->GraphStageLists(c);
        channels[std::size_t(c)] = CSwitchRows(lists.data(), lists.size());
    }
    const CGraphRect r{plot.left, panel.top(), plot.right, panel.top() + panel.height()};
    const int span = m_data->SeriesRegistry().GraphSpan();
    const int newest = NewestPosition();
    painter.DrawStageBars(channels, r, span, X0(), X1(), CompactStages(),
                          newest < 0 ? CGraphPainter::kNoNewest : int(std::int64_t(newest) * span / 30000));
}

int CControllerGraphWnd::NewestPosition() const
{
    // Live, the last measurement; in an archive window, the newest point of
    // the curves (the window may reach past the file's end).
    if (m_entry)
        return m_data->GetGraphPosition();
    int newest = -1;
    for (int i = 0; i < StoredCurveCount(); ++i)
        if (const CGraphTrace* trace = StoredCurveTrace(i))
            for (int c = 0; c < CGraphTrace::kChannels; ++c)
                for (auto p = trace->Points(c).rbegin(); p != trace->Points(c).rend(); ++p)
                    if (p->y >= 0) {
                        newest = std::max(newest, int(p->x));
                        break;
                    }
    return newest;
}

void CControllerGraphWnd::DrawTimeAxis(CGraphPainter& painter, const CGraphTrace* last, CGraphRect& plot)
{
    if (last) {
        painter.DrawTimeAxis(*last, plot, Grid(), X0(), X1());
        return;
    }
    // Every curve switched off (an old file or registry): the axis still
    // shows the store's time window.
    CGraphTrace base(QString(), QString(), QString(), 0, 1.f, 0.f);
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    base.Rescale(registry.GraphOrigin(), registry.GraphSpan(), false);
    painter.DrawTimeAxis(base, plot, Grid(), X0(), X1());
}

void CControllerGraphWnd::DrawGraph(CGraphPainter& painter, const QRect& client, bool print)
{
    (void)client;
    CGraphRect plot = CGraphRect::FromQRect(m_layout.plot);
    if (Offline() && !print)
        plot.top -= 8;
    const CGraphTrace* last = nullptr;
    // Clicking an axis chooses the grid quantity only while the grid shows.
    if (!print)
        SetColumnSelection(Grid());
    plot = DrawAxes(painter, plot, m_layout.title.right(), print, last);
    plot.left += 2;
    plot.right = m_layout.title.right();
    // The axis takes its room at the right: the curves, the stages, the
    // cursor and the clicks keep to the same width.
    DrawTimeAxis(painter, last, plot);
    if (!print)
        SetPlotRect(plot);
    if (m_layout.stages)
        DrawStagePanel(painter, m_layout.stagePanel, plot);
    if (!print && !Ready()) {
        painter.DrawBusyNotice(plot.left, plot.top, plot.right, plot.bottom);
        return;
    }
    if (!print && !Offline())
        painter.DrawTitle(CGraphRect::FromQRect(m_layout.title), plot);
    painter.SetViewport(plot.left, plot.top, plot.right, plot.bottom, X0(), Y0(), X1(), Y1());
    DrawTraces(painter);
    if (!print)
        painter.DrawMarkerLine(MarkerPosition(), X1() - X0());
    painter.DeleteClipRegion();
}

void CControllerGraphWnd::Draw(QPainter& p, const QRect& client)
{
    if (!DrawPlate(p, client))
        return;
    if (!m_data)
        return;
    if (!LabelFont())
        CreateFonts();
    if (!Offline())
        RescaleLive();
    CGraphPainter painter(&p, LabelFont(), TitleFont());
    DrawGraph(painter, client, false);
}

bool CControllerGraphWnd::PrintGraph(QPrinter* printer)
{
    if (!m_data)
        return false;
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const platform::CTime start = registry.GraphOrigin();
    const int span = registry.GraphSpan();
    const QString format = QStringLiteral("%d.%m.%y %H:%M:%S");
    const QString from = platform::CTime(start.GetTime() + std::uint32_t(std::int64_t(span) * X0() / 1000)).Format(format);
    const QString to = platform::CTime(start.GetTime() + std::uint32_t(std::int64_t(span) * X1() / 1000)).Format(format);
    QString name = m_data->GetBaseTitle(m_instrumentType == 5 ? QStringLiteral(".dsk") : QStringLiteral(".qor"));
    if (name.isEmpty())
        name = m_entry ? m_entry->m_nazev : m_archiveInstrument;

    charts::CReportPrinter report(printer, 2, 2, false);
    report.SetParent(this);
    if (!report.BeginPrint(charts::FillPlaceholders(platform::LoadString(platform::IDS_JOB_GRAPH), {name}), ui::FrameTitleOf(this),
                           QString()))
        return false;
    QString heading = charts::FillPlaceholders(platform::LoadString(platform::IDS_PRINT_GRAPH_HEADING), {name, from, to});
    heading.chop(1);
    report.PrintBox(heading);
    report.PrintText(QString());
    int entry = 0;
    for (const auto& [series, colour] : Legend()) {
        QPainter& pp = report.Painter();
        if (LegendAsColouredText()) {
            pp.save();
            pp.setPen(ColorFromRef(colour));
        }
        const QRect r = report.PrintTextPair(QStringLiteral("   ") + series, entry == 0 ? 0 : 1, 1);
        if (LegendAsColouredText())
            pp.restore();
        else
            pp.fillRect(QRect(r.left(), r.top(), std::max(1, r.height() / 2), r.height()), ColorFromRef(colour));
        ++entry;
    }
    report.PrintText(QString());
    if (report.IsPrinting()) {
        QPainter& pp = report.Painter();
        const QRect body = report.BodyRect();
        const QRect area(QPoint(body.left(), report.CurrentY()), body.bottomRight());
        pp.save();
        pp.setPen(Qt::black);
        pp.setBrush(Qt::NoBrush);
        pp.drawRect(area);
        const int h = pp.device()->logicalDpiY() * 9 / 72;
        const QRect inner(QPoint(area.left() + int(0.5 * h), area.top() + int(0.9 * h)),
                          QPoint(area.right() - int(0.5 * h), area.bottom() - int(0.8 * h)));
        const Layout screen = m_layout;
        m_layout = ComputeLayout(inner, h, m_showStages != 0, CompactStages());
        // The printed graph keeps the one text size of the page.
        m_layout.fontHeight = m_layout.boldHeight = h;
        const auto normal = GraphFont(h, false);
        const auto bold = GraphFont(h, true);
        const int line = int(1.5 * h);
        const int below = std::max(line, CGraphPainter::TimeAxisRoom(*normal, pp.device()));
        const int bottom = m_layout.stages ? m_layout.stagePanel.top() : inner.bottom();
        m_layout.plot = QRect(QPoint(inner.left() + 5, inner.top() + line + 5),
                              QPoint(m_layout.title.right() - 3 * h, bottom - below - 5));
        if (m_layout.stages)
            m_layout.stagePanel.setBottom(area.bottom() - 2 * h / 3);
        {
            CGraphPainter painter(&pp, normal.get(), bold.get());
            DrawGraph(painter, area, true);
        }
        m_layout = screen;
        pp.restore();
        report.SetCurrentY(area.bottom());
    }
    report.EndPrint();
    return !report.Failed();
}

} // namespace controllers
