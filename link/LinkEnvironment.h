#pragma once

#include "platform/Time32.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class CLinkEnvironment;
class CLinkManager;
class CPristrojThread;
class IArchivHost;
class ILinkClock;
class IMereniHost;
class IPristrojHost;

// Counters that every measurement thread of one program shares: a run of
// failed hand-overs is the main window's fault, not one instrument's, and
// the boxes and the polls skipped under load are rationed across them all.
struct CMereniShared {
    std::atomic<int> failedHandOvers{0};
    std::atomic<int> skippedPolls{0};
    std::atomic<int> openBoxes{0};
    // When any VKT thread last asked its instrument for the quarter-hour
    // energy record; the pacing keeps the instruments of one line from
    // asking back to back.
    std::atomic<platform::CTime::time_type> lastEnergyAttempt{0};
};

using PristrojThreadFactory = std::function<std::unique_ptr<CPristrojThread>(std::shared_ptr<CLinkEnvironment>)>;

// What the instrument entries and their threads work with: the link
// manager, the clock of the retry pauses, the hosts that stand for the
// program, the family thread factories and the shared counters. The
// application owns one and hands it to every entry it makes; the entry
// hands it to its thread, which keeps it alive while it ends on its own.
// Set the parts before the first entry is made; a part not set falls back
// to no link manager, the system clock and hosts that answer No and show
// nothing.
class CLinkEnvironment {
public:
    CLinkEnvironment();
    ~CLinkEnvironment();
    CLinkEnvironment(const CLinkEnvironment&) = delete;
    CLinkEnvironment& operator=(const CLinkEnvironment&) = delete;

    void SetLinkManager(CLinkManager* manager) { m_manager = manager; }
    CLinkManager* LinkManager() const { return m_manager.load(); }
    void SetClock(ILinkClock* clock) { m_clock = clock; }
    ILinkClock& Clock() const;
    void SetPristrojHost(IPristrojHost* host) { m_pristrojHost = host; }
    IPristrojHost& PristrojHost() const;
    void SetMereniHost(IMereniHost* host) { m_mereniHost = host; }
    IMereniHost& MereniHost() const;
    // The host of the archives the entries make (null: the archive's own
    // silent default).
    void SetArchivHost(IArchivHost* host) { m_archivHost = host; }
    IArchivHost* ArchivHost() const { return m_archivHost.load(); }

    // The family threads register themselves by instrument type.
    void RegisterThreadFactory(int type, PristrojThreadFactory factory);
    // A new thread for `type`, or null when no family registered one.
    static std::unique_ptr<CPristrojThread> MakeThread(const std::shared_ptr<CLinkEnvironment>& env, int type);

    CMereniShared& Shared() { return m_shared; }

private:
    std::atomic<CLinkManager*> m_manager{nullptr};
    std::atomic<ILinkClock*> m_clock{nullptr};
    std::atomic<IPristrojHost*> m_pristrojHost{nullptr};
    std::atomic<IMereniHost*> m_mereniHost{nullptr};
    std::atomic<IArchivHost*> m_archivHost{nullptr};
    std::unique_ptr<IPristrojHost> m_silentPristrojHost;
    std::unique_ptr<IMereniHost> m_silentMereniHost;
    mutable std::mutex m_factoryLock;
    std::map<int, PristrojThreadFactory> m_factories;
    CMereniShared m_shared;
};
