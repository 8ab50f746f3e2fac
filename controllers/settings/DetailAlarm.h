#pragma once

#include "controllers/settings/PageBase.h"

#include "model/PrevodTyp.h"

class CConfig;

namespace controllers {

// Alarm page of the Qorin settings sheet: which alarms are signalled and
// which act, the THD limit and the switching-count limit.
class CDetailAlarm : public CSettingsPage {
    Q_OBJECT
public:
    static constexpr int kAlarms = 9;
    static constexpr int kActions = 6;

    explicit CDetailAlarm(QWidget* parent = nullptr) : CDetailAlarm(false, parent) {}

    void AttachConfig(CConfig* config);
    bool StoreConfig();
    bool UpdateData(bool save);

    unsigned m_switchLimit = 0; // thousands of switchings
    double m_thdLimit = 0;      // %
    BOOL m_signal[kAlarms] = {};
    BOOL m_action[kActions] = {};

    bool OnKillActive() override { return UpdateData(true); }

protected:
    CDetailAlarm(bool readOnly, QWidget* parent);

private:
    CConfig* m_config = nullptr;
};

class CDetailAlarmStatic : public CDetailAlarm {
    Q_OBJECT
public:
    explicit CDetailAlarmStatic(QWidget* parent = nullptr) : CDetailAlarm(true, parent) {}
};

} // namespace controllers
