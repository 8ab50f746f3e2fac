#include "analysers_vk/VKDetailVystupy.h"

#include "analysers_vk/VKDetail.h"
#include "model/Iden.h"
#include "model/VKOutputConfig.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

namespace analysers_vk {

namespace {

enum Quantity { U, I, PF, F, T, P, Q, S, Cos, THDI, THDU };

QStringList EnergyKinds()
{
    return {QStringLiteral("Činná, import"), QStringLiteral("Činná, export"), QStringLiteral("Jalová, import"),
            QStringLiteral("Jalová, export")};
}

} // namespace

QStringList OutputQuantities()
{
    return {"U", "I", "PF", "f", "T", "P", "Q", "S", "cos", "THDI", "THDU"};
}

QStringList PhaseItems(int output, int quantity)
{
    if (quantity == F || quantity == T)
        return {QStringLiteral("1")};
    QStringList items{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    const bool power = quantity == PF || quantity == P || quantity == Q || quantity == S;
    if (output < 2 || power)
        items << (power || quantity == Cos ? QStringLiteral("3f") : QStringLiteral("1,2,3"));
    return items;
}

void VKOutputFields::FromRecord(const CVKOutputConfig& r, const CIden& iden)
{
    outputCount = (iden.model & 0x8) ? 4 : 2;
    pulseOutputs = (iden.model & 0x4) != 0;
    timeSyncInput = (iden.model & 0x1100) == 0x1100;
    p1 = r.GetPulseSending(1);
    p2 = r.GetPulseSending(2);
    timeSync = r.GetTimeSyncInput();
    kind1 = r.GetPulseOutputKind(1);
    kind2 = r.GetPulseOutputKind(2);
    pulses1 = r.GetPulseConstant(0);
    pulses2 = r.GetPulseConstant(1);
    for (int i = 0; i < 2; ++i) {
        VKOutputState& o = out[std::size_t(i)];
        BOOL active = FALSE;
        r.GetRelayLevel(i, active, o.limit);
        o.active = active;
        o.blocking = r.GetBlockingTime(i);
        o.hysteresis = r.GetHysteresis(i);
        o.action = r.GetRelayFlag6(i) ? 1 : 0;
        o.direction = r.GetRelayAbove(i) ? 1 : 0;
        o.quantity = r.GetRelayQuantity(i);
        o.phase = r.GetRelayPhase(i);
        VKOutputState& a = out[std::size_t(i + 2)];
        a.quantity = r.GetAnalogQuantity(i);
        a.phase = r.GetAnalogPhase(i);
        a.active = r.GetAnalogActive(i);
        a.start = r.GetAnalogFrom4mA(i) ? 1 : 0;
        a.low = r.GetAnalogStart(i);
        a.high = r.GetAnalogEnd(i);
    }
}

void VKOutputFields::ToRecord(CVKOutputConfig& r) const
{
    r.SetPulseSending(1, p1);
    r.SetPulseSending(2, p2);
    r.SetTimeSyncInput(timeSync);
    if (kind1 >= 0)
        r.SetPulseOutputKind(1, kind1);
    if (kind2 >= 0)
        r.SetPulseOutputKind(2, kind2);
    r.SetPulseConstant(0, pulses1);
    r.SetPulseConstant(1, pulses2);
    for (int i = 0; i < 2; ++i) {
        const VKOutputState& o = out[std::size_t(i)];
        r.SetRelayLevel(i, o.active, o.limit);
        r.SetBlockingTime(i, unsigned(o.blocking));
        r.SetHysteresis(i, o.hysteresis);
        if (o.action >= 0)
            r.SetRelayFlag6(i, o.action == 1);
        if (o.direction >= 0)
            r.SetRelayAbove(i, o.direction == 1);
        if (o.quantity >= 0)
            r.SetRelayQuantity(i, o.quantity);
        if (o.phase >= 0)
            r.SetRelayPhase(i, o.phase);
        const VKOutputState& a = out[std::size_t(i + 2)];
        if (a.quantity >= 0)
            r.SetAnalogQuantity(i, a.quantity);
        if (a.phase >= 0)
            r.SetAnalogPhase(i, a.phase);
        r.SetAnalogActive(i, a.active);
        if (a.start >= 0)
            r.SetAnalogFrom4mA(i, a.start == 1);
        r.SetAnalogStart(i, a.low);
        r.SetAnalogEnd(i, a.high);
    }
}

CVKDetailVystupy::CVKDetailVystupy(QWidget* parent)
    : controllers::CSettingsPage(QStringLiteral("Nastavení výstupů"), false, parent)
{
    ui::SetHelpId(this, 191);
    Build();
}

void CVKDetailVystupy::Build()
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (int p = 0; p < 2; ++p) {
        grid->addWidget(Label(0, p == 0 ? QStringLiteral("Výstup P1:") : QStringLiteral("Výstup P2:")), row, 0);
        grid->addWidget(Check(p == 0 ? 1016 : 1018, QStringLiteral("Vysílat")), row, 1);
        grid->addWidget(Label(0, QStringLiteral("Elektrická práce:")), row, 2);
        grid->addWidget(Combo(p == 0 ? 1213 : 1214, EnergyKinds()), row, 3);
        grid->addWidget(Row({Edit(p == 0 ? 1017 : 1019), Label(0, QStringLiteral("imp/kWh"))}), row, 4);
        ++row;
    }
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("1251"));
    grid->addWidget(m_tabs, row++, 0, 1, 5);
    grid->addWidget(Check(1020, QStringLiteral("Aktivovat")), row++, 0, 1, 2);
    grid->addWidget(Label(0, QStringLiteral("Řídící veličina:")), row, 0);
    grid->addWidget(Row({Combo(1215, OutputQuantities()), Combo(1216, {"1", "2", "3", "1,2,3"})}), row++, 1, 1, 2);
    grid->addWidget(Row({Combo(1217, {QStringLiteral("Pod"), QStringLiteral("Nad")}), Label(1001, QStringLiteral("mezí")),
                         Combo(1218, {QStringLiteral("Vypnout"), QStringLiteral("Zapnout")})}),
                    row++, 1, 1, 3);
    grid->addWidget(Label(1002, QStringLiteral("Přepínací mez:")), row, 0);
    grid->addWidget(Row({Edit(1021), Label(1003, QStringLiteral("% nom. hodnoty"))}), row++, 1, 1, 2);
    grid->addWidget(Label(1004, QStringLiteral("Hystereze (+/-):")), row, 0);
    grid->addWidget(Row({Edit(1023), Label(1005, QStringLiteral("% nom. hodnoty"))}), row++, 1, 1, 2);
    grid->addWidget(Label(1006, QStringLiteral("Blokovací doba:")), row, 0);
    grid->addWidget(Row({Edit(1024), Label(1007, QStringLiteral("sec"))}), row++, 1, 1, 2);
    grid->addWidget(Label(1008, QStringLiteral("Hodnota při")), row, 0);
    grid->addWidget(Row({Combo(1219, {QStringLiteral("0 mA:"), QStringLiteral("4 mA:")}), Edit(1025),
                         Label(1009, QStringLiteral("% nom. hodnoty"))}),
                    row++, 1, 1, 3);
    grid->addWidget(Label(1010, QStringLiteral("Hodnota při 20 mA :")), row, 0);
    grid->addWidget(Row({Edit(1026), Label(1011, QStringLiteral("% nom. hodnoty"))}), row++, 1, 1, 2);
    grid->addWidget(Check(1022, QStringLiteral("Aktivovat vstup časové synchronizace")), row++, 0, 1, 4);
    auto* receive = new QPushButton(QStringLiteral("Přijmi"), this);
    receive->setObjectName(QStringLiteral("1252"));
    auto* send = new QPushButton(QStringLiteral("Vyšli"), this);
    send->setObjectName(QStringLiteral("1253"));
    grid->addWidget(Row({receive, send}), row++, 0, 1, 5);
    grid->setRowStretch(row, 1);

