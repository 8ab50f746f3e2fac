// A simulated instrument on a pseudo-terminal, for trying the program and
// its link without hardware:
//
//   instrument_sim --family vkt --address 1 [--format A|B] [--version N]
//                  [--archive CAPACITY:SIZE:COUNT] [fault...]
//                  [--modem [--dial-answer ANSWER] [--guard MS]]
//
// prints the path of the line to open as the port, then answers until
// interrupted (or until its standard input closes, with --stdin).
#include "tools/instrument_sim/PtySimulator.h"
#include "tools/instrument_sim/SimArchive.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

std::atomic<bool> g_quit{false};

void OnSignal(int)
{
    g_quit = true;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: instrument_sim --family qorin|duskar|vk|vkr|vkt [--address N] [--format A|B]\n"
                 "                      [--version N] [--archive CAPACITY:SIZE:COUNT]\n"
                 "                      [--silence] [--late MS] [--stray N] [--bad-sum] [--wrong-address]\n"
                 "                      [--refuse] [--extra N] [--close] [--fault-replies N] [--stdin]\n"
                 "                      [--modem [--dial-answer connect|busy|no-carrier|no-dialtone|no-answer|error|silence]\n"
                 "                               [--guard MS]]\n"
                 "Faults apply to the first --fault-replies replies (default: all).\n"
                 "An analyser holds a recording of a day and both current profiles unless\n"
                 "--archive writes COUNT records of SIZE bytes into a ring of CAPACITY records.\n"
                 "--modem puts a Hayes modem in front of the instrument: dial it (ATD) to reach it.\n");
    return 2;
}

bool ParseDialAnswer(const std::string& name, sim::DialAnswer& answer)
{
    static const struct {
        const char* name;
        sim::DialAnswer answer;
    } kAnswers[] = {
        {"connect", sim::DialAnswer::Connect},       {"busy", sim::DialAnswer::Busy},
        {"no-carrier", sim::DialAnswer::NoCarrier},  {"no-dialtone", sim::DialAnswer::NoDialtone},
        {"no-answer", sim::DialAnswer::NoAnswer},    {"error", sim::DialAnswer::Error},
        {"silence", sim::DialAnswer::Silence},
    };
    for (const auto& a : kAnswers) {
        if (name == a.name) {
            answer = a.answer;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    sim::Family family = sim::Family::VK;
    bool familyGiven = false;
    int address = 1;
    std::string format;
    sim::Faults faults;
    int faultReplies = -1;
    bool watchStdin = false;
    int version = -1;
    unsigned long capacity = 0, recordSize = 0, records = 0;
    bool modem = false;
    sim::ModemScript script;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        auto number = [&](int& out) {
            const char* v = value();
            if (!v)
                return false;
            out = std::atoi(v);
            return true;
        };
        if (arg == "--family") {
            const char* v = value();
            if (!v || !sim::ParseFamily(v, family))
                return Usage();
            familyGiven = true;
        } else if (arg == "--address") {
            if (!number(address) || address < 0 || address > 255)
                return Usage();
        } else if (arg == "--format") {
            const char* v = value();
            if (!v)
                return Usage();
            format = v;
        } else if (arg == "--version") {
            if (!number(version) || version < 0 || version > 0xFFFF)
                return Usage();
        } else if (arg == "--archive") {
            const char* v = value();
            if (!v || std::sscanf(v, "%lu:%lu:%lu", &capacity, &recordSize, &records) != 3 || capacity == 0
                || recordSize == 0)
                return Usage();
        } else if (arg == "--silence") {
            faults.silence = true;
        } else if (arg == "--late") {
            if (!number(faults.lateMs))
                return Usage();
        } else if (arg == "--stray") {
            if (!number(faults.strayBytes))
                return Usage();
        } else if (arg == "--bad-sum") {
            faults.badChecksum = true;
        } else if (arg == "--wrong-address") {
            faults.wrongAddress = true;
        } else if (arg == "--refuse") {
            faults.refusal = true;
        } else if (arg == "--extra") {
            if (!number(faults.extraBytes))
                return Usage();
        } else if (arg == "--close") {
            faults.closeLine = true;
        } else if (arg == "--fault-replies") {
            if (!number(faultReplies))
                return Usage();
        } else if (arg == "--modem") {
            modem = true;
        } else if (arg == "--dial-answer") {
            const char* v = value();
            if (!v || !ParseDialAnswer(v, script.answer))
                return Usage();
        } else if (arg == "--guard") {
            if (!number(script.guardMs) || script.guardMs < 0)
                return Usage();
        } else if (arg == "--stdin") {
            watchStdin = true;
        } else {
            return Usage();
        }
    }
    if (!familyGiven)
        return Usage();

    sim::Format frameFormat = sim::DefaultFormat(family);
    if (format == "A" || format == "a")
        frameFormat = sim::Format::A;
    else if (format == "B" || format == "b")
        frameFormat = sim::Format::B;
    else if (!format.empty())
        return Usage();

    sim::Instrument instrument(family, std::uint8_t(address), frameFormat);
    if (version >= 0)
        instrument.SetVersion(std::uint16_t(version));
    sim::ServeDefaultMemory(instrument);
    if (capacity > 0)
        instrument.FillArchive(0, capacity, recordSize, records);
    sim::PtySimulator line;
    line.AddInstrument(instrument);
    if (modem)
        line.UseModem(script);
    line.SetFaults(faults, faultReplies);
    std::string error;
    if (!line.Start(error)) {
        std::fprintf(stderr, "instrument_sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", line.SlavePath().c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (watchStdin) {
        std::thread([] {
            char c;
            while (::read(STDIN_FILENO, &c, 1) > 0) {
            }
            g_quit = true;
        }).detach();
    }
    while (!g_quit)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    line.Stop();
    return 0;
}
