// Current-profile downloads from a simulated analyser: both profiles of
// both families, on fast and slow links, a profile the instrument does not
// hold, a status from the caller, and a cancel.
#include "DownloadTestSupport.h"

#include "link/ProfileDownload.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "tools/instrument_sim/SimArchive.h"

using namespace downloadtest;
using sim::Family;

namespace {

constexpr std::uint8_t kVKArchiveBlock = 0x16;
constexpr std::uint8_t kVKArchiveStream = 0x3B;
constexpr std::uint8_t kProfileData = 0x36;

// The VK analyser keeps its profiles behind the top bits of the record
// index (0x40000000 the selected one, 0x80000000 the maximal one); here they
// are memory areas 1 and 2.
sim::Response VKProfileBlock(sim::Instrument& self, const sim::Frame& frame)
{
    if (frame.data.size() != 5)
        return sim::Response::None();
    const std::uint32_t index = sim::GetBE32(frame.data.data());
    const sim::ArchiveArea& area = self.archives[std::uint8_t(index >> 30)];
    if (area.recordSize == 0 || frame.data[4] % area.recordSize != 0)
        return sim::Response::None();
    sim::Bytes reply(5, 0);
    sim::PutBE32(reply.data(), index);
    const sim::Bytes records = area.Read(index & 0x3FFFFFFF, frame.data[4] / area.recordSize);
    reply.insert(reply.end(), records.begin(), records.end());
    return sim::Response::Data(std::move(reply));
}

// A profile file: its head (instrument name, type, profile kind, day, then
// the instrument's identification, settings and notebook) and its records.
DownloadFileContent ReadProfileFile(const QString& path, bool vk, QString& name, std::int32_t& type,
                                    std::int32_t& kind, CTime& written)
{
    return ReadDownloadFile(path, [&](platform::SerialArchive& ar) {
        ar >> name >> type >> kind >> written;
        CIden iden;
        iden.Serialize(ar);
        if (vk) {
            CVKConfig config;
            CVKNoteBook notebook;
            config.Serialize(ar);
            notebook.Serialize(ar);
        } else {
            CVKTConfig config;
            CVKTNoteBook notebook;
            config.Serialize(ar);
            notebook.Serialize(ar);
        }
    });
}

struct ProfileCase {
    const char* name;
    Family family;
    int kind;
    int retries;
    std::function<void(sim::Instrument&, CProfileDownloadJob&)> arrange;
    int result;
    std::uint32_t first; // record number of the first minute
};

class ProfileDownloadTest : public DownloadTest, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(ProfileDownloadTest, WritesTheProfileFile)
{
    const ProfileCase& c = GetParam();
    StartAnalyser(c.family, c.retries);
    const bool vk = c.family == Family::VK;
    const std::size_t size = vk ? 17 : 54;
    const CTime date(2024, 1, 14, 0, 0, 0);
    auto job = std::make_unique<CProfileDownloadJob>();
    job->m_pristroj = *entry;
    job->m_tempPath = tempPath;
    job->m_kind = c.kind;
    job->m_date = date;
    line.WithInstrument(1, [&](sim::Instrument& i) {
        i.FillArchive(1, 1440, size, 1440);
        i.FillArchive(2, 1440, size, 2880);
        if (vk) {
            // The memory reads do not use the stream; a slow link streams.
            i.SetCommand(kVKArchiveBlock, VKProfileBlock);
            i.SetCommand(kVKArchiveStream, [](sim::Instrument&, const sim::Frame&) { return sim::Response::None(); });
        } else {
            sim::Bytes& status = i.blocks[kProfileData];
            status[80] = 1; // flag D: a selected profile is held
            status[81] = 1;
            status[83] = 2; // flag C: a maximal profile is held
        }
        c.arrange(i, *job);
    });
    vk ? DownloadVKProfilesProc(job.get()) : DownloadVKTProfilesProc(job.get());
    ASSERT_EQ(job->m_result, c.result) << job->m_pristroj.GetErrorText().toStdString();
    if (c.result != kDownloadOk) {
        EXPECT_FALSE(QFile::exists(tempPath));
        return;
    }
    QString name;
    std::int32_t type = 0, kind = -1;
    CTime written;
    const DownloadFileContent file = ReadProfileFile(tempPath, vk, name, type, kind, written);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(name, entry->m_nazev);
    EXPECT_EQ(type, entry->GetType());
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(written, date);
    EXPECT_EQ(file.itemSize, size);
    EXPECT_EQ(file.numbers, Range(c.first, c.first + 1439));
}

void Nothing(sim::Instrument&, CProfileDownloadJob&) {}

// A VK status image whose maximal profile is not held.
void CallerSaysNoMaximum(sim::Instrument&, CProfileDownloadJob& job)
{
    std::array<BYTE, CProfileStatus::kVKImageSize> image{};
    image[98] = 0; // flag D set
    image[104] = 0xFF; // flag C clear
    CProfileStatus status;
    status.FromRawVK(image.data());
    job.SetStatus(&status);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ProfileDownloadTest,
    ::testing::Values(
        ProfileCase{"VKSelected", Family::VK, 0, 0, Nothing, kDownloadOk, 0},
        ProfileCase{"VKMaximal", Family::VK, 1, 0, Nothing, kDownloadOk, 1440},
        ProfileCase{"VKTSelected", Family::VKT, 0, 0, Nothing, kDownloadOk, 0},
        ProfileCase{"VKTMaximal", Family::VKT, 1, 0, Nothing, kDownloadOk, 1440},
        ProfileCase{"VKTSlowLink", Family::VKT, 1, 1, Nothing, kDownloadOk, 1440},
        ProfileCase{"VKTSelectedNotHeld", Family::VKT, 0, 0,
                    [](sim::Instrument& i, CProfileDownloadJob&) { i.blocks[kProfileData][80] = 0; },
                    kDownloadNoData, 0},
        ProfileCase{"CallersStatusDecides", Family::VK, 1, 0, CallerSaysNoMaximum, kDownloadNoData, 0},
        ProfileCase{"Cancelled", Family::VKT, 0, 0,
                    [](sim::Instrument&, CProfileDownloadJob& job) { job.Cancel(); }, kDownloadCancelled, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// The simulator as a user starts it holds both profiles: the selected one
// (minutes 0..1439 of its memory) and the maximal one (1440..2879), and its
// status, as the worker reads it, dates both: the selected profile is 14
// January 2024, the maximal one has run since its reset on the 13th and is
// dated by the instrument's clock. Every peak lies in its profile's span.
class DefaultProfilesTest : public DownloadTest, public ::testing::WithParamInterface<Family> {};

TEST_P(DefaultProfilesTest, BothProfilesOfTheSimulatorsOwnMemoryCome)
{
    const bool vk = GetParam() == Family::VK;
    StartAnalyser(GetParam());
    line.WithInstrument(1, [](sim::Instrument& i) { sim::ServeDefaultMemory(i); });
    for (const int kind : {0, 1}) {
        SCOPED_TRACE(kind);
        auto job = std::make_unique<CProfileDownloadJob>();
        job->m_pristroj = *entry;
        job->m_tempPath = tempPath;
        job->m_kind = kind;
        job->m_date = CTime(2024, 1, 14, 0, 0, 0);
        vk ? DownloadVKProfilesProc(job.get()) : DownloadVKTProfilesProc(job.get());
        ASSERT_EQ(job->m_result, kDownloadOk) << job->m_pristroj.GetErrorText().toStdString();
        const CProfileStatus& status = job->m_status;
        const CTime selectedDay(2024, 1, 14, 0, 0, 0, 0);
        const CTime reset(2024, 1, 13, 0, 0, 0, 0);
        const CTime clock(2024, 1, 15, 12, 0, 0, 0);
        EXPECT_EQ(status.GetFlagD(), 1);
        EXPECT_EQ(status.GetFlagC(), 1);
        EXPECT_EQ(status.GetSelectedDay(), selectedDay);
        // To the minute: the VKT's time C shares its seconds byte with flag D.
        EXPECT_EQ(status.GetTimeC().GetTime() / 60, clock.GetTime() / 60);
        EXPECT_EQ(status.GetResetTime(), reset);
        for (int k = 0; k < CProfileStatus::kEntries; ++k) {
            EXPECT_TRUE(status.IsDayPresent(k)) << k;
            EXPECT_TRUE(status.IsMaximumPresent(k)) << k;
            EXPECT_GE(status.GetDayTime(k).GetTime(), selectedDay.GetTime()) << k;
            EXPECT_LT(status.GetDayTime(k).GetTime(), reset.GetTime() + 2 * 86400) << k;
            EXPECT_GE(status.GetMaximumTime(k).GetTime(), reset.GetTime()) << k;
            EXPECT_LE(status.GetMaximumTime(k).GetTime(), clock.GetTime()) << k;
            EXPECT_GE(status.GetMaximumValue(k), status.GetDayValue(k)) << k;
        }
        QString name;
        std::int32_t type = 0, stored = -1;
        CTime written;
        const DownloadFileContent file = ReadProfileFile(tempPath, vk, name, type, stored, written);
        ASSERT_TRUE(file.ok);
        EXPECT_EQ(file.itemSize, vk ? 17u : 54u);
        EXPECT_EQ(file.numbers, Range(1440u * std::uint64_t(kind), 1440u * std::uint64_t(kind) + 1439));
        QFile::remove(tempPath);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, DefaultProfilesTest, ::testing::Values(Family::VK, Family::VKT),
                         [](const auto& info) { return std::string(info.param == Family::VK ? "VK" : "VKT"); });

} // namespace
