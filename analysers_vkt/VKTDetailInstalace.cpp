#include "analysers_vkt/VKTDetailInstalace.h"

#include "analysers_vkt/VKTDetail.h"
#include "model/Iden.h"
#include "model/VKTConfig.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace analysers_vkt {

namespace {

const QStringList kConnections{QStringLiteral("1f"),          QStringLiteral("2f"),   QStringLiteral("Hvězda"),
                               QStringLiteral("Trojúhelník"), QStringLiteral("Aron"), QStringLiteral("4f")};

double VoltageRatio(WORD field)
{
    return field == CVKTConfig::kUnset ? 1.0 : double(field);
}

double CurrentRatio(WORD field)
{
    return (field & 0x8000) ? double(field & 0x7FFF) * 0.2 : double(field & 0x7FFF);
}

} // namespace

QString IpText(quint32 ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip >> 24).arg((ip >> 16) & 0xFF).arg((ip >> 8) & 0xFF).arg(ip & 0xFF);
}

bool ParseIp(const QString& text, quint32& ip)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    quint32 value = 0;
    for (const QString& p : parts) {
        bool ok = false;
        const uint octet = p.toUInt(&ok);
        if (!ok || octet > 255)
            return false;
        value = (value << 8) | octet;
    }
    ip = value;
    return true;
}

void VKTInstallFields::FromRecord(const CVKTConfig& config, const QString& modemString, const CIden& iden)
{
    if (config.GetVtPrimary() == CVKTConfig::kUnset) {
        voltageConnection = 0;
        vtRatio = vt4Ratio = 1;
    } else {
        voltageConnection = 1;
        vtRatio = config.GetVtPrimary();
        vt4Ratio = config.GetVt4();
    }
    ctPrimary = config.GetCtPrimary() & 0x7FFF;
    ct4Primary = config.GetCt4() & 0x7FFF;
    ctSecondary = (config.GetCtPrimary() & 0x8000) ? 1 : 0;
    ct4Secondary = ctSecondary ? 5 : 1;
    fiveConnections = iden.GetVKTModelIndex() > 37;
    connectionType = config.GetConnection();
    if (fiveConnections && connectionType == CVKTConfig::FourPhase)
        connectionType = CVKTConfig::Star;
    frequency = config.GetNominalFrequency() == 50 ? 0 : 1;
    interfaceIndex = iden.GetVKTInterfaceText(interfaceText);
    typeText = iden.GetVKTModelText();
    const BYTE flags = config.GetRemoteOptions();
    modbus = (flags & 0x0F) != 0;
    parity = modbus ? (flags & 0x0F) - 1 : 0;
    modem = flags & 0x80;
    gprs = flags & 0x40;
    nonTransparent = flags & 0x20;
    address = config.GetBusAddress();
    rate = config.GetLineSpeed();
    port = config.GetIpPort();
    ip = config.GetIpAddress();
    modemText = modemString.left(31);
    const BYTE display = config.GetDisplay();
    displayQuantity = display & 0x0F;
    displayMode = (display >> 4) & 3;
    if (displayMode > 2)
        displayMode = 1;
    brightness = (display >> 6) & 3;
    const double u = VoltageRatio(config.GetVtPrimary());
    nominalVoltage = u * double(config.GetNominalVoltage());
    nominalPower = CurrentRatio(config.GetCtPrimary()) * u * double(config.GetNominalPower()) * 0.001;
}

void VKTInstallFields::ToRecord(CVKTConfig& config, QString& modemString) const
{
    if (voltageConnection == 1) {
        config.SetVtPrimary(WORD(vtRatio));
        config.SetVt4(WORD(vt4Ratio));
    } else {
        config.SetVtPrimary(CVKTConfig::kUnset);
        config.SetVt4(CVKTConfig::kUnset);
    }
    const WORD five = ctSecondary == 1 ? 0x8000 : 0;
    config.SetCtPrimary(WORD((ctPrimary & 0x7FFF) | five));
    config.SetCt4(WORD((ct4Primary & 0x7FFF) | five));
    config.SetNominalFrequency(frequency == 0 ? 50 : 60);
    config.SetConnection(fiveConnections && connectionType == CVKTConfig::FourPhase ? CVKTConfig::Star
                                                                                     : connectionType);
    BYTE flags = modbus ? BYTE((parity + 1) & 0x0F) : 0;
    flags |= modem ? 0x80 : 0;
    flags |= gprs ? 0x40 : 0;
    flags |= nonTransparent ? 0x20 : 0;
    config.SetRemoteOptions(flags);
    config.SetBusAddress(BYTE(address));
    config.SetLineSpeed(BYTE(rate));
    config.SetIpPort(WORD(port));
    config.SetIpAddress(ip);
    config.SetDisplay(BYTE(displayQuantity + displayMode * 16 + brightness * 64));
    modemString = modemText.left(31);
    const double u = VoltageRatio(config.GetVtPrimary());
    const double i = CurrentRatio(config.GetCtPrimary());
    config.SetNominalPower(i > 0.0 ? float(nominalPower / u / i * 1000.0) : 0.0f);
    config.SetNominalVoltage(float(nominalVoltage / u));
}

