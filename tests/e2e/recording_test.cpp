// The built program records what simulated instruments serve: started with
// settings of its own, stopped with SIGTERM, its archive read back by the
// store.
#include "e2e/RecordingRun.h"

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "link/Pristroj.h"
#include "platform/Cp1250.h"
#include "tools/archivetool/ArchiveTool.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <bit>
#include <climits>
#include <csignal>
#include <cstring>
#include <thread>
#include <tuple>

namespace {

using namespace std::chrono_literals;
using e2e::FamilySpec;
using e2e::RecordingRun;
using e2e::ServedValues;

const FamilySpec kQorin{"Qorin", sim::Family::Qorin, CPristroj::kQorin, ".qor", 0x30};
const FamilySpec kDuskar{"Duskar", sim::Family::Duskar, CPristroj::kDuskar, ".dsk", 0x30};
// The VK program measures firmware 115 on.
const FamilySpec kVK{"VK", sim::Family::VK, CPristroj::kVK, ".vk", 0x3A, 130};
const FamilySpec kVKR{"VKR", sim::Family::VKR, CPristroj::kVKR, ".vkr", 0x3A};
const FamilySpec kVKT{"VKT", sim::Family::VKT, CPristroj::kVKT, ".vkt", 0x3A};

// Generous: a loaded machine may take long to start the program and to
// poll; nothing here depends on how long.
constexpr auto kStartBound = 180s;
constexpr auto kPollBound = 120s;

struct Stored {
    CArchivRecordList records;
    QString instrument;
    QString error;
    bool ok = false;

