#pragma once

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/settings/ControllerIo.h"
#include "controllers/settings/PageBase.h"
#include "controllers/settings/SettingsReport.h"
#include "model/ControllerAlarms.h"
#include "model/ControllerStatistics.h"
#include "model/DuskarConfig.h"
#include "model/Iden.h"
#include "model/QorinConfig.h"
#include "tools/instrument_sim/SimInstrument.h"

#include <QTemporaryDir>

#include <deque>
#include <mutex>
#include <vector>

namespace controllers::test {

// A controller store whose queued records and model the tests can see.
template <class Store>
class TestStore : public Store {
public:
    void SetModel(int model)
    {
        std::lock_guard lock(this->valuesLock);
        this->values.model = WORD(model);
    }
    CArchivRecordList Queued()
    {
        std::lock_guard lock(this->listLock);
        return this->CurrentListLocked();
    }
};
using QorinStore = TestStore<CQorinArchivData>;
using DuskarStore = TestStore<CDuskarArchivData>;

// A scripted controller: each request answers from its queue of results
// (true when the queue is empty), and the calls and pauses are recorded.
class FakeIo : public IControllerIo {
public:
    BOOL ReadQorinConfig(CConfig& config) override
    {
        return Answer(qorinReads, [&] { config = qorin; });
    }
    BOOL WriteQorinConfig(CConfig& config) override
    {
        return Answer(writes, [&] { written.push_back(config), qorin = config; });
    }
    BOOL ReadDuskarConfig(CDuskarConfig& config) override
    {
        return Answer(duskarReads, [&] { config = duskar; });
    }
    BOOL WriteDuskarConfig(CDuskarConfig& config) override
    {
        return Answer(writes, [&] { writtenDuskar.push_back(config), duskar = config; });
    }
    BOOL ReadIdentification(CIden& out) override
    {
        return Answer(idenReads, [&] { out = iden; });
    }
    BOOL ReadSwitchingStatistics(CStageSwitchStats& s, CStageSwitchState& st) override
    {
        return Answer(statReads, [&] { s = stats, st = state; });
    }
    BOOL SendControllerCommand(const CControllerAlarms& command) override
    {
        return Answer(commandSends, [&] { commands.push_back(command); });
    }
    void Sleep(DWORD ms) override
    {
        std::lock_guard lock(mutex);
        sleeps.push_back(ms);
    }
    CArchivData* Archive() override { return archive; }
    QString Name() const override { return QStringLiteral("rozvodna"); }
    QString SettingsFolder() const override { return folder; }

    template <class F>
    BOOL Answer(std::deque<bool>& script, F onSuccess)
    {
        std::lock_guard lock(mutex);
        ++calls;
        bool ok = true;
        if (!script.empty()) {
            ok = script.front();
            script.pop_front();
        }
        if (ok)
            onSuccess();
        return ok ? TRUE : FALSE;
    }

    std::mutex mutex;
    int calls = 0;
    CConfig qorin;
    CDuskarConfig duskar;
    CIden iden;
    CStageSwitchStats stats;
    CStageSwitchState state;
    std::deque<bool> qorinReads, duskarReads, idenReads, writes, statReads, commandSends;
    std::vector<CConfig> written;
    std::vector<CDuskarConfig> writtenDuskar;
    std::vector<CControllerAlarms> commands;
    std::vector<DWORD> sleeps;
    CArchivData* archive = nullptr;
    QString folder;
};

// Types into a page's edit and leaves it.
void Type(CSettingsPage& page, int id, const QString& text);

// A typical Qorin configuration: 500/5 A, tariff 1 0.95 / tariff 2 -0.92,
// stages of 10, 20, 40 A regulated, 0.50 A ... fixed.
CConfig SampleQorinConfig();
CDuskarConfig SampleDuskarConfig();
CIden SampleDuskarIden(int model = 20);

// A simulated controller of `model` (firmware 0x21) at bus address 1 that
// holds the configuration `image`.
sim::Instrument SimController(sim::Family family, const sim::Bytes& image, int model);

// Answers every file dialog with `path` (empty: cancel) while it lives.
class ScriptedFileChooser {
public:
    explicit ScriptedFileChooser(QString path);
    ~ScriptedFileChooser();
    QString path;
    int asked = 0;
    bool lastSave = false;
    QString lastName, lastFolder, lastFilter;

private:
    SettingsFileChooser m_previous;
};

} // namespace controllers::test
