#include "analysers_vk/VKDetailInstalace.h"

#include "analysers_vk/VKDetail.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace analysers_vk {

namespace {

constexpr qint64 kMaxPrimary = 2147483647;
const int kVtSecondaries[] = {100, 110, 115, 120};

} // namespace

QStringList SerialRates()
{
    static const QStringList rates{"50 Bd",   "150 Bd",  "300 Bd",   "600 Bd",   "1200 Bd",
                                   "2400 Bd", "4800 Bd", "9600 Bd", "19200 Bd", "38400 Bd"};
    return rates;
}

QStringList CanRates()
{
    static const QStringList rates{"5 kbit/s",   "10 kbit/s",  "20 kbit/s",  "50 kbit/s",
                                   "100 kbit/s", "125 kbit/s", "200 kbit/s", "250 kbit/s",
                                   "500 kbit/s", "800 kbit/s", "1000 kbit/s"};
    return rates;
}

void VKInstallFields::FromRecord(const CVKConfig& config, const QString& modemString, const CIden& iden)
{
    const bool direct = config.GetDirectVoltage();
    voltageConnection = direct ? 0 : 1;
    if (!direct) {
        const qint64 primary = config.GetVtPrimary();
        vtPrimary = primary == 0 || primary > kMaxPrimary ? 1 : primary;
        switch (config.GetVoltageWord()) {
        case 110: vtSecondary = 1; break;
        case 115: vtSecondary = 2; break;
        case 120: vtSecondary = 3; break;
        default: vtSecondary = 0; break;
        }
        nominalVoltage = 230;
    } else {
        vtSecondary = 0;
        vtPrimary = 100;
        nominalVoltage = config.GetVoltageWord();
    }
    ctPrimary = config.GetCtRatioDword() & 0x7FFFFFFFu;
    ctSecondary = (config.GetCtRatioDword() >> 31) ? 1 : 0;
    connectionType = config.GetConnection();
    nominalPower = config.GetNominalPower();
    temp4mA = config.GetTemperatureAt4mA() * 0.1;
    temp20mA = config.GetTemperatureAt20mA() * 0.1;
    interfaceKind = iden.GetVKInterfaceText(interfaceText);
    typeText = iden.GetModelText();
    temperatureInput = (iden.model & 0x4) != 0;
    const BYTE flags = config.GetInstallationFlags();
    modbus = flags & 0x01;
    modem = flags & 0x02;
    parity = (flags >> 2) & 3;
    rate = config.GetSpeedIndex();
    if (interfaceKind == CVKConfig::InterfaceCan) {
        if (rate > 10)
            rate = 7;
        address = config.GetCanAddress();
    } else {
        if (rate > 9)
            rate = 7;
        address = config.GetAddressByte();
    }
    if (address == 0)
        address = 2;
    modemText = modemString.left(63);
}

void VKInstallFields::ToRecord(CVKConfig& config, QString& modemString) const
{
    if (voltageConnection >= 0)
        config.SetDirectVoltage(voltageConnection == 0);
    if (voltageConnection == 1) {
        config.SetVtPrimary(DWORD(vtPrimary));
        config.SetVoltageWord(WORD(vtSecondary >= 1 && vtSecondary <= 3 ? kVtSecondaries[vtSecondary] : 100));
    } else if (voltageConnection == 0) {
        config.SetVoltageWord(WORD(nominalVoltage));
    }
    config.SetCtRatioDword(DWORD(ctPrimary & 0x7FFFFFFF) | (ctSecondary == 1 ? 0x80000000u : 0u));
    if (connectionType >= 0)
        config.SetConnection(connectionType);
    config.SetNominalPower(WORD(nominalPower));
    config.SetModbus(modbus);
    if (parity >= 0)
        config.SetParity(parity);
    if (rate >= 0)
        config.SetSpeedIndex(BYTE(rate));
    config.SetModem(modem);
    config.SetTemperatureAt4mA(std::int16_t(std::trunc(temp4mA * 10.0)));
    config.SetTemperatureAt20mA(std::int16_t(std::trunc(temp20mA * 10.0)));
    config.SetBusAddress(interfaceKind, int(address));
    modemString = modemText.left(63);
}

CVKDetailInstalace::CVKDetailInstalace(bool readOnly, QWidget* parent)
    : controllers::CSettingsPage(QStringLiteral("Instalace"), readOnly, parent)
{
    ui::SetHelpId(this, 193);
    Build();
}