    // One line per record, for failure messages.
    std::string Dump() const
    {
        std::string out;
        for (const CArchivRecord& r : records)
            out += std::to_string(r.time) + " type " + std::to_string(r.type) + " size " + std::to_string(r.data.size())
                   + (r.IsEvent() ? " " + platform::FromCp1250(r.data).toStdString() : std::string()) + "\n";
        return out;
    }
    CArchivRecordList Data() const
    {
        CArchivRecordList out;
        std::copy_if(records.begin(), records.end(), std::back_inserter(out),
                     [](const CArchivRecord& r) { return r.IsData(); });
        return out;
    }
    int Count(std::uint8_t type) const
    {
        return int(std::count_if(records.begin(), records.end(), [type](const CArchivRecord& r) {
            return r.type == type;
        }));
    }
};

Stored Read(const QString& path)
{
    Stored s;
    s.ok = archivetool::ReadArchiveRecords(path, s.records, s.instrument, s.error);
    return s;
}

// The controllers' values: regulating (state 6, no fault or alarm), and
// each reply of a run with other currents, so that a record stored for the
// wrong poll shows. `stateAt`: the offset of the state byte, the flags
// follow it.
void VaryControllerValues(int n, sim::Bytes& data, std::size_t stateAt)
{
    const int current = 4000 + 37 * n;
    data[9] = std::uint8_t(current & 0xFF);
    data[10] = std::uint8_t(current >> 8);
    const int other = 1500 + 11 * n;
    data[13] = std::uint8_t(other & 0xFF);
    data[14] = std::uint8_t(other >> 8);
    data[stateAt] = 0x06;
    data[stateAt + 1] = 0x00;
}
void VaryQorinValues(int n, sim::Bytes& data) { VaryControllerValues(n, data, 32); }
void VaryDuskarValues(int n, sim::Bytes& data) { VaryControllerValues(n, data, 56); }
// Analysers: phase voltages and active powers (VK words and double words,
// VKR currents as floats) differ from reply to reply; a VKR without faults
// (its status byte clear).
void PutLittleEndian(sim::Bytes& data, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        data[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}
void VaryVKValues(int n, sim::Bytes& data)
{
    for (std::size_t k = 0; k < 3; ++k) {
        PutLittleEndian(data, 1 + 2 * k, std::uint32_t(2290 + n + int(k)), 2);
        PutLittleEndian(data, 32 + 4 * k, std::uint32_t(720000 + 13 * n + int(k)), 4);
    }
}
void VaryVKRValues(int n, sim::Bytes& data)
{
    for (std::size_t k = 0; k < 3; ++k) {
        const float amperes = 5.0f + 0.25f * float(n) + float(k);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &amperes, sizeof bits);
        PutLittleEndian(data, 12 + 4 * k, bits, 4);
    }
    data[89] = 0;
}

// The VKT's values for the mask it echoes: each reply moves the phase
// quantities (a negative angle among them), one harmonic of each channel,
// the temperature now and then and the frequency, and at times flags an
// input, overloads one (inside the inputs asked for, so the program keeps
// the flags as served) or has no current THD; the rest stays, so that a
// changes record must carry the unchanged fields over. The settings counter
// and the fault state stay as served: a new counter makes the program read
// its settings again, a fault keeps the values out of the archive.
void VaryVKTValues(int n, sim::Bytes& data)
{
    const WORD mask = CPrevodTyp::GetWord(data.data());
    BYTE* values = data.data() + 2;
    int inputs = 0;
    for (int i = 0; i < CAktData::kInputs; ++i)
        inputs += (mask & 0x10) && (mask >> i & 1) ? 1 : 0;
    std::size_t at = 0;
    const auto words = [&](auto value) {
        for (int k = 0; k < inputs; ++k, at += 2)
            CPrevodTyp::PutWord(values + at, WORD(value(k)));
    };
    const auto reals = [&](auto value) {
        for (int k = 0; k < inputs; ++k, at += 4)
            CPrevodTyp::PutFloat(values + at, value(k));
    };
    words([n](int k) { return 9200 + 4 * n + k; });
    words([n](int k) { return 15930 + n / 3 + k; });
    words([n](int k) { return 25000 + 50 * n + 7 * k; });
    reals([n](int k) { return 1150.5f + 3.25f * float(n) + float(k); });
    reals([n](int k) { return -200.0f - float(n) + 0.5f * float(k); });
    words([n](int k) { return -1500 + 10 * n + k; });
    words([](int k) { return 250 + k; });
    words([n](int k) { return n % 5 == 2 && k == 0 ? 0xFFFF : 400 + n + k; });
    const int positions = CAktOddHarmonics::kCount + ((mask & 0x80) ? CAktEvenHarmonics::kCount : 0);
    for (int c = 0; c < CAktData::kChannels; ++c) {
        if ((mask >> (c % 4) & 1) && (mask & (c < 4 ? 0x20 : 0x40))) {
            CPrevodTyp::PutWord(values + at + 2 * std::size_t(n % positions), WORD(1000 + 10 * c + n));
            at += 2 * std::size_t(positions);
        }
    }
    BYTE* tail = data.data() + data.size() - 9;
    CPrevodTyp::PutWord(tail, WORD(2500 + n / 4));
    CPrevodTyp::PutWord(tail + 2, WORD(4990 + n % 20));
    tail[4] = n % 3 == 0 ? 0x09 : 0x01;
    tail[5] = n % 4 == 1 ? 0x21 : 0x00;
    tail[6] = n % 6 == 3 ? 0x11 : 0x00;
}

// Every stored measurement, rebuilt the way the archive's reader rebuilds
// it, against the values of the replies: the stored ones are the served
// ones in order, none left out between (a reply faulted on the line and
// asked again is served twice). `same` compares stored and served values.
template <class Data, class Values, class Same>
void ExpectServedInOrder(const CArchivRecordList& stored, const std::vector<sim::Bytes>& served, Same same)
{
    Values current;
    std::size_t next = 0;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const CArchivRecord& r = stored[i];
        ASSERT_TRUE(r.type == kRecordFull ? Data::DecodeFullRecord(current, r) : Data::DecodeDeltaRecord(current, r))
            << "record " << i << " cannot be decoded";
        bool found = false;
        for (; next < served.size() && !found; ++next) {
            Values expected;
            expected.FromRaw(served[next].data());
            const Values copied(expected); // as the program hands it on
            found = same(current, copied);
        }
        ASSERT_TRUE(found) << "record " << i << " holds values that were never served (of " << served.size() << ")";
    }
}

