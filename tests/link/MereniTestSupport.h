#pragma once

#include "PristrojTestSupport.h"
#include "support/WaitUntil.h"

#include "archive/store/ArchivData.h"
#include "link/Mereni.h"
#include "platform/Cp1250.h"

#include <QDir>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mereni_test {

struct Sent {
    platform::MessageId id;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

struct Box {
    QString caption;
    QString text;
    std::function<void()> closed;
};

// The program around the thread: a main window played here (it sets the
// entry's hand-over event and writes the block, or ignores the message, or
// is missing), the application thread's messages and the boxes recorded,
// and a clock that moves only with the thread's pauses (autoAdvance) or
// when told.
class FakeMereniHost : public IMereniHost {
public:
    enum class Window { Take, Ignore, Missing };

    bool SendToMainWindow(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam) override
    {
        {
            std::lock_guard lock(m_lock);
            sent.push_back({id, wParam, lParam});
        }
        // The poll that ended the block is the last one until the clock
        // is moved again.
        if (id == platform::WM_DATA_READY && standAtHandOver.exchange(false))
            autoAdvance = false;
        if (window == Window::Missing)
            return false;
        if (window == Window::Take) {
            auto* entry = reinterpret_cast<CPristroj*>(wParam);
            entry->m_handOver->Set();
            if (id == platform::WM_DATA_READY)
                entry->GetArchivData()->Flush(!entry->m_prepisovat, int(lParam), entry->m_nazev);
            // As the main window does, after letting the thread go on.
            if (id == platform::WM_QUARTER_HOUR && readsMeter)
                entry->ReadEnergyMeterRecord(int(lParam));
        }
        return true;
    }
    bool PostToApplication(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam) override
    {
        std::lock_guard lock(m_lock);
        posted.push_back({id, wParam, lParam});
        return true;
    }
    bool PostMessageBox(const QString& caption, const QString& text, bool, std::function<void()> closed) override
    {
        std::lock_guard lock(m_lock);
        boxes.push_back({caption, text, std::move(closed)});
        return true;
    }
    platform::CTime Now() override { return platform::CTime(platform::CTime::time_type(nowMs.load() / 1000)); }
    std::int64_t NowMs() override { return nowMs.load(); }
    int PauseMs(int ms) override
    {
        {
            std::lock_guard lock(m_lock);
            pauses.push_back(ms);
        }
        if (autoAdvance)
            nowMs += ms;
        return realPauseMs < 0 ? ms : realPauseMs.load();
    }
    bool WaitEvent(platform::Event& event, int timeoutMs) override
    {
        {
            std::lock_guard lock(m_lock);
            waits.push_back(timeoutMs);
        }
        return event.Wait(std::min(timeoutMs, waitCapMs.load()));
    }

    void Advance(int seconds) { nowMs += std::int64_t(seconds) * 1000; }

    std::vector<Sent> Sends(platform::MessageId id)
    {
        std::lock_guard lock(m_lock);
        std::vector<Sent> out;
        for (const Sent& s : sent)
            if (s.id == id)
                out.push_back(s);
        return out;
    }
    int CountPosted(platform::MessageId id)
    {
        std::lock_guard lock(m_lock);
        return int(std::count_if(posted.begin(), posted.end(), [id](const Sent& s) { return s.id == id; }));
    }
    std::vector<Box> Boxes()
    {
        std::lock_guard lock(m_lock);
        return boxes;
    }
    std::vector<int> Waits()
    {
        std::lock_guard lock(m_lock);
        return waits;
    }
    std::vector<int> Pauses()
    {
        std::lock_guard lock(m_lock);
        return pauses;
    }
    void Clear()
    {
        std::lock_guard lock(m_lock);
        sent.clear();
        posted.clear();
        boxes.clear();
        waits.clear();
        pauses.clear();
    }
    void ClearPauses()
    {
        std::lock_guard lock(m_lock);
        pauses.clear();
    }

    std::atomic<Window> window{Window::Take};
    // The window reads the meter record it is asked for (the test's thread
    // is the one that sends).
    std::atomic<bool> readsMeter{false};
    std::atomic<bool> autoAdvance{false};
    // Stops the clock (clears autoAdvance) at the next block hand-over.
    std::atomic<bool> standAtHandOver{false};
    // Real milliseconds of every pause (negative: as asked).
    std::atomic<int> realPauseMs{1};
    std::atomic<int> waitCapMs{2000};
    // 15 January 2024 10:00:02 in Prague.
    std::atomic<std::int64_t> nowMs{std::int64_t(platform::CTime(2024, 1, 15, 10, 0, 2).GetTime()) * 1000};

private:
    std::mutex m_lock;
    std::vector<Sent> sent;
    std::vector<Sent> posted;
    std::vector<Box> boxes;
    std::vector<int> waits;
    std::vector<int> pauses;
};

// Every record in the archive's three write lists, oldest list first.
struct ListsAccess : CArchivData {
    static std::vector<CArchivRecord> All(CArchivData& data)
    {
        std::lock_guard lock(data.*(&ListsAccess::listLock));
        const auto& lists = data.*(&ListsAccess::lists);
        const int current = data.*(&ListsAccess::currentList);
        std::vector<CArchivRecord> out;
        for (int age = 2; age >= 0; --age) {
            const auto& list = lists[std::size_t((current + 3 - age) % 3)];
            out.insert(out.end(), list.begin(), list.end());
        }
        return out;
    }
};

inline QString RecordText(const CArchivRecord& r)
{
    return platform::FromCp1250(r.data.constData(), r.data.size());
}

// Texts of the records of `type` in the write lists.
inline std::vector<QString> Texts(CArchivData& data, int type)
{
    std::vector<QString> out;
    for (const CArchivRecord& r : ListsAccess::All(data))
        if (r.type == type)
            out.push_back(RecordText(r));
    return out;
}

inline int CountType(CArchivData& data, int type)
{
    int n = 0;
    for (const CArchivRecord& r : ListsAccess::All(data))
        n += r.type == type ? 1 : 0;
    return n;
}

// Waits (really) until `done` holds, up to `limitMs`.
inline bool WaitFor(const std::function<bool()>& done, int limitMs = 20000)
{
    return testsupport::WaitUntil(done, limitMs);
}

// The thread's environment: the entry host of PristrojTest, the fake
// program host, the archives' clock on the fake time.
class MereniTest : public pristrojtest::PristrojTest {
protected:
    void SetUp() override
    {
        PristrojTest::SetUp();
        env->SetMereniHost(&mhost);
    }
    ~MereniTest() override { env->SetMereniHost(nullptr); }

    // A measuring, recording entry of `type` with its archive in the test's
    // folder on the fake clock.
    std::unique_ptr<CPristroj> MakeEntry(int type, const QString& port = QString(),
                                         std::shared_ptr<CLinkEnvironment> in = nullptr)
    {
        auto entry = std::make_unique<CPristroj>(in ? in : env);
        if (!port.isEmpty())
            entry->m_com = port;
        entry->SetType(type, TRUE);
        entry->m_nazev = QStringLiteral("P%1_%2").arg(type).arg(++m_entries);
        entry->m_soubor = dir.filePath(entry->m_nazev);
        entry->m_intervalMereni = 10;
        entry->m_intervalZapisovani = 2;
        entry->m_prepisovat = 1;
        entry->m_zobrazovat = 0;
        entry->GetArchivData()->SetTimeSource([this] { return mhost.Now(); });
        return entry;
    }

    FakeMereniHost mhost;

private:
    int m_entries = 0;
};

} // namespace mereni_test
