#include "shell/ONSpolecne.h"

#include "link/ModemSettings.h"
#include "link/PortList.h"
#include "link/Pristroj.h"
#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/HtmlHelp.h"
#include "shell/GeneralSettings.h"
#include "shell/DlgControls.h"
#include "shell/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using dlg::Named;
using dlg::Text;

// A port kind that the port list never makes: a bus with its own speeds.
constexpr int kPortKindBus = 1;

const char* const kStartTexts[] = {"žádné", "komunikující", "všechny"};
const char* const kSpanTexts[] = {"celý záznam", "15 min", "30 min", "  1 hod", "  2 hod", "  6 hod",  "  8 hod",
                                  "12 hod",      "  1 den", "  2 dny", "  7 dnů", "14 dnů", "  1 měsíc"};
const char* const kCharacterTexts[] = {"Transparentní ", "Netransparentní (odezva 1,5s)",
                                       "Netransparentní (odezva 2,3s)", "Netransparentní (odezva 3,1s)",
                                       "Netransparentní (odezva 3,9s)"};

QComboBox* ComboOf(std::initializer_list<const char*> texts, int id)
{
    auto* combo = Named(new QComboBox, id);
    for (const char* text : texts)
        combo->addItem(Text(text));
    return combo;
}

// The instrument's thread takes the entry's settings anew (and restarts
// with them); it owns the copy once the post succeeded.
void HandSettingsToThread(CPristroj& entry)
{
    if (!entry.GetThread())
        return;
    auto copy = std::make_unique<CPristroj>(entry);
    platform::Event& done = entry.ThreadEvent();
    done.Reset();
    if (!entry.PostToThread(platform::WM_DEVICE_SETTINGS, reinterpret_cast<std::uintptr_t>(&done),
                            reinterpret_cast<std::intptr_t>(copy.get())))
        return;
    (void)copy.release();
    entry.Host().WaitEvent(done, CPristroj::kThreadWaitMs);
}

} // namespace

const std::vector<int>& CONSpolecne::BaudRates()
{
    static const std::vector<int> rates = {50,   150,   300,   600,   1200,   2400,  4800,
                                           9600, 19200, 38400, 57600, 115200, 230400};
    return rates;
}

const QStringList& CONSpolecne::BaudTexts()
{
    static const QStringList texts = [] {
        QStringList list;
        for (int rate : BaudRates())
            list << QString::number(rate) + QStringLiteral(" Bd");
        return list;
    }();
    return texts;
}

const QStringList& CONSpolecne::BusSpeedTexts()
{
    static const QStringList texts = [] {
        QStringList list;
        for (int speed : {5, 10, 20, 50, 100, 125, 200, 250, 500, 800, 1000})
            list << QString::number(speed) + QStringLiteral(" kbit/s");
        return list;
    }();
    return texts;
}

CONSpolecne::CONSpolecne(const Context& context, QWidget* parent)
    : ui::CPropertyPage(Text("Společná nastavení"), parent), m_context(context)
{
    ui::SetHelpId(this, 195);
    BuildControls();
}

void CONSpolecne::BuildControls()
{
    auto* top = new QVBoxLayout(this);
    m_subFolders = Named(new QCheckBox(Text("Vytvářet datové adresáře dle názvu přístroje")), 1030);
    top->addWidget(m_subFolders);
    auto* folderRow = new QHBoxLayout;
    m_folder = Named(new QLineEdit, 1132);
    auto* browse = Named(new QPushButton(Text("...")), 1133);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    top->addLayout(folderRow);
    m_replace = Named(
        new QCheckBox(Text("Po změně výchozího adresáře nahradit u všech přístrojů starý adresář novým")), 1016);
    top->addWidget(m_replace);
    m_restart = Named(new QCheckBox(Text("Po změně nastaveni restartovat příslušné přístroje")), 1025);
    top->addWidget(m_restart);
    top->addWidget(new QLabel(Text("Při zapnutí programu spustit naposledy používané přístroje:")));
    m_start = ComboOf({kStartTexts[0], kStartTexts[1], kStartTexts[2]}, 1262);
    top->addWidget(m_start);
    top->addWidget(new QLabel(Text("Výchozí zobrazovaný interval archivního souboru:")));
    m_span = Named(new QComboBox, 1263);
    for (const char* text : kSpanTexts)
        m_span->addItem(Text(text));
    top->addWidget(m_span);

    m_portTabs = Named(new QTabBar, 1261);
    top->addWidget(m_portTabs);
    auto* portForm = new QFormLayout;
    m_rate = Named(new QComboBox, 1003);
    portForm->addRow(Text("Komunikační rychlost"), m_rate);
    m_character = Named(new QComboBox, 1004);
    for (const char* text : kCharacterTexts)
        m_character->addItem(Text(text));
    portForm->addRow(Text("Charakter linky:"), m_character);
    m_reconnect = Named(new QCheckBox(Text("Při výpadku modemu se pokusit navázat spojení")), 1026);
    portForm->addRow(m_reconnect);
    m_description = Named(new QLineEdit, 1017);
    m_description->setReadOnly(true);
    portForm->addRow(Text("Popis:"), m_description);
    top->addLayout(portForm);
    top->addStretch();

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(
            this, platform::LoadString(platform::IDS_TITLE_CHOOSE_DATA_FOLDER), m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(QDir::toNativeSeparators(chosen));
    });
    connect(m_folder, &QLineEdit::textChanged, this, [this] { UpdateReplaceCheck(); });
    connect(m_portTabs, &QTabBar::currentChanged, this, [this](int index) {
        StoreShownPort();
        ShowPort(index);
    });
}

