#include "analysers_vkt/VKTVlny.h"

#include "analysers_vkt/VKTVlnyPairs.h"
#include "charts/ReportPrinter.h"
#include "controllers/settings/SettingsReport.h"
#include "platform/ui/Artwork.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace analysers_vkt {

namespace {

const QString kFileFailed = QStringLiteral("Soubor se nepodařilo otevřít.");
const QString kBaseTitle = QStringLiteral("Vlny");

controllers::FileKind WaveFileKind()
{
    return {QStringLiteral("Soubor vln (*.vln)"), QStringLiteral("vln")};
}
constexpr int kUnit = 16;
// Row head, then swatch and value of the voltages and of the currents.
constexpr int kColumns = 5;
constexpr int kLineToLine = 4;

} // namespace

CVKTVlny::CVKTVlny(IVKTWaveSource& source, QWidget* parent) : QDialog(parent), m_source(source)
{
    setWindowTitle(kBaseTitle + QStringLiteral(" - ") + source.Name());
    resize(750, 550);
    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("side"));
    auto* g = new QGridLayout(side);
    g->setContentsMargins(4, 4, 4, 4);
    g->setHorizontalSpacing(3);
    g->addWidget(new QLabel(QStringLiteral("Čas pořízení záznamu:"), side), 0, 0, 1, kColumns);
    m_time = new QLabel(QStringLiteral("---"), side);
    m_time->setObjectName(QStringLiteral("1135"));
    g->addWidget(m_time, 1, 0, 1, kColumns);
    m_voltageTitle = new QLabel(m_file.values.voltageTitle, side);
    m_currentTitle = new QLabel(m_file.values.currentTitle, side);
    g->addWidget(m_voltageTitle, 2, 1, 1, 2);
    g->addWidget(m_currentTitle, 2, 3, 1, 2);
    for (int k = 0; k < 4; ++k) {
        g->addWidget(new QLabel(QString::number(k + 1), side), 3 + k, 0);
        for (int c = 0; c < 2; ++c) {
            // The swatch in the colour of the channel's curve.
            auto* swatch = new QLabel(side);
            swatch->setFixedSize(8, 14);
            swatch->setAutoFillBackground(true);
            m_swatches[std::size_t(k + 4 * c)] = swatch;
            g->addWidget(swatch, 3 + k, 1 + 2 * c);
            auto* l = new QLabel(side);
            l->setFrameShape(QFrame::StyledPanel);
            l->setMinimumWidth(48);
            m_values[std::size_t(k + 4 * c)] = l;
            g->addWidget(l, 3 + k, 2 + 2 * c);
        }
    }
    g->addWidget(new QLabel(QStringLiteral("Zobrazené průběhy"), side), 7, 0, 1, kColumns);
    m_pairs = new QComboBox(side);
    m_pairs->setObjectName(QStringLiteral("1292"));
    g->addWidget(m_pairs, 8, 0, 1, kColumns);
    m_grid = new QCheckBox(QStringLiteral("Rastr"), side);
    m_grid->setObjectName(QStringLiteral("1017"));
    m_grid->setChecked(true);
    g->addWidget(m_grid, 9, 0, 1, kColumns);
    m_stop = new QCheckBox(QStringLiteral("Zastavit"), side);
    m_stop->setObjectName(QStringLiteral("1016"));
    g->addWidget(m_stop, 10, 0, 1, kColumns);
    m_save = new QPushButton(side);
    m_save->setObjectName(QStringLiteral("1315"));
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setToolTip(QStringLiteral("Uloží aktulání průběh do souboru"));
    m_load = new QPushButton(side);
    m_load->setObjectName(QStringLiteral("1316"));
    m_load->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_load->setToolTip(QStringLiteral("Načte průběh ze souboru"));
    m_print = new QPushButton(side);
    m_print->setObjectName(QStringLiteral("1317"));
    m_print->setIcon(ui::PrintIcon());
    m_print->setToolTip(QStringLiteral("Vytiskne aktuální průběh"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_load);
    buttons->addWidget(m_print);
    g->addLayout(buttons, 11, 0, 1, kColumns);
    auto* close = new QPushButton(QStringLiteral("Konec"), side);
    close->setObjectName(QStringLiteral("2"));
    g->setRowStretch(12, 1);
    g->addWidget(close, 13, 0, 1, kColumns);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pairs, m_save, m_print, m_grid, m_stop})
        w->setEnabled(false);
    m_pairs->addItem(QStringLiteral("U1-I1"));

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pairs, &QComboBox::textActivated, this, &CVKTVlny::ChoosePair);
    connect(m_grid, &QCheckBox::toggled, this, [this](bool on) {
        m_channels.grid = on;
        update();
    });
    connect(m_stop, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            setWindowTitle(kBaseTitle + QStringLiteral(" - ") + m_source.Name());
    });
    connect(m_save, &QPushButton::clicked, this, [this] {
        const QString name = QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yy_HH-mm")) + ".vln";
        const QString path = controllers::ChooseSettingsFile(this, true, QStringLiteral("Uložit aktuální průběhy do souboru"),
                                                             m_source.Folder(), name, WaveFileKind());
        if (!path.isEmpty())
            Save(path);
    });
    connect(m_load, &QPushButton::clicked, this, [this] {
        const QString path = controllers::ChooseSettingsFile(this, false, QStringLiteral("Načíst průběhy ze souboru"),
                                                             m_source.Folder(), m_source.Name(), WaveFileKind());
        if (!path.isEmpty())
            Load(path);
    });
    connect(m_print, &QPushButton::clicked, this, &CVKTVlny::OnPrint);
    m_source.SetRequest(kWaveRequestAll);
    m_panes[0].SetChannels(0x11);
    ShowValues();
}

