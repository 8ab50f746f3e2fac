#pragma once

#include "LinkTestSupport.h"

#include "link/ModemLine.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace modemtest {

// Time that moves by what is slept. Each pause also takes a twentieth of
// its length in real time, so that the simulated modem on the line has
// time to answer while the dialling waits in rounds, and sees the guard
// times around an escape (its own are shorter).
//
// Hold stops time: a pause waits until Release, so a test can act within a
// countdown however slowly the machine runs it.
class SteppingClock : public linktest::FakeClock {
public:
    void Hold()
    {
        std::lock_guard lock(m_holdLock);
        m_held = true;
    }
    void Release()
    {
        {
            std::lock_guard lock(m_holdLock);
            m_held = false;
        }
        m_released.notify_all();
    }

    void Sleep(DWORD ms) override
    {
        {
            std::unique_lock lock(m_holdLock);
            m_released.wait(lock, [this] { return !m_held; });
        }
        FakeClock::Sleep(ms);
        m_ms += ms;
        const std::int64_t seconds = m_ms / 1000;
        m_ms %= 1000;
        now += seconds;
        wall += CTime::time_type(seconds);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms / 20));
    }

private:
    std::int64_t m_ms = 0;
    std::mutex m_holdLock;
    std::condition_variable m_released;
    bool m_held = false;
};

// What the dialling thread told its dialog.
struct DialogLog {
    int started = 0;
    std::vector<QString> captions;
    std::vector<QString> statuses;
    std::vector<int> done;
    int closes = 0;
    int queries = 0;
    int cancelAtQuery = -1; // the query that finds the user's cancel

    QString LastStatus() const { return statuses.empty() ? QString() : statuses.back(); }
    bool Shown(const QString& text) const { return std::find(statuses.begin(), statuses.end(), text) != statuses.end(); }
};

class ScriptedDialog : public IModemDialog {
public:
    explicit ScriptedDialog(DialogLog& log) : m_log(log) {}
    void SetCaption(const QString& caption) override { m_log.captions.push_back(caption); }
    void SetStatus(const QString& text) override { m_log.statuses.push_back(text); }
    bool QueryCancel() override { return ++m_log.queries == m_log.cancelAtQuery; }
    void Done(int stage) override { m_log.done.push_back(stage); }
    void Close() override { ++m_log.closes; }

private:
    DialogLog& m_log;
};

inline const QString kLine = QStringLiteral("Modem 1");

// A simulated modem with a VK analyser (address 1) behind it, a modem line
// on it and a link manager that knows the line.
struct ModemRig {
    explicit ModemRig(sim::ModemScript script = sim::ModemScript{}, ModemLineSettings settings = ModemLineSettings{})
    {
        // Guard times of the simulated side within the real part of the
        // program's (see SteppingClock).
        script.guardMs = 20;
        line.UseModem(script);
        line.AddInstrument(sim::Instrument(sim::Family::VK, 1));
        std::string error;
        started = line.Start(error);
        EXPECT_TRUE(started) << error;
        ModemServices services;
        services.clock = &clock;
        services.dialogs = [this]() -> std::unique_ptr<IModemDialog> {
            ++dialog.started;
            return std::make_unique<ScriptedDialog>(dialog);
        };
        modem = std::make_unique<CModemPort>(kLine, QString::fromStdString(line.SlavePath()), settings, services);
        CPortEntry entry;
        entry.name = kLine;
        entry.kind = kPortKindModem;
        entry.description = QStringLiteral("modem");
        entry.modem = modem.get();
        ports.entries[kLine] = entry;
    }

    DWORD Register(WORD address) { return manager.Register(kLine, address); }
    BOOL Open(DWORD id, WORD address, const QString& number = QStringLiteral("123456"))
    {
        return manager.Open(id, kLine, address, number);
    }
    ModemLineState State() { return manager.GetModemState(*modem); }
    template <class Fn>
    void Script(Fn&& fn)
    {
        line.WithModem([&](sim::HayesModem& m) { fn(m.script); });
    }
    sim::HayesModem SimModem()
    {
        sim::HayesModem copy;
        line.WithModem([&](sim::HayesModem& m) { copy = m; });
        return copy;
    }

    // Destroyed in reverse: the manager (whose links hang up) before the
    // modem, the line last.
    sim::PtySimulator line;
    bool started = false;
    SteppingClock clock;
    DialogLog dialog;
    linktest::FakePortList ports;
    std::unique_ptr<CModemPort> modem;
    CLinkManager manager{ports, clock};
};

} // namespace modemtest
