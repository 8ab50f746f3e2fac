#pragma once

#include "model/VKEnergy.h"
#include "platform/Time32.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QSpinBox;

namespace analysers_vk {

class IVKEntryIo;

// The state of a VK analyser's energy meter: counters of the three tariffs,
// power factors, quarter-hour maximum demand, and the hourly tariff schedule
// that can be edited and sent. Modal; Attach must succeed before it is shown.
class CEnergyMeterDlg : public QDialog {
    Q_OBJECT
public:
    explicit CEnergyMeterDlg(QWidget* parent = nullptr);

    // Reads the meter; on failure tells the user and returns false, and the
    // dialog is not to be shown.
    bool Attach(IVKEntryIo* io);

    // Shown texts, tariff 0-2 or 3 for the totals, kind as CVKEData::Kind.
    QString CounterText(int tariff, int kind) const;
    QString PowerFactorText(int tariff) const;
    QString MaximumText(int i) const;
    QString ResetTimeText() const;
    QString ReadTimeText() const;
    int HourField(int hour) const;
    void SetHourField(int hour, int value);

    // "%0.1f" of counter x scale x 0.001.
    static QString EnergyText(double energy);
    // (import + export) / sqrt((import + export)^2 + (inductive + capacitive)^2)
    // as "%0.3f"; "--" when the root is below 0.001.
    static QString PowerFactorOf(double import, double exportEnergy, double inductive, double capacitive);
    // scale x stored value x 3.125e-9 as "%0.3f".
    static QString MaximumDemandText(double scale, std::int32_t stored);

private:
    void Build();
    bool Read();
    void ShowValues();
    void ShowHours();
    void OnRefresh();
    void OnReset();
    void OnSendTariff();
    bool Retry(const std::function<bool()>& call);

    IVKEntryIo* m_io = nullptr;
    platform::CTime m_instrumentTime;
    CVKETarif m_tariff;
    CVKEData m_data;
    double m_scale = 1.0;

    // [tariff 0-3][kind 0-3]
    std::array<std::array<QLineEdit*, 4>, 4> m_counters{};
    std::array<QLineEdit*, 4> m_powerFactors{};
    std::array<QLineEdit*, 4> m_maxima{};
    std::array<QLineEdit*, 4> m_maximumTimes{};
    QLineEdit* m_resetTime = nullptr;
    QLineEdit* m_readTime = nullptr;
    std::array<QSpinBox*, CVKETarif::kHours> m_hours{};
};

} // namespace analysers_vk
