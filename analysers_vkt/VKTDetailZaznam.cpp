#include "analysers_vkt/VKTDetailZaznam.h"

#include "analysers_vkt/VKTDetail.h"
#include "model/VKTNoteBook.h"
#include "model/VKTStatus.h"
#include "platform/Cp1250.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cstring>

namespace analysers_vkt {

const std::array<int, 20> kRecordPeriods{1,   2,   3,   5,   10,  15,  20,  30,   60,   120,
                                         180, 240, 300, 360, 600, 720, 900, 1200, 1800, 3600};

namespace {

const QStringList kPeriodTexts{"  1 sec.", "  2 sec.", "  3 sec.", "  5 sec.", "10 sec.", "15 sec.", "20 sec.",
                               "30 sec.",  "  1 min.", "  2 min.", "  3 min.", "  4 min.", "  5 min.", "  6 min.",
                               "10 min.",  "12 min.",  "15 min.",  "20 min.",  "30 min.",  "60 min."};
constexpr int kPeriodBeyondList = 13; // "  6 min."

// One row of the grid: its selection byte, the check boxes of bits 0-3
// (0: no box), the radio pair of bit 4 (0: none).
struct GridRow {
    const char* label;
    int selection;
    std::array<int, 4> boxes;
    int average;
    int minMax;
};

const std::array<GridRow, 9> kRows{{
    {"ULL", CVKTArch::SelLineVoltage, {1016, 1017, 1018, 1019}, 1151, 1152},
    {"ULN", CVKTArch::SelVoltage, {1020, 1021, 1022, 1023}, 1153, 1154},
    {"I", CVKTArch::SelCurrent, {1024, 1025, 1026, 1027}, 1155, 1156},
    {"THDU", CVKTArch::SelThdU, {1028, 1029, 1030, 1031}, 1157, 1158},
    {"THDI", CVKTArch::SelThdI, {1032, 1033, 1034, 1035}, 1159, 1160},
    {"cos", CVKTArch::SelCos, {1036, 1037, 1038, 1039}, 0, 0},
    {"P", CVKTArch::SelActivePower, {1048, 1049, 1050, 1051}, 1167, 1168},
    {"Q", CVKTArch::SelReactivePower, {1052, 1053, 1054, 1055}, 1169, 1170},
    {"S", CVKTArch::SelApparentPower, {1056, 1057, 1058, 1059}, 1171, 1172},
}};

} // namespace

int PeriodIndex(int seconds)
{
    for (std::size_t i = 0; i < kRecordPeriods.size(); ++i)
        if (kRecordPeriods[i] >= seconds)
            return int(i);
    // The instrument's own fallback for a period beyond the list.
    return kPeriodBeyondList;
}

BYTE PackPowerByte(BYTE value, bool hasSeparate)
{
    const BYTE separate = hasSeparate ? BYTE(value & 0x20) : BYTE(0);
    BYTE phases = BYTE(value & ~separate);
    if ((phases & 0x10) == 0 && !separate && (phases & 0x07) == 0x07)
        phases &= BYTE(~0x08);
    // Three phases with their sum, average only: the sum is implied, also
    // when import and export are recorded apart.
    if (phases == 0x0F)
        phases = 0x07;
    return BYTE(phases | separate);
}

void VKTRecordFields::FromRecord(const CVKTStatus& status, const CVKTNoteBook* notebook)
{
    const CVKTArch& arch = status.GetArch();
    for (int i = 0; i < CVKTArch::kSelectionCount; ++i)
        selection[std::size_t(i)] = arch.GetSelection(i);
    period = arch.GetInterval();
    BOOL now = FALSE;
    start = arch.GetStartTime(now).GetTime();
    atOnce = now;
    name.clear();
    if (notebook) {
        const auto& text = notebook->GetText2();
        const char* begin = reinterpret_cast<const char*>(text.data());
        const void* zero = std::memchr(begin, 0, text.size());
        name = platform::FromCp1250(begin, zero ? static_cast<const char*>(zero) - begin : qsizetype(text.size()));
    }
}

void VKTRecordFields::ToRecord(CVKTStatus& status, CVKTNoteBook* notebook) const
{
    CVKTArch& arch = status.GetArch();
    for (int i = 0; i < CVKTArch::kSelectionCount; ++i) {
        BYTE v = selection[std::size_t(i)];
        if (i == CVKTArch::SelActivePower || i == CVKTArch::SelReactivePower)
            v = PackPowerByte(v, true);
        else if (i == CVKTArch::SelApparentPower)
            v = PackPowerByte(v, false);
        else if (i == CVKTArch::SelCos)
            v &= 0x0F;
        arch.SetSelection(i, v);
    }
    arch.SetInterval(WORD(period));
    arch.SetStartTime(CTime(start), atOnce);
    if (notebook) {
        auto& text = notebook->GetText2();
        text.fill(0);
        const QByteArray bytes = platform::ToCp1250(name.left(31));
        std::memcpy(text.data(), bytes.constData(), std::min<std::size_t>(std::size_t(bytes.size()), 31));
    }
}

CVKTDetailZaznam::CVKTDetailZaznam(bool readOnly, QWidget* parent)
    : controllers::CSettingsPage(QStringLiteral("Nastavení záznamů"), readOnly, parent)
{
    Build();
}

void CVKTDetailZaznam::Build()
{
    auto* grid = new QGridLayout(this);
    auto* quantities = new QGroupBox(QStringLiteral("Veličiny a výkony"), this);
    quantities->setObjectName(QStringLiteral("1341"));
    auto* qg = new QGridLayout(quantities);
    const QStringList heads{"L1", "L2", "L3", "N / 3f"};
    for (int c = 0; c < 4; ++c)
        qg->addWidget(new QLabel(heads[c], quantities), 0, c + 1);
    int row = 1;
    for (const GridRow& r : kRows) {
        qg->addWidget(new QLabel(QString::fromLatin1(r.label), quantities), row, 0);
        for (int c = 0; c < 4; ++c)
            qg->addWidget(Check(r.boxes[std::size_t(c)]), row, c + 1);
        if (r.average) {
            auto* pair = new QWidget(quantities);
            auto* average = Radio(r.average, QStringLiteral("Prům"));
            auto* minMax = Radio(r.minMax, QStringLiteral("Prům+Min+Max"));
            average->setParent(pair);
            minMax->setParent(pair);
            auto* h = new QHBoxLayout(pair);
            h->setContentsMargins(0, 0, 0, 0);
            h->addWidget(average);
            h->addWidget(minMax);
            qg->addWidget(pair, row, 5);
        }
        ++row;
    }
    qg->addWidget(Check(1076, QStringLiteral("Zvlášť import/export")), 7, 6);
    qg->addWidget(Check(1077, QStringLiteral("Zvlášť import/export")), 8, 6);
    // Row ULL has no N: its fourth box is the unbalance.
    Ctl<QCheckBox>(1019)->setText(QStringLiteral("Nesymetrie (Výběr dle ULL)"));
    // The power factors follow P and S; nothing of them is stored.
    qg->addWidget(new QLabel(QStringLiteral("PF"), quantities), row, 0);
    for (int c = 0; c < 4; ++c) {
        QCheckBox* box = Check(1060 + c);
        box->setEnabled(false);
        qg->addWidget(box, row, c + 1);
    }
    ++row;
    auto radioPair = [&](int average, int minMax) {
        auto* pair = new QWidget(quantities);
        auto* a = Radio(average, QStringLiteral("Prům"));
        auto* m = Radio(minMax, QStringLiteral("Prům+Min+Max"));
        a->setParent(pair);
        m->setParent(pair);
        auto* h = new QHBoxLayout(pair);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(a);
        h->addWidget(m);
        return pair;
    };
    qg->addWidget(Check(1040, QStringLiteral("Frek.")), row, 0, 1, 2);
    qg->addWidget(radioPair(1163, 1164), row, 5);
    ++row;
    qg->addWidget(Check(1044, QStringLiteral("Tepl.")), row, 0, 1, 2);
    qg->addWidget(radioPair(1165, 1166), row, 5);
    qg->addWidget(Check(1041, QStringLiteral("Relé")), row, 3);
    grid->addWidget(quantities, 0, 0, 1, 2);

    auto* harmonics = new QGroupBox(QStringLiteral("Harmonické"), this);
    auto* hg = new QGridLayout(harmonics);
    hg->addWidget(new QLabel(QStringLiteral("U"), harmonics), 0, 0);
    hg->addWidget(new QLabel(QStringLiteral("I"), harmonics), 1, 0);
    for (int c = 0; c < 4; ++c) {
        hg->addWidget(Check(1068 + c, heads[c].left(2)), 0, c + 1);
        hg->addWidget(Check(1072 + c, heads[c].left(2)), 1, c + 1);
    }
    hg->addWidget(Radio(1175, QStringLiteral("Vše")), 0, 5);
    hg->addWidget(Radio(1176, QStringLiteral("Pouze liché")), 1, 5);
    hg->addWidget(Label(0, QStringLiteral("Do řádu")), 0, 6);
    hg->addWidget(Combo(1161, NumberItems(1, 25)), 1, 6);
    grid->addWidget(harmonics, 1, 0, 1, 2);

    auto* name = Edit(1150, 220);
    name->setMaxLength(31);
    grid->addWidget(Label(1273, QStringLiteral("Název záznamu:")), 2, 0);
    grid->addWidget(name, 2, 1);
    grid->addWidget(Label(1274, QStringLiteral("Perioda záznamu:")), 3, 0);
    grid->addWidget(Combo(1162, kPeriodTexts), 3, 1);
    const analysers_vk::StartPickers start(this, 1179, 1180, IsReadOnly());
    grid->addWidget(Label(1275, QStringLiteral("Start. čas")), 4, 0);
    grid->addWidget(Row({start.time, start.date, Check(1178, QStringLiteral("Ihned"))}), 4, 1);
    grid->addWidget(Check(1177, QStringLiteral("Cyklický záznam")), 5, 0);
    grid->addWidget(Row({Label(1276, QStringLiteral("Kapacita paměti:")), Label(1181, QStringLiteral("--"))}), 5, 1);

    auto* receive = new QPushButton(QStringLiteral("Přijmi"), this);
    receive->setObjectName(QStringLiteral("1182"));
    auto* send = new QPushButton(QStringLiteral("Vyšli"), this);
    send->setObjectName(QStringLiteral("1183"));
    grid->addWidget(Row({receive, send}), 6, 0, 1, 2);
    grid->setRowStretch(7, 1);

    if (IsReadOnly()) {
        receive->hide();
        send->hide();
        MakeReadOnly();
        return;
    }
    connect(receive, &QPushButton::clicked, this, &CVKTDetailZaznam::OnReceive);
    connect(send, &QPushButton::clicked, this, &CVKTDetailZaznam::OnSend);
    for (auto* box : findChildren<QCheckBox*>())
        connect(box, &QCheckBox::clicked, this, [this] {
            TakeControls();
            UpdateControls();
        });
    for (auto* radio : findChildren<QRadioButton*>())
        connect(radio, &QRadioButton::clicked, this, [this] {
            TakeControls();
            UpdateControls();
        });
    // The user's choice only: while the fields are being shown, the
    // controls after the lists do not hold the record yet.
    for (int id : {1161, 1162})
        connect(Ctl<QComboBox>(id), &QComboBox::activated, this, [this] {
            TakeControls();
            ShowCapacity();
        });
}

void CVKTDetailZaznam::SetData(CVKTStatus* status, CVKTNoteBook* notebook)
{
    m_status = status;
    m_notebook = notebook;
    if (m_status) {
        m_f.FromRecord(*m_status, m_notebook);
        // The instrument's memory: its ring of records of the size in force.
        m_memory = std::int64_t(m_status->GetCapacity()) * m_status->GetRecordSize();
    }
}

void CVKTDetailZaznam::GetData()
{
    if (m_status && !IsReadOnly())
        m_f.ToRecord(*m_status, m_notebook);
}

analysers_vk::StartPickers CVKTDetailZaznam::Start() const
{
    return analysers_vk::StartPickers(this, 1179, 1180);
}

QString CVKTDetailZaznam::PeriodText() const
{
    return kPeriodTexts[PeriodIndex(m_f.period)];
}

void CVKTDetailZaznam::ShowFields()
{
    const auto& s = m_f.selection;
    for (const GridRow& r : kRows) {
        const BYTE v = s[std::size_t(r.selection)];
        for (int c = 0; c < 4; ++c)
            Ctl<QCheckBox>(r.boxes[std::size_t(c)])->setChecked(v & (1 << c));
        if (r.average) {
            Ctl<QRadioButton>(r.average)->setChecked(!(v & 0x10));
            Ctl<QRadioButton>(r.minMax)->setChecked(v & 0x10);
        }
    }
    Ctl<QCheckBox>(1076)->setChecked(s[CVKTArch::SelActivePower] & 0x20);
    Ctl<QCheckBox>(1077)->setChecked(s[CVKTArch::SelReactivePower] & 0x20);
    const BYTE flags = s[CVKTArch::SelFlags];
    Ctl<QCheckBox>(1040)->setChecked(flags & 0x01);
    Ctl<QCheckBox>(1044)->setChecked(flags & 0x02);
    Ctl<QCheckBox>(1041)->setChecked(flags & 0x04);
    Ctl<QRadioButton>(1163)->setChecked(!(flags & 0x10));
    Ctl<QRadioButton>(1164)->setChecked(flags & 0x10);
    Ctl<QRadioButton>(1165)->setChecked(!(flags & 0x20));
    Ctl<QRadioButton>(1166)->setChecked(flags & 0x20);
    m_kept3f = {-1, -1, -1};
    const BYTE harmonics = s[CVKTArch::SelHarmonics];
    for (int c = 0; c < 4; ++c) {
        Ctl<QCheckBox>(1068 + c)->setChecked(harmonics & (1 << c));
        Ctl<QCheckBox>(1072 + c)->setChecked(harmonics & (0x10 << c));
    }
    const BYTE orders = s[CVKTArch::SelOrders];
    SetComboIndex(Ctl<QComboBox>(1161), (orders & 0x7F) - 1);
    Ctl<QRadioButton>(1175)->setChecked(orders & 0x80);
    Ctl<QRadioButton>(1176)->setChecked(!(orders & 0x80));
    Ctl<QCheckBox>(1177)->setChecked(s[CVKTArch::SelCyclic] != 0);
    Ctl<QLineEdit>(1150)->setText(m_f.name);
    // A stored period between or beyond the entries is shown as an entry:
    // from here on the page holds that entry's seconds, so the capacity
    // shown and the period sent are the ones of the entry the user sees.
    const int period = PeriodIndex(m_f.period);
    m_f.period = kRecordPeriods[std::size_t(period)];
    SetComboIndex(Ctl<QComboBox>(1162), period);
    Start().Show(QDateTime::fromSecsSinceEpoch(m_f.start));
    Ctl<QCheckBox>(1178)->setChecked(m_f.atOnce);
    UpdateControls();
}

bool CVKTDetailZaznam::TakeControls()
{
    if (IsReadOnly())
        return true;
    auto& s = m_f.selection;
    for (const GridRow& r : kRows) {
        BYTE v = BYTE(s[std::size_t(r.selection)] & ~0x1F);
        for (int c = 0; c < 4; ++c)
            v |= IsChecked(r.boxes[std::size_t(c)]) ? BYTE(1 << c) : 0;
        if (r.average && Ctl<QRadioButton>(r.minMax)->isChecked())
            v |= 0x10;
        s[std::size_t(r.selection)] = v;
    }
    auto bit = [this](BYTE& b, int id, int mask) { b = IsChecked(id) ? BYTE(b | mask) : BYTE(b & ~mask); };
    bit(s[CVKTArch::SelActivePower], 1076, 0x20);
    bit(s[CVKTArch::SelReactivePower], 1077, 0x20);
    BYTE flags = 0;
    flags |= IsChecked(1040) ? 0x01 : 0;
    flags |= IsChecked(1044) ? 0x02 : 0;
    flags |= IsChecked(1041) ? 0x04 : 0;
    flags |= Ctl<QRadioButton>(1164)->isChecked() ? 0x10 : 0;
    flags |= Ctl<QRadioButton>(1166)->isChecked() ? 0x20 : 0;
    s[CVKTArch::SelFlags] = flags;
    // A three-phase box the phases make implicit stands for its kept value.
    const int selections3f[3] = {CVKTArch::SelActivePower, CVKTArch::SelReactivePower, CVKTArch::SelApparentPower};
    for (int k = 0; k < 3; ++k)
        if (m_kept3f[std::size_t(k)] >= 0) {
            BYTE& v = s[std::size_t(selections3f[k])];
            v = m_kept3f[std::size_t(k)] ? BYTE(v | 0x08) : BYTE(v & ~0x08);
        }
    BYTE harmonics = 0;
    for (int c = 0; c < 4; ++c) {
        harmonics |= IsChecked(1068 + c) ? BYTE(1 << c) : 0;
        harmonics |= IsChecked(1072 + c) ? BYTE(0x10 << c) : 0;
    }
    s[CVKTArch::SelHarmonics] = harmonics;
    s[CVKTArch::SelOrders] = BYTE((Ctl<QComboBox>(1161)->currentIndex() + 1) & 0x7F)
                             | (Ctl<QRadioButton>(1175)->isChecked() ? 0x80 : 0);
    s[CVKTArch::SelCyclic] = IsChecked(1177) ? 1 : 0;
    m_f.name = Ctl<QLineEdit>(1150)->text().left(31);
    // The period sent is the one the list shows, also for a stored period
    // that is not in the list.
    const int index = Ctl<QComboBox>(1162)->currentIndex();
    if (index >= 0)
        m_f.period = kRecordPeriods[std::size_t(index)];
    m_f.start = std::uint32_t(Start().Value().toSecsSinceEpoch());
    m_f.atOnce = IsChecked(1178);
    return true;
}

void CVKTDetailZaznam::UpdateControls()
{
    ApplyThreePhaseRule();
    ShowPowerFactors();
    const BYTE harmonics = m_f.selection[CVKTArch::SelHarmonics];
    for (int id : {1175, 1176, 1161})
        Control(id)->setEnabled(!IsReadOnly() && harmonics != 0);
    Start().SetEnabled(!m_f.atOnce);
    ShowCapacity();
}

void CVKTDetailZaznam::ApplyThreePhaseRule()
{
    if (IsReadOnly())
        return;
    struct Power {
        int first, box3f, minMax, separate;
    };
    const Power powers[3] = {{1048, 1051, 1168, 1076}, {1052, 1055, 1170, 1077}, {1056, 1059, 1172, 0}};
    for (int k = 0; k < 3; ++k) {
        const Power& p = powers[k];
        const bool implicit = IsChecked(p.first) && IsChecked(p.first + 1) && IsChecked(p.first + 2) &&
                              !Ctl<QRadioButton>(p.minMax)->isChecked() && !(p.separate && IsChecked(p.separate));
        auto* box = Ctl<QCheckBox>(p.box3f);
        int& kept = m_kept3f[std::size_t(k)];
        if (implicit && kept < 0) {
            kept = box->isChecked() ? 1 : 0;
            box->setChecked(true);
        } else if (!implicit && kept >= 0) {
            box->setChecked(kept != 0);
            kept = -1;
        }
        box->setEnabled(!implicit);
    }
}

void CVKTDetailZaznam::ShowPowerFactors()
{
    for (int c = 0; c < 4; ++c)
        Ctl<QCheckBox>(1060 + c)->setChecked(IsChecked(1048 + c) && IsChecked(1056 + c));
}

QString CapacityText(std::int64_t memoryBytes, int recordSize, int periodSeconds)
{
    if (memoryBytes < 1)
        return QStringLiteral("--");
    const std::int64_t minutes =
        recordSize > 0 ? std::int64_t(periodSeconds) * memoryBytes / recordSize / 60 : std::int64_t(1440000);
    return QStringLiteral("%1 dnů, %2 hodin, %3 minut")
        .arg(minutes / 1440)
        .arg((minutes % 1440) / 60)
        .arg(minutes % 60);
}

void CVKTDetailZaznam::ShowCapacity()
{
    if (IsReadOnly() || !m_status) {
        Ctl<QLabel>(1181)->setText(QStringLiteral("--"));
        return;
    }
    // The record as it would be sent, packed by the same rules.
    CVKTStatus packed = *m_status;
    m_f.ToRecord(packed, nullptr);
    Ctl<QLabel>(1181)->setText(CapacityText(m_memory, packed.GetRecordSize(), m_f.period));
}

bool CVKTDetailZaznam::OnSetActive()
{
    UpdateControls();
    return true;
}

void CVKTDetailZaznam::OnReceive()
{
    auto* sheet = qobject_cast<CVKTDetail*>(GetSheet());
    if (!sheet || !m_status)
        return;
    if (ui::ShowMessageBox(this, QStringLiteral("Opravdu načíst nastavení záznamu z přístroje?"), QStringLiteral("INFO"),
                           ui::MsgButtons::YesNo, ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!sheet->ReadRecordSettings(m_status, m_notebook))
        ui::ShowMessageBox(this, QStringLiteral("Přístroj neodpovídá !"), QStringLiteral("CHYBA"), ui::MsgButtons::Ok,
                           ui::MsgIcon::Warning);
    SetData(m_status, m_notebook);
    ShowFields();
}

void CVKTDetailZaznam::OnSend()
{
    auto* sheet = qobject_cast<CVKTDetail*>(GetSheet());
    if (!sheet || !m_status)
        return;
    if (ui::ShowMessageBox(this, QStringLiteral("Opravdu odeslat nastavení záznamu do přístroje?"),
                           QStringLiteral("INFO"), ui::MsgButtons::YesNo, ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    TakeControls();
    GetData();
    if (!sheet->WriteRecordSettings(*m_status, m_notebook ? *m_notebook : CVKTNoteBook()))
        ui::ShowMessageBox(this, QStringLiteral("Přístroj neodpovídá !"), QStringLiteral("CHYBA"), ui::MsgButtons::Ok,
                           ui::MsgIcon::Warning);
}

} // namespace analysers_vkt