    connect(receive, &QPushButton::clicked, this, &CVKDetailVystupy::OnReceive);
    connect(send, &QPushButton::clicked, this, &CVKDetailVystupy::OnSend);
    for (int id : {1016, 1018, 1020})
        connect(Ctl<QCheckBox>(id), &QCheckBox::clicked, this, [this] { UpdateControls(); });
    connect(Ctl<QComboBox>(1215), &QComboBox::activated, this, [this] {
        TakeControls();
        RefillPhases();
        UpdateControls();
    });
    connect(m_tabs, &QTabBar::currentChanged, this, [this] {
        if (!m_tabsBuilt)
            return;
        TakeControls();
        StoreSelected();
        SelectOutput();
        UpdateControls();
    });
}

int CVKDetailVystupy::SelectedOutput() const
{
    const int o = m_tabs->currentIndex();
    return o >= 0 && o < m_f.outputCount ? o : 0;
}

int CVKDetailVystupy::TabCount() const
{
    return m_tabs->count();
}

void CVKDetailVystupy::SelectTab(int index)
{
    m_tabs->setCurrentIndex(index);
}

void CVKDetailVystupy::BuildTabs()
{
    const QSignalBlocker block(m_tabs);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    m_tabs->addTab(QStringLiteral("Relé 1"));
    m_tabs->addTab(QStringLiteral("Relé 2"));
    if (m_f.outputCount == 4) {
        m_tabs->addTab(QStringLiteral("Analog. výstup 1"));
        m_tabs->addTab(QStringLiteral("Analog. výstup 2"));
    }
    m_tabs->setCurrentIndex(0);
    m_shown = 0;
    m_tabsBuilt = true;
}

