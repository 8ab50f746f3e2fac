#ifdef _WIN32

#include "link/SerialPort.h"

#include <windows.h>

#include <cstring>

namespace {

PortFault FaultFromIoError(DWORD err)
{
    switch (err) {
    case ERROR_ACCESS_DENIED: // what a write on an unplugged USB adapter reports
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
        return PortFault::DeviceGone;
    case ERROR_INVALID_HANDLE:
        return PortFault::InvalidHandle;
    default:
        return PortFault::Other;
    }
}

PortFault FaultFromOpenError(DWORD err)
{
    switch (err) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return PortFault::Busy;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return PortFault::NotFound;
    default:
        return PortFault::Other;
    }
}

struct SavedState {
    COMMTIMEOUTS timeouts;
    DCB dcb;
};

// A communication device in plain (not overlapped) mode: the time-outs set
// on the device bound every read and write.
class WinSerialPort final : public ISerialPort {
public:
    explicit WinSerialPort(HANDLE h) : m_h(h) {}
    ~WinSerialPort() override { Close(); }

    bool SaveState(QByteArray& state) override
    {
        SavedState s{};
        s.dcb.DCBlength = sizeof(DCB);
        if (!::GetCommTimeouts(m_h, &s.timeouts) || !::GetCommState(m_h, &s.dcb))
            return false;
        state = QByteArray(reinterpret_cast<const char*>(&s), int(sizeof s));
        return true;
    }

    bool RestoreState(const QByteArray& state) override
    {
        if (state.size() != int(sizeof(SavedState)))
            return false;
        SavedState s{};
        std::memcpy(&s, state.constData(), sizeof s);
        return ::SetCommTimeouts(m_h, &s.timeouts) && ::SetCommState(m_h, &s.dcb);
    }

    bool SetTimeouts(const SerialTimeouts& t) override
    {
        COMMTIMEOUTS ct{};
        ct.ReadIntervalTimeout = t.readInterval;
        ct.ReadTotalTimeoutMultiplier = t.readMultiplier;
        ct.ReadTotalTimeoutConstant = t.readConstant;
        ct.WriteTotalTimeoutMultiplier = t.writeMultiplier;
        ct.WriteTotalTimeoutConstant = t.writeConstant;
        return ::SetCommTimeouts(m_h, &ct) != 0;
    }

    bool SetLineParameters(int baud) override
    {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(m_h, &dcb))
            return false;
        const QByteArray params = QByteArray::number(baud) + ",N,8,1";
        if (!::BuildCommDCBA(params.constData(), &dcb))
            return false;
        return ::SetCommState(m_h, &dcb) != 0;
    }

    bool RaiseModemLines() override
    {
        const bool dtr = ::EscapeCommFunction(m_h, SETDTR) != 0;
        const bool rts = ::EscapeCommFunction(m_h, SETRTS) != 0;
        return dtr && rts;
    }

    bool Purge() override
    {
        return ::PurgeComm(m_h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != 0;
    }

    void ClearError() override
    {
        DWORD errors = 0;
        ::ClearCommError(m_h, &errors, nullptr);
    }

    bool Write(const BYTE* data, int count, int& written, PortFault& fault) override
    {
        fault = PortFault::None;
        DWORD n = 0;
        const BOOL ok = ::WriteFile(m_h, data, DWORD(count), &n, nullptr);
        written = int(n);
        if (!ok) {
            fault = FaultFromIoError(::GetLastError());
            return false;
        }
        return true;
    }

    int Read(BYTE* data, int count, PortFault& fault) override
    {
        fault = PortFault::None;
        DWORD n = 0;
        if (!::ReadFile(m_h, data, DWORD(count), &n, nullptr)) {
            fault = FaultFromIoError(::GetLastError());
            return -1;
        }
        return int(n);
    }

    int BytesWaiting() override
    {
        DWORD errors = 0;
        COMSTAT status{};
        if (!::ClearCommError(m_h, &errors, &status))
            return 0;
        return int(status.cbInQue);
    }

    void Close() override
    {
        if (m_h == INVALID_HANDLE_VALUE)
            return;
        ::CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

} // namespace

std::shared_ptr<ISerialPort> OpenSystemSerialPort(const QString& devicePath, PortFault& fault)
{
    fault = PortFault::None;
    const HANDLE h = ::CreateFileW(reinterpret_cast<LPCWSTR>(devicePath.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fault = FaultFromOpenError(::GetLastError());
        return nullptr;
    }
    return std::make_shared<WinSerialPort>(h);
}

#endif
