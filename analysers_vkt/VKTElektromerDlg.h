#pragma once

#include "model/VKTEnergy.h"
#include <QDialog>

#include <QString>

#include <array>

class CPristroj;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace analysers_vkt {

// What the meter dialog asks of an instrument entry; tests script it.
class IVKTMeterIo {
public:
    virtual ~IVKTMeterIo() = default;
    virtual QString Name() const = 0;
    virtual bool ReadTariff(CVKTETarif& tariff) = 0;
    virtual bool WriteTariff(const CVKTETarif& tariff) = 0;
    virtual bool ReadEnergy(CVKTEDataRec& data) = 0;
    virtual bool ResetMeter(BYTE code) = 0;
    // The program's meter-archive interval code: 0..4, or the complement of
    // the index when the meter is not archived with the data.
    virtual int IntervalCode() const = 0;
    virtual void SetIntervalCode(int code) = 0;
    // Current ratio x voltage ratio of the instrument's archive.
    virtual double RatioProduct() const = 0;
    virtual void Sleep(int ms) = 0;
    // "Archivní hodnoty": the meter records kept in the instrument's
    // archive, in a window of their own; nothing without an archive file.
    virtual void OpenMeterArchive() {}
};

class CPristrojVKTMeterIo final : public IVKTMeterIo {
public:
    explicit CPristrojVKTMeterIo(CPristroj& entry) : m_entry(entry) {}
    QString Name() const override;
    bool ReadTariff(CVKTETarif& tariff) override;
    bool WriteTariff(const CVKTETarif& tariff) override;
    bool ReadEnergy(CVKTEDataRec& data) override;
    bool ResetMeter(BYTE code) override;
    int IntervalCode() const override;
    void SetIntervalCode(int code) override;
    double RatioProduct() const override;
    void Sleep(int ms) override;
    void OpenMeterArchive() override;

private:
    CPristroj& m_entry;
};

// Quarter-hours of the interval list's entries.
extern const std::array<WORD, 5> kMeterIntervals;
// The list index and the archive box of a stored interval code.
void IntervalChoice(int code, int& index, bool& archived);
// "%0.3f" of the power factor, "--" when the root is below `least`.
QString PowerFactorText(double active, double reactive, double least);
// Quarter-hour maximum in kW: stored W x ratios x 0.001.
QString MaximumPowerText(float stored, double ratioProduct);

// The electricity meter of a VKT analyser: counters per tariff and phase,
// quarter-hour maxima, the tariff schedule and the record interval.
class CVKTElektromerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CVKTElektromerDlg(IVKTMeterIo& io, QWidget* parent = nullptr);

    // Both records from the instrument, then the interval choice and its warning;
    // false when the records did not arrive.
    bool ReadMeter();
    void OnRefresh();
    void OnSetMeter();
    void OnReset(BYTE code);

    QString ValueText(int id) const;
    QSpinBox* TariffEdit(int hour) const { return m_tariffs[std::size_t(hour)]; }
    QComboBox* IntervalList() const { return m_interval; }
    QCheckBox* ArchiveBox() const { return m_archive; }

private:
    void Build();
    bool ReadRecords();
    void ShowValues();
    QLabel* Value(int id);
    static QLabel* Heading(const QString& text, QWidget* parent);

    IVKTMeterIo& m_io;
    CVKTETarif m_tariff;
    CVKTEDataRec m_data;
    std::array<QSpinBox*, 24> m_tariffs{};
    QComboBox* m_interval = nullptr;
    QCheckBox* m_archive = nullptr;
};

// Reads the meter and shows the dialog modally; a meter that does not
// answer is said so and no dialog shows.
void RunVKTElektromer(QWidget* parent, IVKTMeterIo& io);
void OpenVKTElektromer(QWidget* parent, CPristroj& entry);

} // namespace analysers_vkt