CVKTVlny::~CVKTVlny()
{
    m_source.SetRequest(kWaveRequestNone);
}

QRect CVKTVlny::PlotRect() const
{
    return QRect(QPoint(3, 3), QPoint(width() - 152, height() - 3));
}

void CVKTVlny::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (auto* side = findChild<QWidget*>(QStringLiteral("side")))
        side->setGeometry(width() - 150, 0, 150, height());
    Arrange(PlotRect(), kUnit);
}

void CVKTVlny::Arrange(const QRect& r, int unit, bool printing)
{
    int count = 0;
    const auto masks = WavePaneMasks(m_pair, count);
    if (count == 1) {
        m_panes[0].SetChannels(masks[0], m_channels.scale);
        m_panes[0].SetRect(r, unit, printing);
        return;
    }
    const int cx = r.left() + r.width() / 2;
    const int cy = r.top() + r.height() / 2;
    const QRect rects[4] = {QRect(QPoint(r.left(), r.top()), QPoint(cx - 1, cy - 1)),
                            QRect(QPoint(cx, r.top()), QPoint(r.right(), cy - 1)),
                            QRect(QPoint(r.left(), cy), QPoint(cx - 1, r.bottom())),
                            QRect(QPoint(cx, cy), QPoint(r.right(), r.bottom()))};
    for (int i = 0; i < 4; ++i) {
        m_panes[std::size_t(i)].SetChannels(masks[std::size_t(i)], m_channels.scale);
        m_panes[std::size_t(i)].SetRect(rects[i], unit, printing);
    }
}

void CVKTVlny::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setClipRect(PlotRect());
    for (int i = 0; i < PaneCount(); ++i)
        m_panes[std::size_t(i)].Draw(p, m_channels, kUnit);
}

void CVKTVlny::SwapAxesAt(const QPoint& point)
{
    for (int i = 0; i < PaneCount(); ++i) {
        if (m_panes[std::size_t(i)].HitSwap(point)) {
            update(m_panes[std::size_t(i)].FrameRect());
            return;
        }
    }
}

void CVKTVlny::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        SwapAxesAt(event->position().toPoint());
    QDialog::mousePressEvent(event);
}

void CVKTVlny::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        SwapAxesAt(event->position().toPoint());
    QDialog::mouseDoubleClickEvent(event);
}

void CVKTVlny::FillPairs(int connection)
{
    m_pairs->setEnabled(true);
    m_pairs->clear();
    m_pairs->addItems(WavePairNames(connection));
    m_pairs->setCurrentIndex(0);
    m_pair = 0x11;
    m_connection = connection;
    m_source.SetRequest(kWavePairs[0].request);
    Arrange(PlotRect(), kUnit);
}

void CVKTVlny::ChoosePair(const QString& name)
{
    const VKTWavePair* pair = WavePairOf(name);
    if (!pair)
        return;
    m_pair = pair->mask;
    if (const int index = m_pairs->findText(name); index >= 0)
        m_pairs->setCurrentIndex(index);
    m_source.SetRequest(pair->request);
    Arrange(PlotRect(), kUnit);
    update();
}

