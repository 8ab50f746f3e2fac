#pragma once

// The scheduled-download thread as the tests run it, with the application's
// own messages under a clock of the test; a fixture of the application with
// one analyser on a simulated line and a task for it; and the data records
// of the archives it downloads into.
#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive/store/ArchivRecord.h"
#include "link/DownloadTasks.h"
#include "link/Pristroj.h"
#include "support/DownloadControlSupport.h"
#include "support/ScriptedMessageBoxes.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace shelltest {

class ClockedMessages : public CDownloadControlMessages {
public:
    using CDownloadControlMessages::CDownloadControlMessages;
    CTime Now() override { return CTime(now.load()); }
    std::atomic<CTime::time_type> now{0};
};

// The times of the data records of an archive file read by a `Reader` of
// its family, in file order, as seconds after `origin`; {-1} when the file
// does not open.
template <class Reader>
std::vector<std::int64_t> DataSeconds(const QString& path, CTime origin)
{
    Reader reader;
    if (!reader.OpenByPath(path))
        return {-1};
    std::vector<std::int64_t> seconds;
    if (reader.OpenFirstBlock()) {
        do {
            for (const CArchivRecord& record : reader.CurrentBlock())
                if (record.IsData())
                    seconds.push_back(std::int64_t(record.time) - std::int64_t(origin.GetTime()));
        } while (reader.ReadNextBlock());
    }
    return seconds;
}

// The application with the program's families and the analyser "Hala" at
// address 1 of a simulated line, its archive "hala" in the test's folder,
// with an active task of 8 hours for it. The test adds the line's
// instrument, then calls StartApp; StartControl starts the download thread
// on the test's clock, and the end of the test ends everything as the
// program does at exit.
class ScheduledTaskTest : public StoreTest {
protected:
    void TearDown() override
    {
        StopControl();
        app.ExitInstance();
        line.Stop();
        StoreTest::TearDown();
    }

    // `adjust` sets the instrument's recording before the application
    // adopts it; the task last downloaded at `lastDownload`.
    void StartApp(int type, const std::function<void(CPristroj&)>& adjust, CTime lastDownload)
    {
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        app.SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        auto entry = std::make_unique<CPristroj>(QString::fromStdString(line.SlavePath()), 1, dir.path(), FALSE, type,
                                                 app.LinkEnvironment());
        entry->m_nazev = QStringLiteral("Hala");
        entry->m_soubor = dir.filePath(QStringLiteral("hala"));
        adjust(*entry);
        ASSERT_TRUE(app.AdoptInstrument(nullptr, std::move(entry)));
        std::lock_guard list(app.Tasks().ListLock());
        CTask* task = app.Tasks().Add();
        task->m_active = 1;
        task->m_pristroj = QStringLiteral("Hala");
        task->m_interval = 0; // 8 h
        task->m_lastTime = lastDownload;
        taskIndex = task->m_index;
    }

    void StartControl(CTime::time_type now)
    {
        host = std::make_unique<ClockedMessages>(app.Handle());
        host->now = now;
        control = std::make_unique<testsupport::QuickDownloadControl>(app.Tasks(), *host, std::chrono::milliseconds(1));
        ASSERT_TRUE(control->Start());
    }
    // Ends the download thread as the program does at exit.
    void StopControl() { testsupport::EndDownloadControl(control); }

    // The task as the application's list has it.
    CTask Task()
    {
        std::lock_guard list(app.Tasks().ListLock());
        const CTask* task = app.Tasks().Find(taskIndex);
        return task ? *task : CTask{};
    }

    sim::PtySimulator line;
    CMavexApp app{QuietEnvironment()};
    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Ok};
    int taskIndex = -1;
    std::unique_ptr<ClockedMessages> host;
    std::unique_ptr<testsupport::QuickDownloadControl> control;
};

} // namespace shelltest
