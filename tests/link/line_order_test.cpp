// The order of requests on a line shared by instruments that answer and
// silent ones. Each request here is a step the test releases by hand, so the
// order is decided by the manager alone and not by how long anything takes.
#include "LinkTestSupport.h"

#include "support/WaitUntil.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <thread>

namespace {

constexpr DWORD kHeld = 0; // the holder's mark in the served order

class LineOrderTest : public ::testing::Test {
protected:
    ~LineOrderTest() override
    {
        Release();
        for (std::thread& t : m_threads)
            t.join();
    }

    // A link on the shared line whose requests so far were answered or not,
    // oldest first.
    DWORD Link(std::initializer_list<bool> history)
    {
        const DWORD id = manager.Register(QStringLiteral("ttyLINE"), WORD(m_links.size() + 1));
        m_links.push_back(id);
        for (const bool answered : history)
            manager.Request(id, [answered](CLink&) -> BOOL { return answered; });
        return id;
    }
    DWORD Link(bool answers) { return Link({answers, answers, answers, answers}); }

    // A request of `id` that holds the line until Release.
    void Hold(DWORD id)
    {
        Queue(id, false, true);
        ASSERT_TRUE(testsupport::WaitUntil([this] {
            std::lock_guard lock(m_lock);
            return m_holding;
        }));
    }
    void Release()
    {
        std::lock_guard lock(m_lock);
        m_release = true;
        m_changed.notify_all();
    }

    // A request of `id` (from a thread of its own) that joins the line's
    // queue behind those already there.
    void Queue(DWORD id, bool answers, bool hold = false)
    {
        const int before = manager.GetWaitingRequests(id);
        m_threads.emplace_back([this, id, answers, hold] {
            manager.Request(id, [this, id, answers, hold](CLink&) -> BOOL {
                std::unique_lock lock(m_lock);
                m_served.push_back(hold ? kHeld : id);
                if (hold) {
                    m_holding = true;
                    m_changed.wait(lock, [this] { return m_release; });
                }
                return answers;
            });
        });
        if (!hold) {
            ASSERT_TRUE(testsupport::WaitUntil([&] { return manager.GetWaitingRequests(id) == before + 1; }));
        }
    }

    // Ready for the next Hold.
    void Rearm()
    {
        std::lock_guard lock(m_lock);
        m_served.clear();
        m_holding = false;
        m_release = false;
    }

    std::vector<DWORD> Served()
    {
        for (std::thread& t : m_threads)
            t.join();
        m_threads.clear();
        std::lock_guard lock(m_lock);
        return {m_served.begin(), m_served.end()};
    }

    linktest::FakePortList ports;
    linktest::FakeClock clock;
    CLinkManager manager{ports, clock};

private:
    std::vector<DWORD> m_links;
    std::vector<std::thread> m_threads;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<DWORD> m_served;
    bool m_holding = false;
    bool m_release = false;
};

TEST_F(LineOrderTest, AnsweringInstrumentWaitsOnlyForTheRequestOnTheLine)
{
    // Six silent controllers keep the line busy; their requests have waited
    // far longer than an interval when the live one's poll falls due.
    std::vector<DWORD> silent;
    for (int i = 0; i < 6; ++i)
        silent.push_back(Link(false));
    const DWORD live = Link(true);
    Hold(silent[0]);
    for (std::size_t i = 1; i < silent.size(); ++i)
        Queue(silent[i], false);
    clock.now += 3600;
    Queue(live, true);
    Queue(silent[0], false);
    Release();

    // The silent ones then keep their order of arrival.
    EXPECT_EQ(Served(), (std::vector<DWORD>{kHeld, live, silent[1], silent[2], silent[3], silent[4], silent[5],
                                            silent[0]}));
}

TEST_F(LineOrderTest, SilentRequestLetsOnlyABoundedNumberOfAnsweringOnesPass)
{
    // Answering instruments that use the line without a break hold a silent
    // one's try back for a few of their requests, never for good.
    const DWORD silent = Link(false);
    const DWORD live = Link(true);
    Hold(silent);
    Queue(silent, false);
    for (int i = 0; i < 12; ++i)
        Queue(live, true);
    Release();

    const std::vector<DWORD> served = Served();
    ASSERT_EQ(served.size(), 14U);
    const auto at = std::find(served.begin() + 1, served.end(), silent) - served.begin();
    EXPECT_EQ(at, 9) << "answering requests before the silent one: " << at - 1;
}

TEST_F(LineOrderTest, RequestsOfOneKindKeepTheirOrderOfArrival)
{
    const DWORD first = Link(true);
    const DWORD second = Link(true);
    const DWORD quiet = Link(false);
    const DWORD quieter = Link(false);
    Hold(quiet);
    Queue(quieter, false);
    Queue(quiet, false);
    Queue(second, true);
    Queue(first, true);
    Queue(second, true);
    Release();

    EXPECT_EQ(Served(), (std::vector<DWORD>{kHeld, second, first, second, quieter, quiet}));
}

TEST_F(LineOrderTest, AnInstrumentAnswersWhenTwoOfItsLastFourRequestsWereAnsweredAndAtMostOneWasNot)
{
    // Each link's place is checked against a silent request that came first.
    struct Case {
        std::initializer_list<bool> history;
        bool goesFirst;
    } const cases[] = {
        {{}, false},
        {{true}, false},
        {{false, true}, false},
        {{true, true}, true}, // from its second answer
        {{false, true, true}, true},
        {{true, true, true}, true},
        {{true, true, true, false}, true}, // one lost reply
        {{true, false, true, true}, true},
        {{false, true, false, true}, false}, // answers its settings, not its values
        {{true, true, false, false}, false}, // fell silent
        {{true, true, true, true, false, false, false, true}, false},
    };
    const DWORD silent = Link(false);
    std::vector<DWORD> links;
    for (const Case& c : cases)
        links.push_back(Link(c.history));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        Hold(silent);
        Queue(silent, false);
        Queue(links[i], cases[i].goesFirst);
        Release();
        const std::vector<DWORD> served = Served();
        ASSERT_EQ(served.size(), 3U);
        EXPECT_EQ(served[1] == links[i], cases[i].goesFirst);
        Rearm();
    }
}

} // namespace
