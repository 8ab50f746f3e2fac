// A serial port that goes away under running measurements and comes back:
// a pseudo-terminal reached through a fixed path (a link, as a port name that
// stays while the device behind it changes), closed and made anew.
#include "LinkTestSupport.h"
#include "MereniTestSupport.h"

#include "archive/store/ArchivRecord.h"
#include "link/SharedPort.h"

#include <QFile>

using namespace mereni_test;
using sim::Family;
using sim::Instrument;

namespace {

class ReplugTest : public MereniTest {
protected:
    void SetUp() override
    {
        MereniTest::SetUp();
        env->SetLinkManager(&manager);
        CMereni::RegisterFactories(*env);
    }
    ~ReplugTest() override { env->SetLinkManager(nullptr); }

    // Plugs the line in under `path`: a new pseudo-terminal each time.
    void PlugIn(const QString& path)
    {
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        ASSERT_TRUE(QFile::link(QString::fromStdString(line.SlavePath()), path));
    }
    void Unplug(const QString& path)
    {
        line.Stop();
        ASSERT_TRUE(QFile::remove(path));
    }

    // An outage record later than `since` in the archive's lists.
    static bool OutageAfter(CArchivData& archiv, CTime::time_type since)
    {
        const std::vector<CArchivRecord> records = ListsAccess::All(archiv);
        return std::any_of(records.begin(), records.end(),
                           [since](const CArchivRecord& r) { return r.type == kRecordError && r.time > since; });
    }

    sim::PtySimulator line;
    linktest::FakePortList ports;
    // The link clock: the pauses before reopen tries pass when the test says.
    linktest::FakeClock clock;
    linktest::PortLog log;
    std::atomic<int> tries{0}; // opens asked for, found or not
    CLinkManager manager{ports, clock, [this](const QString& path, PortFault& fault) {
                             ++tries;
                             return linktest::LoggingOpener(log)(path, fault);
                         }};
};

// Two controllers share the line. While it is gone both record outages,
// nothing reaches the line and the port is tried once per pause, not per
// request; once it is back both record measurements again with nobody
// starting anything.
TEST_F(ReplugTest, InstrumentsOnAPortThatCameBackRecordAgainByThemselves)
{
    for (std::uint8_t address : {1, 2}) {
        Instrument controller(Family::Qorin, address);
        controller.blocks[0x30][32] = 6; // regulating: the values are stored
        line.AddInstrument(controller);
    }
    const QString path = dir.filePath(QStringLiteral("ttyVedeni"));
    PlugIn(path);
    ports.Add(path, 0);

    mhost.autoAdvance = true;
    std::unique_ptr<CPristroj> entries[2];
    for (int i = 0; i < 2; ++i) {
        entries[i] = MakeEntry(CPristroj::kQorin, path);
        entries[i]->m_adresa = short(i + 1);
        ASSERT_TRUE(entries[i]->StartThread(platform::WM_DEVICE_ACTIVATE_RECORD));
        ASSERT_EQ(entries[i]->m_merit, 1) << entries[i]->GetErrorText().toStdString();
    }
    auto measuredSince = [&](CTime::time_type since) {
        return std::all_of(std::begin(entries), std::end(entries), [since](const auto& e) {
            return e->GetArchivData()->GetNewestDataTime().GetTime() > since;
        });
    };
    // Both recorded an outage later than `since`; a few measuring intervals
    // later for `polls` more.
    auto outagesAfter = [&](CTime::time_type since, int polls = 0) {
        since += CTime::time_type(polls) * entries[0]->m_intervalMereni;
        return std::all_of(std::begin(entries), std::end(entries),
                           [since](const auto& e) { return OutageAfter(*e->GetArchivData(), since); });
    };
    ASSERT_TRUE(WaitFor([&] { return measuredSince(0); }));
    EXPECT_EQ(tries.load(), 1) << "one port for both";

    Unplug(path);
    const CTime::time_type unplugged = mhost.Now().GetTime();
    ASSERT_TRUE(WaitFor([&] { return outagesAfter(unplugged); }));
    const std::size_t written = log.Writes().size();
    const CTime::time_type gone = mhost.Now().GetTime();
    ASSERT_TRUE(WaitFor([&] { return outagesAfter(gone, 3); }));
    EXPECT_EQ(log.Writes().size(), written) << "requests while the port is gone";
    EXPECT_EQ(tries.load(), 1) << "no try before the first pause has passed";
    EXPECT_EQ(QString::fromUtf8("Zařízení nenalezeno."), entries[0]->GetErrorText());

    // The pause passes: one try for the port, whichever instrument asks.
    clock.now += CSharedPort::kFirstReopenSeconds;
    ASSERT_TRUE(WaitFor([&] { return tries.load() == 2; }));
    const CTime::time_type tried = mhost.Now().GetTime();
    ASSERT_TRUE(WaitFor([&] { return outagesAfter(tried, 3); }));
    EXPECT_EQ(tries.load(), 2);

    PlugIn(path);
    const CTime::time_type pluggedIn = mhost.Now().GetTime();
    clock.now += CSharedPort::kMaxReopenSeconds;
    ASSERT_TRUE(WaitFor([&] { return measuredSince(pluggedIn); }))
        << entries[0]->GetErrorText().toStdString() << " / " << entries[1]->GetErrorText().toStdString();
    EXPECT_EQ(tries.load(), 3);
    EXPECT_EQ(log.opens.load(), 2);
    for (const auto& entry : entries)
        EXPECT_EQ(entry->m_merit, 1);
}

} // namespace
