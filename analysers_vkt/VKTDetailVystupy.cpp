#include "analysers_vkt/VKTDetailVystupy.h"

#include "analysers_vkt/VKTDetail.h"
#include "model/Iden.h"
#include "model/VKTOutputConfig.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

namespace analysers_vkt {

namespace {

const QStringList kKinds{QStringLiteral("Činná, import"), QStringLiteral("Činná, export"),
                         QStringLiteral("Jalová, import"), QStringLiteral("Jalová, export")};
const QStringList kQuantities{"U-LN", "U-LL", "I", "PF", "P", "Q", "S", "1/4hP", "THDU", "THDI", "cos", "f", "T"};

} // namespace

QStringList PhaseItems(int quantity, bool withoutN)
{
    if (quantity >= 11)
        return {QStringLiteral("1")};
    QStringList items{QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3")};
    if (!withoutN)
        items << QStringLiteral("N");
    items << QStringLiteral("Aspoň jedna z L1,L2,L3") << QStringLiteral("Všechny L1,L2,L3");
    if (quantity >= 3 && quantity <= 7)
        items << QStringLiteral("3-f");
    return items;
}

QString LimitUnit(int quantity)
{
    switch (quantity) {
    case 2:
        return QStringLiteral("A");
    case 3:
    case 8:
    case 9:
    case 10:
        return QStringLiteral("%");
    case 11:
        return QStringLiteral("Hz");
    case 12:
        return QStringLiteral("C");
    default:
        return QStringLiteral("% nom. hodnoty");
    }
}

QString HysteresisUnit(int quantity)
{
    return quantity == 2 ? QStringLiteral("% přepínací meze") : LimitUnit(quantity);
}

void VKTOutputFields::FromRecord(const CVKTOutputConfig& o, const CIden& iden)
{
    equipment = iden.i1 & 3;
    modelWithoutN = iden.GetVKTModelIndex() >= 38;
    send1 = o.GetSending(1);
    send2 = o.GetSending(2);
    syncInput = o.GetSyncInput();
    kind1 = o.GetOutputMode(1);
    kind2 = o.GetOutputMode(2);
    if (kind1 == kind2) {
        if (kind1 < 3)
            kind2 = kind1 + 1;
        else
            kind1 = 2;
    }
    rate1 = o.GetPulseConstant(0) * 0.1;
    rate2 = o.GetPulseConstant(1) * 0.1;
    for (int i = 0; i < 2; ++i) {
        VKTRelaySlot& r = relays[std::size_t(i)];
        BOOL set = FALSE;
        float limit = 0.0f;
        o.GetLimit(i, set, limit);
        r.active = set;
        r.limit = limit;
        // A hysteresis beyond half the limit is no setting the instrument
        // works with; the page offers 0 instead.
        r.hysteresis = o.GetHysteresis(i) * 0.01;
        if (r.hysteresis > 50.0 || r.hysteresis < 0.0)
            r.hysteresis = 0.0;
        r.blocking = o.GetBlockingTime(i);
        r.direction = o.GetFlag(i) ? 1 : 0;
        r.quantity = o.GetQuantity(i);
        r.phase = o.GetFunction(i);
        if (WithoutN(r.quantity) && r.phase > 3)
            r.phase -= 1;
        if (r.quantity >= 11)
            r.phase = 0;
    }
}

void VKTOutputFields::ToRecord(CVKTOutputConfig& o) const
{
    auto rateField = [](double rate) { return WORD(rate * 10.0 + 0.5); };
    if (equipment < 3) {
        o.SetSending(1, send1);
        o.SetSending(2, send2);
        o.SetOutputMode(1, kind1);
        o.SetOutputMode(2, kind2);
        o.SetPulseConstant(0, rateField(rate1));
        o.SetPulseConstant(1, rateField(rate2));
    } else {
        // One pulse output: both slots carry it.
        o.SetSending(1, send1);
        o.SetSending(2, send1);
        o.SetOutputMode(1, kind1);
        o.SetOutputMode(2, kind1);
        o.SetPulseConstant(0, rateField(rate1));
        o.SetPulseConstant(1, rateField(rate1));
    }
    o.SetSyncInput(syncInput);
    for (int i = 0; i < 2; ++i) {
        const VKTRelaySlot& r = relays[std::size_t(i)];
        o.SetLimit(i, r.active, float(r.limit));
        o.SetHysteresis(i, WORD(r.hysteresis * 100.0 + 0.5));
        o.SetBlockingTime(i, WORD(r.blocking));
        o.SetFlag(i, r.direction != 0);
        o.SetQuantity(i, r.quantity);
        int phase = r.phase;
        if (WithoutN(r.quantity) && phase > 2)
            phase += 1;
        o.SetFunction(i, phase);
    }
}

CVKTDetailVystupy::CVKTDetailVystupy(QWidget* parent)
    : controllers::CSettingsPage(QStringLiteral("Nastavení výstupů"), false, parent)
{
    Build();
}

void CVKTDetailVystupy::Build()
{
    auto* grid = new QGridLayout(this);
    auto* pulses = new QGroupBox(QStringLiteral("Impulsní výstupy"), this);
    pulses->setObjectName(QStringLiteral("1268"));
    auto* pg = new QGridLayout(pulses);
    pg->addWidget(Label(1269, QStringLiteral("P1")), 0, 0);
    pg->addWidget(Check(1184, QStringLiteral("Vysílat")), 0, 1);
    pg->addWidget(Combo(1185, kKinds), 0, 2);
    pg->addWidget(Row({Edit(1186, 70), Label(0, QStringLiteral("imp/kWh"))}), 0, 3);
    pg->addWidget(Label(1270, QStringLiteral("P2")), 1, 0);
    pg->addWidget(Check(1187, QStringLiteral("Vysílat")), 1, 1);
    pg->addWidget(Combo(1188, kKinds), 1, 2);
    pg->addWidget(Row({Edit(1189, 70), Label(0, QStringLiteral("imp/kWh"))}), 1, 3);
    pg->addWidget(Label(1271, QStringLiteral("Elektrická práce:")), 2, 2);
    grid->addWidget(pulses, 0, 0);

    auto* relays = new QGroupBox(QStringLiteral("Reléové výstupy"), this);
    relays->setObjectName(QStringLiteral("1272"));
    auto* rg = new QGridLayout(relays);
    m_tabs = new QTabBar(relays);
    m_tabs->setObjectName(QStringLiteral("1190"));
    m_tabs->addTab(QStringLiteral("Relé 1"));
    m_tabs->addTab(QStringLiteral("Relé 2"));
    rg->addWidget(m_tabs, 0, 0, 1, 3);
    rg->addWidget(Check(1191, QStringLiteral("Aktivovat")), 1, 0, 1, 3);
    rg->addWidget(Label(1289, QStringLiteral("Řídící veličina:")), 2, 0);
    rg->addWidget(Row({Combo(1192, kQuantities), Combo(1193, {})}), 2, 1);
    rg->addWidget(Label(1001, QStringLiteral("Přepínací mez:")), 3, 0);
    rg->addWidget(Row({Combo(1194, {QStringLiteral("Pod"), QStringLiteral("Nad")}), Edit(1195, 70),
                       Label(1009, QString())}),
                  3, 1);
    rg->addWidget(Label(1002, QStringLiteral("Hystereze (+/-):")), 4, 0);
    rg->addWidget(Row({Edit(1196, 70), Label(1437, QString())}), 4, 1);
    rg->addWidget(Label(1006, QStringLiteral("Blokovací doba:")), 5, 0);
    rg->addWidget(Row({Edit(1197, 70), Label(1007, QStringLiteral("sec"))}), 5, 1);
    grid->addWidget(relays, 1, 0);
    grid->addWidget(Check(1367, QStringLiteral("Aktivovat vstup časové synchronizace")), 2, 0);

    auto* receive = new QPushButton(QStringLiteral("Přijmi"), this);
    receive->setObjectName(QStringLiteral("1198"));
    auto* send = new QPushButton(QStringLiteral("Vyšli"), this);
    send->setObjectName(QStringLiteral("1199"));
    grid->addWidget(Row({receive, send}), 3, 0);
    grid->setRowStretch(4, 1);

    connect(receive, &QPushButton::clicked, this, &CVKTDetailVystupy::OnReceive);
    connect(send, &QPushButton::clicked, this, &CVKTDetailVystupy::OnSend);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index == m_shown)
            return;
        if (!TakeControls()) {
            const QSignalBlocker block(m_tabs);
            m_tabs->setCurrentIndex(m_shown);
            return;
        }
        SelectOutput(index);
    });
    for (int id : {1184, 1187, 1191})
        connect(Ctl<QCheckBox>(id), &QCheckBox::clicked, this, [this] { UpdateControls(); });
    connect(Ctl<QComboBox>(1192), &QComboBox::activated, this, [this] {
        m_f.relays[std::size_t(m_shown)].quantity = Ctl<QComboBox>(1192)->currentIndex();
        FillPhases();
    });
    connect(Ctl<QComboBox>(1185), &QComboBox::activated, this, [this] { OnKindChanged(1); });
    connect(Ctl<QComboBox>(1188), &QComboBox::activated, this, [this] { OnKindChanged(2); });
}