void CVKDetailVystupy::SetData(CVKOutputConfig* record, CIden* iden)
{
    m_record = record;
    m_iden = iden;
    if (m_record && m_iden) {
        m_f.FromRecord(*m_record, *m_iden);
        m_cur = m_f.out[std::size_t(m_shown)];
    }
}

void CVKDetailVystupy::GetData()
{
    if (!m_record)
        return;
    if (IsInitialised() && TakeControls())
        StoreSelected();
    m_f.ToRecord(*m_record);
}

void CVKDetailVystupy::StoreSelected()
{
    if (m_shown >= 0 && m_shown < 4)
        m_f.out[std::size_t(m_shown)] = m_cur;
}

void CVKDetailVystupy::RefillPhases()
{
    auto* combo = Ctl<QComboBox>(1216);
    const int selected = m_cur.phase;
    const QStringList items = PhaseItems(SelectedOutput(), m_cur.quantity);
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(items);
    // A phase the new list does not hold stays unchosen; it is never stored
    // as -1 (the record keeps its bits then).
    m_cur.phase = items.size() == 1 ? 0 : (selected < items.size() ? selected : -1);
    SetComboIndex(combo, m_cur.phase);
}

void CVKDetailVystupy::SelectOutput()
{
    m_shown = SelectedOutput();
    m_cur = m_f.out[std::size_t(m_shown)];
    RefillPhases();
    ShowFields();
}

void CVKDetailVystupy::ShowFields()
{
    Ctl<QCheckBox>(1016)->setChecked(m_f.p1);
    Ctl<QCheckBox>(1018)->setChecked(m_f.p2);
    SetComboIndex(Ctl<QComboBox>(1213), m_f.kind1);
    SetComboIndex(Ctl<QComboBox>(1214), m_f.kind2);
    Ctl<QLineEdit>(1017)->setText(FloatText(m_f.pulses1));
    Ctl<QLineEdit>(1019)->setText(FloatText(m_f.pulses2));
    Ctl<QCheckBox>(1022)->setChecked(m_f.timeSync);
    Ctl<QCheckBox>(1020)->setChecked(m_cur.active);
    SetComboIndex(Ctl<QComboBox>(1215), m_cur.quantity);
    SetComboIndex(Ctl<QComboBox>(1216), m_cur.phase);
    SetComboIndex(Ctl<QComboBox>(1217), m_cur.direction);
    SetComboIndex(Ctl<QComboBox>(1218), m_cur.action);
    Ctl<QLineEdit>(1021)->setText(FloatText(m_cur.limit));
    Ctl<QLineEdit>(1023)->setText(FloatText(m_cur.hysteresis));
    Ctl<QLineEdit>(1024)->setText(QString::number(m_cur.blocking));
    SetComboIndex(Ctl<QComboBox>(1219), m_cur.start);
    Ctl<QLineEdit>(1025)->setText(FloatText(m_cur.low));
    Ctl<QLineEdit>(1026)->setText(FloatText(m_cur.high));
}

