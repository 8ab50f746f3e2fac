#include "analysers_vk/VKDetailZaznam.h"

#include "analysers_vk/VKDetail.h"
#include "model/VKNoteBook.h"
#include "model/VKStatus.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr int kGroupIds[] = {1027, 1026, 1028, 1029}; // "Sudé", "Liché" of rows 1 and 2
constexpr int kNoteChars = 31;

// The harmonic orders (k = order - 2) a group button stands for.
std::vector<int> GroupOrders(int id)
{
    const int first = id == 1027 ? 2 : id == 1026 ? 3 : id == 1028 ? 14 : 15;
    std::vector<int> ks;
    for (int order = first; ks.size() < 6; order += 2)
        ks.push_back(order - 2);
    return ks;
}

QDateTime ToDateTime(platform::CTime t)
{
    return QDateTime::fromSecsSinceEpoch(qint64(t.GetTime()));
}

// The notes list rules its cells off like the instrument's other lists, so a
// long note is read against its quantity.
class GridLines : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
};

} // namespace

StartPickers::StartPickers(QWidget* page, int timeId, int dateId, bool readOnly)
    : time(new QDateTimeEdit(page)), date(new QDateTimeEdit(page))
{
    time->setObjectName(QString::number(timeId));
    time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    date->setObjectName(QString::number(dateId));
    date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date->setCalendarPopup(true);
    if (readOnly) {
        time->setReadOnly(true);
        date->setReadOnly(true);
        return;
    }
    QDateTimeEdit* t = time;
    QDateTimeEdit* d = date;
    QObject::connect(t, &QDateTimeEdit::editingFinished, page, [t, d] {
        const QDateTime start(d->date(), t->time());
        t->setDateTime(start);
        d->setDateTime(start);
    });
    QObject::connect(d, &QDateTimeEdit::dateChanged, page, [t, d] { t->setDateTime(d->dateTime()); });
}

StartPickers::StartPickers(const QWidget* page, int timeId, int dateId)
    : time(page->findChild<QDateTimeEdit*>(QString::number(timeId))),
      date(page->findChild<QDateTimeEdit*>(QString::number(dateId)))
{
}

void StartPickers::Show(const QDateTime& start) const
{
    time->setDateTime(start);
    date->setDateTime(start);
}

QDateTime StartPickers::Value() const
{
    return QDateTime(date->date(), time->time());
}

QString StartPickers::Text() const
{
    return time->text() + QStringLiteral("  ") + date->text();
}

void StartPickers::SetEnabled(bool enabled) const
{
    time->setEnabled(enabled);
    date->setEnabled(enabled);
}

CVKDetailZaznam::CVKDetailZaznam(bool readOnly, QWidget* parent)
    : controllers::CSettingsPage(QStringLiteral("Nastavení záznamů"), readOnly, parent)
{
    ui::SetHelpId(this, 189);
    Build();
}

