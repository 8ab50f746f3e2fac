#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <functional>

class CArchivData;
class CConfig;
class CControllerAlarms;
class CDuskarConfig;
class CIden;
class CPristroj;
class CStageSwitchState;
class CStageSwitchStats;
class QWidget;

namespace controllers {

// What the controller dialogs ask of an instrument. The program talks to
// the instrument entry; tests put a scripted instrument in its place. The
// requests may run on a worker thread; Archive, Name and DataFolder are read
// on the GUI thread only.
class IControllerIo {
public:
    virtual ~IControllerIo() = default;

    virtual BOOL ReadQorinConfig(CConfig& config) = 0;
    virtual BOOL WriteQorinConfig(CConfig& config) = 0;
    virtual BOOL ReadDuskarConfig(CDuskarConfig& config) = 0;
    virtual BOOL WriteDuskarConfig(CDuskarConfig& config) = 0;
    virtual BOOL ReadIdentification(CIden& iden) = 0;
    virtual BOOL ReadSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state) = 0;
    virtual BOOL SendControllerCommand(const CControllerAlarms& command) = 0;
    // The pause between tries.
    virtual void Sleep(DWORD ms) = 0;

    // The instrument's archive store (the family store), or null.
    virtual CArchivData* Archive() = 0;
    virtual QString Name() const = 0;
    // Where the settings-file dialogs start.
    virtual QString SettingsFolder() const = 0;
};

// The instrument entry behind the interface.
class CPristrojIo : public IControllerIo {
public:
    explicit CPristrojIo(CPristroj& entry) : m_entry(entry) {}

    BOOL ReadQorinConfig(CConfig& config) override;
    BOOL WriteQorinConfig(CConfig& config) override;
    BOOL ReadDuskarConfig(CDuskarConfig& config) override;
    BOOL WriteDuskarConfig(CDuskarConfig& config) override;
    BOOL ReadIdentification(CIden& iden) override;
    BOOL ReadSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state) override;
    BOOL SendControllerCommand(const CControllerAlarms& command) override;
    void Sleep(DWORD ms) override;
    CArchivData* Archive() override;
    QString Name() const override;
    QString SettingsFolder() const override;

private:
    CPristroj& m_entry;
};

// Runs `task` (instrument requests only, no widgets) on a worker thread and
// keeps the GUI responsive meanwhile, with the wait dialog in front of
// `parent` so that nothing else can be clicked. Called off the GUI thread,
// or without an application, it runs the task directly.
BOOL RunInstrumentTask(QWidget* parent, const std::function<BOOL()>& task);

// Up to three calls of `call` until one succeeds, pausing `pauses[k]` ms
// after failed try k while another try remains.
BOOL RetryThreeTimes(IControllerIo& io, const std::function<BOOL()>& call, DWORD pause1 = 0, DWORD pause2 = 0);

// The Duskar configuration and identification together: three passes, each
// repeating the reads that failed so far; a failure pauses 0 ms in the first
// pass and 300 ms in the later ones. TRUE only when both were read.
BOOL RetryReadDuskarSettings(IControllerIo& io, CDuskarConfig& config, CIden& iden);

} // namespace controllers