bool CVKDetailVystupy::TakeControls()
{
    // A refused number keeps its old value; the rest is taken all the same.
    bool valid = true;
    VKOutputFields f = m_f;
    VKOutputState c = m_cur;
    f.p1 = IsChecked(1016);
    f.p2 = IsChecked(1018);
    f.kind1 = Ctl<QComboBox>(1213)->currentIndex();
    f.kind2 = Ctl<QComboBox>(1214)->currentIndex();
    f.timeSync = IsChecked(1022);
    c.active = IsChecked(1020);
    c.quantity = Ctl<QComboBox>(1215)->currentIndex();
    c.phase = Ctl<QComboBox>(1216)->currentIndex();
    const bool relay = m_shown < 2;
    if (relay) {
        c.direction = Ctl<QComboBox>(1217)->currentIndex();
        c.action = Ctl<QComboBox>(1218)->currentIndex();
    } else {
        c.start = Ctl<QComboBox>(1219)->currentIndex();
    }
    struct Number {
        int id;
        double* field;
        double high;
        bool used;
    };
    double blocking = double(c.blocking);
    const Number numbers[] = {{1017, &f.pulses1, 6553.5, true},  {1019, &f.pulses2, 6553.5, true},
                              {1021, &c.limit, 150.0, relay},    {1023, &c.hysteresis, 50.0, relay},
                              {1024, &blocking, 4294967295.0, relay}, {1025, &c.low, 655.35, !relay},
                              {1026, &c.high, 655.35, !relay}};
    for (const Number& n : numbers) {
        if (!n.used)
            continue;
        double v = -1;
        if (!ParseFloat(ControlText(n.id), v))
            v = -1;
        if (v < 0.0 || v > n.high) {
            if (valid)
                CheckRange(n.id, v, 0.0, n.high, n.id == 1024);
            valid = false;
            continue;
        }
        *n.field = v;
    }
    c.blocking = qint64(blocking);
    m_f = f;
    m_cur = c;
    return valid;
}

void CVKDetailVystupy::UpdateControls()
{
    if (IsInitialised())
        TakeControls();
    const bool relay = m_shown < 2;
    auto set = [this](int id, bool enabled, bool shown) {
        if (QWidget* w = Control(id)) {
            w->setEnabled(enabled);
            w->setVisible(shown);
        }
    };
    set(1016, m_f.pulseOutputs, true);
    set(1018, m_f.pulseOutputs, true);
    set(1213, m_f.pulseOutputs && m_f.p1, true);
    set(1017, m_f.pulseOutputs && m_f.p1, true);
    set(1214, m_f.pulseOutputs && m_f.p2, true);
    set(1019, m_f.pulseOutputs && m_f.p2, true);
    set(1022, m_f.timeSyncInput, true);
    set(1215, m_cur.active, true);
    set(1216, m_cur.active, true);
    for (int id : {1021, 1023, 1024, 1217, 1218})
        set(id, m_cur.active, relay);
    for (int id = 1001; id <= 1007; ++id)
        set(id, true, relay);
    for (int id : {1219, 1025, 1026})
        set(id, m_cur.active, !relay);
    for (int id = 1008; id <= 1011; ++id)
        set(id, true, !relay);
    if (QWidget* w = Control(1024))
        w->parentWidget()->setVisible(relay);
}

bool CVKDetailVystupy::OnSetActive()
{
    if (!m_tabsBuilt)
        BuildTabs();
    SetModified(true);
    SelectOutput();
    UpdateControls();
    return true;
}

bool CVKDetailVystupy::OnKillActive()
{
    if (!TakeControls())
        return false;
    StoreSelected();
    return true;
}

void CVKDetailVystupy::OnReceive()
{
    auto* sheet = qobject_cast<CVKDetail*>(GetSheet());
    if (!sheet || !m_record)
        return;
    if (ui::InfoBox(this, QStringLiteral("Opravdu načíst výstupy z přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!sheet->ReadVystupy(m_record, m_iden, FALSE))
        ui::ErrorBox(this, QStringLiteral("Přístroj neodpovídá !"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    const int count = m_f.outputCount;
    SetData(m_record, m_iden);
    if (count != m_f.outputCount)
        BuildTabs();
    SelectOutput();
    UpdateControls();
}

void CVKDetailVystupy::OnSend()
{
    auto* sheet = qobject_cast<CVKDetail*>(GetSheet());
    if (!sheet || !m_record)
        return;
    if (ui::InfoBox(this, QStringLiteral("Opravdu odeslat výstupy do přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!TakeControls())
        return;
    StoreSelected();
    m_f.ToRecord(*m_record);
    if (!sheet->WriteVystupy(*m_record))
        ui::ErrorBox(this, QStringLiteral("Přístroj neodpovídá !"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

} // namespace analysers_vk