// The controllers' values field by field.
template <class Data, class Traits>
void ExpectControllerValues(const CArchivRecordList& stored, const std::vector<sim::Bytes>& served)
{
    using Fields = typename Traits::Fields;
    ExpectServedInOrder<Data, typename Traits::Values>(stored, served, [](const Fields& x, const Fields& y) {
        const auto* a = reinterpret_cast<const char*>(&x);
        const auto* b = reinterpret_cast<const char*>(&y);
        for (const auto& field : Traits::FieldTable())
            if (std::memcmp(a + field.offset, b + field.offset, std::size_t(field.width)) != 0)
                return false;
        return true;
    });
}

// The analysers' values in the store's own full-record form.
template <class Data, class Values>
void ExpectAnalyserValues(const CArchivRecordList& stored, const std::vector<sim::Bytes>& served)
{
    ExpectServedInOrder<Data, Values>(stored, served, [](const Values& x, const Values& y) {
        return Data::BuildFullRecord(x) == Data::BuildFullRecord(y);
    });
}

// A VKT reply as the program takes it: the parts of the mask it echoes,
// then their values (the measurement's own parser).
CAktData ParseVKTReply(const sim::Bytes& reply)
{
    CAktData values;
    if (reply.size() < 2 || !values.CreateParts(reply.data(), int(reply.size()))
        || !values.FromRawParts(reply.data() + 2, int(reply.size()) - 2))
        return CAktData();
    return values;
}

// Where a stored VKT measurement differs from a served one; empty when it
// holds all of it. The store keeps the selection's low byte, the header
// fields, the phases and the harmonics, without loss (floats as they came);
// it does not keep waveforms (the high byte), which only a waveform window
// asks for and none is open here.
std::string VKTDifference(const CAktData& stored, const CAktData& served)
{
    const auto field = [](const char* name, int index, auto a, auto b) {
        return a == b ? std::string()
                      : std::string(name) + "[" + std::to_string(index) + "] " + std::to_string(a) + " != "
                            + std::to_string(b);
    };
    const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
    std::string d;
    const auto check = [&d](std::string why) {
        if (d.empty())
            d = std::move(why);
    };
    check(field("selection", 0, stored.GetSelection() & 0xFF, served.GetSelection() & 0xFF));
    check(field("temperature", 0, stored.GetTemperatureWord(), served.GetTemperatureWord()));
    check(field("frequency", 0, stored.GetFrequencyWord(), served.GetFrequencyWord()));
    check(field("relays", 0, stored.GetRelayState(), served.GetRelayState()));
    check(field("status A", 0, stored.GetStatusA(), served.GetStatusA()));
    check(field("status B", 0, stored.GetStatusB(), served.GetStatusB()));
    check(field("settings counter", 0, stored.GetChangeCounter(), served.GetChangeCounter()));
    check(field("fault", 0, stored.GetFaultState(), served.GetFaultState()));
    for (int i = 0; i < CAktData::kInputs; ++i) {
        const CAktPhase* a = stored.GetPhase(i);
        const CAktPhase* b = served.GetPhase(i);
        check(field("phase present", i, a != nullptr, b != nullptr));
        if (!a || !b)
            continue;
        check(field("voltage", i, a->voltage, b->voltage));
        check(field("line voltage", i, a->lineVoltage, b->lineVoltage));
        check(field("current", i, a->current, b->current));
        check(field("active power bits", i, bits(a->activePower), bits(b->activePower)));
        check(field("reactive power bits", i, bits(a->reactivePower), bits(b->reactivePower)));
        check(field("angle", i, a->angle, b->angle));
        check(field("THD U", i, a->thdU, b->thdU));
        check(field("THD I", i, a->thdI, b->thdI));
    }
    for (int c = 0; c < CAktData::kChannels; ++c) {
        const CAktOddHarmonics* oddA = stored.GetOddHarmonics(c);
        const CAktOddHarmonics* oddB = served.GetOddHarmonics(c);
        const CAktEvenHarmonics* evenA = stored.GetEvenHarmonics(c);
        const CAktEvenHarmonics* evenB = served.GetEvenHarmonics(c);
        check(field("odd harmonics present", c, oddA != nullptr, oddB != nullptr));
        check(field("even harmonics present", c, evenA != nullptr, evenB != nullptr));
        if (oddA && oddB && oddA->values != oddB->values)
            check("odd harmonics of channel " + std::to_string(c));
        if (evenA && evenB && evenA->values != evenB->values)
            check("even harmonics of channel " + std::to_string(c));
    }
    return d;
}

