#include "controllers/settings/PageBase.h"

#include "controllers/settings/SettingsReport.h"

#include "platform/ui/MessageBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include <atomic>
#include <charconv>
#include <cmath>

namespace controllers {

namespace {
std::atomic<int> g_beeps{0};
} // namespace

int BeepCount()
{
    return g_beeps.load();
}

CStepBar::CStepBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    setRange(0, 2);
    setValue(1);
    setPageStep(1);
    setFixedWidth(16);
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderSingleStepSub)
            emit lineUp();
        else if (action == QAbstractSlider::SliderSingleStepAdd)
            emit lineDown();
        // Always back in the middle: the bar only steps.
        setSliderPosition(1);
    });
}

void CCheckedEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    emit focusLeft();
}

CSettingsPage::CSettingsPage(const QString& caption, bool readOnly, QWidget* parent)
    : ui::CPropertyPage(caption, parent), m_readOnly(readOnly)
{
}

QWidget* CSettingsPage::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

QString CSettingsPage::ControlText(int id) const
{
    QWidget* w = Control(id);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* check = qobject_cast<QCheckBox*>(w))
        return check->text();
    if (auto* radio = qobject_cast<QRadioButton*>(w))
        return radio->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    return QString();
}

bool CSettingsPage::IsChecked(int id) const
{
    if (auto* check = Ctl<QAbstractButton>(id))
        return check->isChecked();
    return false;
}

bool CSettingsPage::IsEnabledCtl(int id) const
{
    QWidget* w = Control(id);
    return w && w->isEnabled();
}

QLabel* CSettingsPage::Label(int id, const QString& text)
{
    auto* label = new QLabel(text, this);
    if (id)
        label->setObjectName(QString::number(id));
    return label;
}

CCheckedEdit* CSettingsPage::Edit(int id, int width)
{
    auto* edit = new CCheckedEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setFixedWidth(width);
    return edit;
}

QCheckBox* CSettingsPage::Check(int id, const QString& text)
{
    auto* check = new QCheckBox(text, this);
    check->setObjectName(QString::number(id));
    return check;
}

QRadioButton* CSettingsPage::Radio(int id, const QString& text)
{
    auto* radio = new QRadioButton(text, this);
    radio->setObjectName(QString::number(id));
    return radio;
}

QComboBox* CSettingsPage::Combo(int id, const QStringList& items)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::number(id));
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

CStepBar* CSettingsPage::Bar(int id)
{
    auto* bar = new CStepBar(this);
    bar->setObjectName(QString::number(id));
    return bar;
}

QWidget* CSettingsPage::EditWithBar(CCheckedEdit* edit, CStepBar* bar)
{
    return Row({edit, bar});
}

QWidget* CSettingsPage::Row(std::initializer_list<QWidget*> widgets)
{
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (QWidget* w : widgets) {
        w->setParent(box);
        layout->addWidget(w);
    }
    layout->addStretch(1);
    return box;
}

void CSettingsPage::MakeReadOnly()
{
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->setReadOnly(true);
    for (QScrollBar* bar : findChildren<QScrollBar*>()) {
        if (!qobject_cast<QAbstractItemView*>(bar->parentWidget()) && qobject_cast<CStepBar*>(bar))
            bar->hide();
    }
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        combo->setAttribute(Qt::WA_TransparentForMouseEvents);
        combo->setFocusPolicy(Qt::NoFocus);
    }
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (qobject_cast<QCheckBox*>(button)) {
            button->setAttribute(Qt::WA_TransparentForMouseEvents);
            button->setFocusPolicy(Qt::NoFocus);
        }
    }
}

void CSettingsPage::SetComboIndex(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void CSettingsPage::RebuildComboItems(QComboBox* combo, const QStringList& items)
{
    const int index = combo->currentIndex();
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(items);
    SetComboIndex(combo, index);
}

QString CSettingsPage::FloatText(double value)
{
    return QString::number(value, 'g', 6);
}

QString CSettingsPage::ExactFloatText(float value)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
    return QString::fromLatin1(text, int(end - text));
}

QString CSettingsPage::PowerFactorText(double value)
{
    return QString::asprintf("%0.2f", value);
}

