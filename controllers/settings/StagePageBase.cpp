#include "controllers/settings/StagePageBase.h"

#include "controllers/settings/SettingsConvert.h"
#include "model/QorinConfig.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace controllers {

namespace {

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kLightBlue(0xA8, 0xD2, 0xFD);
const QColor kLightGreen(0xBC, 0xFB, 0xAA);
const QColor kGrey(0xD2, 0xD2, 0xD2);
const QColor kDarkGrey(0x50, 0x50, 0x50);

QString IconText(int icon)
{
    switch (icon) {
    case 157: return QStringLiteral("zap.");
    case 158: return QStringLiteral("vyp.");
    case 159: return QStringLiteral("L");
    case 160: return QStringLiteral("C");
    case 176: return QStringLiteral("--");
    case 318: return QStringLiteral("chl.");
    case 319: return QStringLiteral("top.");
    default: return QString();
    }
}

} // namespace

CStagePageBase::CStagePageBase(const QString& caption, bool readOnly, QWidget* parent)
    : CSettingsPage(caption, readOnly, parent)
{
}

void CStagePageBase::BuildStageRows(QGridLayout* grid, int row, int column)
{
    for (int i = 0; i < kStages; ++i) {
        grid->addWidget(Label(1407 + i, QString::number(i + 1)), row + i, column);
        auto* button = new QPushButton(this);
        button->setObjectName(QString::number(1100 + i));
        button->setFixedWidth(48);
        m_buttons[i] = button;
        grid->addWidget(button, row + i, column + 1);
        grid->addWidget(Edit(1140 + i, 70), row + i, column + 2);
        grid->addWidget(Label(1080 + i, QStringLiteral("A")), row + i, column + 3);
    }
}

void CStagePageBase::ConnectStageControls()
{
    for (int i = 0; i < kStages; ++i) {
        if (IsReadOnly()) {
            m_buttons[i]->setEnabled(false);
            continue;
        }
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i] { OnStageButton(i); });
        connect(Ctl<CCheckedEdit>(1140 + i), &CCheckedEdit::focusLeft, this, [this, i] { OnStageValueChanged(i); });
    }
    if (IsReadOnly())
        return;
    connect(Ctl<QComboBox>(1059), qOverload<int>(&QComboBox::activated), this, [this] { OnProgramChanged(); });
    connect(Ctl<QComboBox>(1034), qOverload<int>(&QComboBox::activated), this, [this] {
        OnProgramChanged();
    });
    connect(Ctl<CCheckedEdit>(1033), &CCheckedEdit::focusLeft, this, [this] { OnProgramChanged(); });
}

double CStagePageBase::NoStage() const
{
    return convert::kNoStageAmps * m_factor;
}

bool CStagePageBase::WithinBound(double size) const
{
    const double bound = convert::kStageBoundAmps * m_factor;
    return size >= -bound && size <= bound;
}

int CStagePageBase::GetStageState(int stage) const
{
    const double s = m_size[stage];
    if (m_reg[stage]) {
        if (!WithinBound(s))
            return -1;
        return s < 0 ? 1 : 2;
    }
    if (m_off[stage])
        return s >= 0 ? 3 : 5;
    return s >= 0 ? 4 : 6;
}

int CStagePageBase::StageIcon(int stage) const
{
    if (!m_reg[stage])
        return m_off[stage] ? 158 : 157;
    if (!WithinBound(m_size[stage]))
        return 176;
    if (IsReadOnly() && AutoOff() && m_program >= 0) {
        // The archive page shows the stages past the programmed count as
        // without a value, by the same first stage as the editable page.
        const int last = FirstProgrammed() + m_capIndex;
        if (stage > last)
            return 176;
    }
    return m_size[stage] >= 0 ? 160 : 159;
}

int CStagePageBase::ButtonIcon(int stage) const
{
    return m_buttons[stage]->property("stageIcon").toInt();
}

QColor CStagePageBase::SizeBackground(int stage, QColor& text) const
{
    const double s = m_size[stage];
    if (m_reg[stage] && WithinBound(s) && s != 0) {
        text = Qt::black;
        return s >= 0 ? kLightGreen : kLightBlue;
    }
    text = kDarkGrey;
    return kGrey;
}

void CStagePageBase::PaintSizeEdits()
{
    for (int i = 0; i < kStages; ++i) {
        auto* edit = Ctl<QLineEdit>(1140 + i);
        QColor text;
        const QColor back = SizeBackground(i, text);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, back);
        pal.setColor(QPalette::Text, text);
        edit->setPalette(pal);
    }
}