// Every VKT measurement of the archive as the archive's own walk decodes it
// (a changes record over the one it follows, an instrument's record with
// the status record in force; live recording writes no status record),
// against the values parsed from the replies: the stored ones are the
// served ones in order, none left out between, as for the other families.
// The walk's record times must be the data records' times, in order.
void ExpectVKTValues(const QString& path, const CArchivRecordList& stored, const std::vector<sim::Bytes>& served)
{
    CVKTArchivData archive;
    ASSERT_EQ(archive.Open(path), 1) << archive.GetErrorText().toStdString();
    // A fresh file fills its ring from slot 0 on.
    ASSERT_EQ(archive.LoadWindow(0, INT_MAX, platform::CTime(0), INT_MAX), 1);
    std::vector<CAktData> parsed;
    for (const sim::Bytes& reply : served)
        parsed.push_back(ParseVKTReply(reply));
    std::size_t i = 0;
    std::size_t next = 0;
    std::string nearest;
    for (int more = archive.FirstRecord(); more; more = archive.NextRecord(), ++i) {
        ASSERT_LT(i, stored.size()) << "the walk gives more measurements than the archive holds";
        EXPECT_EQ(archive.GetCurrentTime().GetTime(), stored[i].time) << "record " << i;
        const CAktData& values = archive.GetCurrentValues();
        ASSERT_NE(values.GetSelection(), 0) << "record " << i << " (type " << int(stored[i].type)
                                            << ") cannot be decoded";
        bool found = false;
        for (; next < parsed.size() && !found; ++next) {
            const std::string why = VKTDifference(values, parsed[next]);
            found = why.empty();
            if (!found && next + 1 == parsed.size())
                nearest = why;
        }
        ASSERT_TRUE(found) << "record " << i << " holds values that were never served (of " << served.size()
                           << "); against the last reply: " << nearest;
    }
    EXPECT_EQ(i, stored.size()) << "the walk decodes fewer measurements than the archive holds";
    archive.Close();
}

class RecordingTest : public ::testing::TestWithParam<FamilySpec> {};

// One instrument: it records, goes silent for a while (an outage record),
// comes back, and SIGTERM ends the program with every measurement served
// before the signal in the archive.
TEST_P(RecordingTest, EveryServedMeasurementIsStoredAndAnOutageIsRecorded)
{
    const FamilySpec family = GetParam();
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    ServedValues& served = run.AddInstrument(family, QStringLiteral("Hala"), 1);
    if (family.type == CPristroj::kQorin)
        served.vary = VaryQorinValues;
    else if (family.type == CPristroj::kDuskar)
        served.vary = VaryDuskarValues;
    else if (family.type == CPristroj::kVK)
        served.vary = VaryVKValues;
    else if (family.type == CPristroj::kVKR)
        served.vary = VaryVKRValues;
    else if (family.type == CPristroj::kVKT)
        served.vary = VaryVKTValues;
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();

    ASSERT_TRUE(run.WaitFor([&] { return served.Count() >= 3; }, kStartBound))
        << "no measurements polled; program output:\n" << run.Output().toStdString();
    // An outage: no reply at all for longer than the program waits.
    served.silent = true;
    const int before = served.Count();
    std::this_thread::sleep_for(std::chrono::seconds(8 * RecordingRun::kMeasuringInterval));
    // A program starved by a busy machine may not have asked yet: the
    // outage counts once it went unanswered more than once.
    ASSERT_TRUE(run.WaitFor([&] { return served.unanswered.load() >= 2; }, kPollBound));
    served.silent = false;
    ASSERT_TRUE(run.WaitFor([&] { return served.Count() >= before + 3; }, kPollBound));

    const int count = served.Count();
    ASSERT_EQ(run.Terminate(), 0) << run.Output().toStdString();
    const std::vector<sim::Bytes> replies = served.Replies();
    ASSERT_EQ(int(replies.size()), count);

    const Stored stored = Read(run.ArchivePath(QStringLiteral("Hala")));
    ASSERT_TRUE(stored.ok) << stored.error.toStdString();
    EXPECT_EQ(stored.instrument, QStringLiteral("Hala"));
    const CArchivRecordList data = stored.Data();
    // The reply in flight when the signal came may be the one not stored.
    EXPECT_GE(int(data.size()), count - 1) << "served " << count << "; stored:\n" << stored.Dump();
    EXPECT_LE(int(data.size()), count);
    EXPECT_GE(stored.Count(kRecordSettings), 1);
    EXPECT_GE(stored.Count(kRecordError), 1) << "no outage record";
    if (family.type == CPristroj::kQorin)
        ExpectControllerValues<CQorinArchivData, QorinArchivTraits>(data, replies);
    else if (family.type == CPristroj::kDuskar)
        ExpectControllerValues<CDuskarArchivData, DuskarArchivTraits>(data, replies);
    else if (family.type == CPristroj::kVK)
        ExpectAnalyserValues<CVKArchivData, CVKAktData>(data, replies);
    else if (family.type == CPristroj::kVKR)
        ExpectAnalyserValues<CVKRArchivData, CVKRAktData>(data, replies);
    else if (family.type == CPristroj::kVKT)
        ExpectVKTValues(run.ArchivePath(QStringLiteral("Hala")), data, replies);

    // The archive tool's CSV of the recording: the value list's rows, one
    // per measurement and per event row of the window.
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QString text, errors;
    QTextStream toolOut(&text), toolErr(&errors);
    const QString csv = out.filePath(QStringLiteral("hala.csv"));
    ASSERT_EQ(archivetool::Run({QStringLiteral("csv"), run.ArchivePath(QStringLiteral("Hala")), csv}, toolOut, toolErr),
              archivetool::kExitOk)
        << errors.toStdString();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    const auto rows = std::count_if(lines.begin() + std::min<qsizetype>(5, lines.size()), lines.end(),
                                    [](const QByteArray& line) { return line.startsWith('"'); });
    EXPECT_GE(rows, qsizetype(data.size())) << lines.size() << " lines";
}