void CVKTVlny::OnNewData()
{
    if (m_stop->isChecked())
        return;
    // The colours come over from the live values once; the user's later
    // changes there do not repaint a picture already taken.
    if (!m_file.coloursTaken) {
        m_source.Colours(m_channels.colours);
        m_file.coloursTaken = 1;
        ShowSwatches();
    }
    VKTWaveChannels channels = m_channels;
    VKTWaveValues values;
    int connection = 0;
    if (!m_source.Latest(channels, values, connection)) {
        m_save->setEnabled(false);
        m_print->setEnabled(false);
        m_time->setText(QStringLiteral("---"));
        for (QLabel* l : m_values)
            l->setText(QStringLiteral("---"));
        VKTVlnyValuesBlock none;
        none.SetTitles(1, 1, m_connection == kLineToLine);
        m_voltageTitle->setText(none.voltageTitle);
        m_currentTitle->setText(none.currentTitle);
        update();
        return;
    }
    // Without its mean each period is drawn around the zero line.
    for (auto& wave : channels.waves) {
        if (!wave)
            continue;
        int sum = 0;
        for (std::int16_t s : *wave)
            sum += s;
        for (std::int16_t& s : *wave)
            s = std::int16_t(s - sum / 64);
    }
    const bool rescaled = channels.scale != m_channels.scale;
    m_channels = channels;
    m_liveConnection = connection;
    if (connection != m_connection || rescaled)
        FillPairs(connection);
    m_file.time = std::uint32_t(QDateTime::currentSecsSinceEpoch());
    m_file.connection = connection;
    m_file.waves = channels.waves;
    for (int k = 0; k < 4; ++k) {
        m_file.values.voltages[std::size_t(k)] = values.texts[std::size_t(k)];
        m_file.values.currents[std::size_t(k)] = values.texts[std::size_t(k + 4)];
    }
    m_file.values.SetTitles(values.voltageMultiplier, values.currentMultiplier, connection == kLineToLine);
    ShowValues();
    for (QWidget* w : std::initializer_list<QWidget*>{m_load, m_save, m_print, m_grid, m_stop})
        w->setEnabled(true);
    update();
}

void CVKTVlny::ShowValues()
{
    for (int k = 0; k < 4; ++k) {
        m_values[std::size_t(k)]->setText(m_file.values.voltages[std::size_t(k)]);
        m_values[std::size_t(k + 4)]->setText(m_file.values.currents[std::size_t(k)]);
    }
    m_voltageTitle->setText(m_file.values.voltageTitle);
    m_currentTitle->setText(m_file.values.currentTitle);
    m_time->setText(TimeText());
    ShowSwatches();
}

void CVKTVlny::ShowSwatches()
{
    for (std::size_t k = 0; k < m_swatches.size(); ++k) {
        QPalette palette = m_swatches[k]->palette();
        palette.setColor(QPalette::Window, m_channels.colours[k]);
        m_swatches[k]->setPalette(palette);
    }
}

QString CVKTVlny::VoltageTitle() const
{
    return m_voltageTitle->text();
}

QString CVKTVlny::CurrentTitle() const
{
    return m_currentTitle->text();
}

QColor CVKTVlny::SwatchColour(int channel) const
{
    return channel >= 0 && channel < 8 ? m_swatches[std::size_t(channel)]->palette().color(QPalette::Window) : QColor();
}

QString CVKTVlny::TimeText() const
{
    if (m_file.time == 0)
        return QStringLiteral("---");
    return QDateTime::fromSecsSinceEpoch(m_file.time).toString(QStringLiteral("HH:mm:ss  dd.MM.yyyy"));
}

QString CVKTVlny::ValueText(int channel) const
{
    return channel >= 0 && channel < 8 ? m_values[std::size_t(channel)]->text() : QString();
}