void CVKTDetailVystupy::SetData(CVKTOutputConfig* outputs, CIden* iden)
{
    m_outputs = outputs;
    m_iden = iden;
    if (m_outputs && m_iden)
        m_f.FromRecord(*m_outputs, *m_iden);
}

void CVKTDetailVystupy::GetData()
{
    if (m_outputs)
        m_f.ToRecord(*m_outputs);
}

void CVKTDetailVystupy::ShowFields()
{
    Ctl<QCheckBox>(1184)->setChecked(m_f.send1);
    Ctl<QCheckBox>(1187)->setChecked(m_f.send2);
    Ctl<QCheckBox>(1367)->setChecked(m_f.syncInput);
    SetComboIndex(Ctl<QComboBox>(1185), m_f.kind1);
    SetComboIndex(Ctl<QComboBox>(1188), m_f.kind2);
    Ctl<QLineEdit>(1186)->setText(FloatText(m_f.rate1));
    Ctl<QLineEdit>(1189)->setText(FloatText(m_f.rate2));
    SelectOutput(m_shown);
}

void CVKTDetailVystupy::SelectOutput(int relay)
{
    m_shown = relay >= 0 && relay < 2 ? relay : 0;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(m_shown);
    }
    const VKTRelaySlot& r = m_f.relays[std::size_t(m_shown)];
    Ctl<QCheckBox>(1191)->setChecked(r.active);
    SetComboIndex(Ctl<QComboBox>(1192), r.quantity);
    SetComboIndex(Ctl<QComboBox>(1194), r.direction);
    // An inactive relay has no limit to show.
    ShowUntouched(1195, r.active ? ExactFloatText(float(r.limit)) : QStringLiteral("--"));
    ShowUntouched(1196, FloatText(r.hysteresis));
    Ctl<QLineEdit>(1197)->setText(QString::number(r.blocking));
    FillPhases();
    UpdateControls();
}