QString CONSpolecne::TrimFolder(const QString& folder)
{
    QString trimmed = folder.trimmed();
    while (trimmed.size() > 1 && (trimmed.endsWith(QLatin1Char('\\')) || trimmed.endsWith(QLatin1Char('/'))))
        trimmed.chop(1);
    return trimmed;
}

void CONSpolecne::Load()
{
    CGeneralSettings stored = m_context.general;
    stored.Load(m_context.settings);
    m_pouzivatPodadresare = stored.m_pouzivatPodadresare;
    m_adresar = stored.m_adresar;
    m_loadedAdresar = m_adresar;
    m_spustitPriStartu = stored.m_spustitPriStartu;
    m_prehrat = stored.m_prehrat;
    m_restartovat = stored.m_restartovat;
    m_archivInterval = stored.m_archivInterval;

    m_ports.clear();
    const std::vector<CPortEntry> entries = m_context.ports.Entries();
    if (entries.size() <= 1)
        return;
    const platform::Settings& s = m_context.settings;
    for (const CPortEntry& e : entries) {
        PortSlot slot;
        slot.name = e.name;
        slot.description = e.description;
        slot.kind = e.kind;
        if (e.kind == kPortKindModem) {
            slot.baud = s.GetProfileInt(kModemSection, e.name + QStringLiteral("_r"), 9600);
            slot.character = s.GetProfileInt(kModemSection, e.name + QStringLiteral("_ks"), 0);
            slot.reconnect = s.GetProfileInt(kModemSection, e.name + QStringLiteral("_nav"), 1);
        } else {
            slot.baud = s.GetProfileInt(CGeneralSettings::Section(), e.name, e.kind == kPortKindVkt ? 115200 : 9600);
            slot.character = s.GetProfileInt(CGeneralSettings::Section(), e.name + QStringLiteral("_ks"), 0);
        }
        slot.loadedBaud = slot.baud;
        slot.loadedCharacter = slot.character;
        slot.loadedReconnect = slot.reconnect;
        m_ports.push_back(slot);
    }
}

void CONSpolecne::OnInitDialog()
{
    m_subFolders->setChecked(m_pouzivatPodadresare != 0);
    m_folder->setText(m_adresar);
    m_start->setCurrentIndex(m_spustitPriStartu >= 0 && m_spustitPriStartu < 3 ? m_spustitPriStartu : 2);
    m_replace->setChecked(m_prehrat != 0);
    m_restart->setChecked(m_restartovat != 0);
    m_span->setCurrentIndex(m_archivInterval);
    m_portTabs->blockSignals(true);
    for (const PortSlot& slot : m_ports)
        m_portTabs->addTab(slot.name);
    m_portTabs->blockSignals(false);
    ShowPort(m_ports.empty() ? -1 : 0);
    UpdateReplaceCheck();
}

void CONSpolecne::ShowPort(int index)
{
    m_shownPort = index >= 0 && index < static_cast<int>(m_ports.size()) ? index : -1;
    for (QWidget* w : std::initializer_list<QWidget*>{m_rate, m_character, m_reconnect, m_description})
        w->setVisible(m_shownPort >= 0);
    m_rate->clear();
    if (m_shownPort < 0)
        return;
    const PortSlot& slot = m_ports[static_cast<std::size_t>(m_shownPort)];
    if (slot.kind == kPortKindBus) {
        m_rate->addItems(BusSpeedTexts());
        m_rate->setCurrentIndex(slot.character);
    } else {
        m_rate->addItems(BaudTexts());
        const auto& rates = BaudRates();
        const auto it = std::find(rates.begin(), rates.end(), slot.baud);
        m_rate->setCurrentIndex(it == rates.end() ? -1 : static_cast<int>(it - rates.begin()));
    }
    const bool modem = slot.kind == kPortKindModem;
    m_character->setEnabled(modem);
    m_reconnect->setEnabled(modem);
    m_character->setCurrentIndex(modem && slot.character >= 0 && slot.character < 5 ? slot.character : -1);
    m_reconnect->setChecked(modem && slot.reconnect != 0);
    m_description->setText(slot.description);
}