CVKTDetailInstalace::CVKTDetailInstalace(bool readOnly, QWidget* parent)
    : controllers::CSettingsPage(QStringLiteral("Instalace"), readOnly, parent)
{
    Build();
}

void CVKTDetailInstalace::Build()
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto add = [&](int labelId, const QString& label, QWidget* w, int column = 0) {
        grid->addWidget(Label(labelId, label), row, column);
        grid->addWidget(w, row, column + 1);
        ++row;
    };
    add(1255, QStringLiteral("Typ přístroje:"), Label(1148, QString()));
    add(1256, QStringLiteral("Způsob připojení napětí:"),
        Combo(1125, {QStringLiteral("Přímo"), QStringLiteral("Přes MTN")}));
    add(1228, QStringLiteral("Typ připojení:"), Combo(1126, kConnections));
    add(1328, QStringLiteral("Výchozí frekvence:"),
        Row({Combo(1128, {QStringLiteral("50"), QStringLiteral("60")}), Label(0, QStringLiteral("Hz"))}));
    add(1251, QStringLiteral("Převod MTN:"), Row({Edit(1129, 80), Label(0, QStringLiteral("00 / 100"))}));
    add(1329, QStringLiteral("Převod MTN4:"), Row({Edit(1022, 80), Label(0, QStringLiteral("00 / 100"))}));
    add(1226, QStringLiteral("Převod MTP:"),
        Row({Edit(1131, 80), Label(0, QStringLiteral("/")), Combo(1130, {QStringLiteral("1"), QStringLiteral("5")})}));
    add(1330, QStringLiteral("Převod MTP4:"), Row({Edit(1133, 80), Label(0, QStringLiteral("/")), Edit(1017, 30)}));
    add(1334, QStringLiteral("Unom :"), Row({Edit(1149, 80), Label(0, QStringLiteral("V"))}));
    add(1335, QStringLiteral("Pnom :"), Row({Edit(1150, 80), Label(0, QStringLiteral("kW"))}));
    add(0, QStringLiteral("Způsob zobrazení:"),
        Combo(1132, {QStringLiteral("rotovat po 3s"), QStringLiteral("zvolené"), QStringLiteral("po 10 s default")}));
    add(0, QStringLiteral("Zobrazovat:"),
        Combo(1134, {"U-LL", "U-LN", "I", "P", "Q", "S", "PF", "cos", "THDU", "THDI", "harm U", "harm I", "1-p E",
                     "3-p E", "1/4h Pmax", "f,T"}));
    add(0, QStringLiteral("Jas displeje:"),
        Combo(1147, {QStringLiteral("velký"), QStringLiteral("střední"), QStringLiteral("malý")}));

    row = 0;
    add(1264, QStringLiteral("Dálková komunikace:"), Label(1143, QString()), 2);
    grid->addWidget(Check(1135, QStringLiteral("Protokol Modbus-RTU")), row++, 2, 1, 2);
    add(1265, QStringLiteral("Parita:"),
        Combo(1136, {QStringLiteral("Žádná"), QStringLiteral("Sudá"), QStringLiteral("Lichá")}), 2);
    add(1338, QStringLiteral("Adresa:"), Edit(1138), 2);
    add(1254, QStringLiteral("Komunikační rychlost:"),
        Combo(1137, {"4800 Bd", "9600 Bd", "19200 Bd", "38400 Bd", "57600 Bd", "115200 Bd", "230400 Bd"}), 2);
    grid->addWidget(Check(1139, QStringLiteral("Modem")), row++, 2, 1, 2);
    auto* modem = Edit(1140, 200);
    modem->setMaxLength(31);
    add(1339, QStringLiteral("Inicializační string modemu:"), modem, 2);
    grid->addWidget(Check(1151, QStringLiteral("Netransparentní linka")), row++, 2, 1, 2);
    grid->addWidget(Check(1146, QStringLiteral("GPRS")), row++, 2, 1, 2);
    auto* apn = Edit(1144, 200);
    apn->setMaxLength(256);
    add(1340, QStringLiteral("Adresa přípojného bodu:"), apn, 2);
    add(1336, QStringLiteral("IP adresa přístroje:"), Edit(1124, 120), 2);
    add(1337, QStringLiteral("Port:"), Edit(1145), 2);

    auto* receive = new QPushButton(QStringLiteral("Přijmi"), this);
    receive->setObjectName(QStringLiteral("1141"));
    auto* send = new QPushButton(QStringLiteral("Vyšli"), this);
    send->setObjectName(QStringLiteral("1142"));
    grid->addWidget(Row({receive, send}), 14, 0, 1, 4);
    grid->setRowStretch(15, 1);

    if (IsReadOnly()) {
        receive->hide();
        send->hide();
        MakeReadOnly();
        return;
    }
    connect(receive, &QPushButton::clicked, this, &CVKTDetailInstalace::OnReceive);
    connect(send, &QPushButton::clicked, this, &CVKTDetailInstalace::OnSend);
    for (int id : {1125, 1126, 1130})
        connect(Ctl<QComboBox>(id), &QComboBox::activated, this, [this] {
            TakeControls();
            ShowFields();
        });
    for (int id : {1135, 1139, 1146})
        connect(Ctl<QCheckBox>(id), &QCheckBox::clicked, this, [this] {
            TakeControls();
            UpdateControls();
        });
}