void CVKTDetailVystupy::FillPhases()
{
    VKTRelaySlot& r = m_f.relays[std::size_t(m_shown)];
    auto* phases = Ctl<QComboBox>(1193);
    RebuildComboItems(phases, PhaseItems(r.quantity, m_f.WithoutN(r.quantity)));
    if (r.quantity >= 11)
        r.phase = 0;
    SetComboIndex(phases, r.phase);
    Ctl<QLabel>(1009)->setText(LimitUnit(r.quantity));
    Ctl<QLabel>(1437)->setText(HysteresisUnit(r.quantity));
}

bool CVKTDetailVystupy::TakeControls()
{
    VKTOutputFields f = m_f;
    auto real = [&](int id, double low, double high, double& out) {
        // The edits show rounded values; one the user left alone sends the
        // value as the instrument holds it.
        if (Untouched(id))
            return true;
        double v = 0.0;
        if (!ParseFloat(Ctl<QLineEdit>(id)->text(), v))
            v = low - 1.0;
        if (!CheckRange(id, v, low, high, false))
            return false;
        out = v;
        return true;
    };
    f.send1 = IsChecked(1184);
    f.send2 = IsChecked(1187);
    f.syncInput = IsChecked(1367);
    f.kind1 = std::max(0, Ctl<QComboBox>(1185)->currentIndex());
    f.kind2 = std::max(0, Ctl<QComboBox>(1188)->currentIndex());
    if (!real(1186, 0.0, 6553.5, f.rate1) || !real(1189, 0.0, 6553.5, f.rate2))
        return false;
    VKTRelaySlot& r = f.relays[std::size_t(m_shown)];
    r.active = IsChecked(1191);
    r.quantity = std::max(0, Ctl<QComboBox>(1192)->currentIndex());
    r.phase = std::max(0, Ctl<QComboBox>(1193)->currentIndex());
    r.direction = std::max(0, Ctl<QComboBox>(1194)->currentIndex());
    if (r.active && !real(1195, -1e30, 1e30, r.limit))
        return false;
    if (!real(1196, 0.0, 100.0, r.hysteresis))
        return false;
    double blocking = 0.0;
    if (!real(1197, 0.0, 65535.0, blocking))
        return false;
    r.blocking = qint64(blocking);
    m_f = f;
    return true;
}

