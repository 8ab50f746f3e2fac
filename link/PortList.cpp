#include "link/PortList.h"

#include "platform/Settings.h"

#include <algorithm>

CPortList::CPortList(Enumerator enumerate, ValueReader readValue)
    : m_enumerate(std::move(enumerate)), m_readValue(std::move(readValue))
{
}

CPortEntry CPortList::MakeSerialEntry(const QString& name, const QString& description, bool vktPort) const
{
    CPortEntry e;
    e.name = name;
    e.kind = vktPort ? kPortKindVkt : kPortKindSerial;
    e.description = description;
    e.baud = m_readValue(name, vktPort ? 115200 : 9600);
    e.retryCount = m_readValue(name + QStringLiteral("_ks"), 0);
    return e;
}

CPortEntry* CPortList::FindLocked(const QString& name)
{
    for (CPortEntry& e : m_entries) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

void CPortList::AddEnumerated(const std::vector<CSerialPortInfo>& ports)
{
    for (const CSerialPortInfo& info : ports) {
        if (FindLocked(info.portName))
            continue;
        m_entries.push_back(MakeSerialEntry(info.portName, info.description, IsVktPort(info)));
    }
}

void CPortList::Build()
{
    std::vector<CSerialPortInfo> ports;
    try {
        ports = m_enumerate();
    } catch (const QString&) {
        // A failed enumeration leaves the serial part of the list empty; the
        // ports named by device path still join on demand.
    }
    std::lock_guard lock(m_lock);
    std::erase_if(m_entries, [](const CPortEntry& e) { return e.kind != kPortKindModem; });
    AddEnumerated(ports);
}

void CPortList::Refresh()
{
    std::vector<CSerialPortInfo> ports;
    try {
        ports = m_enumerate();
    } catch (const QString&) {
        return;
    }
    std::lock_guard lock(m_lock);
    AddEnumerated(ports);
}

bool CPortList::Find(const QString& name, CPortEntry& entry)
{
    std::lock_guard lock(m_lock);
    if (const CPortEntry* e = FindLocked(name)) {
        entry = *e;
        return true;
    }
    if (!IsDevicePathName(name))
        return false;
    m_entries.push_back(MakeSerialEntry(name, QString(), false));
    entry = m_entries.back();
    return true;
}

void CPortList::AddModemLine(const CPortEntry& line)
{
    std::lock_guard lock(m_lock);
    if (!FindLocked(line.name))
        m_entries.push_back(line);
}

void CPortList::RemoveModemLine(const QString& name)
{
    std::lock_guard lock(m_lock);
    std::erase_if(m_entries, [&name](const CPortEntry& e) { return e.kind == kPortKindModem && e.name == name; });
}

bool CPortList::IsListed(const QString& name) const
{
    std::lock_guard lock(m_lock);
    return std::any_of(m_entries.begin(), m_entries.end(), [&name](const CPortEntry& e) { return e.name == name; });
}

std::vector<CPortEntry> CPortList::Entries() const
{
    std::lock_guard lock(m_lock);
    return m_entries;
}

CPortList::Enumerator SystemPortEnumerator()
{
    return [] {
        std::vector<CSerialPortInfo> ports;
        EnumerateSerialPorts(ports, true);
        return ports;
    };
}

CPortList::ValueReader GeneralSettingsReader()
{
    return [](const QString& valueName, int defaultValue) {
        return platform::Settings().GetProfileInt("Obecne nastaveni", valueName, defaultValue);
    };
}
