#pragma once

#include "charts/StatSettingsMath.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

// What the statistics settings dialogs share: the two sliding windows, the
// nominal voltage typed line to neutral or line to line, the power and the
// current derived from them. Controls are named by their dialog ids.
class CStatSettingsDlgBase : public QDialog {
    Q_OBJECT
public:
    const statsettings::CFields& Fields() const { return m_fields; }
    // OK: only with every number in its range.
    void accept() override;

protected:
    CStatSettingsDlgBase(QWidget* parent, bool qorin, const QString& windowPLabel, const QString& windowUILabel);

    // Members into the controls, and back (false with the range message
    // when a number is out of range; `quiet` while the user types).
    void ShowFields();
    bool ReadFields(bool quiet);
    virtual void UpdateEnabling();
    void showEvent(QShowEvent* event) override;

    void AddButtons();
    static QLineEdit* Edit(QWidget* parent, int id);
    static QRadioButton* Radio(const QString& text, int id);

    statsettings::CFields m_fields;
    bool m_qorin = false;
    QVBoxLayout* m_layout = nullptr;
    QFormLayout* m_form = nullptr;
    QComboBox* m_window1 = nullptr;
    QComboBox* m_window2 = nullptr;
    QLineEdit* m_current = nullptr;
    QLineEdit* m_power3 = nullptr;
    QLineEdit* m_powerPhase = nullptr; // not in the Qorin dialog
    QLineEdit* m_voltageLine = nullptr;
    QLineEdit* m_voltageNeutral = nullptr;
    QRadioButton* m_lineToNeutral = nullptr;
    QRadioButton* m_lineToLine = nullptr;
    QRadioButton* m_threePhase = nullptr;
    QRadioButton* m_onePhase = nullptr;
    QLineEdit* m_typing = nullptr; // the field the user is typing in

private:
    void OnVoltageEdited(QLineEdit* edit);
    void OnPowerEdited(QLineEdit* edit);
};

// Dialog 32030: the statistics settings of VK and VKT archives.
class CStatSettingsDlg : public CStatSettingsDlgBase {
    Q_OBJECT
public:
    explicit CStatSettingsDlg(QWidget* parent = nullptr);
    void Load(const CVKFamilyStatSettings& record);
    void Store(CVKFamilyStatSettings& record) const;

protected:
    CStatSettingsDlg(QWidget* parent, const QString& windowPLabel, bool harmonics);
};

// Dialog 32031: the same for VKR archives.
class CStatSettingsDlg2 : public CStatSettingsDlg {
    Q_OBJECT
public:
    explicit CStatSettingsDlg2(QWidget* parent = nullptr);
};
