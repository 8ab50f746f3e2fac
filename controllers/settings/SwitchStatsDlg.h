#pragma once

#include "controllers/settings/ControllerIo.h"
#include "model/ControllerAlarms.h"
#include "model/ControllerStatistics.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;

namespace controllers {

// How a cycle shows its dialog: modally by default; tests answer in place
// of the user.
using ShowDialog = std::function<int(QDialog&)>;
int ExecDialog(QDialog& dialog);

// "Statistika spínání": per compensation step how often its output
// switched and how long it was on, with the counters to reset.
class CSwitchStatsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSteps = 14;

    explicit CSwitchStatsDlg(QWidget* parent = nullptr);

    BOOL ReadFromInstrument(IControllerIo& io);
    BOOL SendToInstrument(IControllerIo& io);
    // The command the reset sends (from the ticked boxes).
    CControllerAlarms BuildResetCommand() const;
    // Fills the controls from the records.
    void ShowRecords();
    void SetRecords(const CStageSwitchStats& stats, const CStageSwitchState& state);

    QLineEdit* CountEdit(int step) const { return m_count[step]; }
    QLineEdit* TimeEdit(int step) const { return m_time[step]; }
    QCheckBox* CountReset(int step) const { return m_countReset[step]; }
    QCheckBox* TimeReset(int step) const { return m_timeReset[step]; }

private:
    CStageSwitchStats m_stats;
    CStageSwitchState m_state;
    QLineEdit* m_count[kSteps] = {};
    QLineEdit* m_time[kSteps] = {};
    QCheckBox* m_countReset[kSteps] = {};
    QCheckBox* m_timeReset[kSteps] = {};
};

// "Speciální funkce": lock, switch to regulation, reinitialise.
class CSpecialniFunkceDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSpecialniFunkceDlg(QWidget* parent = nullptr);

    // kind 0 Qorin, 1 Duskar: the state bits come from the configuration.
    BOOL ReadState(IControllerIo& io, int kind);
    BOOL SendCommand(IControllerIo& io);
    CControllerAlarms BuildCommand() const;
    void SetState(BOOL regulating, BOOL locked);

    QCheckBox* Lock() const { return m_lock; }
    QCheckBox* Regulate() const { return m_regulate; }
    QCheckBox* Reinit() const { return m_reinit; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* m_regulate;
    QCheckBox* m_reinit;
    QCheckBox* m_lock;
    BOOL m_regulating = FALSE;
    BOOL m_locked = FALSE;
};

// The document cycles: read with up to three tries, show, send with up to
// three tries; a silent instrument is reported in a box captioned "CHYBA".
void RunSwitchStatistics(QWidget* parent, IControllerIo& io, const ShowDialog& show = ExecDialog);
void RunSpecialFunctions(QWidget* parent, IControllerIo& io, int kind, const ShowDialog& show = ExecDialog);

} // namespace controllers