void CVKDetailZaznam::Build()
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto add = [&](const QString& label, QWidget* w) {
        grid->addWidget(Label(0, label), row, 0);
        grid->addWidget(w, row, 1, 1, 3);
        ++row;
    };
    auto* name = Edit(1017, 200);
    name->setMaxLength(kNoteChars);
    add(QStringLiteral("Název záznamu:"), name);
    const StartPickers start(this, 1098, 1099, IsReadOnly());
    add(QStringLiteral("Start. čas"), Row({start.time, start.date, Check(1100, QStringLiteral("Ihned"))}));
    add(QStringLiteral("Perioda záznamu:"), Row({Combo(1230, PeriodItems()), Check(1101, QStringLiteral("Cyklický záznam"))}));
    add(QStringLiteral("Vzorkovat dle:"), Combo(1231, SamplingItems()));
    const QStringList values = StoredValueItems(0, 0);
    add(QStringLiteral("Napětí:"), Row({Combo(1232, NumberItems(0, 3)), Combo(1233, values)}));
    add(QStringLiteral("Proud:"), Row({Combo(1234, NumberItems(0, 3)), Combo(1222, values)}));
    add(QStringLiteral("PF:"), Row({Combo(1236, {"ne", "PF", "cos"}), Combo(1224, values)}));
    add(QStringLiteral("Frek.:"), Row({Combo(1235, {"ne", "ano"}), Combo(1223, values)}));
    add(QStringLiteral("Teplota:"), Row({Combo(1237, {"ne", "ano"}), Combo(1225, values)}));
    add(QStringLiteral("Typ výkonu:"), Combo(1226, {QStringLiteral("Činný"), QStringLiteral("Jalový"), QStringLiteral("Zdánlivý")}));
    add(QStringLiteral("Počet prům. výkonů:"),
        Row({Combo(1227, {QStringLiteral("žadný"), QStringLiteral("1 fázový"), QStringLiteral("2 fázové"),
                          QStringLiteral("3 fázové"), QStringLiteral("1 3-fázový")}),
             Check(1102, QStringLiteral("Zvlášť import/export"))}));
    const QStringList modes{QStringLiteral("ne"), QStringLiteral("ve fázi 1"), QStringLiteral("ve fázích 1,2,3")};
    add(QStringLiteral("THD + Harmonické U:"), Combo(1228, modes));
    add(QStringLiteral("THD + Harmonické I:"), Combo(1221, modes));
    add(QStringLiteral("Záznam :"), Combo(1238, {QStringLiteral("úroveň"), QStringLiteral("spektrum")}));
    grid->addWidget(Label(1254, QStringLiteral("Počet zaznamenávaných harmonických:")), row, 0);
    grid->addWidget(Edit(1018), row++, 1);
    auto* harmonics = new QWidget(this);
    auto* hg = new QGridLayout(harmonics);
    hg->setContentsMargins(0, 0, 0, 0);
    hg->setSpacing(1);
    for (int r = 0; r < 2; ++r) {
        auto* even = Check(r == 0 ? 1027 : 1028, QStringLiteral("Sudé"));
        auto* odd = Check(r == 0 ? 1026 : 1029, QStringLiteral("Liché"));
        even->setParent(harmonics);
        odd->setParent(harmonics);
        hg->addWidget(even, r * 2, 0);
        hg->addWidget(odd, r * 2 + 1, 0);
    }
    for (int k = 0; k < 24; ++k) {
        auto* c = Check(1030 + k, QStringLiteral("%1.").arg(k + 2));
        c->setParent(harmonics);
        const int order = k + 2;
        const int r = (order <= 13 ? 0 : 2) + (order % 2 == 0 ? 0 : 1);
        const int col = order <= 13 ? (order - 2) / 2 + 1 : (order - 14) / 2 + 1;
        hg->addWidget(c, r, col);
    }
    grid->addWidget(harmonics, row++, 0, 1, 4);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("1229"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("vel."), QStringLiteral("poznámka")});
    m_list->setRootIsDecorated(false);
    m_list->setItemDelegate(new GridLines(m_list));
    m_list->setColumnWidth(0, 50);
    m_list->setColumnWidth(1, 250);
    m_list->setMinimumHeight(120);
    grid->addWidget(m_list, 0, 4, row, 1);
    add(QStringLiteral("Kapacita paměti:"), Label(1181, QStringLiteral("--")));
    auto* receive = new QPushButton(QStringLiteral("Přijmi"), this);
    receive->setObjectName(QStringLiteral("1241"));
    auto* send = new QPushButton(QStringLiteral("Vyšli"), this);
    send->setObjectName(QStringLiteral("1240"));
    grid->addWidget(Row({receive, send}), row++, 0, 1, 4);
    grid->setRowStretch(row, 1);

    if (IsReadOnly()) {
        m_list->hide();
        for (int id : kGroupIds)
            Control(id)->hide();
        receive->setEnabled(false);
        send->setEnabled(false);
        MakeReadOnly();
        return;
    }
    connect(receive, &QPushButton::clicked, this, &CVKDetailZaznam::OnReceive);
    connect(send, &QPushButton::clicked, this, &CVKDetailZaznam::OnSend);
    for (int id : {1232, 1234, 1236, 1235, 1237, 1227})
        connect(Ctl<QComboBox>(id), &QComboBox::activated, this, [this] { OnChoiceChanged(); });
    for (int id : {1221, 1228, 1238})
        connect(Ctl<QComboBox>(id), &QComboBox::activated, this, [this] {
            TakeControls();
            UpdateControls();
            ShowCapacity();
        });
    connect(Ctl<QComboBox>(1231), &QComboBox::activated, this, [this](int basis) {
        // The rule moves the choices from the basis they were made under, so
        // the combo's new index must not reach the fields before it runs.
        const int old = m_f.sampling;
        TakeControls();
        m_f.sampling = old;
        ApplySamplingRule(basis, true);
        ShowCapacity();
    });
    connect(Ctl<QCheckBox>(1100), &QCheckBox::clicked, this, [this] {
        TakeControls();
        UpdateControls();
    });
    connect(Ctl<QComboBox>(1226), &QComboBox::activated, this, [this] {
        TakeControls();
        ShowCapacity();
    });
    connect(Ctl<QComboBox>(1230), &QComboBox::activated, this, [this] {
        TakeControls();
        ShowCapacity();
    });
    connect(Ctl<QCheckBox>(1102), &QCheckBox::clicked, this, [this] {
        TakeControls();
        ShowCapacity();
    });
    for (int id : kGroupIds)
        connect(Ctl<QCheckBox>(id), &QCheckBox::clicked, this, [this, id] { OnGroupClicked(id); });
    for (int k = 0; k < 24; ++k)
        connect(Ctl<QCheckBox>(1030 + k), &QCheckBox::clicked, this, [this] {
            TakeControls();
            SetGroupButtons();
            ShowCapacity();
        });
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column != 1)
            return;
        SetNote(item->data(0, Qt::UserRole).toInt(), item->text(1));
    });
}