void CVKTDetailVystupy::ShowUntouched(int id, const QString& text)
{
    auto* edit = Ctl<QLineEdit>(id);
    edit->setText(text);
    // "--" stands for no value: it is never sent as it stands.
    edit->setProperty("shownText", text == QStringLiteral("--") ? QVariant() : QVariant(text));
}

bool CVKTDetailVystupy::Untouched(int id)
{
    const QVariant shown = Ctl<QLineEdit>(id)->property("shownText");
    return shown.isValid() && shown.toString() == ControlText(id);
}

void CVKTDetailVystupy::UpdateControls()
{
    const int pulses = m_f.PulseOutputs();
    Ctl<QCheckBox>(1184)->setEnabled(pulses >= 1);
    Ctl<QCheckBox>(1187)->setEnabled(pulses >= 2);
    for (int id : {1185, 1186})
        Control(id)->setEnabled(pulses >= 1 && IsChecked(1184));
    for (int id : {1188, 1189})
        Control(id)->setEnabled(pulses >= 2 && IsChecked(1187));
    const bool relay = m_shown < m_f.Relays();
    Ctl<QCheckBox>(1191)->setEnabled(relay);
    for (int id = 1192; id <= 1197; ++id)
        Control(id)->setEnabled(relay && IsChecked(1191));
}

void CVKTDetailVystupy::OnKindChanged(int output)
{
    if (m_f.PulseOutputs() < 2) {
        (output == 1 ? m_f.kind1 : m_f.kind2) = Ctl<QComboBox>(output == 1 ? 1185 : 1188)->currentIndex();
        return;
    }
    int& mine = output == 1 ? m_f.kind1 : m_f.kind2;
    int& other = output == 1 ? m_f.kind2 : m_f.kind1;
    const bool otherSends = IsChecked(output == 1 ? 1187 : 1184);
    const int chosen = Ctl<QComboBox>(output == 1 ? 1185 : 1188)->currentIndex();
    if (chosen == other) {
        if (otherSends) {
            SetComboIndex(Ctl<QComboBox>(output == 1 ? 1185 : 1188), mine);
            ui::ShowMessageBox(this, QStringLiteral("Nelze nastavit tutéž veličino pro oba výstupy."),
                               QStringLiteral("INFO"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
            return;
        }
        other = mine;
        SetComboIndex(Ctl<QComboBox>(output == 1 ? 1188 : 1185), other);
    }
    mine = chosen;
}

bool CVKTDetailVystupy::OnSetActive()
{
    SelectOutput(m_shown);
    return true;
}

void CVKTDetailVystupy::OnReceive()
{
    auto* sheet = qobject_cast<CVKTDetail*>(GetSheet());
    if (!sheet || !m_outputs)
        return;
    if (ui::ShowMessageBox(this, QStringLiteral("Opravdu načíst výstupy z přístroje?"), QStringLiteral("INFO"),
                           ui::MsgButtons::YesNo, ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!sheet->ReadOutputs(m_outputs, m_iden, false))
        ui::ShowMessageBox(this, QStringLiteral("Přístroj neodpovídá !"), QStringLiteral("CHYBA"), ui::MsgButtons::Ok,
                           ui::MsgIcon::Warning);
    SetData(m_outputs, m_iden);
    ShowFields();
}

void CVKTDetailVystupy::OnSend()
{
    auto* sheet = qobject_cast<CVKTDetail*>(GetSheet());
    if (!sheet || !m_outputs)
        return;
    if (ui::ShowMessageBox(this, QStringLiteral("Opravdu odeslat výstupy do přístroje?"), QStringLiteral("INFO"),
                           ui::MsgButtons::YesNo, ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!TakeControls())
        return;
    GetData();
    if (!sheet->WriteOutputs(*m_outputs))
        ui::ShowMessageBox(this, QStringLiteral("Přístroj neodpovídá !"), QStringLiteral("CHYBA"), ui::MsgButtons::Ok,
                           ui::MsgIcon::Warning);
}

} // namespace analysers_vkt
