#include "CommandTestSupport.h"
#include "PristrojTestSupport.h"

#include "model/ControllerAlarms.h"
#include "model/DuskarConfig.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKStatus.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTStatus.h"

using namespace pristrojtest;
using sim::Faults;
using sim::Family;
using sim::Instrument;

namespace {

// An entry at address 1 on a simulated line; the pauses of the retrying
// reads go to a clock of their own.
struct SimEntry : linktest::SimLine {
    SimEntry(Family family, int type)
    {
        StartLine({Instrument(family, 1)}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&pauses);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->SetType(type, TRUE);
        EXPECT_TRUE(entry->OpenLink()) << entry->GetErrorText().toStdString();
        log.ClearWrites();
    }
    ~SimEntry()
    {
        entry.reset();
    }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();

    // Command bytes of the frames written so far.
    std::vector<int> Commands(bool formatB)
    {
        std::vector<int> out;
        for (const auto& frame : log.Writes())
            out.push_back(frame[formatB ? 3 : 2]);
        return out;
    }

    linktest::FakeClock pauses;
    std::unique_ptr<CPristroj> entry;
};

Faults Bad()
{
    Faults f;
    f.badChecksum = true;
    return f;
}

class RequestTest : public PristrojTest {};

} // namespace

TEST_F(RequestTest, RetryingReadsPauseAsEachWrapperSays)
{
    struct Case {
        const char* name;
        Family family;
        int type;
        int badReplies; // -1: every reply
        int syncAnswer; // the instrument's answer to a clock synchronisation
        std::function<BOOL(CPristroj&)> call;
        BOOL result;
        std::vector<DWORD> pauses;
    };
    const Case cases[] = {
        {"VK settings, all failing", Family::VK, CPristroj::kVK, -1, 0,
         [](CPristroj& e) {
             CVKConfig c;
             CVKNoteBook n;
             CIden i;
             return RetryReadVKSettings(e, c, n, i);
         },
         FALSE, std::vector<DWORD>(9, 0)},
        {"VK settings, configuration failing once", Family::VK, CPristroj::kVK, 1, 0,
         [](CPristroj& e) {
             CVKConfig c;
             CVKNoteBook n;
             CIden i;
             return RetryReadVKSettings(e, c, n, i);
         },
         TRUE, {0}},
        {"VKT settings, all failing", Family::VKT, CPristroj::kVKT, -1, 0,
         [](CPristroj& e) {
             CVKTConfig c;
             CVKTNoteBook n;
             CIden i;
             return RetryReadVKTSettings(e, c, n, i);
         },
         FALSE, {0, 0, 0, 300, 300, 300, 300, 300, 300}},
        {"VKT settings, two failing in the first pass", Family::VKT, CPristroj::kVKT, 2, 0,
         [](CPristroj& e) {
             CVKTConfig c;
             CVKTNoteBook n;
             CIden i;
             return RetryReadVKTSettings(e, c, n, i);
         },
         TRUE, {0, 0}},
        {"Duskar settings, all failing", Family::Duskar, CPristroj::kDuskar, -1, 0,
         [](CPristroj& e) {
             CIden i;
             CDuskarConfig c;
             return RetryReadDuskarSettings(e, i, c);
         },
         FALSE, {0, 0, 300, 300, 300, 300}},
        {"VK clock never in step", Family::VK, CPristroj::kVK, 0, 1, RetrySyncVKClock, FALSE, {100, 500}},
        {"VK clock in step at the second try", Family::VK, CPristroj::kVK, 1, 0, RetrySyncVKClock, TRUE, {100}},
        {"VKT clock in step at once", Family::VKT, CPristroj::kVKT, 0, 0, RetrySyncVKTClock, TRUE, {}},
        {"VKT status, all failing", Family::VKT, CPristroj::kVKT, -1, 0,
         [](CPristroj& e) {
             CVKTStatus s;
             return RetryReadVKTStatus(e, s);
         },
         FALSE, {0, 500}},
        {"VK archive control off, twice failing", Family::VK, CPristroj::kVK, 2, 0, RetrySendVKArchiveControl, TRUE,
         {0, 0}},
        {"VKT notebook texts, all failing", Family::VKT, CPristroj::kVKT, -1, 0,
         [](CPristroj& e) {
             QString a, b;
             const BOOL ok = e.ReadNoteBook(a, b);
             EXPECT_EQ(a, QStringLiteral("---"));
             EXPECT_EQ(b, QStringLiteral("---"));
             return ok;
         },
         FALSE, {200, 1000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimEntry sim(c.family, c.type);
        sim.line.WithInstrument(1, [&](Instrument& i) { i.syncResult = std::uint8_t(c.syncAnswer); });
        if (c.badReplies != 0)
            sim.line.SetFaults(Bad(), c.badReplies);
        EXPECT_EQ(c.call(*sim.entry), c.result);
        EXPECT_EQ(sim.pauses.sleeps, c.pauses);
    }
}

TEST_F(RequestTest, ThirdPassReadsIdentificationBeforeNotebook)
{
    SimEntry sim(Family::VK, CPristroj::kVK);
    sim.line.SetFaults(Bad(), -1);
    CVKConfig c;
    CVKNoteBook n;
    CIden i;
    EXPECT_FALSE(RetryReadVKSettings(*sim.entry, c, n, i));
    const std::vector<int> pass12{0x26, 0x1F, 0x01};
    std::vector<int> expected = pass12;
    expected.insert(expected.end(), pass12.begin(), pass12.end());
    expected.insert(expected.end(), {0x26, 0x01, 0x1F});
    EXPECT_EQ(sim.Commands(false), expected);
}

TEST_F(RequestTest, ArchiveModeIsSwitchedOffWhenTheStatusCannotBeRead)
{
    SimEntry sim(Family::VK, CPristroj::kVK);
    // The switch on answers; the three status reads do not.
    sim.line.SetFaults(Bad(), 3, 1);
    CVKStatus status;
    EXPECT_FALSE(RetryPrepareVKArchiveRead(*sim.entry, status));
    EXPECT_EQ(sim.pauses.sleeps, (std::vector<DWORD>{0, 0, 0}));
    int mode = -1;
    sim.line.WithInstrument(1, [&](Instrument& i) { mode = i.archiveControl; });
    EXPECT_EQ(mode, 0x00);

    // Both parts answering: on, status, done.
    sim.log.ClearWrites();
    EXPECT_TRUE(RetryPrepareVKArchiveRead(*sim.entry, status));
    sim.line.WithInstrument(1, [&](Instrument& i) { mode = i.archiveControl; });
    EXPECT_EQ(mode, 0xFF);
}

TEST_F(RequestTest, TypeSpecificRequestsOfOtherFamiliesAskNothing)
{
    SimEntry sim(Family::VK, CPristroj::kVK);
    CControllerAlarms summary;
    EXPECT_FALSE(sim.entry->ReadStatisticsSummary(summary));
    QString a, b;
    sim.entry->SetType(CPristroj::kVKR, TRUE);
    EXPECT_FALSE(sim.entry->ReadNoteBook(a, b));
    EXPECT_EQ(a, QStringLiteral("---"));
    EXPECT_EQ(sim.line.RequestCount(), 0);
}

TEST_F(RequestTest, IdentifyingAnInstrumentLeavesNoLinkBehind)
{
    SimEntry sim(Family::VKT, CPristroj::kVKT);
    CIden iden;
    QString error;
    int probe = 0;
    EXPECT_TRUE(CPristroj::IdentifyInstrument(&sim.manager, iden, sim.port, 1, QString(), error, probe));

    sim.line.SetFaults(Bad(), -1);
    EXPECT_FALSE(CPristroj::IdentifyInstrument(&sim.manager, iden, sim.port, 1, QString(), error, probe));
    EXPECT_FALSE(error.isEmpty());
}
