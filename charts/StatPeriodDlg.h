#pragma once

#include "charts_stats/QorinStatistics.h"
#include "charts_stats/VKStatResult.h"

#include <QString>
#include <QWidget>

#include <functional>

class QGridLayout;
class QLineEdit;
class QToolButton;

// The period beside the statistics quantity tabs: start, end, length, the
// time the archive covers and its record interval, and the button of the
// statistics settings. The tabs object writes the texts and calls
// UpdateData; the dialog computes nothing.
class CArchivePeriodDlg : public QWidget {
    Q_OBJECT
public:
    enum Kind : int { kVK = 0, kVKT = 1 };

    CArchivePeriodDlg(int kind, QWidget* parent = nullptr);

    int GetKind() const { return m_kind; }
    // The fields into the controls.
    void UpdateData();

    // The settings record the tabs object holds and its recomputation after
    // OK; without a record the button does nothing.
    void SetSettings(CVKFamilyStatSettings* settings, std::function<void()> recompute);

    QString periodStart;
    QString periodEnd;
    QString total;
    QString recordDuration;
    QString recordInterval;

    QToolButton* SettingsButton() const { return m_settings; }

protected:
    // Shows the family's settings dialog; true after OK.
    virtual bool EditSettings();
    QLineEdit* AddField(int id, int labelId, const QString& label);
    void SetRecompute(std::function<void()> recompute) { m_recompute = std::move(recompute); }
    CVKFamilyStatSettings* Record() const { return m_record; }

private:
    void OnSettings();

    int m_kind = kVK;
    QGridLayout* m_grid = nullptr;
    int m_rows = 0;
    QToolButton* m_settings = nullptr;
    QLineEdit* m_start = nullptr;
    QLineEdit* m_end = nullptr;
    QLineEdit* m_total = nullptr;
    QLineEdit* m_duration = nullptr;
    QLineEdit* m_interval = nullptr;
    CVKFamilyStatSettings* m_record = nullptr;
    std::function<void()> m_recompute;
};

// The period of the VKR statistics tabs.
class CVKRPeriodDlg : public CArchivePeriodDlg {
    Q_OBJECT
public:
    explicit CVKRPeriodDlg(QWidget* parent = nullptr);

protected:
    bool EditSettings() override;
};

// The period of the controllers' statistics tabs, with the required power
// factor (new/previous).
class CQorinPeriodDlg : public CArchivePeriodDlg {
    Q_OBJECT
public:
    explicit CQorinPeriodDlg(QWidget* parent = nullptr);
    void UpdateData();
    void SetSettings(CQorinStatSettings* settings, std::function<void()> recompute);

    QString powerFactor;

protected:
    bool EditSettings() override;

private:
    QLineEdit* m_powerFactor = nullptr;
    CQorinStatSettings* m_qorinRecord = nullptr;
};