void CStagePageBase::ShowSizes()
{
    for (int i = 0; i < kStages; ++i) {
        if (!WithinBound(m_size[i]))
            m_size[i] = NoStage();
        Ctl<QLineEdit>(1140 + i)->setText(WithinBound(m_size[i]) ? FloatText(m_size[i]) : QStringLiteral("--"));
    }
}

bool CStagePageBase::UpdateData(bool save)
{
    if (!save) {
        ShowSizes();
        SetComboIndex(Ctl<QComboBox>(1059), m_program);
        SetComboIndex(Ctl<QComboBox>(1034), m_capIndex);
        Ctl<QLineEdit>(1033)->setText(FloatText(m_ck));
        ExchangeExtras(false);
        PaintSizeEdits();
        return true;
    }
    for (int i = 0; i < kStages; ++i) {
        auto* edit = Ctl<QLineEdit>(1140 + i);
        if (!edit->isEnabled() && !IsReadOnly())
            continue;
        const QString text = edit->text().trimmed();
        if (text.startsWith(QStringLiteral("--"))) {
            m_size[i] = NoStage();
            continue;
        }
        double v = 0;
        if (!ParseFloat(text, v) || !WithinBound(v)) {
            ui::ErrorBox(this, platform::LoadString(platform::IDS_VALUE_OUT_OF_RANGE), ui::MsgButtons::Ok,
                         ui::MsgIcon::Warning);
            m_size[i] = NoStage();
            edit->setText(QStringLiteral("--"));
            edit->setFocus();
            return false;
        }
        m_size[i] = v;
    }
    if (!TakeCk())
        return false;
    m_program = Ctl<QComboBox>(1059)->currentIndex();
    m_capIndex = Ctl<QComboBox>(1034)->currentIndex();
    ExchangeExtras(true);
    return true;
}

double CStagePageBase::HeldCk(double ck) const
{
    // The record keeps whole hundredths of a secondary ampere: the stage
    // sizes derived from C/k, and the edit, follow what the controller will
    // read back rather than the digits typed.
    if (m_factor <= 0)
        return ck;
    CConfig record;
    record.SetCk(float(ck / m_factor));
    return double(record.GetCk()) * m_factor;
}

bool CStagePageBase::TakeCk()
{
    double ck = m_ck;
    if (!ParseFloat(ControlText(1033), ck))
        return true;
    // The record keeps C/k as hundredths of a secondary ampere from 0.01 to
    // 2.00; a value beyond would be sent cut to the byte and read back as
    // something else than the user typed.
    const double low = convert::kCkMinAmps * m_factor;
    const double high = convert::kCkMaxAmps * m_factor;
    const double slack = 1e-6 * std::max(1.0, high);
    if (IsReadOnly() || !Control(1033)->isEnabled() || (ck >= low - slack && ck <= high + slack)) {
        m_ck = HeldCk(ck);
        return true;
    }
    ui::ErrorBox(this, platform::LoadString(platform::IDS_VALUE_OUT_OF_RANGE), ui::MsgButtons::Ok,
                 ui::MsgIcon::Warning);
    Ctl<QLineEdit>(1033)->setText(FloatText(m_ck));
    Control(1033)->setFocus();
    return false;
}

void CStagePageBase::ApplyProgram(int stage)
{
    const int k = stage - FirstProgrammed();
    const auto m = convert::ProgramMultipliers(m_program);
    double size = m[std::size_t(std::clamp(k, 0, 4))] * m_ck;
    const double bound = convert::kStageBoundAmps * m_factor;
    if (size > bound)
        size = bound;
    m_size[stage] = size;
}

void CStagePageBase::OnProgramChanged()
{
    if (!UpdateData(true))
        return;
    if (m_program >= 0) {
        for (int i = FirstProgrammed(); i < m_stageCount; ++i) {
            if (i <= FirstProgrammed() + m_capIndex)
                ApplyProgram(i);
            else
                m_size[i] = NoStage();
        }
    }
    UpdateData(false);
    RefreshControls(5);
}

