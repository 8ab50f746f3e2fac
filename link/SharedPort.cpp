#include "link/SharedPort.h"

#include "link/LinkLog.h"

#include <algorithm>

CSharedPort::CSharedPort(std::shared_ptr<ISerialPort> device, ILinkClock& clock, const QString& name)
    : m_device(std::move(device)), m_clock(&clock), m_name(name), m_reopens(true)
{
    if (!m_device)
        m_since = m_clock->NowSeconds();
}

CSharedPort::CSharedPort(std::shared_ptr<ISerialPort> modemData) : m_device(std::move(modemData)) {}

std::int64_t CSharedPort::ReopenPauseSeconds(int tries)
{
    std::int64_t pause = kFirstReopenSeconds;
    for (int i = 0; i < tries && pause < kMaxReopenSeconds; ++i)
        pause *= 2;
    return std::min(pause, kMaxReopenSeconds);
}

bool CSharedPort::IsReopenDue() const
{
    return IsGone() && m_clock->NowSeconds() - m_since >= ReopenPauseSeconds(m_tries);
}

void CSharedPort::Reopened(std::shared_ptr<ISerialPort> device)
{
    m_since = m_clock->NowSeconds();
    if (!device) {
        ++m_tries;
        qCDebug(lcLinkExchange, "%s: still missing after %d tries, next in %lld s", qPrintable(m_name), m_tries,
                static_cast<long long>(ReopenPauseSeconds(m_tries)));
        return;
    }
    qCDebug(lcLinkExchange, "%s: back after %d tries", qPrintable(m_name), m_tries + 1);
    m_device = std::move(device);
    m_tries = 0;
}

void CSharedPort::NoteFault(PortFault fault)
{
    if (!m_reopens || !m_device || (fault != PortFault::DeviceGone && fault != PortFault::InvalidHandle))
        return;
    qCDebug(lcLinkExchange, "%s: device gone, closed", qPrintable(m_name));
    m_device->Close();
    m_device.reset();
    m_tries = 0;
    m_since = m_clock->NowSeconds();
}

bool CSharedPort::SaveState(QByteArray& state)
{
    return m_device && m_device->SaveState(state);
}

bool CSharedPort::RestoreState(const QByteArray& state)
{
    return m_device && m_device->RestoreState(state);
}

bool CSharedPort::SetTimeouts(const SerialTimeouts& timeouts)
{
    return m_device && m_device->SetTimeouts(timeouts);
}

bool CSharedPort::SetLineParameters(int baud)
{
    return m_device && m_device->SetLineParameters(baud);
}

bool CSharedPort::RaiseModemLines()
{
    return m_device && m_device->RaiseModemLines();
}

bool CSharedPort::Purge()
{
    return m_device && m_device->Purge();
}

void CSharedPort::ClearError()
{
    if (m_device)
        m_device->ClearError();
}

bool CSharedPort::Write(const BYTE* data, int count, int& written, PortFault& fault)
{
    written = 0;
    if (!m_device) {
        fault = PortFault::DeviceGone;
        return false;
    }
    if (m_device->Write(data, count, written, fault))
        return true;
    NoteFault(fault);
    return false;
}

int CSharedPort::Read(BYTE* data, int count, PortFault& fault)
{
    if (!m_device) {
        fault = PortFault::DeviceGone;
        return -1;
    }
    const int got = m_device->Read(data, count, fault);
    if (got < 0)
        NoteFault(fault);
    return got;
}

int CSharedPort::BytesWaiting()
{
    return m_device ? m_device->BytesWaiting() : 0;
}

void CSharedPort::Close()
{
    if (m_device)
        m_device->Close();
    m_device.reset();
    m_reopens = false;
}
