#pragma once

#include "link/LinkClock.h"
#include "link/LinkManager.h"
#include "link/PortList.h"
#include "link/SerialPort.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace linktest {

// Time that moves only when told; pauses are recorded, not waited.
class FakeClock : public ILinkClock {
public:
    std::int64_t NowSeconds() override { return now.load(); }
    void Sleep(DWORD ms) override
    {
        std::lock_guard lock(m_lock);
        sleeps.push_back(ms);
    }
    void PreciseWait(DWORD ms) override
    {
        std::lock_guard lock(m_lock);
        preciseWaits.push_back(ms);
    }
    int CountSleeps(DWORD ms)
    {
        std::lock_guard lock(m_lock);
        return int(std::count(sleeps.begin(), sleeps.end(), ms));
    }
    int CountPreciseWaits()
    {
        std::lock_guard lock(m_lock);
        return int(preciseWaits.size());
    }

    // The computer's time: 15 January 2024, 10:17:05 (Prague, winter).
    CTime CurrentTime() override { return CTime(wall.load()); }

    std::atomic<std::int64_t> now{1000};
    std::atomic<CTime::time_type> wall{CTime(2024, 1, 15, 10, 17, 5).GetTime()};
    std::vector<DWORD> sleeps;
    std::vector<DWORD> preciseWaits;

private:
    std::mutex m_lock;
};

// A port list of fixed entries.
class FakePortList : public IPortList {
public:
    void Refresh() override {}
    bool Find(const QString& name, CPortEntry& entry) override
    {
        std::lock_guard lock(m_lock);
        const auto it = entries.find(name);
        if (it == entries.end())
            return false;
        entry = it->second;
        return true;
    }
    void Add(const QString& name, int retries, int kind = kPortKindSerial, int baud = 9600)
    {
        std::lock_guard lock(m_lock);
        CPortEntry e;
        e.name = name;
        e.retryCount = retries;
        e.kind = kind;
        e.baud = baud;
        entries[name] = e;
    }

    std::map<QString, CPortEntry> entries;

private:
    std::mutex m_lock;
};

// What happened to the ports a test opened.
struct PortLog {
    std::atomic<int> opens{0};
    std::atomic<int> purges{0};
    std::atomic<int> restores{0};
    std::atomic<int> closes{0};
    std::atomic<bool> interleaved{false};
    std::mutex lock;
    std::thread::id lastWriter;
    std::condition_variable released;
    bool holding = false;
    int held = 0;
    std::vector<std::vector<BYTE>> writes; // every frame written, in order

    // While held, a frame waits before it goes out: the instrument has not
    // answered yet, however long that lasts.
    void HoldWrites()
    {
        std::lock_guard guard(lock);
        holding = true;
    }
    void ReleaseWrites()
    {
        {
            std::lock_guard guard(lock);
            holding = false;
        }
        released.notify_all();
    }
    int HeldWrites()
    {
        std::lock_guard guard(lock);
        return held;
    }
    void WaitWhileHeld()
    {
        std::unique_lock guard(lock);
        ++held;
        released.wait(guard, [this] { return !holding; });
        --held;
    }

    std::vector<std::vector<BYTE>> Writes()
    {
        std::lock_guard guard(lock);
        return writes;
    }
    void ClearWrites()
    {
        std::lock_guard guard(lock);
        writes.clear();
    }
};

// A real instrument answers well within the link's read bounds; the
// simulator's thread, on a machine busy with a parallel test run, may be
// scheduled late enough to pass them, and the reply then reads as missing.
// The test ports stretch those bounds so that a busy machine is not taken
// for a silent instrument; a test of a late reply waits past the stretched
// bound.
constexpr DWORD kReadStretch = 2;

// A real port that reports to a PortLog, and notices a read by another
// thread than the one whose request is on the line.
class LoggingPort : public ISerialPort {
public:
    LoggingPort(std::shared_ptr<ISerialPort> inner, PortLog& log) : m_inner(std::move(inner)), m_log(log) {}
    bool SaveState(QByteArray& s) override { return m_inner->SaveState(s); }
    bool RestoreState(const QByteArray& s) override
    {
        ++m_log.restores;
        return m_inner->RestoreState(s);
    }
    bool SetTimeouts(const SerialTimeouts& t) override
    {
        SerialTimeouts stretched = t;
        stretched.readInterval *= kReadStretch;
        stretched.readConstant *= kReadStretch;
        return m_inner->SetTimeouts(stretched);
    }
    bool SetLineParameters(int baud) override { return m_inner->SetLineParameters(baud); }
    bool RaiseModemLines() override { return m_inner->RaiseModemLines(); }
    bool Purge() override
    {
        ++m_log.purges;
        return m_inner->Purge();
    }
    void ClearError() override { m_inner->ClearError(); }
    bool Write(const BYTE* d, int n, int& written, PortFault& f) override
    {
        m_log.WaitWhileHeld();
        {
            std::lock_guard lock(m_log.lock);
            m_log.lastWriter = std::this_thread::get_id();
            m_log.writes.emplace_back(d, d + n);
        }
        return m_inner->Write(d, n, written, f);
    }
    int Read(BYTE* d, int n, PortFault& f) override
    {
        {
            std::lock_guard lock(m_log.lock);
            if (m_log.lastWriter != std::this_thread::get_id())
                m_log.interleaved = true;
        }
        return m_inner->Read(d, n, f);
    }
    int BytesWaiting() override { return m_inner->BytesWaiting(); }
    void Close() override
    {
        ++m_log.closes;
        m_inner->Close();
    }

private:
    std::shared_ptr<ISerialPort> m_inner;
    PortLog& m_log;
};

inline SerialPortOpener LoggingOpener(PortLog& log)
{
    return [&log](const QString& path, PortFault& fault) -> std::shared_ptr<ISerialPort> {
        auto port = OpenSystemSerialPort(path, fault);
        if (!port)
            return nullptr;
        ++log.opens;
        return std::make_shared<LoggingPort>(port, log);
    };
}

// A simulated line with a link manager on it, on a fake clock.
struct SimLine {
    // Starts the line with the given instruments; the port is listed under
    // its device path with `retries`.
    void StartLine(std::initializer_list<sim::Instrument> instruments, int retries, int kind = kPortKindSerial)
    {
        for (const auto& i : instruments)
            line.AddInstrument(i);
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        port = QString::fromStdString(line.SlavePath());
        ports.Add(port, retries, kind);
    }

    DWORD OpenLink(WORD address)
    {
        const DWORD id = manager.Register(port, address);
        EXPECT_TRUE(manager.Open(id, port, address, QString())) << manager.GetErrorText(id).toStdString();
        return id;
    }

    QString Error(DWORD id) { return manager.GetErrorText(id); }

    sim::PtySimulator line;
    FakePortList ports;
    FakeClock clock;
    PortLog log;
    CLinkManager manager{ports, clock, LoggingOpener(log)};
    QString port;
};

class SimLineTest : public ::testing::Test, public SimLine {};

} // namespace linktest