void CVKTDetailInstalace::SetData(CVKTConfig* config, QString* modem, CIden* iden)
{
    m_config = config;
    m_modem = modem;
    m_iden = iden;
    if (m_config && m_iden)
        m_f.FromRecord(*m_config, m_modem ? *m_modem : QString(), *m_iden);
}

void CVKTDetailInstalace::GetData()
{
    if (!m_config || IsReadOnly())
        return;
    QString modem;
    m_f.ToRecord(*m_config, modem);
    if (m_modem)
        *m_modem = modem;
}

void CVKTDetailInstalace::ShowFields()
{
    auto combo = [this](int id, int index) { SetComboIndex(Ctl<QComboBox>(id), index); };
    auto text = [this](int id, const QString& t) {
        if (auto* l = Ctl<QLabel>(id))
            l->setText(t);
        else if (auto* e = Ctl<QLineEdit>(id))
            e->setText(t);
    };
    auto* connections = Ctl<QComboBox>(1126);
    const QStringList items = m_f.fiveConnections ? kConnections.mid(0, 5) : kConnections;
    if (connections->count() != items.size())
        RebuildComboItems(connections, items);
    combo(1125, m_f.voltageConnection);
    combo(1126, m_f.connectionType);
    combo(1128, m_f.frequency);
    text(1129, QString::number(m_f.vtRatio));
    text(1022, QString::number(m_f.vt4Ratio));
    text(1131, QString::number(m_f.ctPrimary));
    combo(1130, m_f.ctSecondary);
    text(1133, QString::number(m_f.ct4Primary));
    m_f.ct4Secondary = m_f.ctSecondary ? 5 : 1;
    text(1017, QString::number(m_f.ct4Secondary));
    text(1148, m_f.typeText);
    text(1143, m_f.interfaceText);
    Ctl<QCheckBox>(1135)->setChecked(m_f.modbus);
    combo(1136, m_f.parity);
    text(1138, QString::number(m_f.address));
    combo(1137, m_f.rate);
    Ctl<QCheckBox>(1139)->setChecked(m_f.modem);
    text(1140, m_f.modemText);
    Ctl<QCheckBox>(1151)->setChecked(m_f.nonTransparent);
    Ctl<QCheckBox>(1146)->setChecked(m_f.gprs);
    text(1144, m_f.accessPoint);
    text(1124, IpText(m_f.ip));
    text(1145, QString::number(m_f.port));
    combo(1132, m_f.displayMode);
    combo(1134, m_f.displayQuantity);
    combo(1147, m_f.brightness);
    text(1149, FloatText(m_f.nominalVoltage));
    text(1150, FloatText(m_f.nominalPower));
    UpdateControls();
}

