#ifndef _WIN32

#include "link/SerialPort.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

PortFault FaultFromErrno(int err)
{
    switch (err) {
    case EIO:
    case ENXIO:
    case ENODEV:
        return PortFault::DeviceGone;
    case EBADF:
        return PortFault::InvalidHandle;
    case EBUSY:
    case EACCES:
    case EWOULDBLOCK:
        return PortFault::Busy;
    case ENOENT:
    case ENOTDIR:
        return PortFault::NotFound;
    default:
        return PortFault::Other;
    }
}

bool SpeedFromBaud(int baud, speed_t& speed)
{
    static const struct {
        int baud;
        speed_t speed;
    } kSpeeds[] = {
        {300, B300}, {600, B600}, {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    };
    for (const auto& s : kSpeeds) {
        if (s.baud == baud) {
            speed = s.speed;
            return true;
        }
    }
    return false;
}

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    // Round up so that a wait never ends just short of its bound.
    return int(left) + 1;
}

// A terminal device opened without blocking; every wait is a poll() bounded
// by the port's time-outs, so that a worker thread never hangs on a line.
class PosixSerialPort final : public ISerialPort {
public:
    explicit PosixSerialPort(int fd) : m_fd(fd) {}
    ~PosixSerialPort() override { Close(); }

    bool SaveState(QByteArray& state) override
    {
        termios t{};
        if (::tcgetattr(m_fd, &t) != 0)
            return false;
        state = QByteArray(reinterpret_cast<const char*>(&t), int(sizeof t));
        return true;
    }

    bool RestoreState(const QByteArray& state) override
    {
        if (state.size() != int(sizeof(termios)))
            return false;
        termios t{};
        std::memcpy(&t, state.constData(), sizeof t);
        return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
    }

    bool SetTimeouts(const SerialTimeouts& timeouts) override
    {
        if (m_fd < 0)
            return false;
        m_timeouts = timeouts;
        return true;
    }

    bool SetLineParameters(int baud) override
    {
        speed_t speed{};
        if (!SpeedFromBaud(baud, speed))
            return false;
        termios t{};
        if (::tcgetattr(m_fd, &t) != 0)
            return false;
        t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
        t.c_oflag &= ~tcflag_t(OPOST);
        t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        t.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
        t.c_cflag |= CS8 | CREAD | CLOCAL;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
            return false;
        return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
    }

    bool RaiseModemLines() override
    {
        int bits = TIOCM_DTR | TIOCM_RTS;
        return ::ioctl(m_fd, TIOCMBIS, &bits) == 0;
    }

    bool Purge() override { return ::tcflush(m_fd, TCIOFLUSH) == 0; }

    void ClearError() override {}

    bool Write(const BYTE* data, int count, int& written, PortFault& fault) override
    {
        written = 0;
        fault = PortFault::None;
        if (m_fd < 0) {
            fault = PortFault::InvalidHandle;
            return false;
        }
        const auto deadline = Clock::now()
            + std::chrono::milliseconds(std::int64_t(m_timeouts.writeMultiplier) * count + m_timeouts.writeConstant);
        while (written < count) {
            const ssize_t n = ::write(m_fd, data + written, std::size_t(count - written));
            if (n > 0) {
                written += int(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN) {
                fault = FaultFromErrno(errno);
                return false;
            }
            const int wait = MillisecondsLeft(deadline);
            if (wait == 0)
                break; // the write bound passed: report what went out
            pollfd p{m_fd, POLLOUT, 0};
            if (::poll(&p, 1, wait) < 0 && errno != EINTR) {
                fault = FaultFromErrno(errno);
                return false;
            }
        }
        return true;
    }

    int Read(BYTE* data, int count, PortFault& fault) override
    {
        fault = PortFault::None;
        if (m_fd < 0) {
            fault = PortFault::InvalidHandle;
            return -1;
        }
        const auto total = std::chrono::milliseconds(std::int64_t(m_timeouts.readMultiplier) * count + m_timeouts.readConstant);
        const auto deadline = Clock::now() + total;
        int got = 0;
        Clock::time_point lastByte{};
        bool hungUp = false;
        while (got < count) {
            const ssize_t n = ::read(m_fd, data + got, std::size_t(count - got));
            if (n > 0) {
                got += int(n);
                lastByte = Clock::now();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN) {
                fault = FaultFromErrno(errno);
                return -1;
            }
            if (hungUp) {
                // The other end is gone and nothing is left to read.
                fault = PortFault::DeviceGone;
                return -1;
            }
            auto until = deadline;
            if (got > 0 && m_timeouts.readInterval > 0)
                until = std::min(until, lastByte + std::chrono::milliseconds(m_timeouts.readInterval));
            const int wait = MillisecondsLeft(until);
            if (wait == 0)
                break;
            pollfd p{m_fd, POLLIN, 0};
            const int r = ::poll(&p, 1, wait);
            if (r < 0 && errno != EINTR) {
                fault = FaultFromErrno(errno);
                return -1;
            }
            if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) {
                fault = (p.revents & POLLNVAL) ? PortFault::InvalidHandle : PortFault::DeviceGone;
                return -1;
            }
            // On a hang-up the next read() still returns what is left.
            hungUp = r > 0 && (p.revents & POLLHUP) != 0;
        }
        return got;
    }

    int BytesWaiting() override
    {
        int n = 0;
        if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &n) != 0)
            return 0;
        return n;
    }

    void Close() override
    {
        if (m_fd < 0)
            return;
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    SerialTimeouts m_timeouts;
};

} // namespace

std::shared_ptr<ISerialPort> OpenSystemSerialPort(const QString& devicePath, PortFault& fault)
{
    fault = PortFault::None;
    const QByteArray path = devicePath.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fault = FaultFromErrno(errno);
        return nullptr;
    }
    // Not shared: the advisory lock keeps out every program that locks too
    // (this one's other links and probes among them); TIOCEXCL the rest,
    // where the system honours it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fault = PortFault::Busy;
        ::close(fd);
        return nullptr;
    }
    if (!::isatty(fd)) {
        fault = PortFault::Other;
        ::close(fd);
        return nullptr;
    }
    ::ioctl(fd, TIOCEXCL);
    return std::make_shared<PosixSerialPort>(fd);
}

#endif