void CStagePageBase::OnStageValueChanged(int stage)
{
    const double before = m_size[stage];
    auto* edit = Ctl<QLineEdit>(1140 + stage);
    double typed = 0;
    if (RejectsChoke(stage) && ParseFloat(edit->text(), typed) && typed < 0 && typed != before) {
        m_size[stage] = typed;
        ui::ErrorBox(this, platform::LoadString(platform::IDS_NO_REACTORS_ON_TRANSISTOR), ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        edit->setFocus();
        return;
    }
    if (!UpdateData(true))
        return;
    if (m_size[stage] != before) {
        m_program = -1;
        UpdateData(false);
    }
    RefreshControls(5);
    PaintSizeEdits();
}

void CStagePageBase::OnStageButton(int stage)
{
    if (m_reg[stage]) {
        m_reg[stage] = FALSE;
        m_off[stage] = FALSE;
    } else if (m_off[stage]) {
        m_reg[stage] = TRUE;
    } else {
        m_off[stage] = TRUE;
    }
    RefreshControls(7);
    PaintSizeEdits();
}

void CStagePageBase::RefreshControls(int mask)
{
    if (mask & 1) {
        for (int i = 0; i < kStages; ++i) {
            m_buttons[i]->setEnabled(!IsReadOnly() && !(m_sixStage && i >= 6));
            const int icon = StageIcon(i);
            m_buttons[i]->setProperty("stageIcon", icon);
            m_buttons[i]->setText(IconText(icon));
        }
    }
    if (mask & 2) {
        if (m_sixStage) {
            for (int i = 6; i < kStages; ++i) {
                m_size[i] = NoStage();
                Ctl<QLineEdit>(1140 + i)->setText(QStringLiteral("--"));
                Control(1140 + i)->setEnabled(false);
            }
        }
    }
    if ((mask & 4) && !IsReadOnly()) {
        Control(1059)->setEnabled(AutoOff());
        Control(1033)->setEnabled(AutoOff() && m_program >= 0);
        Control(1034)->setEnabled(AutoOff() && m_program >= 0);
    }
    RefreshExtras(mask);
    PaintSizeEdits();
}

void CStagePageBase::RebuildCountList()
{
    const int n = std::max(1, m_stageCount - FirstProgrammed());
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QString::number(i);
    auto* combo = Ctl<QComboBox>(1034);
    RebuildComboItems(combo, items);
    if (m_capIndex >= n)
        m_capIndex = n - 1;
    SetComboIndex(combo, m_capIndex);
}

bool CStagePageBase::OnSetActive()
{
    UpdateData(false);
    RebuildCountList();
    RefreshControls(7);
    return true;
}

void CStagePageBase::AttachStages(const CConfig& config, const BOOL* offOverride)
{
    BOOL reg[kStages], off[kStages];
    float secondary[kStages];
    config.GetStageFlagsA(reg);
    config.GetStageFlagsB(off);
    config.GetStageCurrents(secondary);
    const int programByte = config.switchingProgram;
    for (int i = 0; i < kStages; ++i) {
        m_reg[i] = reg[i];
        m_off[i] = offOverride ? offOverride[i] : off[i];
        m_size[i] = double(secondary[i]) * m_factor;
        if (!WithinBound(m_size[i]))
            m_size[i] = NoStage();
    }
    m_program = programByte - 1;
    if (m_program > 11)
        m_program = -1;
    m_ck = double(config.GetCk()) * m_factor;
    const int limit = std::max(1, m_stageCount - FirstProgrammed()) - 1;
    m_capIndex = int(std::min(unsigned(config.GetCapacitorCount() - 1), unsigned(limit)));
    if (programByte != 0) {
        for (int i = FirstProgrammed() + m_capIndex + 1; i < m_stageCount; ++i)
            m_size[i] = NoStage();
    }
    if (m_sixStage) {
        for (int i = 6; i < kStages; ++i)
            m_size[i] = NoStage();
    }
    UpdateData(false);
    RebuildCountList();
    RefreshControls(7);
}

void CStagePageBase::StoreStages(CConfig& config)
{
    float secondary[kStages];
    for (int i = 0; i < kStages; ++i) {
        const double s = m_size[i];
        const double sign = s > 0 ? 1.0 : (s < 0 ? -1.0 : 0.0);
        secondary[i] = m_factor > 0 ? float(s / m_factor + 0.000125 * sign) : 0.0f;
    }
    config.SetStageFlagsA(m_reg);
    config.SetStageFlagsB(m_off);
    config.SetStageCurrents(secondary);
    const int program = m_program + 1;
    config.switchingProgram = BYTE(program > 12 || program < 0 ? 0 : program);
    config.SetCk(m_factor > 0 ? float(m_ck / m_factor) : 0.0f);
    config.SetCapacitorCount(m_capIndex + 1, 0);
    // The page shows what the record now holds.
    config.GetStageCurrents(secondary);
    for (int i = 0; i < kStages; ++i)
        m_size[i] = double(secondary[i]) * m_factor;
    UpdateData(false);
}

} // namespace controllers
