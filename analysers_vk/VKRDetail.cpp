#include "analysers_vk/VKRDetail.h"

#include "analysers_vk/VK01Doc.h"
#include "analysers_vk/VKRSettingsIo.h"
#include "analysers_vk/VKSettingsGroups.h"
#include "controllers/settings/SettingsReport.h"
#include "controllers/settings/SettingsSheetBase.h"
#include "link/PristrojLinkBracket.h"
#include "platform/ui/Artwork.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace analysers_vk {

const std::array<DWORD, CVKRDetail::kVtPrimaryCount> CVKRDetail::kVtPrimaries = {
    3000, 3300, 3500, 6000, 6300, 10000, 11000, 15000, 22000, 33000, 35000, 110000, 220000, 400000};
const std::array<DWORD, CVKRDetail::kCtPrimaryCount> CVKRDetail::kCtPrimaries = {
    5,   30,  40,  50,  60,   75,   100,  150,  200,  250,  300,  400, 500,
    600, 750, 800, 1000, 1200, 1250, 1500, 1600, 2000, 2500, 3000, 4000};

namespace {

const QString kNoAnswer = QStringLiteral("Přístroj neodpovídá !");
const QString kFileFailed = QStringLiteral("Soubor se nepodařilo otevřít.");
constexpr DWORD kCtFiveAmps = 0x80000000u;
constexpr int kVtDirectIndex = 5;

const char* const kShownTexts[CVKRConfig::kDisplayQuantities] = {
    "sdružené napětí UL-L", "fázové napětí UL-N", "proud I", "činné fázové výkony P", "činný třífázový výkon 3P",
    "jalové fázové výkony Q", "jalový třífázový výkon 3Q", "účiník PF", "třífázový účiník 3PF", "cos",
    "THD UL-L", "THD UL-N", "THD I", "frekvence f", "teplota T"};
const char* const kDefaultTexts[CVKRConfig::kDisplayQuantities] = {
    "sdružené napětí UL-L", "fázové napětí UL-N", "proud", "činné výkony ve fázích", "činný třífázový výkon",
    "jalový výkon ve fázích", "jalový třífázový výkon", "účiník PF", "třífázový účiník PF", "cos",
    "THD UL-L", "THD UL-N", "THD I", "frekvence", "teplota"};
const char* const kRates[5] = {"2400 Bd", "4800 Bd", "9600 Bd", "19200 Bd", "38400 Bd"};

int IndexIn(const DWORD* table, int count, DWORD value)
{
    for (int i = 0; i < count; ++i) {
        if (table[i] == value)
            return i;
    }
    return -1;
}

QComboBox* MakeCombo(QWidget* parent, int id, const QStringList& items)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::number(id));
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

controllers::FileKind VrsFileKind()
{
    return controllers::SettingsFileKind(QStringLiteral(".vrs"));
}

} // namespace

void CVKRDetail::SetPrintClock(std::function<QDateTime()> clock)
{
    controllers::SetSettingsPrintClock(std::move(clock));
}

QString CVKRDetail::TitleFor(const QString& instrumentName)
{
    return QStringLiteral("Nastavení přístroje (%1)").arg(instrumentName);
}

CVKRDetail::CVKRDetail(QWidget* parent) : CVKRDetail(false, parent) {}

CVKRDetail::CVKRDetail(bool readOnly, QWidget* parent) : QDialog(parent), m_readOnly(readOnly)
{
    setWindowTitle(QStringLiteral("Nastavení"));
    Build();
    UpdateControls();
}

CVKRDetail::~CVKRDetail() = default;