bool CVKTDetailInstalace::TakeControls()
{
    if (IsReadOnly())
        return true;
    VKTInstallFields f = m_f;
    auto index = [this](int id) { return Ctl<QComboBox>(id)->currentIndex(); };
    auto edit = [this](int id) { return Ctl<QLineEdit>(id)->text(); };
    auto integer = [&](int id, qint64 low, qint64 high, qint64& out) {
        // A disabled edit cannot be corrected: what it holds stays as stored.
        if (!Control(id)->isEnabled())
            return true;
        bool ok = false;
        const qint64 v = edit(id).trimmed().toLongLong(&ok);
        if (!CheckRange(id, ok ? double(v) : low - 1.0, double(low), double(high), true))
            return false;
        out = v;
        return true;
    };
    auto real = [&](int id, double& out) {
        double v = 0.0;
        if (!ParseFloat(edit(id), v))
            return CheckRange(id, -1e300, -1e30, 1e30, false);
        out = v;
        return true;
    };
    f.voltageConnection = std::max(0, index(1125));
    f.connectionType = std::max(0, index(1126));
    f.frequency = std::max(0, index(1128));
    f.ctSecondary = std::max(0, index(1130));
    f.parity = std::max(0, index(1136));
    f.rate = std::max(0, index(1137));
    f.displayMode = std::max(0, index(1132));
    f.displayQuantity = std::max(0, index(1134));
    f.brightness = std::max(0, index(1147));
    f.modbus = IsChecked(1135);
    f.modem = IsChecked(1139);
    f.nonTransparent = IsChecked(1151);
    f.gprs = IsChecked(1146);
    f.modemText = edit(1140).left(31);
    f.accessPoint = edit(1144).left(256);
    if (!integer(1129, 1, 65000, f.vtRatio) || !integer(1022, 1, 65000, f.vt4Ratio)
        || !integer(1131, 1, 32500, f.ctPrimary) || !integer(1133, 1, 32500, f.ct4Primary)
        || !integer(1138, 0, 255, f.address) || !integer(1145, 0, 65535, f.port) || !real(1149, f.nominalVoltage)
        || !real(1150, f.nominalPower))
        return false;
    if (!ParseIp(edit(1124), f.ip)) {
        ui::ShowMessageBox(this, QStringLiteral("Zadejte IP adresu ve tvaru 192.168.1.20."), QString(),
                           ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        Ctl<QLineEdit>(1124)->setFocus();
        return false;
    }
    m_f = f;
    return true;
}

void CVKTDetailInstalace::UpdateControls()
{
    const int k = m_f.interfaceIndex;
    const bool serial = k == 1 || k == 2;
    const bool network = k == 4 || k == 5;
    auto set = [this](std::initializer_list<int> ids, bool shown, bool enabled) {
        for (int id : ids)
            if (QWidget* w = Control(id)) {
                w->setVisible(shown);
                w->setEnabled(enabled);
            }
    };
    const bool vt = m_f.voltageConnection == 1;
    const bool four = m_f.connectionType == CVKTConfig::FourPhase;
    set({1129}, true, vt);
    set({1022}, true, vt && four);
    set({1133, 1017}, true, four);
    set({1254, 1340}, k < 4, true);
    set({1137}, k < 4, k != 0);
    set({1138}, serial, k != 0);
    set({1265, 1338, 1339}, serial, true);
    set({1135, 1139}, serial, serial);
    set({1136}, serial, serial && m_f.modbus);
    set({1140, 1151, 1146}, serial, serial && m_f.modem);
    set({1144}, serial, serial && m_f.modem && m_f.gprs);
    set({1336, 1337}, network, true);
    set({1124, 1145}, network, network);
}

bool CVKTDetailInstalace::OnSetActive()
{
    SetModified();
    UpdateControls();
    return true;
}

void CVKTDetailInstalace::OnReceive()
{
    auto* sheet = qobject_cast<CVKTDetail*>(GetSheet());
    if (!sheet || !m_config)
        return;
    if (ui::ShowMessageBox(this, QStringLiteral("Opravdu načíst instalaci z přístroje?"), QStringLiteral("INFO"),
                           ui::MsgButtons::YesNo, ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!sheet->ReadInstalace(m_config, m_modem, m_iden))
        ui::ShowMessageBox(this, QStringLiteral("Přístroj neodpovídá !"), QStringLiteral("CHYBA"), ui::MsgButtons::Ok,
                           ui::MsgIcon::Warning);
    SetData(m_config, m_modem, m_iden);
    ShowFields();
}

void CVKTDetailInstalace::OnSend()
{
    auto* sheet = qobject_cast<CVKTDetail*>(GetSheet());
    if (!sheet || !m_config || !TakeControls())
        return;
    if (ui::ShowMessageBox(this, QStringLiteral("Opravdu provést instalaci přístroje?"), QStringLiteral("INFO"),
                           ui::MsgButtons::YesNo, ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    GetData();
    QString error;
    if (!sheet->WriteInstalace(*m_config, m_modem ? *m_modem : QString(), &error))
        ui::ShowMessageBox(this, error.isEmpty() ? QStringLiteral("Přístroj neodpovídá !") : error,
                           QStringLiteral("CHYBA"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

} // namespace analysers_vkt
