#include "analysers_vkt/VKTVlny.h"

#include "analysers_vkt/VKTVlnyPairs.h"
#include "controllers/settings/SettingsReport.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
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
    g->addWidget(new QLabel(QStringLiteral("Čas pořízení záznamu:"), side), 0, 0, 1, 3);
    m_time = new QLabel(QStringLiteral("---"), side);
    m_time->setObjectName(QStringLiteral("1135"));
    g->addWidget(m_time, 1, 0, 1, 3);
    m_voltageTitle = new QLabel(QStringLiteral("U L-N[V]"), side);
    m_currentTitle = new QLabel(QStringLiteral("I [A]"), side);
    g->addWidget(m_voltageTitle, 2, 1);
    g->addWidget(m_currentTitle, 2, 2);
    for (int k = 0; k < 4; ++k) {
        g->addWidget(new QLabel(QString::number(k + 1), side), 3 + k, 0);
        for (int c = 0; c < 2; ++c) {
            auto* l = new QLabel(side);
            l->setFrameShape(QFrame::StyledPanel);
            l->setMinimumWidth(48);
            m_values[std::size_t(k + 4 * c)] = l;
            g->addWidget(l, 3 + k, 1 + c);
        }
    }
    g->addWidget(new QLabel(QStringLiteral("Zobrazené průběhy"), side), 7, 0, 1, 3);
    m_pairs = new QComboBox(side);
    m_pairs->setObjectName(QStringLiteral("1292"));
    g->addWidget(m_pairs, 8, 0, 1, 3);
    m_grid = new QCheckBox(QStringLiteral("Rastr"), side);
    m_grid->setChecked(true);
    g->addWidget(m_grid, 9, 0, 1, 3);
    m_stop = new QCheckBox(QStringLiteral("Zastavit"), side);
    g->addWidget(m_stop, 10, 0, 1, 3);
    m_save = new QPushButton(side);
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setToolTip(QStringLiteral("Uloží aktulání průběh do souboru"));
    m_load = new QPushButton(side);
    m_load->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_load->setToolTip(QStringLiteral("Načte průběh ze souboru"));
    m_print = new QPushButton(side);
    m_print->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_print->setToolTip(QStringLiteral("Vytiskne aktuální průběh"));
    g->addWidget(m_save, 11, 0);
    g->addWidget(m_load, 11, 1);
    g->addWidget(m_print, 11, 2);
    auto* close = new QPushButton(QStringLiteral("Konec"), side);
    g->setRowStretch(12, 1);
    g->addWidget(close, 13, 0, 1, 3);
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

void CVKTVlny::Arrange(const QRect& r, int unit)
{
    int count = 0;
    const auto masks = WavePaneMasks(m_pair, count);
    if (count == 1) {
        m_panes[0].SetChannels(masks[0]);
        m_panes[0].SetRect(r, unit);
        return;
    }
    const int cx = r.left() + r.width() / 2;
    const int cy = r.top() + r.height() / 2;
    const QRect rects[4] = {QRect(QPoint(r.left(), r.top()), QPoint(cx - 1, cy - 1)),
                            QRect(QPoint(cx, r.top()), QPoint(r.right(), cy - 1)),
                            QRect(QPoint(r.left(), cy), QPoint(cx - 1, r.bottom())),
                            QRect(QPoint(cx, cy), QPoint(r.right(), r.bottom()))};
    for (int i = 0; i < 4; ++i) {
        m_panes[std::size_t(i)].SetChannels(masks[std::size_t(i)]);
        m_panes[std::size_t(i)].SetRect(rects[i], unit);
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
    VKTWaveChannels channels = m_channels;
    std::array<QString, 8> texts;
    int connection = 0;
    if (!m_source.Latest(channels, texts, connection)) {
        m_save->setEnabled(false);
        m_print->setEnabled(false);
        m_time->setText(QStringLiteral("---"));
        for (QLabel* l : m_values)
            l->setText(QStringLiteral("---"));
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
    m_channels = channels;
    if (connection != m_connection)
        FillPairs(connection);
    m_file.time = std::uint32_t(QDateTime::currentSecsSinceEpoch());
    m_file.connection = connection;
    m_file.waves = channels.waves;
    for (int k = 0; k < 4; ++k) {
        m_file.values.voltages[std::size_t(k)] = texts[std::size_t(k)];
        m_file.values.currents[std::size_t(k)] = texts[std::size_t(k + 4)];
    }
    m_file.values.voltageTitle = connection == 4 ? QStringLiteral("U L-L[V]") : QStringLiteral("U L-N[V]");
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
        FillPairs(std::max(0, m_connection));
        update();
        ui::ErrorBox(this, kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return false;
    }
    m_file = data;
    m_channels.waves = data.waves;
    m_channels.rms = data.panes[3].rms;
    m_stop->setChecked(true);
    FillPairs(data.connection);
    m_pairs->setCurrentIndex(m_pairs->count() - 1);
    m_pair = 0xFF;
    m_source.SetRequest(kWaveRequestAll);
    Arrange(PlotRect(), kUnit);
    ShowValues();
    setWindowTitle(kBaseTitle + QStringLiteral(" - [") + QFileInfo(path).fileName() + QLatin1Char(']'));
    for (QWidget* w : std::initializer_list<QWidget*>{m_grid, m_stop, m_print})
        w->setEnabled(true);
    update();
    return true;
}

void CVKTVlny::OnPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("%1 - Vlny").arg(m_source.Name()));
    if (!controllers::ChoosePrinter(printer, this))
        return;
    QPainter p(&printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int unit = WaveTextUnit(printer.resolution());
    QFont font = p.font();
    font.setPixelSize(WaveTextHeight(unit));
    p.setFont(font);
    const int line = int(unit * 1.2);
    int y = 0;
    auto text = [&](const QString& t) {
        p.drawText(QRect(0, y, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter, t);
        y += line;
    };
    text(windowTitle());
    text(QStringLiteral("Záznam vln ze dne ") + QDateTime::fromSecsSinceEpoch(m_file.time).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    y += line;
    text(QStringLiteral("Fáze      1      2      3      4"));
    QString u = m_voltageTitle->text(), i = m_currentTitle->text();
    for (int k = 0; k < 4; ++k) {
        u += QStringLiteral("   ") + m_values[std::size_t(k)]->text();
        i += QStringLiteral("   ") + m_values[std::size_t(k + 4)]->text();
    }
    text(u);
    text(i);
    y += 2 * line;
    const QRect area(0, y, page.width(), page.height() - y);
    Arrange(area, unit);
    for (int n = 0; n < PaneCount(); ++n)
        m_panes[std::size_t(n)].Draw(p, m_channels, unit);
    p.end();
    Arrange(PlotRect(), kUnit);
    update();
}

} // namespace analysers_vkt