void CVKDetailInstalace::Build()
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto add = [&](const QString& label, QWidget* w) {
        grid->addWidget(Label(0, label), row, 0);
        grid->addWidget(w, row, 1);
        ++row;
    };
    add(QStringLiteral("Typ přístroje:"), Label(1251, QString()));
    add(QStringLiteral("Připojení napětí:"), Combo(1242, {QStringLiteral("Přímo"), QStringLiteral("Přes MTN")}));
    add(QStringLiteral("Typ připojení:"),
        Combo(1243, {QStringLiteral("Hvězda"), QStringLiteral("Trojúhelník"), QStringLiteral("Aron")}));
    add(QStringLiteral("Nominální napětí:"), Row({Edit(1244), Label(0, QStringLiteral("V"))}));
    add(QStringLiteral("Převod MTN:"), Row({Edit(1245, 80), Label(0, QStringLiteral("/")),
                                           Combo(1246, {"100", "110", "115", "120"})}));
    add(QStringLiteral("Převod MTP:"),
        Row({Edit(1019, 80), Label(0, QStringLiteral("/")), Combo(1217, {"1", "5"})}));
    add(QStringLiteral("Převod MTP4:"),
        Row({Edit(1020, 80), Label(0, QStringLiteral("/")), Combo(1218, {"1", "5"})}));
    add(QStringLiteral("Nominální výkon:"), Row({Edit(1021), Label(0, QStringLiteral("kVA"))}));
    add(QStringLiteral("Teplota při 4 mA:"), Row({Edit(1022), Label(0, QStringLiteral("C"))}));
    add(QStringLiteral("Teplota při 20 mA:"), Row({Edit(1023), Label(0, QStringLiteral("C"))}));
    add(QStringLiteral("Dálková komunikace:"), Label(1247, QString()));
    grid->addWidget(Check(1248, QStringLiteral("Protokol Modbus RTU")), row++, 0, 1, 2);
    add(QStringLiteral("Parita:"), Combo(1219, {QStringLiteral("Žádná"), QStringLiteral("Sudá"), QStringLiteral("Lichá")}));
    add(QStringLiteral("Komunikační rychlost:"), Combo(1220, SerialRates()));
    add(QStringLiteral("Adresa:"), Edit(1024));
    grid->addWidget(Check(1025, QStringLiteral("Modem")), row++, 0, 1, 2);
    auto* modemLabel = Label(1329, QStringLiteral("Inicializační string modemu:"));
    grid->addWidget(modemLabel, row, 0);
    auto* modem = Edit(1026, 260);
    modem->setMaxLength(63);
    grid->addWidget(modem, row++, 1);
    auto* receive = new QPushButton(QStringLiteral("Přijmi"), this);
    receive->setObjectName(QStringLiteral("1249"));
    auto* send = new QPushButton(QStringLiteral("Vyšli"), this);
    send->setObjectName(QStringLiteral("1250"));
    grid->addWidget(Row({receive, send}), row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(2, 1);

    if (IsReadOnly()) {
        modemLabel->hide();
        modem->hide();
        receive->setEnabled(false);
        send->setEnabled(false);
        MakeReadOnly();
        return;
    }
    connect(receive, &QPushButton::clicked, this, &CVKDetailInstalace::OnReceive);
    connect(send, &QPushButton::clicked, this, &CVKDetailInstalace::OnSend);
    for (int id : {1242, 1243, 1219, 1220})
        connect(Ctl<QComboBox>(id), &QComboBox::activated, this, [this] {
            TakeControls();
            UpdateControls();
        });
    for (int id : {1248, 1025})
        connect(Ctl<QCheckBox>(id), &QCheckBox::clicked, this, [this] {
            TakeControls();
            UpdateControls();
        });
}

void CVKDetailInstalace::SetData(CVKConfig* config, QString* modem, CIden* iden)
{
    m_config = config;
    m_modem = modem;
    m_iden = iden;
    if (m_config && m_iden)
        m_f.FromRecord(*m_config, m_modem && !IsReadOnly() ? *m_modem : QString(), *m_iden);
}

void CVKDetailInstalace::GetData()
{
    if (!m_config || IsReadOnly())
        return;
    QString modem;
    m_f.ToRecord(*m_config, modem);
    if (m_modem)
        *m_modem = modem;
}

void CVKDetailInstalace::FillRates()
{
    const bool can = m_f.interfaceKind == 3;
    if (can == m_canListLoaded)
        return;
    m_canListLoaded = can;
    RebuildComboItems(Ctl<QComboBox>(1220), can ? CanRates() : SerialRates());
}

void CVKDetailInstalace::ShowFields()
{
    if (!IsReadOnly())
        FillRates();
    Ctl<QLabel>(1251)->setText(m_f.typeText);
    SetComboIndex(Ctl<QComboBox>(1242), m_f.voltageConnection);
    SetComboIndex(Ctl<QComboBox>(1243), m_f.connectionType);
    Ctl<QLineEdit>(1244)->setText(QString::number(m_f.nominalVoltage));
    Ctl<QLineEdit>(1245)->setText(QString::number(m_f.vtPrimary));
    SetComboIndex(Ctl<QComboBox>(1246), m_f.vtSecondary);
    Ctl<QLineEdit>(1019)->setText(QString::number(m_f.ctPrimary));
    SetComboIndex(Ctl<QComboBox>(1217), m_f.ctSecondary);
    Ctl<QLineEdit>(1020)->setText(QString::number(m_f.ct4Primary));
    SetComboIndex(Ctl<QComboBox>(1218), m_f.ct4Secondary);
    Ctl<QLineEdit>(1021)->setText(QString::number(m_f.nominalPower));
    Ctl<QLineEdit>(1022)->setText(FloatText(m_f.temp4mA));
    Ctl<QLineEdit>(1023)->setText(FloatText(m_f.temp20mA));
    Ctl<QLabel>(1247)->setText(m_f.interfaceText);
    Ctl<QCheckBox>(1248)->setChecked(m_f.modbus);
    SetComboIndex(Ctl<QComboBox>(1219), m_f.parity);
    SetComboIndex(Ctl<QComboBox>(1220), m_f.rate);
    Ctl<QLineEdit>(1024)->setText(QString::number(m_f.address));
    Ctl<QCheckBox>(1025)->setChecked(m_f.modem);
    Ctl<QLineEdit>(1026)->setText(m_f.modemText);
    UpdateControls();
}