void CVKRDetail::Build()
{
    auto* top = new QHBoxLayout(this);
    auto* left = new QGridLayout;
    top->addLayout(left);
    int row = 0;
    auto addRow = [&](const QString& label, QWidget* w, QWidget* extra = nullptr, const QString& unit = {}) {
        left->addWidget(new QLabel(label, this), row, 0);
        left->addWidget(w, row, 1);
        if (extra)
            left->addWidget(extra, row, 2);
        else if (!unit.isEmpty())
            left->addWidget(new QLabel(unit, this), row, 2);
        ++row;
    };
    m_type = new QLabel(this);
    m_type->setObjectName(QString::number(IdType));
    addRow(QStringLiteral("Typ přístroje:"), m_type);
    m_voltageConnection =
        MakeCombo(this, IdVoltageConnection, {QStringLiteral("Přímo"), QStringLiteral("Přes MTN")});
    addRow(QStringLiteral("Způsob připojení napětí:"), m_voltageConnection);
    m_currentConnection =
        MakeCombo(this, IdCurrentConnection, {QStringLiteral("Přímo"), QStringLiteral("Přes MTP")});
    addRow(QStringLiteral("Způsob připojeni proudu:"), m_currentConnection);
    m_connectionType = MakeCombo(this, IdConnectionType,
                                 {QStringLiteral("1 fáze"), QStringLiteral("2 fáze"), QStringLiteral("Hvězda"),
                                  QStringLiteral("Trojúhelník"), QStringLiteral("Aron")});
    addRow(QStringLiteral("Typ připojení:"), m_connectionType);
    m_vtPrimary = MakeCombo(this, IdVtPrimary, {});
    SetPrimaryItems(m_vtPrimary, kVtPrimaries.data(), kVtPrimaryCount, 0);
    addRow(QStringLiteral("Převod MTN:"), m_vtPrimary, nullptr, QStringLiteral("/ 100"));
    m_ctPrimary = MakeCombo(this, IdCtPrimary, {});
    SetPrimaryItems(m_ctPrimary, kCtPrimaries.data(), kCtPrimaryCount, 0);
    m_ctSecondary = MakeCombo(this, IdCtSecondary, {QStringLiteral("1"), QStringLiteral("5")});
    addRow(QStringLiteral("Převod MTP:"), m_ctPrimary, m_ctSecondary);
    m_frequency = MakeCombo(this, IdFrequency, {QStringLiteral("50"), QStringLiteral("60")});
    addRow(QStringLiteral("Výchozí frekvence:"), m_frequency, nullptr, QStringLiteral("Hz"));
    m_rate = new QLineEdit(this);
    m_rate->setObjectName(QString::number(IdRate));
    m_rate->setReadOnly(true);
    addRow(QStringLiteral("Komunikační rychlost:"), m_rate);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QString::number(IdAddress));
    m_address->setReadOnly(true);
    m_address->setText(QStringLiteral("0"));
    addRow(QStringLiteral("Adresa:"), m_address);
    left->setRowStretch(row++, 1);

    auto* buttons = new QHBoxLayout;
    auto makeButton = [this](int id, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };
    m_load = makeButton(IdLoad, {});
    m_load->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_load->setToolTip(QStringLiteral("Načíst z"));
    m_save = makeButton(IdSave, {});
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setToolTip(QStringLiteral("Uložit jako"));
    m_print = makeButton(IdPrint, {});
    m_print->setIcon(ui::PrintIcon());
    m_print->setToolTip(QStringLiteral("Tiskni"));
    m_receive = makeButton(IdReceive, QStringLiteral("Přijmi"));
    m_send = makeButton(IdSend, QStringLiteral("Vyšli"));
    m_close = makeButton(IdClose, QStringLiteral("Konec"));
    for (QPushButton* b : {m_load, m_save, m_print})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton* b : {m_receive, m_send, m_close})
        buttons->addWidget(b);
    left->addLayout(buttons, row, 0, 1, 3);

    auto* right = new QVBoxLayout;
    top->addLayout(right);
    auto* box = new QGroupBox(QStringLiteral("Zobrazovat na panelu přístroje"), this);
    auto* checks = new QVBoxLayout(box);
    checks->setSpacing(1);
    for (int k = 0; k < CVKRConfig::kDisplayQuantities; ++k) {
        m_shown[std::size_t(k)] = new QCheckBox(QString::fromUtf8(kShownTexts[k]), box);
        m_shown[std::size_t(k)]->setObjectName(QString::number(IdFirstShown + k));
        checks->addWidget(m_shown[std::size_t(k)]);
    }
    right->addWidget(box);
    QStringList defaults;
    for (const char* text : kDefaultTexts)
        defaults << QString::fromUtf8(text);
    m_defaultQuantity = MakeCombo(this, IdDefaultQuantity, defaults);
    m_displayMode = MakeCombo(this, IdDisplayMode,
                              {QStringLiteral("cyklicky po 3s"), QStringLiteral("poslední vybraná"),
                               QStringLiteral("po 10s na výchozí")});
    auto* display = new QGridLayout;
    display->addWidget(new QLabel(QStringLiteral("Zobrazovat jako výchozí:"), this), 0, 0);
    display->addWidget(m_defaultQuantity, 0, 1);
    display->addWidget(new QLabel(QStringLiteral("Režim zobrazení :"), this), 1, 0);
    display->addWidget(m_displayMode, 1, 1);
    right->addLayout(display);

    connect(m_voltageConnection, &QComboBox::activated, this, [this] { UpdateControls(); });
    connect(m_currentConnection, &QComboBox::activated, this, [this] { UpdateControls(); });
    connect(m_receive, &QPushButton::clicked, this, [this] { OnReceive(); });
    connect(m_send, &QPushButton::clicked, this, [this] { OnSend(); });
    connect(m_load, &QPushButton::clicked, this, [this] { OnLoad(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(m_print, &QPushButton::clicked, this, [this] { OnPrint(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    if (m_readOnly) {
        for (QPushButton* b : {m_load, m_save, m_receive, m_send})
            b->hide();
        // Stored settings are shown, not edited: lists do not open and
        // check boxes do not change.
        for (QWidget* w : findChildren<QWidget*>()) {
            if (qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w)) {
                w->installEventFilter(this);
                w->setFocusPolicy(Qt::NoFocus);
            }
        }
    }
}

void CVKRDetail::SetPrimaryItems(QComboBox* combo, const DWORD* table, int count, DWORD extra)
{
    const QSignalBlocker block(combo);
    combo->clear();
    for (int i = 0; i < count; ++i)
        combo->addItem(QString::number(table[i]));
    if (extra)
        combo->addItem(QString::number(extra));
}

QComboBox* CVKRDetail::Combo(int id) const
{
    return findChild<QComboBox*>(QString::number(id));
}

QPushButton* CVKRDetail::Button(int id) const
{
    return findChild<QPushButton*>(QString::number(id));
}

QString CVKRDetail::TypeText() const
{
    return m_type->text();
}

QString CVKRDetail::RateText() const
{
    return m_rate->text();
}

QString CVKRDetail::AddressText() const
{
    return m_address->text();
}

void CVKRDetail::SetData()
{
    const CVKRConfig& c = m_s.config;
    m_type->setText(m_s.iden.GetModelText());

    // A primary that the table does not hold is offered as it is, so that
    // sending the dialog back does not change the instrument's ratio.
    const DWORD vt = c.GetVtPrimary();
    const bool vtDirect = vt == CVKRConfig::kUnset;
    const int vtIndex = vtDirect ? kVtDirectIndex : IndexIn(kVtPrimaries.data(), kVtPrimaryCount, vt);
    m_vtExtra = !vtDirect && vtIndex < 0 ? vt : 0;
    SetPrimaryItems(m_vtPrimary, kVtPrimaries.data(), kVtPrimaryCount, m_vtExtra);
    m_voltageConnection->setCurrentIndex(vtDirect ? 0 : 1);
    m_vtPrimary->setCurrentIndex(m_vtExtra ? kVtPrimaryCount : vtIndex);

    const DWORD ct = c.GetCtPrimary();
    const bool ctDirect = ct == CVKRConfig::kUnset;
    const DWORD ctPrimary = ct & ~kCtFiveAmps;
    const int ctIndex = ctDirect ? 0 : IndexIn(kCtPrimaries.data(), kCtPrimaryCount, ctPrimary);
    m_ctExtra = !ctDirect && ctIndex < 0 ? ctPrimary : 0;
    SetPrimaryItems(m_ctPrimary, kCtPrimaries.data(), kCtPrimaryCount, m_ctExtra);
    m_currentConnection->setCurrentIndex(ctDirect ? 0 : 1);
    m_ctPrimary->setCurrentIndex(m_ctExtra ? kCtPrimaryCount : ctIndex);
    m_ctSecondary->setCurrentIndex(ctDirect || (ct & kCtFiveAmps) ? 1 : 0);

    m_frequency->setCurrentIndex(c.GetDefaultFrequency() == 60 ? 1 : 0);
    const int rate = c.GetSpeed() & 0x0F;
    m_rate->setText(rate > 4 ? QStringLiteral("--") : QString::fromLatin1(kRates[rate]));
    m_address->setText(QString::number(c.GetAddress()));
    m_defaultQuantity->setCurrentIndex(c.GetDefaultQuantity());
    const int mode = c.GetDisplay() >> 4;
    m_displayMode->setCurrentIndex(mode > 2 ? 1 : mode);
    for (int k = 0; k < CVKRConfig::kDisplayQuantities; ++k)
        m_shown[std::size_t(k)]->setChecked((c.GetDisplayMask() >> k) & 1);
    const int connection = c.GetConnection();
    m_connectionType->setCurrentIndex(connection < m_connectionType->count() ? connection : -1);
}

void CVKRDetail::GetData()
{
    CVKRConfig& c = m_s.config;
    if (m_voltageConnection->currentIndex() == 1) {
        const int i = m_vtPrimary->currentIndex();
        c.SetVtPrimary(i >= 0 && i < kVtPrimaryCount ? kVtPrimaries[std::size_t(i)]
                       : m_vtExtra && i == kVtPrimaryCount ? m_vtExtra
                                                           : kVtPrimaries[kVtDirectIndex]);
    } else {
        c.SetVtPrimary(CVKRConfig::kUnset);
    }
    if (m_currentConnection->currentIndex() == 1) {
        const int i = m_ctPrimary->currentIndex();
        DWORD primary = i >= 0 && i < kCtPrimaryCount ? kCtPrimaries[std::size_t(i)]
                        : m_ctExtra && i == kCtPrimaryCount ? m_ctExtra
                                                            : kCtPrimaries[0];
        if (m_ctSecondary->currentIndex() == 1)
            primary |= kCtFiveAmps;
        c.SetCtPrimary(primary);
    } else {
        c.SetCtPrimary(CVKRConfig::kUnset);
    }
    c.SetDefaultFrequency(m_frequency->currentIndex() == 1 ? 60 : 50);
    // Bit 15 has no check box; it goes back as it came.
    WORD mask = WORD(c.GetDisplayMask() & 0x8000u);
    for (int k = 0; k < CVKRConfig::kDisplayQuantities; ++k) {
        if (m_shown[std::size_t(k)]->isChecked())
            mask = WORD(mask | (1u << k));
    }
    c.SetDisplayMask(mask);
    const int mode = std::max(0, m_displayMode->currentIndex());
    c.SetDisplay(BYTE(((mode * 16) & 0xFF) + m_defaultQuantity->currentIndex() + 1));
    // A connection the list does not know keeps its bits.
    const int connection = m_connectionType->currentIndex();
    if (connection >= 0)
        c.SetConnection(connection);
    else
        c.SetMode(BYTE(c.GetMode() & 0x7Fu));
}

void CVKRDetail::UpdateControls()
{
    m_vtPrimary->setEnabled(m_voltageConnection->currentIndex() == 1);
    const bool ct = m_currentConnection->currentIndex() == 1;
    m_ctPrimary->setEnabled(ct);
    m_ctSecondary->setEnabled(ct);
}

BOOL CVKRDetail::ReadFromDevice(IVKRSettingsIo& io, int /*pass*/)
{
    m_io = &io;
    setWindowTitle(TitleFor(io.Name()));
    if (!ReadAll()) {
        if (ui::ErrorBox(parentWidget(),
                         QStringLiteral("Nastavení nelze zobrazit ,protože přístroj neodpovídá !\n Chcete načíst "
                                        "nastavení ze souboru?"),
                         ui::MsgButtons::YesNo, ui::MsgIcon::Warning)
            != ui::MsgAnswer::Yes)
            return FALSE;
        m_folder = io.SettingsFolder();
        OnLoad();
        if (!m_loadedFromFile)
            return FALSE;
    }
    SetData();
    UpdateControls();
    m_folder = io.SettingsFolder();
    return TRUE;
}

BOOL CVKRDetail::ReadAll()
{
    if (!m_io)
        return FALSE;
    IVKRSettingsIo& io = *m_io;
    CVKRSettings read = m_s;
    // Pass by pass, like the VK groups: a configuration that does not answer
    // at first does not hold back the identification.
    const bool ok = ui::RunInstrumentTask(this, [&] {
        return RunGroupPasses(
            {[&] { return io.ReadConfig(read.config); }, [&] { return io.ReadIdentification(read.iden); }},
            [&io] { io.Yield(); });
    });
    if (ok)
        m_s = read;
    return ok;
}

BOOL CVKRDetail::WriteConfig()
{
    if (!m_io)
        return FALSE;
    IVKRSettingsIo& io = *m_io;
    const CVKRConfig config = m_s.config;
    return ui::RunInstrumentTask(this, [&] {
        return ui::RetryThreeTimes([&] { return io.WriteConfig(config); }, [&io](int) { io.Yield(); }, 0, 0);
    });
}

BOOL CVKRDetail::ReadSettingsFile(const QString& path, QString* error)
{
    QString unused;
    return LoadVKRSettingsFile(path, m_s, error ? *error : unused);
}

BOOL CVKRDetail::WriteSettingsFile(const QString& path, const QString& folder, QString* error)
{
    QString unused;
    return SaveVKRSettingsFile(path, m_s, folder, error ? *error : unused);
}

void CVKRDetail::OnReceive()
{
    if (ui::InfoBox(this, QStringLiteral("Opravdu načíst nastavení z přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!ReadAll())
        ui::ErrorBox(this, kNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    SetData();
    UpdateControls();
}

void CVKRDetail::OnSend()
{
    if (ui::InfoBox(this, QStringLiteral("Opravdu poslat nastavení do přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    GetData();
    if (!WriteConfig())
        ui::ErrorBox(this, kNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

bool CVKRDetail::OnLoad()
{
    const QString name = m_io ? m_io->Name() : QString();
    const QString path = controllers::ChooseSettingsFile(this, false, QStringLiteral("Načíst nastavení ze souboru"),
                                                         m_folder, name, VrsFileKind());
    if (path.isEmpty())
        return false;
    m_loadedFromFile = TRUE;
    QString error;
    if (!ReadSettingsFile(path, &error)) {
        // Nothing of a file that did not read whole reaches the records.
        ui::ErrorBox(isVisible() ? this : parentWidget(), kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        m_loadedFromFile = FALSE;
    }
    SetData();
    UpdateControls();
    return true;
}

void CVKRDetail::OnSave()
{
    GetData();
    const QString name = (m_io ? m_io->Name() : QString()) + QStringLiteral(".vrs");
    const QString path = controllers::ChooseSettingsFile(this, true, QStringLiteral("Uložit nastavení do souboru"),
                                                         m_folder, name, VrsFileKind());
    if (path.isEmpty())
        return;
    QString error;
    if (!WriteSettingsFile(path, QString(), &error))
        ui::ErrorBox(this, kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

controllers::CSettingsReport CVKRDetail::BuildReport()
{
    controllers::CSettingsReport report = controllers::StartSettingsReport(windowTitle());
    report.Box(QStringLiteral("Nastavení přístroje"));
    report.Empty();
    report.Pair(0, QStringLiteral("Typ přístroje:"), m_type->text());
    report.Pair(0, QStringLiteral("Způsob připojení napětí:"), m_voltageConnection->currentText());
    report.Pair(0, QStringLiteral("Způsob připojeni proudu:"), m_currentConnection->currentText());
    report.Pair(0, QStringLiteral("Typ připojení:"), m_connectionType->currentText());
    report.Pair(0, QStringLiteral("Převod MTN:"), m_vtPrimary->currentText() + QStringLiteral(" / 100"));
    report.Pair(0, QStringLiteral("Převod MTP:"),
                m_ctPrimary->currentText() + QStringLiteral(" / ") + m_ctSecondary->currentText());
    report.Pair(0, QStringLiteral("Výchozí frekvence:"), m_frequency->currentText() + QStringLiteral(" Hz"));
    report.Pair(0, QStringLiteral("Komunikační rychlost:"), m_rate->text());
    report.Pair(0, QStringLiteral("Adresa:"), m_address->text());
    return report;
}

void CVKRDetail::OnPrint()
{
    if (!m_readOnly)
        GetData();
    controllers::PrintSettingsReport(this, m_io ? m_io->Name() : QString(), windowTitle(),
                                     [this] { return BuildReport(); });
}

bool CVKRDetail::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        return m_readOnly;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void CVKRDetail::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    if (!m_readOnly) {
        menu.addAction(QStringLiteral("Uložit jako"), this, [this] { OnSave(); });
        menu.addAction(QStringLiteral("Načíst z"), this, [this] { OnLoad(); });
    }
    menu.addAction(QStringLiteral("Tiskni"), this, [this] { OnPrint(); });
    menu.exec(event->globalPos());
}

void RunVKRSettings(QWidget* parent, IVKRSettingsIo& io, QPointer<QDialog>* dialog)
{
    CVKRDetail detail(parent);
    if (dialog)
        *dialog = &detail;
    int pass = 0;
    while (detail.ReadFromDevice(io, pass) && detail.exec() == QDialog::Accepted)
        pass = 1;
    if (dialog)
        *dialog = nullptr;
}

void OpenVKRSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& dialog)
{
    CPristrojLinkBracket link(entry);
    CPristrojVKRSettingsIo io(entry);
    RunVKRSettings(parent, io, &dialog);
}

} // namespace analysers_vk
