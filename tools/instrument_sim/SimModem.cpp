#include "tools/instrument_sim/SimModem.h"

#include <cctype>

namespace sim {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The result code of a dial that does not connect; null for silence.
const char* FailureText(DialAnswer answer)
{
    switch (answer) {
    case DialAnswer::Busy:
        return "BUSY";
    case DialAnswer::NoCarrier:
        return "NO CARRIER";
    case DialAnswer::NoDialtone:
        return "NO DIALTONE";
    case DialAnswer::NoAnswer:
        return "NO ANSWER";
    case DialAnswer::Error:
        return "ERROR";
    default:
        return nullptr;
    }
}

} // namespace

void HayesModem::Result(const std::string& text, Bytes& toProgram) const
{
    const std::string line = "\r\n" + text + "\r\n";
    toProgram.insert(toProgram.end(), line.begin(), line.end());
}

void HayesModem::GoOnHook()
{
    if (m_offHook)
        ++hangUps;
    m_offHook = false;
    m_mode = Mode::Command;
    m_pluses = 0;
}

void HayesModem::DropCarrier(Bytes& toProgram)
{
    if (!m_offHook)
        return;
    GoOnHook();
    Result("NO CARRIER", toProgram);
}

void HayesModem::Feed(const std::uint8_t* p, std::size_t n, Clock::time_point now, Bytes& toProgram,
                      Bytes& toInstruments)
{
    const auto guard = std::chrono::milliseconds(script.guardMs);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = p[i];
        if (m_mode == Mode::Data) {
            if (b == '+' && m_pluses < 3 && (m_pluses > 0 || now - m_lastData >= guard)) {
                ++m_pluses;
                m_plusTime = now;
                continue;
            }
            if (script.dropOnNextData) {
                script.dropOnNextData = false;
                DropCarrier(toProgram);
                return; // the rest of the data is lost with the carrier
            }
            toInstruments.insert(toInstruments.end(), std::size_t(m_pluses), std::uint8_t('+'));
            m_pluses = 0;
            toInstruments.push_back(b);
            m_lastData = now;
            continue;
        }
        if (m_echo)
            toProgram.push_back(b);
        if (b == '\r') {
            const std::string line = m_line;
            m_line.clear();
            Command(line, toProgram);
            if (m_mode == Mode::Data)
                m_lastData = now;
        } else if (b != '\n' && m_line.size() < 256) {
            m_line.push_back(char(b));
        }
    }
}

void HayesModem::Tick(Clock::time_point now, Bytes& toProgram)
{
    if (script.dropNow) {
        script.dropNow = false;
        DropCarrier(toProgram);
    }
    if (m_mode != Mode::Data || m_pluses < 3 || now - m_plusTime < std::chrono::milliseconds(script.guardMs))
        return;
    m_pluses = 0;
    ++escapes;
    m_mode = Mode::OnlineCommand;
    Result("OK", toProgram);
}

void HayesModem::Command(const std::string& received, Bytes& toProgram)
{
    std::string s;
    for (char c : received) {
        if (c != ' ')
            s.push_back(char(std::toupper(static_cast<unsigned char>(c))));
    }
    if (s.empty())
        return;
    commands.push_back(received);
    if (s.size() < 2 || s[0] != 'A' || s[1] != 'T')
        return; // not a command: a real modem ignores it
    std::size_t i = 2;
    auto skipNumber = [&] {
        while (i < s.size() && IsDigit(s[i]))
            ++i;
    };
    while (i < s.size()) {
        const char c = s[i++];
        switch (c) {
        case 'D': {
            if (m_offHook) {
                Result("ERROR", toProgram);
                return;
            }
            std::string number = s.substr(i);
            if (!number.empty() && (number[0] == 'T' || number[0] == 'P'))
                number.erase(0, 1);
            lastNumber = number;
            ++dials;
            if (script.answer == DialAnswer::Connect) {
                m_offHook = true;
                m_mode = Mode::Data;
                Result(script.connectText, toProgram);
            } else if (const char* text = FailureText(script.answer)) {
                Result(text, toProgram);
            }
            return;
        }
        case 'H':
            skipNumber();
            GoOnHook();
            break;
        case 'O':
            skipNumber();
            if (m_mode == Mode::OnlineCommand && m_offHook) {
                m_mode = Mode::Data;
                Result(script.connectText, toProgram);
                return;
            }
            break;
        case 'E':
            m_echo = !(i < s.size() && s[i] == '0');
            skipNumber();
            break;
        case 'Z':
            skipNumber();
            GoOnHook();
            m_echo = true;
            break;
        case '&':
            if (i < s.size())
                ++i;
            skipNumber();
            break;
        case 'S':
            skipNumber();
            if (i < s.size() && s[i] == '?') {
                ++i;
            } else if (i < s.size() && s[i] == '=') {
                ++i;
                skipNumber();
            }
            break;
        default:
            skipNumber();
            break;
        }
    }
    Result("OK", toProgram);
}

} // namespace sim
