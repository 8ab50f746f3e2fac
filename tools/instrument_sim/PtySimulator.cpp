#include "tools/instrument_sim/PtySimulator.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

PtySimulator::PtySimulator() = default;

PtySimulator::~PtySimulator()
{
    Stop();
}

Instrument& PtySimulator::AddInstrument(const Instrument& instrument)
{
    std::lock_guard lock(m_lock);
    m_instruments.push_back(std::make_unique<Instrument>(instrument));
    return *m_instruments.back();
}

void PtySimulator::UseModem(const ModemScript& script)
{
    std::lock_guard lock(m_lock);
    m_modem = std::make_unique<HayesModem>();
    m_modem->script = script;
}

bool PtySimulator::Start(std::string& error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        Stop();
        return false;
    }
    char name[256] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        Stop();
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        error = std::string("open ") + name + ": " + std::strerror(errno);
        Stop();
        return false;
    }
    // Raw from the start: no echo of requests back to the program.
    termios t{};
    if (::tcgetattr(m_slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(m_slave, TCSANOW, &t);
    }
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void PtySimulator::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

void PtySimulator::SetFaults(const Faults& faults, int replies, int skip)
{
    std::lock_guard lock(m_lock);
    m_faults = faults;
    m_faultReplies = replies;
    m_faultSkip = skip;
}

Faults PtySimulator::NextFaults()
{
    if (m_faultSkip > 0) {
        --m_faultSkip;
        return Faults{};
    }
    if (m_faultReplies == 0)
        return Faults{};
    if (m_faultReplies > 0)
        --m_faultReplies;
    return m_faults;
}

void PtySimulator::SleepUnlessStopped(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_stop && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

bool PtySimulator::WriteAll(const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size() && !m_stop) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += std::size_t(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return false;
        } else {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 20);
        }
    }
    return done == bytes.size();
}

void PtySimulator::Serve(const Frame& frame)
{
    ++m_requests;
    // Each reply with the faults it goes out with.
    std::vector<std::pair<Bytes, Faults>> replies;
    {
        std::lock_guard lock(m_lock);
        Instrument* target = nullptr;
        for (auto& i : m_instruments) {
            if (i->GetAddress() == frame.address)
                target = i.get();
        }
        if (!target && frame.command == 0x01) {
            for (auto& i : m_instruments) {
                if (i->answersAnyAddress)
                    target = i.get();
            }
        }
        if (!target)
            return; // another instrument's request: not ours to answer
        const Response response = target->Handle(frame);
        if (response.kind == Response::Kind::Stream) {
            for (const Bytes& data : response.stream) {
                const Faults faults = NextFaults();
                replies.emplace_back(EncodeReply(*target, frame, Response::Data(data), faults), faults);
            }
        } else if (response.kind != Response::Kind::None) {
            const Faults faults = NextFaults();
            replies.emplace_back(EncodeReply(*target, frame, response, faults), faults);
        }
    }
    for (const auto& [line, faults] : replies) {
        if (!Send(line, faults))
            return;
    }
}

bool PtySimulator::Send(const Bytes& line, const Faults& faults)
{
    {
        // Without a call the instruments' replies do not reach the program.
        std::lock_guard lock(m_lock);
        if (m_modem && !m_modem->InDataMode())
            return true;
    }
    if (faults.closeLine) {
        ::close(m_slave);
        ::close(m_master);
        m_slave = -1;
        m_master = -1;
        return false;
    }
    if (faults.silence)
        return true;
    if (faults.lateMs > 0)
        SleepUnlessStopped(faults.lateMs);
    if (WriteAll(line))
        ++m_replies;
    return true;
}

void PtySimulator::FeedModem(const std::uint8_t* p, std::size_t n, FrameParser& parser)
{
    const auto now = FrameParser::Clock::now();
    Bytes toProgram;
    Bytes data;
    {
        std::lock_guard lock(m_lock);
        if (!m_modem) {
            data.assign(p, p + n);
        } else {
            m_modem->Feed(p, n, now, toProgram, data);
        }
    }
    if (!toProgram.empty())
        WriteAll(toProgram);
    if (!data.empty())
        parser.Feed(data.data(), data.size(), now);
}

void PtySimulator::TickModem()
{
    Bytes toProgram;
    {
        std::lock_guard lock(m_lock);
        if (!m_modem)
            return;
        m_modem->Tick(FrameParser::Clock::now(), toProgram);
    }
    if (!toProgram.empty())
        WriteAll(toProgram);
}

void PtySimulator::Run()
{
    FrameParser parser;
    std::uint8_t chunk[512];
    while (!m_stop && m_master >= 0) {
        pollfd p{m_master, POLLIN, 0};
        const int r = ::poll(&p, 1, 20);
        const auto now = FrameParser::Clock::now();
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n > 0)
                FeedModem(chunk, std::size_t(n), parser);
        } else if (r > 0 && (p.revents & (POLLHUP | POLLERR))) {
            // Nobody on the far end right now (our own end keeps it open,
            // so this is rare): do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        TickModem();
        while (auto frame = parser.Next(now)) {
            Serve(*frame);
            if (m_master < 0)
                break;
        }
        m_noise = parser.SkippedBytes();
    }
}

} // namespace sim