bool CVKTVlny::Save(const QString& path)
{
    VKTVlnyFileData data = m_file;
    data.coloursTaken = 1;
    for (std::size_t i = 0; i < 4; ++i) {
        data.panes[i].mask = m_panes[i].Mask();
        data.panes[i].rms = m_channels.rms;
        data.panes[i].scale = m_channels.scale;
        data.panes[i].voltageUnit = m_channels.voltageUnit;
        data.panes[i].currentUnit = m_channels.currentUnit;
        data.panes[i].voltageAxisInner = m_panes[i].VoltageAxisInner() ? 1 : 0;
        data.panes[i].voltageRange = m_panes[i].VoltageRange();
        data.panes[i].currentRange = m_panes[i].CurrentRange();
    }
    QString error;
    if (!SaveVKTVlnyFile(path, data, error)) {
        ui::ErrorBox(this, kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return false;
    }
    return true;
}

bool CVKTVlny::Load(const QString& path)
{
    QString error;
    VKTVlnyFileData data;
    if (!LoadVKTVlnyFile(path, data, error)) {
        for (auto& wave : m_channels.waves)
            if (wave)
                wave->fill(0);
        // A loaded file's type must not outlive it: the pairs are the instrument's.
        FillPairs(std::max(0, m_liveConnection));
        update();
        ui::ErrorBox(this, kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return false;
    }
    m_file = data;
    m_channels.waves = data.waves;
    // Every pane holds the channels' values; the last copy counts.
    m_channels.rms = data.panes[3].rms;
    m_channels.scale = data.panes[3].scale;
    m_channels.voltageUnit = data.panes[3].voltageUnit;
    m_channels.currentUnit = data.panes[3].currentUnit;
    m_stop->setChecked(true);
    FillPairs(data.connection);
    m_pairs->setCurrentIndex(m_pairs->count() - 1);
    m_pair = 0xFF;
    m_source.SetRequest(kWaveRequestAll);
    Arrange(PlotRect(), kUnit);
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        m_panes[i].SetVoltageAxisInner(data.panes[i].voltageAxisInner != 0);
        m_panes[i].SetRanges(data.panes[i].voltageRange, data.panes[i].currentRange);
    }
    ShowValues();
    setWindowTitle(kBaseTitle + QStringLiteral(" - [") + QFileInfo(path).fileName() + QLatin1Char(']'));
    for (QWidget* w : std::initializer_list<QWidget*>{m_grid, m_stop, m_print})
        w->setEnabled(true);
    update();
    return true;
}

void CVKTVlny::OnPrint()
{
    charts::CReportPrinter report(nullptr, 2, 2, false);
    report.SetParent(this);
    if (!report.BeginPrint(QStringLiteral("%1 - Vlny").arg(m_source.Name()), windowTitle(), QString()))
        return;
    report.PrintText(windowTitle());
    report.PrintBox(QStringLiteral("Záznam vln ze dne") +
                    QDateTime::fromSecsSinceEpoch(m_file.time).toString(QStringLiteral(" dd.MM.yyyy HH:mm:ss")));
    report.PrintText(QString());
    // The phases in columns; each value after a box in its curve's colour.
    const int th = report.TextHeight();
    auto row = [&](const QString& head, const std::array<QString, 4>& cells, int firstChannel) {
        report.PrintTextFitted(head, 0);
        for (int k = 0; k < 4; ++k) {
            const QRect text = report.PrintTextFitted(cells[std::size_t(k)], 6 * (k + 1));
            if (firstChannel >= 0 && !text.isNull())
                report.Painter().fillRect(QRect(QPoint(text.left() - int(1.5 * th), text.top()),
                                                QPoint(text.left() - int(0.8 * th), text.bottom())),
                                          m_channels.colours[std::size_t(firstChannel + k)]);
        }
        report.PrintText(QString());
    };
    row(QStringLiteral("Fáze"), {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}, -1);
    std::array<QString, 4> u, i;
    for (std::size_t k = 0; k < 4; ++k) {
        u[k] = m_values[k]->text();
        i[k] = m_values[k + 4]->text();
    }
    row(m_voltageTitle->text(), u, 0);
    row(m_currentTitle->text(), i, 4);
    report.PrintText(QString());
    report.PrintText(QString());
    if (report.IsPrinting()) {
        // The panes take the rest of the page, drawn as on the screen with
        // the printer's text sizes.
        const QRect body = report.BodyRect();
        const QRect area(QPoint(body.left(), report.CurrentY()), body.bottomRight());
        const int unit = WaveTextUnit(report.Painter().device()->logicalDpiY());
        QPainter& p = report.Painter();
        p.save();
        p.setClipRect(area);
        Arrange(area, unit, true);
        for (int n = 0; n < PaneCount(); ++n)
            m_panes[std::size_t(n)].Draw(p, m_channels, unit);
        p.restore();
    }
    report.EndPrint();
    Arrange(PlotRect(), kUnit);
    update();
}

} // namespace analysers_vkt