void CVKDetailZaznam::SetNote(int slot, const QString& note)
{
    if (slot < 0 || slot >= 14)
        return;
    m_notes[std::size_t(slot)] = note.left(kNoteChars);
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toInt() == slot && item->text(1) != m_notes[std::size_t(slot)]) {
            const QSignalBlocker block(m_list);
            item->setText(1, m_notes[std::size_t(slot)]);
        }
    }
}

void CVKDetailZaznam::SetData(CVKStatus* status, CVKNoteBook* notebook, CIden* iden)
{
    m_status = status;
    m_notebook = IsReadOnly() ? nullptr : notebook;
    m_iden = iden;
    if (m_status)
        m_f.FromRecord(*m_status, m_notebook);
}

void CVKDetailZaznam::GetData()
{
    if (!m_status || IsReadOnly())
        return;
    m_f.ToRecord(*m_status, m_notebook);
    CopyNotesBack();
}

void CVKDetailZaznam::CopyNotesBack()
{
    if (!m_notebook)
        return;
    int entry = 0;
    for (int slot : m_f.Slots())
        m_notebook->SetLine(entry++, m_notes[std::size_t(slot)]);
    for (; entry < 14; ++entry)
        m_notebook->SetLine(entry, QString());
}

void CVKDetailZaznam::FillQuantityList()
{
    m_present.fill(false);
    std::array<QString, 14> notes;
    int entry = 0;
    for (int slot : m_f.Slots()) {
        m_present[std::size_t(slot)] = true;
        notes[std::size_t(slot)] = m_notebook ? m_notebook->GetLine(entry).left(kNoteChars) : QString();
        ++entry;
    }
    m_notes = notes;
}

void CVKDetailZaznam::AddMissingRows()
{
    std::array<bool, 14> wanted{};
    for (int slot : m_f.Slots())
        wanted[std::size_t(slot)] = true;
    for (std::size_t s = 0; s < wanted.size(); ++s) {
        if (!wanted[s])
            m_notes[s].clear();
        m_present[s] = wanted[s];
    }
}

