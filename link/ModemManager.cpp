#include "link/LinkManager.h"

#include "link/ModemLine.h"

void CLinkManager::ApplyModemSettings(const QString& lineName, int retryCount, int connectFlag)
{
    CPortEntry entry;
    if (!m_services.ports->Find(lineName, entry) || entry.kind != kPortKindModem)
        return;
    auto* modem = dynamic_cast<CModemPort*>(entry.modem);
    if (!modem)
        return;
    // The links of the line read the values under their port lock.
    std::unique_lock<std::mutex> port;
    {
        std::lock_guard lock(m_lock);
        for (const auto& link : m_links) {
            if (link->m_modem == modem && link->m_port) {
                port = std::unique_lock<std::mutex>(Line(link->m_portIndex).port);
                break;
            }
        }
        // Taken while the index cannot change; the manager lock goes now,
        // the port lock is later in the lock order.
    }
    std::lock_guard state(modem->StateLock());
    modem->SetRetryCount(retryCount);
    modem->SetConnectFlag(connectFlag);
}

ModemLineState CLinkManager::GetModemState(CModemPort& modem)
{
    // Links join and leave a line under the manager lock (with all others).
    std::lock_guard lock(m_lock);
    int links = 0;
    for (const auto& link : m_links) {
        if (link->m_modem == &modem && link->m_openFlag)
            ++links;
    }
    std::lock_guard state(modem.StateLock());
    ModemLineState snapshot = modem.Snapshot();
    snapshot.links = links;
    return snapshot;
}

void CLinkManager::ResetModemCounters(CModemPort& modem)
{
    std::lock_guard state(modem.StateLock());
    modem.ResetCounters();
}

void CLinkManager::HangUpModem(CModemPort& modem)
{
    std::lock_guard line(modem.LineLock());
    // Opens and closes of the line wait on the line lock: the port index of
    // its links holds still while the call ends under their port lock.
    int index = -1;
    {
        std::lock_guard lock(m_lock);
        for (const auto& link : m_links) {
            if (link->m_modem == &modem && link->m_port) {
                index = link->m_portIndex;
                break;
            }
        }
    }
    if (index < 0) {
        modem.HangUpLine();
        return;
    }
    std::lock_guard port(Line(index).port);
    modem.HangUpLine();
}