bool CVKDetailInstalace::TakeControls()
{
    // A refused number keeps its old value; the other controls are taken
    // all the same, and the first refusal is said.
    bool valid = true;
    VKInstallFields f = m_f;
    f.voltageConnection = Ctl<QComboBox>(1242)->currentIndex();
    f.connectionType = Ctl<QComboBox>(1243)->currentIndex();
    f.vtSecondary = Ctl<QComboBox>(1246)->currentIndex();
    f.ctSecondary = Ctl<QComboBox>(1217)->currentIndex();
    f.modbus = IsChecked(1248);
    f.parity = Ctl<QComboBox>(1219)->currentIndex();
    f.rate = Ctl<QComboBox>(1220)->currentIndex();
    f.modem = IsChecked(1025);
    f.modemText = ControlText(1026).left(63);
    struct Whole {
        int id;
        qint64* field;
        qint64 low, high;
    };
    const qint64 maxAddress = f.MaxAddress();
    const Whole wholes[] = {{1244, &f.nominalVoltage, 0, 65535}, {1245, &f.vtPrimary, 1, kMaxPrimary},
                            {1019, &f.ctPrimary, 1, kMaxPrimary}, {1021, &f.nominalPower, 0, 65535},
                            {1024, &f.address, 1, maxAddress}};
    for (const Whole& w : wholes) {
        bool ok = false;
        qint64 v = ControlText(w.id).trimmed().toLongLong(&ok);
        if (!ok)
            v = w.low - 1;
        if (v < w.low || v > w.high) {
            if (valid)
                CheckRange(w.id, double(v), double(w.low), double(w.high), true);
            valid = false;
            continue;
        }
        *w.field = v;
    }
    for (auto [id, field] : {std::pair{1022, &f.temp4mA}, std::pair{1023, &f.temp20mA}}) {
        double v = 0;
        if (!ParseFloat(ControlText(id), v))
            v = -1e9;
        if (v < -3276.8 || v > 3276.7) {
            if (valid)
                CheckRange(id, v, -3276.8, 3276.7, false);
            valid = false;
            continue;
        }
        *field = v;
    }
    m_f = f;
    UpdateControls();
    return valid;
}

void CVKDetailInstalace::UpdateControls()
{
    const bool viaVt = m_f.voltageConnection == 1;
    const bool direct = m_f.voltageConnection == 0;
    const bool serial = m_f.IsSerial();
    auto enable = [this](int id, bool on) {
        if (QWidget* w = Control(id))
            w->setEnabled(on);
    };
    enable(1245, viaVt);
    enable(1246, viaVt);
    enable(1244, direct);
    enable(1020, false);
    enable(1218, false);
    enable(1022, m_f.temperatureInput);
    enable(1023, m_f.temperatureInput);
    enable(1248, serial);
    enable(1219, serial && m_f.modbus);
    enable(1220, m_f.interfaceKind != 0);
    enable(1024, m_f.interfaceKind != 0);
    // The stored view offers the modem box for the COM line only.
    enable(1025, IsReadOnly() ? m_f.interfaceKind == 1 : serial);
    enable(1026, serial && m_f.modem);
}

bool CVKDetailInstalace::OnSetActive()
{
    if (!IsReadOnly())
        SetModified(true);
    ShowFields();
    return true;
}

void CVKDetailInstalace::OnReceive()
{
    auto* sheet = qobject_cast<CVKDetail*>(GetSheet());
    if (!sheet || !m_config)
        return;
    if (ui::InfoBox(this, QStringLiteral("Opravdu načíst instalaci z přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!sheet->ReadInstalace(m_config, m_modem, m_iden))
        ui::ErrorBox(this, QStringLiteral("Přístroj neodpovídá !"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    SetData(m_config, m_modem, m_iden);
    ShowFields();
}

void CVKDetailInstalace::OnSend()
{
    auto* sheet = qobject_cast<CVKDetail*>(GetSheet());
    if (!sheet || !m_config || !TakeControls())
        return;
    if (ui::InfoBox(this, QStringLiteral("Opravdu provést instalaci přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    GetData();
    if (!sheet->WriteInstalace(*m_config, m_modem ? *m_modem : QString()))
        ui::ErrorBox(this, QStringLiteral("Přístroj neodpovídá !"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

} // namespace analysers_vk
