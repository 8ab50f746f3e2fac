#pragma once

#include "model/ProfileStatus.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class CPristroj;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

// What the profile settings dialog asks of an instrument. Calls block and
// are made off the GUI thread.
class IProfileIo {
public:
    virtual ~IProfileIo() = default;
    virtual bool ReadStatus(CProfileStatus& status) = 0;
    virtual bool WriteDay(CTime day) = 0;
    virtual bool ResetMaximum() = 0;
    // The reason of the last failed exchange.
    virtual QString ErrorText() const = 0;
    // The instrument's archive path and file stem, the start of its profile
    // file names.
    virtual QString ArchivePrefix() const = 0;
    // The entry the profile download copies; null without one.
    virtual CPristroj* Instrument() = 0;
};

// The profile settings of an instrument entry.
class CPristrojProfileIo : public IProfileIo {
public:
    explicit CPristrojProfileIo(CPristroj& entry) : m_entry(entry) {}
    bool ReadStatus(CProfileStatus& status) override;
    bool WriteDay(CTime day) override;
    bool ResetMaximum() override;
    QString ErrorText() const override;
    QString ArchivePrefix() const override;
    CPristroj* Instrument() override { return &m_entry; }

private:
    CPristroj& m_entry;
};

// The current profiles of a VK or VKT analyser: the maximum profile and the
// selected day's profile with their greatest values and times; sets the
// selected day, resets the maximum profile and downloads either profile
// into its profile file. Every instrument exchange runs off the GUI thread
// behind the wait dialog.
class CProfileSettingsDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId {
        IdSelectedDay = 1294,
        IdSelectedFirst = 1295, // .. 1298 values, 1299 .. 1302 times
        IdMaximumFirst = 1304,  // .. 1307 values, 1308 .. 1311 times
        IdDayPicker = 1312,
        IdSetDay = 1313,
        IdReset = 1314,
        IdRefresh = 1315,
        IdDownloadSelected = 1316,
        IdDownloadMaximum = 1317,
        IdHeading1 = 1318,
        IdHeading2 = 1319,
        IdResetTime = 1331,
    };

    // Starts the download of a profile into `file`; false when the program
    // has no profile download window.
    using DownloadStarter = std::function<bool(CPristroj* entry, const QString& file, int kind, CTime day,
                                               const CProfileStatus& status)>;
    // The pauses between tries and before a new read (tests make them
    // instant).
    using Sleeper = std::function<void(int ms)>;

    explicit CProfileSettingsDlg(QWidget* parent = nullptr);

    // Reads the status; on failure tells the user why and returns false (the
    // dialog is not to be shown).
    bool Attach(IProfileIo* io);

    void SetDownloadStarter(DownloadStarter starter) { m_download = std::move(starter); }
    void SetSleeper(Sleeper sleeper) { m_sleep = std::move(sleeper); }

    void OnSetDay();
    void OnReset();
    void OnRefresh();
    void OnDownload(bool maximum);
    // The profile file name of the status; empty when the user keeps an
    // existing file.
    QString GetProfileFileName(bool maximum);

    const CProfileStatus& Status() const { return m_status; }
    CTime DayToSelect() const;
    QWidget* Control(int id) const;
    QString Text(int id) const;

private:
    bool ReadStatus();
    void Fill();
    // Sends through `call` with three tries; then the status is read again.
    void SendAndReread(const std::function<bool()>& call);
    void Sleep(int ms) const;

    IProfileIo* m_io = nullptr;
    CProfileStatus m_status;
    std::array<QLineEdit*, 4> m_maxValues{};
    std::array<QLineEdit*, 4> m_maxTimes{};
    std::array<QLineEdit*, 4> m_selValues{};
    std::array<QLineEdit*, 4> m_selTimes{};
    QLineEdit* m_selectedDay;
    QLineEdit* m_resetTime;
    QLabel* m_heading1;
    QLabel* m_heading2;
    QDateEdit* m_picker;
    QPushButton* m_downloadSelected;
    QPushButton* m_downloadMaximum;
    DownloadStarter m_download;
    Sleeper m_sleep;
};

namespace charts {

// Opens the profile settings of an instrument entry (its link opened for
// the dialog when no measurement holds it); the live windows of VK and VKT
// analysers call it.
void OpenProfileSettings(QWidget* parent, CPristroj& entry);

} // namespace charts
