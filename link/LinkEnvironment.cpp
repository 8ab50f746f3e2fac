#include "link/LinkEnvironment.h"

#include "link/LinkClock.h"
#include "link/Mereni.h"
#include "link/PristrojHost.h"

namespace {

// Without a program around it a thread reaches nobody.
class NoMereniHost final : public IMereniHost {
public:
    bool SendToMainWindow(platform::MessageId, std::uintptr_t, std::intptr_t) override { return false; }
    bool PostToApplication(platform::MessageId, std::uintptr_t, std::intptr_t) override { return false; }
    bool PostMessageBox(const QString&, const QString&, bool, std::function<void()>) override { return false; }
};

} // namespace

CLinkEnvironment::CLinkEnvironment()
    : m_silentPristrojHost(std::make_unique<IPristrojHost>()), m_silentMereniHost(std::make_unique<NoMereniHost>())
{
}

CLinkEnvironment::~CLinkEnvironment() = default;

ILinkClock& CLinkEnvironment::Clock() const
{
    ILinkClock* clock = m_clock.load();
    return clock ? *clock : SystemLinkClock();
}

IPristrojHost& CLinkEnvironment::PristrojHost() const
{
    IPristrojHost* host = m_pristrojHost.load();
    return host ? *host : *m_silentPristrojHost;
}

IMereniHost& CLinkEnvironment::MereniHost() const
{
    IMereniHost* host = m_mereniHost.load();
    return host ? *host : *m_silentMereniHost;
}

void CLinkEnvironment::RegisterThreadFactory(int type, PristrojThreadFactory factory)
{
    std::lock_guard lock(m_factoryLock);
    m_factories[type] = std::move(factory);
}

std::unique_ptr<CPristrojThread> CLinkEnvironment::MakeThread(const std::shared_ptr<CLinkEnvironment>& env, int type)
{
    if (!env)
        return nullptr;
    PristrojThreadFactory factory;
    {
        std::lock_guard lock(env->m_factoryLock);
        const auto it = env->m_factories.find(type);
        if (it == env->m_factories.end())
            return nullptr;
        factory = it->second;
    }
    return factory ? factory(env) : nullptr;
}