void CONSpolecne::StoreShownPort()
{
    if (m_shownPort < 0 || m_shownPort >= static_cast<int>(m_ports.size()))
        return;
    PortSlot& slot = m_ports[static_cast<std::size_t>(m_shownPort)];
    const int rate = m_rate->currentIndex();
    // A stored value that no choice shows stays as it is.
    if (slot.kind == kPortKindBus) {
        if (rate >= 0)
            slot.character = rate;
        return;
    }
    if (rate >= 0)
        slot.baud = BaudRates()[static_cast<std::size_t>(rate)];
    if (slot.kind == kPortKindModem) {
        if (m_character->currentIndex() >= 0)
            slot.character = m_character->currentIndex();
        slot.reconnect = m_reconnect->isChecked() ? 1 : 0;
    }
}

void CONSpolecne::UpdateReplaceCheck()
{
    m_replace->setEnabled(TrimFolder(m_folder->text()) != m_loadedAdresar);
}

void CONSpolecne::PullControls()
{
    if (!IsInitialised())
        return;
    StoreShownPort();
    m_pouzivatPodadresare = m_subFolders->isChecked() ? 1 : 0;
    m_adresar = m_folder->text();
    m_spustitPriStartu = m_start->currentIndex();
    m_prehrat = m_replace->isChecked() ? 1 : 0;
    m_restartovat = m_restart->isChecked() ? 1 : 0;
    m_archivInterval = m_span->currentIndex();
}

bool CONSpolecne::OnKillActive()
{
    PullControls();
    return true;
}

void CONSpolecne::OnOK()
{
    PullControls();
}

void CONSpolecne::Apply()
{
    CWaitCursor wait;
    m_adresar = TrimFolder(m_adresar);
    CGeneralSettings& general = m_context.general;
    general.m_pouzivatPodadresare = m_pouzivatPodadresare;
    general.m_adresar = m_adresar;
    general.m_spustitPriStartu = m_spustitPriStartu;
    general.m_prehrat = m_prehrat;
    general.m_restartovat = m_restartovat;
    general.m_archivInterval = m_archivInterval;
    platform::Settings& s = m_context.settings;
    general.SaveCommonPage(s);

    m_context.ports.Refresh();
    for (PortSlot& slot : m_ports) {
        if (!slot.Changed())
            continue;
        if (slot.kind == kPortKindModem) {
            // Only the three values this page shows: the line's totals belong
            // to the modem code, and a line never dialled has none to write.
            WriteModemLinePageSettings(s, slot.name, slot.baud, slot.character, slot.reconnect);
            CPristroj::ApplyModemSettings(m_context.linkManager, slot.name, slot.character, slot.reconnect);
        } else {
            s.WriteProfileInt(CGeneralSettings::Section(), slot.name, slot.baud);
            s.WriteProfileInt(CGeneralSettings::Section(), slot.name + QStringLiteral("_ks"), slot.character);
        }
        slot.loadedBaud = slot.baud;
        slot.loadedCharacter = slot.character;
        slot.loadedReconnect = slot.reconnect;
    }

    if (m_adresar != m_loadedAdresar && m_prehrat)
        ReplaceFolder(m_loadedAdresar);
    m_loadedAdresar = m_adresar;
}

void CONSpolecne::ReplaceFolder(const QString& oldFolder)
{
    if (oldFolder.isEmpty())
        return;
    for (auto& entry : m_context.instruments) {
        CPristroj& e = *entry;
        // Only the folder itself: D:\data2 does not lie in D:\data.
        const QChar next = e.m_soubor.size() > oldFolder.size() ? e.m_soubor.at(oldFolder.size()) : QChar();
        if (!e.m_soubor.startsWith(oldFolder, Qt::CaseInsensitive) ||
            (e.m_soubor.size() > oldFolder.size() && next != QLatin1Char('\\') && next != QLatin1Char('/')))
            continue;
        e.m_soubor = m_adresar + e.m_soubor.mid(oldFolder.size());
        CDeviceRegistry::SaveDeviceSettingsUnderKey(m_context.settings, e);
        CheckDataDirectory(this, e.m_soubor, e.GetType() - 1, TRUE, &e.Host());
        if (m_restartovat && e.m_merit)
            HandSettingsToThread(e);
    }
}