void CVKDetailZaznam::RebuildList()
{
    const QSignalBlocker block(m_list);
    m_list->clear();
    for (int slot = 0; slot < 14; ++slot) {
        if (!m_present[std::size_t(slot)])
            continue;
        auto* item = new QTreeWidgetItem(m_list, {m_f.Caption(slot), m_notes[std::size_t(slot)]});
        item->setData(0, Qt::UserRole, slot);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
}

void CVKDetailZaznam::OnChoiceChanged()
{
    TakeControls();
    AddMissingRows();
    RebuildList();
    UpdateControls();
    ShowCapacity();
}

void CVKDetailZaznam::ShowFields()
{
    Ctl<QLineEdit>(1017)->setText(m_f.name);
    StartPickers(this, 1098, 1099).Show(ToDateTime(m_f.start));
    Ctl<QCheckBox>(1100)->setChecked(m_f.atOnce);
    SetComboIndex(Ctl<QComboBox>(1230), m_f.period);
    Ctl<QCheckBox>(1101)->setChecked(m_f.cyclic);
    SetComboIndex(Ctl<QComboBox>(1231), m_f.sampling);
    RebuildComboItems(Ctl<QComboBox>(1233), StoredValueItems(m_f.sampling, 0));
    RebuildComboItems(Ctl<QComboBox>(1222), StoredValueItems(m_f.sampling, 1));
    RebuildComboItems(Ctl<QComboBox>(1224), StoredValueItems(m_f.sampling, 2));
    SetComboIndex(Ctl<QComboBox>(1232), m_f.uCount);
    SetComboIndex(Ctl<QComboBox>(1233), m_f.uChoice);
    SetComboIndex(Ctl<QComboBox>(1234), m_f.iCount);
    SetComboIndex(Ctl<QComboBox>(1222), m_f.iChoice);
    SetComboIndex(Ctl<QComboBox>(1236), m_f.pfKind);
    SetComboIndex(Ctl<QComboBox>(1224), m_f.pfChoice);
    SetComboIndex(Ctl<QComboBox>(1235), m_f.freq);
    SetComboIndex(Ctl<QComboBox>(1223), m_f.freqChoice);
    SetComboIndex(Ctl<QComboBox>(1237), m_f.temp);
    SetComboIndex(Ctl<QComboBox>(1225), m_f.tempChoice);
    SetComboIndex(Ctl<QComboBox>(1226), m_f.powerType);
    SetComboIndex(Ctl<QComboBox>(1227), m_f.powers);
    Ctl<QCheckBox>(1102)->setChecked(m_f.apart);
    SetComboIndex(Ctl<QComboBox>(1228), m_f.hU);
    SetComboIndex(Ctl<QComboBox>(1221), m_f.hI);
    SetComboIndex(Ctl<QComboBox>(1238), m_f.kind);
    Ctl<QLineEdit>(1018)->setText(QString::number(m_f.harmonicsCount));
    for (int k = 0; k < 24; ++k)
        Ctl<QCheckBox>(1030 + k)->setChecked(m_f.harmonics[std::size_t(k)]);
    SetGroupButtons();
    UpdateControls();
    ShowCapacity();
}

bool CVKDetailZaznam::TakeControls()
{
    VKRecordFields f = m_f;
    f.name = ControlText(1017).left(kNoteChars);
    const QDateTime start = StartPickers(this, 1098, 1099).Value();
    f.start = platform::CTime(platform::CTime::time_type(std::clamp<qint64>(start.toSecsSinceEpoch(), 0, 0xFFFFFFFEll)));
    f.atOnce = IsChecked(1100);
    f.period = Ctl<QComboBox>(1230)->currentIndex();
    f.cyclic = IsChecked(1101);
    auto index = [this](int id, int& field) {
        const int i = Ctl<QComboBox>(id)->currentIndex();
        if (i >= 0)
            field = i;
    };
    index(1231, f.sampling);
    index(1232, f.uCount);
    index(1233, f.uChoice);
    index(1234, f.iCount);
    index(1222, f.iChoice);
    index(1236, f.pfKind);
    index(1224, f.pfChoice);
    index(1235, f.freq);
    index(1223, f.freqChoice);
    index(1237, f.temp);
    index(1225, f.tempChoice);
    index(1226, f.powerType);
    index(1227, f.powers);
    f.apart = IsChecked(1102);
    index(1228, f.hU);
    index(1221, f.hI);
    index(1238, f.kind);
    for (int k = 0; k < 24; ++k)
        f.harmonics[std::size_t(k)] = IsChecked(1030 + k);
    bool valid = true;
    if (f.kind == 1 && (f.hU != 0 || f.hI != 0)) {
        int n = -1;
        if (!ParseInt(ControlText(1018), n))
            n = -1;
        // A refused count keeps its old value; the rest is taken all the same.
        valid = CheckRange(1018, n, 0, 24, true);
        if (valid)
            f.harmonicsCount = n;
    }
    m_f = f;
    return valid;
}

void CVKDetailZaznam::ApplySamplingRule(int nb, bool moveChoices)
{
    const int old = m_f.sampling;
    VKRecordFields& f = m_f;
    auto down = [](int& choice) {
        choice -= 1;
        if (choice < 0 || choice > 1)
            choice = 0;
    };
    if (moveChoices && nb != old && nb >= 0) {
        if (nb == 0) {
            if (old == 1) {
                f.uChoice += 1;
                f.iChoice = f.pfChoice = 3;
            } else if (old == 2) {
                f.iChoice += 1;
                f.uChoice = f.pfChoice = 3;
            } else if (old >= 3) {
                f.pfChoice += 1;
                f.uChoice = f.iChoice = 3;
            }
        } else if (nb == 1) {
            f.iChoice = f.pfChoice = 0;
            if (old == 0)
                down(f.uChoice);
        } else if (nb == 2) {
            f.uChoice = f.pfChoice = 0;
            if (old == 0)
                down(f.iChoice);
        } else {
            f.uChoice = f.iChoice = 0;
            if (old == 0)
                down(f.pfChoice);
        }
    }
    if (nb >= 0)
        f.sampling = nb;
    ShowFields();
}

void CVKDetailZaznam::SetGroupButtons()
{
    for (int id : kGroupIds) {
        int on = 0;
        for (int k : GroupOrders(id))
            on += IsChecked(1030 + k) ? 1 : 0;
        auto* button = Ctl<QCheckBox>(id);
        button->setTristate(true);
        const Qt::CheckState state = on == 6 ? Qt::Checked : on == 0 ? Qt::Unchecked : Qt::PartiallyChecked;
        button->setCheckState(state);
        button->setProperty("shownState", int(state));
    }
}

void CVKDetailZaznam::OnGroupClicked(int id)
{
    // A three-state button goes from unchecked to checked and from the
    // other two states to unchecked; only the first checks the group.
    const bool all = Ctl<QCheckBox>(id)->property("shownState").toInt() == int(Qt::Unchecked);
    for (int k : GroupOrders(id))
        Ctl<QCheckBox>(1030 + k)->setChecked(all);
    TakeControls();
    SetGroupButtons();
    ShowCapacity();
}

void CVKDetailZaznam::UpdateControls()
{
    auto enable = [this](int id, bool on) {
        if (QWidget* w = Control(id))
            w->setEnabled(on);
    };
    const bool immediate = m_f.atOnce;
    StartPickers(this, 1098, 1099).SetEnabled(!immediate || IsReadOnly());
    enable(1233, m_f.uCount != 0);
    enable(1222, m_f.iCount != 0);
    enable(1223, m_f.freq != 0);
    enable(1225, m_f.temp != 0);
    enable(1224, m_f.pfKind != 0);
    enable(1102, m_f.powers != 0);
    const bool harmonics = m_f.hU != 0 || m_f.hI != 0;
    const bool level = harmonics && m_f.kind == 0;
    const bool spectrum = harmonics && m_f.kind == 1;
    for (int id = 1030; id <= 1053; ++id)
        Control(id)->setVisible(level);
    for (int id : kGroupIds)
        Control(id)->setVisible(level && !IsReadOnly());
    Control(1254)->setVisible(spectrum);
    Control(1018)->setVisible(spectrum);
}

void CVKDetailZaznam::ShowCapacity()
{
    if (IsReadOnly())
        return;
    Ctl<QLabel>(1181)->setText(CapacityText(m_f.period, m_memory, m_f.RecordSize()));
}

bool CVKDetailZaznam::OnSetActive()
{
    if (!IsReadOnly())
        SetModified(true);
    ShowFields();
    if (!IsInitialised() || m_list->topLevelItemCount() == 0) {
        FillQuantityList();
        RebuildList();
    }
    return true;
}

void CVKDetailZaznam::OnReceive()
{
    auto* sheet = qobject_cast<CVKDetail*>(GetSheet());
    if (!sheet || !m_status)
        return;
    if (ui::InfoBox(this, QStringLiteral("Opravdu načíst nastavení záznamu z přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!sheet->ReadArchSettings(m_status, m_notebook, m_iden))
        ui::ErrorBox(this, QStringLiteral("Přístroj neodpovídá !"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    SetMemorySize(sheet->MemorySize());
    SetData(m_status, m_notebook, m_iden);
    FillQuantityList();
    RebuildList();
    ShowFields();
}

void CVKDetailZaznam::OnSend()
{
    auto* sheet = qobject_cast<CVKDetail*>(GetSheet());
    if (!sheet || !m_status)
        return;
    if (ui::InfoBox(this, QStringLiteral("Opravdu odeslat nastavení záznamu do přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!TakeControls())
        return;
    GetData();
    if (!sheet->WriteArchSettings(*m_status, m_notebook ? *m_notebook : CVKNoteBook()))
        ui::ErrorBox(this, QStringLiteral("Přístroj neodpovídá !"), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

} // namespace analysers_vk
