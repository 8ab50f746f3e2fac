#pragma once

#include "controllers/settings/PageBase.h"

#include "model/PrevodTyp.h"

class CDuskarConfig;

namespace controllers {

// Alarm page of the Duskar settings sheet: 13 alarms, 10 actions and seven
// limits with steppers.
class CDuskarDetailAlarm : public CSettingsPage {
    Q_OBJECT
public:
    static constexpr int kAlarms = 13;
    static constexpr int kActions = 10;

    explicit CDuskarDetailAlarm(QWidget* parent = nullptr) : CDuskarDetailAlarm(false, parent) {}

    void AttachConfig(CDuskarConfig* config);
    bool StoreConfig();
    bool UpdateData(bool save);

    unsigned m_switchLimit = 0;
    unsigned m_underVoltage = 0;
    unsigned m_overVoltage = 0;
    unsigned m_overheating = 0;
    float m_thdi = 0;
    float m_thdu = 0;
    int m_chl = 0;
    BOOL m_signal[kAlarms] = {};
    BOOL m_action[kActions] = {};

    bool OnKillActive() override { return UpdateData(true); }

    struct AlarmRow {
        int label;
        int signal;
        int action; // action check box, 0: none
        int actionIndex;
        const char* text;
    };
    static const AlarmRow kRows[kAlarms];

protected:
    CDuskarDetailAlarm(bool readOnly, QWidget* parent);

private:
    template <class T, class Step>
    void StepValue(T& member, Step step);

    CDuskarConfig* m_config = nullptr;
};

class CDuskarDetailAlarmStatic : public CDuskarDetailAlarm {
    Q_OBJECT
public:
    explicit CDuskarDetailAlarmStatic(QWidget* parent = nullptr) : CDuskarDetailAlarm(true, parent) {}
};

// The other page: mains frequency, evaluation windows, temperature unit.
class CDuskarDetailOther : public CSettingsPage {
    Q_OBJECT
public:
    explicit CDuskarDetailOther(QWidget* parent = nullptr) : CDuskarDetailOther(false, parent) {}

    void AttachConfig(CDuskarConfig* config);
    bool StoreConfig();
    bool UpdateData(bool save);

    int m_frequency = -1;
    int m_averaging = -1;
    int m_extremes = -1;
    int m_unit = -1;

    bool OnKillActive() override { return UpdateData(true); }

protected:
    CDuskarDetailOther(bool readOnly, QWidget* parent);

private:
    CDuskarConfig* m_config = nullptr;
};

class CDuskarDetailOtherStatic : public CDuskarDetailOther {
    Q_OBJECT
public:
    explicit CDuskarDetailOtherStatic(QWidget* parent = nullptr) : CDuskarDetailOther(true, parent) {}
};

} // namespace controllers