INSTANTIATE_TEST_SUITE_P(Families, RecordingTest, ::testing::Values(kQorin, kDuskar, kVK, kVKR, kVKT),
                         [](const auto& info) { return std::string(info.param.name); });

// Two instruments on one line, each with its own archive of its own values;
// SIGINT ends the program as SIGTERM does.
TEST(RecordingLineTest, TwoInstrumentsOnOneLineRecordEachTheirOwn)
{
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    ServedValues& first = run.AddInstrument(kQorin, QStringLiteral("Kotelna"), 1);
    ServedValues& second = run.AddInstrument(kQorin, QStringLiteral("Hala"), 2);
    first.vary = VaryQorinValues;
    second.vary = [](int n, sim::Bytes& data) { VaryQorinValues(n + 500, data); };
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    ASSERT_TRUE(run.WaitFor([&] { return first.Count() >= 4 && second.Count() >= 4; }, kStartBound))
        << run.Output().toStdString();
    const int firstCount = first.Count();
    const int secondCount = second.Count();
    ASSERT_EQ(run.Terminate(SIGINT), 0) << run.Output().toStdString();

    for (auto [name, log, count] : {std::tuple{QStringLiteral("Kotelna"), &first, firstCount},
                                    std::tuple{QStringLiteral("Hala"), &second, secondCount}}) {
        SCOPED_TRACE(name.toStdString());
        const Stored stored = Read(run.ArchivePath(name));
        ASSERT_TRUE(stored.ok) << stored.error.toStdString();
        const CArchivRecordList data = stored.Data();
        const int served = log->Count();
        EXPECT_GE(int(data.size()), std::min(count, served) - 1);
        EXPECT_LE(int(data.size()), served);
        ExpectControllerValues<CQorinArchivData, QorinArchivTraits>(data, log->Replies());
    }
}

