#pragma once

#include "tools/instrument_sim/SimInstrument.h"
#include "tools/instrument_sim/SimModem.h"
#include "tools/instrument_sim/SimWire.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

// A line with simulated instruments on it: a pseudo-terminal whose far end
// (SlavePath) a program opens as its serial port. A thread of its own reads
// the requests and answers them as the addressed instrument would. Faults
// set by SetFaults apply to the next replies.
class PtySimulator {
public:
    PtySimulator();
    ~PtySimulator();
    PtySimulator(const PtySimulator&) = delete;
    PtySimulator& operator=(const PtySimulator&) = delete;

    // Before Start.
    Instrument& AddInstrument(const Instrument& instrument);
    // Puts a Hayes modem in front of the instruments: the program dials
    // before it reaches them.
    void UseModem(const ModemScript& script = ModemScript{});

    // Runs `fn` on the modem with the line's lock held (to change its script
    // or look at what it was told).
    template <class Fn>
    void WithModem(Fn&& fn)
    {
        std::lock_guard lock(m_lock);
        if (m_modem)
            fn(*m_modem);
    }

    // Opens the pseudo-terminal and starts answering; false with `error`.
    bool Start(std::string& error);
    // Stops the thread and closes the line; safe to call twice.
    void Stop();

    const std::string& SlavePath() const { return m_slavePath; }

    // Faults for the next `replies` replies (-1: until changed), after
    // `skip` good ones. Each reply of a stream counts.
    void SetFaults(const Faults& faults, int replies = 1, int skip = 0);
    void ClearFaults() { SetFaults(Faults{}, 0); }

    // Runs `fn` on an instrument with the line's lock held (the serving
    // thread reads the instruments under it).
    template <class Fn>
    void WithInstrument(std::uint8_t address, Fn&& fn)
    {
        std::lock_guard lock(m_lock);
        for (auto& i : m_instruments) {
            if (i->GetAddress() == address)
                fn(*i);
        }
    }

    int RequestCount() const { return m_requests.load(); }
    int ReplyCount() const { return m_replies.load(); }
    // Bytes the parser could not place in any frame.
    int NoiseBytes() const { return m_noise.load(); }

private:
    void Run();
    void Serve(const Frame& frame);
    // The faults of the next reply (under the lock).
    Faults NextFaults();
    // Puts one reply on the line; false when the line was closed instead.
    bool Send(const Bytes& line, const Faults& faults);
    bool WriteAll(const Bytes& bytes);
    void SleepUnlessStopped(int ms);
    // The program's bytes through the modem (when there is one) on to the
    // instruments' parser.
    void FeedModem(const std::uint8_t* p, std::size_t n, FrameParser& parser);
    void TickModem();

    std::mutex m_lock;
    std::vector<std::unique_ptr<Instrument>> m_instruments;
    Faults m_faults;
    int m_faultReplies = 0;
    int m_faultSkip = 0;
    std::unique_ptr<HayesModem> m_modem;

    int m_master = -1;
    int m_slave = -1; // kept open so that the line stays up between users
    std::string m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
    std::atomic<int> m_replies{0};
    std::atomic<int> m_noise{0};
};

} // namespace sim
