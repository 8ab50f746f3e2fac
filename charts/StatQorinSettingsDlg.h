#pragma once

#include "charts/StatSettingsDlg.h"

class QSpinBox;

// Dialog 32032: the statistics settings of Qorin archives, with the
// required power factor of the instrument or one of the user's own.
class CQorinStatSettingsDlg : public CStatSettingsDlgBase {
    Q_OBJECT
public:
    explicit CQorinStatSettingsDlg(QWidget* parent = nullptr);
    void Load(const CQorinStatSettings& record);
    void Store(CQorinStatSettings& record) const;

    QLineEdit* PowerFactorEdit() const { return m_powerFactor; }
    QSpinBox* PowerFactorSteps() const { return m_steps; }

protected:
    void UpdateEnabling() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPowerFactor();
    void PowerFactorLeft();

    QLineEdit* m_powerFactor = nullptr;
    QSpinBox* m_steps = nullptr;
    QRadioButton* m_instrumentFactor = nullptr;
    QRadioButton* m_ownFactor = nullptr;
};