// Stray bytes before replies and replies with a bad sum, one reply at a
// time: a reply the program cannot take costs that poll (a data-loss
// record says so) and the next poll asks again; every other poll's values
// are stored, in order. SIGHUP ends the program as SIGTERM does.
TEST(RecordingLineTest, StrayBytesAndFaultedRepliesCostOnlyTheirPoll)
{
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    ServedValues& served = run.AddInstrument(kQorin, QStringLiteral("Hala"), 1);
    served.vary = VaryQorinValues;
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    ASSERT_TRUE(run.WaitFor([&] { return served.Count() >= 2; }, kStartBound)) << run.Output().toStdString();

    sim::Faults stray;
    stray.strayBytes = 7;
    sim::Faults badSum;
    badSum.badChecksum = true;
    int faulted = 0;
    for (const sim::Faults& faults : {stray, badSum, stray, badSum}) {
        run.Line().SetFaults(faults, 1);
        ++faulted;
        const int mark = served.Count();
        ASSERT_TRUE(run.WaitFor([&] { return served.Count() >= mark + 2; }, kPollBound));
    }
    run.Line().ClearFaults();
    const int count = served.Count();
    ASSERT_EQ(run.Terminate(SIGHUP), 0) << run.Output().toStdString();

    const Stored stored = Read(run.ArchivePath(QStringLiteral("Hala")));
    ASSERT_TRUE(stored.ok) << stored.error.toStdString();
    const CArchivRecordList data = stored.Data();
    // A faulted reply is asked for again and served twice; the reply in
    // flight at the signal may be missing.
    EXPECT_GE(int(data.size()), count - faulted - 1) << "served " << count << "; stored:\n" << stored.Dump();
    ExpectControllerValues<CQorinArchivData, QorinArchivTraits>(data, served.Replies());
    const auto losses = std::count_if(stored.records.begin(), stored.records.end(), [](const CArchivRecord& r) {
        return r.type == kRecordError && platform::FromCp1250(r.data).startsWith(QStringLiteral("Výpadek dat"));
    });
    EXPECT_LE(losses, faulted) << stored.Dump();
}

// The line's adapter is pulled out and plugged in again (its pseudo-terminal
// closed and made anew behind the path the instrument is set up with): the
// program records outages meanwhile and, with nobody touching it, asks the
// instrument again once it is back and records its values.
TEST(RecordingLineTest, ALineThatCameBackIsRecordedAgainWithoutTheUser)
{
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    run.UseFixedPath();
    ServedValues& served = run.AddInstrument(kQorin, QStringLiteral("Hala"), 1);
    served.vary = VaryQorinValues;
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    ASSERT_TRUE(run.WaitFor([&] { return served.Count() >= 3; }, kStartBound)) << run.Output().toStdString();

    ASSERT_TRUE(run.Unplug());
    const int before = served.Count();
    std::this_thread::sleep_for(std::chrono::seconds(4 * RecordingRun::kMeasuringInterval));
    ASSERT_TRUE(run.PlugIn(error)) << error.toStdString();
    ASSERT_TRUE(run.WaitFor([&] { return served.Count() >= before + 3; }, kPollBound))
        << "no measurement after the line came back; program output:\n" << run.Output().toStdString();

    const int count = served.Count();
    ASSERT_EQ(run.Terminate(), 0) << run.Output().toStdString();
    const Stored stored = Read(run.ArchivePath(QStringLiteral("Hala")));
    ASSERT_TRUE(stored.ok) << stored.error.toStdString();
    const CArchivRecordList data = stored.Data();
    EXPECT_GE(int(data.size()), count - 1) << "served " << count << "; stored:\n" << stored.Dump();
    ExpectControllerValues<CQorinArchivData, QorinArchivTraits>(data, served.Replies());
    // Outages recorded while the line was gone, with measurements before
    // them and after them.
    ASSERT_FALSE(data.empty());
    const auto outages = std::count_if(stored.records.begin(), stored.records.end(), [&](const CArchivRecord& r) {
        return r.type == kRecordError && r.time > data.front().time && r.time < data.back().time;
    });
    EXPECT_GE(outages, 1) << stored.Dump();
    const auto lastOutage = std::find_if(stored.records.rbegin(), stored.records.rend(),
                                         [](const CArchivRecord& r) { return r.type == kRecordError; });
    ASSERT_NE(lastOutage, stored.records.rend());
    const auto after = std::count_if(lastOutage.base(), stored.records.end(),
                                     [](const CArchivRecord& r) { return r.IsData(); });
    EXPECT_GE(after, 2) << stored.Dump();
}

} // namespace