bool CSettingsPage::ParseFloat(const QString& text, double& value)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    t.replace(QChar(0x2212), QLatin1Char('-'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool CSettingsPage::ParseInt(const QString& text, int& value)
{
    QString t = text.trimmed();
    t.replace(QChar(0x2212), QLatin1Char('-'));
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok)
        return false;
    value = v;
    return true;
}

bool CSettingsPage::CheckRange(int id, double value, double low, double high, bool integer)
{
    if (value >= low && value <= high)
        return true;
    const QString text = integer ? QStringLiteral("Zadejte celé číslo od %1 do %2.").arg(int(low)).arg(int(high))
                                 : QStringLiteral("Zadejte číslo od %1 do %2.").arg(low).arg(high);
    ui::ShowMessageBox(this, text, QString(), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    if (QWidget* w = Control(id))
        w->setFocus();
    return false;
}

void CSettingsPage::Beep()
{
    ++g_beeps;
    QApplication::beep();
}

void CSettingsPage::SendRatioChanged()
{
    if (ui::CPropertySheet* sheet = GetSheet())
        platform::SendMessageTo(sheet, platform::WM_DETAIL_RATIO_CHANGED, 0, 0);
}

bool CSettingsPage::ReadCurrentTransformer(int& primary, int& secondary)
{
    if (!ParseInt(ControlText(1027), primary))
        primary = -1;
    if (!CheckRange(1027, primary, 1, 9950, true))
        return false;
    if (!ParseInt(ControlText(1028), secondary))
        secondary = -1;
    return CheckRange(1028, secondary, 1, 5, true);
}

void CSettingsPage::CheckStoredTransformer(int& primary, int& secondary)
{
    if (primary > 9950 || primary < 6) {
        primary = 5;
        secondary = 5;
    }
}

void CSettingsPage::AddTargetRows(QGridLayout* grid, int& row)
{
    grid->addWidget(Label(1229, QStringLiteral("Tarif 1:")), row, 1);
    grid->addWidget(Check(1025, QStringLiteral("Tarif 2:")), row++, 2);
    grid->addWidget(Label(1223, QStringLiteral("Požadovaný účiník:")), row, 0);
    grid->addWidget(EditWithBar(Edit(1032), Bar(1018)), row, 1);
    grid->addWidget(EditWithBar(Edit(1019), Bar(1020)), row++, 2);
}

void CSettingsPage::AddRegulationRows(QGridLayout* grid, int& row, const QString& timeLabel, const QStringList& times)
{
    grid->addWidget(Label(1224, QStringLiteral("Nedokompenzování")), row++, 0);
    grid->addWidget(Label(1230, timeLabel), row, 0);
    grid->addWidget(Combo(1021, times), row, 1);
    grid->addWidget(Combo(1022, times), row++, 2);
    grid->addWidget(Label(1231, QStringLiteral("lineární")), row, 0);
    grid->addWidget(Check(1016), row, 1);
    grid->addWidget(Check(1017), row++, 2);
    grid->addWidget(Label(1225, QStringLiteral("Překompenzování")), row++, 0);
    grid->addWidget(Label(1232, timeLabel), row, 0);
    grid->addWidget(Combo(1023, times), row, 1);
    grid->addWidget(Combo(1024, times), row++, 2);
    grid->addWidget(Label(1233, QStringLiteral("lineární")), row, 0);
    grid->addWidget(Check(1034), row, 1);
    grid->addWidget(Check(1035), row++, 2);
}

void CSettingsPage::AddTransformerRow(QGridLayout* grid, int& row)
{
    grid->addWidget(Label(1226, QStringLiteral("Převod MTP [A]:")), row, 0);
    grid->addWidget(Row({Edit(1027), new QLabel(QStringLiteral("/")), Edit(1028, 30), Bar(1029)}), row++, 1, 1, 2);
}

void CSettingsPage::ConnectCurrentTransformer(int& secondary, std::function<bool(bool)> exchange)
{
    auto toggle = [this, &secondary, exchange] {
        exchange(true);
        secondary = secondary == 5 ? 1 : 5;
        exchange(false);
        SendRatioChanged();
    };
    connect(Ctl<CStepBar>(1029), &CStepBar::lineUp, this, toggle);
    connect(Ctl<CStepBar>(1029), &CStepBar::lineDown, this, toggle);
    connect(Ctl<CCheckedEdit>(1028), &CCheckedEdit::focusLeft, this, [this, &secondary] {
        int v = 0;
        ParseInt(ControlText(1028), v);
        if (v != 1 && v != 5) {
            Ctl<QLineEdit>(1028)->setText(QStringLiteral("5"));
            Beep();
        }
        const int before = secondary;
        secondary = ControlText(1028).toInt();
        // Focus leaves this edit also when a message about the primary edit
        // sends it back there; recomputing then would check the primary
        // again and repeat that message.
        if (secondary != before)
            SendRatioChanged();
    });
    connect(Ctl<CCheckedEdit>(1027), &CCheckedEdit::focusLeft, this, [this, exchange] {
        if (exchange(true))
            SendRatioChanged();
    });
}

QStringList CSettingsPage::NumberItems(int from, int to)
{
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i);
    return items;
}

void AddTariffReport(CSettingsReport& report, const CSettingsPage& data, int target, int under, int underCheck,
                     int over, int overCheck)
{
    auto withLinear = [&data](int combo, int check, int label) {
        QString text = data.ControlText(combo);
        if (data.IsEnabledCtl(check) && data.IsChecked(check))
            text += QStringLiteral(" - ") + data.ControlText(label);
        return text;
    };
    report.Pair(1, data.ControlText(1223), data.ControlText(target));
    report.Text(1, data.ControlText(1224));
    report.Pair(2, data.ControlText(1230), withLinear(under, underCheck, 1231));
    report.Text(1, data.ControlText(1225));
    report.Pair(2, data.ControlText(1232), withLinear(over, overCheck, 1233));
}

} // namespace controllers
