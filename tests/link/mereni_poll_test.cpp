#include "LinkTestSupport.h"
#include "MereniTestSupport.h"

#include "archive/store/ArchivRecord.h"

#include <QFile>

using namespace mereni_test;
using sim::Family;
using sim::Instrument;

namespace {

class PollTest : public MereniTest, public linktest::SimLine {
protected:
    void SetUp() override
    {
        MereniTest::SetUp();
        env->SetLinkManager(&manager);
        CMereni::RegisterFactories(*env);
    }
    ~PollTest() override { env->SetLinkManager(nullptr); }
};

struct FamilyCase {
    const char* name;
    Family family;
    int type;
    std::function<void(Instrument&)> prepare;
};

// Controller state "regulating" (S2 code 6) at the values' offset.
std::function<void(Instrument&)> Regulating(std::size_t offset)
{
    return [offset](Instrument& i) { i.blocks[0x30][offset] = 6; };
}

} // namespace

// One instrument of each family on a simulated line: activation reads, polls
// that queue measurement records, a finished block handed to the main
// window, whose event the thread waits for, and the block in the file.
TEST_F(PollTest, EachFamilyPollsQueuesAndHandsOverItsBlocks)
{
    const FamilyCase cases[] = {
        {"Qorin", Family::Qorin, CPristroj::kQorin, Regulating(32)},
        {"Duskar", Family::Duskar, CPristroj::kDuskar, Regulating(56)},
        {"VK", Family::VK, CPristroj::kVK, [](Instrument& i) { i.SetVersion(130); }},
        {"VKR", Family::VKR, CPristroj::kVKR, [](Instrument& i) { i.blocks[0x3A][89] = 0; }}, // no state bits
        {"VKT", Family::VKT, CPristroj::kVKT, [](Instrument&) {}},
    };
    for (const FamilyCase& c : cases) {
        SCOPED_TRACE(c.name);
        Instrument instrument(c.family, 1);
        c.prepare(instrument);
        sim::PtySimulator simulated;
        simulated.AddInstrument(instrument);
        std::string error;
        ASSERT_TRUE(simulated.Start(error)) << error;
        const QString path = QString::fromStdString(simulated.SlavePath());
        ports.Add(path, 0);

        mhost.Clear();
        mhost.autoAdvance = true;
        auto entry = MakeEntry(c.type, path);
        ASSERT_TRUE(entry->StartThread(platform::WM_DEVICE_ACTIVATE_RECORD));
        ASSERT_EQ(entry->m_merit, 1) << entry->GetErrorText().toStdString();
        CArchivData& archiv = *entry->GetArchivData();

        // Sent, and the thread waited for the main window's answer.
        ASSERT_TRUE(WaitFor([&] {
            const auto waits = mhost.Waits();
            return std::find(waits.begin(), waits.end(), CMereni::kHandOverWaitMs) != waits.end();
        }));
        const auto handed = mhost.Sends(platform::WM_DATA_READY);
        EXPECT_EQ(handed[0].wParam, reinterpret_cast<std::uintptr_t>(entry.get()));
        EXPECT_GE(handed[0].lParam, 1);
        EXPECT_GT(mhost.CountPosted(platform::WM_APP_NEW_DATA), 0);
        EXPECT_NE(archiv.GetNewestDataTime().GetTime(), 0U);
        EXPECT_EQ(CountType(archiv, kRecordError), 0) << (Texts(archiv, kRecordError).empty() ? std::string() : Texts(archiv, kRecordError)[0].toStdString());
        EXPECT_TRUE(QFile::exists(archiv.GetFilePath())) << archiv.GetFilePath().toStdString();

        entry.reset();
        mhost.autoAdvance = false;
        simulated.Stop();
    }
}

TEST_F(PollTest, SilentInstrumentWithGiveUpLeavesTheEntryInactive)
{
    StartLine({Instrument(Family::Qorin, 1)}, 0);
    line.SetFaults(sim::Faults{true}, 1000);
    auto entry = MakeEntry(CPristroj::kQorin, port);
    ASSERT_TRUE(entry->StartThread(platform::WM_DEVICE_ACTIVATE_RECORD_SYNC));
    EXPECT_EQ(entry->m_merit, 0);
    // Three tries of the settings read: 1 + 3 + 5 on top of the start value.
    auto* thread = dynamic_cast<CMereni*>(entry->GetThread());
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->GetFailScore(), 10);
}
