#pragma once

#include "tools/instrument_sim/SimInstrument.h"

#include <chrono>
#include <string>
#include <vector>

namespace sim {

// How the simulated modem answers a dial command.
enum class DialAnswer { Connect, Busy, NoCarrier, NoDialtone, NoAnswer, Error, Silence };

// What the modem is told to do; may be changed while the line runs.
struct ModemScript {
    DialAnswer answer = DialAnswer::Connect;
    std::string connectText = "CONNECT 9600";
    // Silence before and after "+++" that makes it an escape, not data.
    int guardMs = 1000;
    // The carrier drops when the next data byte arrives: "NO CARRIER", the
    // data is lost and the modem goes on hook.
    bool dropOnNextData = false;
    // The carrier drops as soon as the line is next served.
    bool dropNow = false;
};

// A Hayes AT-command modem between the program and the instruments: in
// command mode it answers AT lines, after CONNECT it passes the data both
// ways until the "+++" escape (with its guard times) or a lost carrier.
class HayesModem {
public:
    using Clock = std::chrono::steady_clock;

    ModemScript script;

    // Bytes from the program: answers go to `toProgram`, data for the
    // instruments to `toInstruments`.
    void Feed(const std::uint8_t* p, std::size_t n, Clock::time_point now, Bytes& toProgram, Bytes& toInstruments);
    // Called while the line is quiet: completes an escape whose guard time
    // has passed.
    void Tick(Clock::time_point now, Bytes& toProgram);
    // The carrier drops now.
    void DropCarrier(Bytes& toProgram);

    // True while the data of a call passes through.
    bool InDataMode() const { return m_mode == Mode::Data; }
    bool OffHook() const { return m_offHook; }

    // What the program did.
    std::vector<std::string> commands; // every command line, as received
    std::string lastNumber; // the number of the last dial, without T/P
    int dials = 0;
    int hangUps = 0; // ATH while off hook, or a lost carrier
    int escapes = 0;

private:
    enum class Mode { Command, Data, OnlineCommand };
    void Command(const std::string& line, Bytes& toProgram);
    void Result(const std::string& text, Bytes& toProgram) const;
    void GoOnHook();

    Mode m_mode = Mode::Command;
    bool m_offHook = false;
    bool m_echo = true;
    std::string m_line;
    int m_pluses = 0; // escape characters held back
    Clock::time_point m_lastData{};
    Clock::time_point m_plusTime{};
};

} // namespace sim
