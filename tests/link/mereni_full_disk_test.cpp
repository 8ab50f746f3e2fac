// The disk under a recording fills up and gets room again: the measurement
// thread goes on handing its blocks over, those that cannot be written wait
// in memory, and every one of them reaches the archive once there is room,
// in order and once, the last ones when the recording stops.
#include "LinkTestSupport.h"
#include "MereniTestSupport.h"

#include "archive/store/ArchivHeader.h"
#include "archive/store/ArchivRecord.h"
#include "archive/store/CfbArchivStorage.h"
#include "platform/cfb/cfb.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

using namespace mereni_test;
using sim::Family;
using sim::Instrument;

namespace {

// A disk that can be made full and given room again, with a folder on it.
class Disk {
public:
    virtual ~Disk() = default;
    // The folder for the archives; empty (with the reason) when this disk
    // cannot be had here.
    virtual QString Prepare(const QString& scratch, std::string& why) = 0;
    virtual void Fill() = 0;
    virtual void Free() = 0;
};

// The file layer refuses, while "full", what a full disk refuses: every
// write and truncation that needs room beyond what a file held when the
// disk filled up. Bytes it already has may be written over, and a sync goes
// through.
class InjectedDisk final : public Disk {
public:
    ~InjectedDisk() override
    {
        if (m_saved)
            CArchivFileList::Instance().SetProvider(m_saved);
    }
    QString Prepare(const QString& scratch, std::string&) override
    {
        m_saved = CArchivFileList::Instance().GetProvider();
        CArchivFileList::Instance().SetProvider(archive::CreateCfbStorageProvider([this](cfb::CompoundFile& file) {
            file.setFileFaultForTesting([this, room = std::uint64_t(0), path = file.path()](
                                            cfb::CompoundFile::FileCall call, std::uint64_t offset,
                                            std::uint64_t size) mutable {
                if (!m_full) {
                    room = 0;
                    return 0;
                }
                if (room == 0) {
                    std::error_code error;
                    room = std::filesystem::file_size(path, error);
                }
                return call != cfb::CompoundFile::FileCall::Sync && offset + size > room ? ENOSPC : 0;
            });
        }));
        return scratch;
    }
    void Fill() override { m_full = true; }
    void Free() override { m_full = false; }

private:
    std::shared_ptr<archive::StorageProvider> m_saved;
    std::atomic<bool> m_full{false};
};

// A real filesystem of 2 MB (tmpfs), mounted in a mount namespace of a
// child process and reached through that process's root, so nothing is left
// mounted for anyone else: it goes when the child does. Filled with a file
// up to the last byte it takes.
class SmallDisk final : public Disk {
public:
    ~SmallDisk() override
    {
        if (m_hold >= 0)
            ::close(m_hold); // the child leaves, and its filesystem with it
        if (m_child > 0)
            ::waitpid(m_child, nullptr, 0);
    }
    QString Prepare(const QString& scratch, std::string& why) override
    {
        const QString mountPoint = QDir(scratch).filePath(QStringLiteral("small"));
        QDir().mkpath(mountPoint);
        const QByteArray where = QFile::encodeName(mountPoint);
        int ready[2];
        int hold[2];
        if (::pipe(ready) != 0 || ::pipe(hold) != 0) {
            why = "no pipe";
            return {};
        }
        // Without the right to mount, a user namespace of its own gives it;
        // this process's ids are mapped there so that it may create files.
        const std::string uidMap = std::to_string(::getuid()) + ' ' + std::to_string(::getuid()) + " 1";
        const std::string gidMap = std::to_string(::getgid()) + ' ' + std::to_string(::getgid()) + " 1";
        m_child = ::fork();
        if (m_child == 0) {
            // Only calls that are safe after a fork of a threaded process.
            ::close(ready[0]);
            ::close(hold[1]);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            const auto put = [](const char* file, const std::string& text) {
                const int fd = ::open(file, O_WRONLY);
                const bool done = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
                if (fd >= 0)
                    ::close(fd);
                return done;
            };
            int failure[2] = {0, 0};
            if (::unshare(CLONE_NEWNS) != 0
                && (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !put("/proc/self/setgroups", "deny")
                    || !put("/proc/self/uid_map", uidMap) || !put("/proc/self/gid_map", gidMap)))
                failure[0] = 1;
            else if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                failure[0] = 2;
            else if (::mount("qorin-test", where.constData(), "tmpfs", 0, "size=2m,mode=1777") != 0)
                failure[0] = 3;
            failure[1] = errno;
            if (::write(ready[1], failure, sizeof failure) != ssize_t(sizeof failure) || failure[0] != 0)
                ::_exit(1);
            char c = 0;
            while (::read(hold[0], &c, 1) < 0 && errno == EINTR) {
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        m_hold = hold[1];
        int failure[2] = {-1, 0};
        const bool heard = m_child > 0 && ::read(ready[0], failure, sizeof failure) == ssize_t(sizeof failure);
        ::close(ready[0]);
        if (!heard || failure[0] != 0) {
            static const char* const steps[] = {"", "a mount namespace", "private mounts", "a tmpfs mount"};
            why = heard ? std::string(steps[failure[0]]) + " is not allowed here: " + std::strerror(failure[1])
                        : std::string("the helper process did not start");
            return {};
        }
        m_folder = QStringLiteral("/proc/%1/root%2").arg(m_child).arg(mountPoint);
        QFile probe(QDir(m_folder).filePath(QStringLiteral("probe")));
        if (!probe.open(QIODevice::WriteOnly) || !probe.remove()) {
            why = "the mounted filesystem cannot be written from here: " + probe.errorString().toStdString();
            return {};
        }
        return m_folder;
    }
    void Fill() override
    {
        QFile filler(QDir(m_folder).filePath(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        // Large pieces first, then ever smaller ones, so that not even one
        // page is left.
        for (qsizetype piece = 65536; piece > 0; piece /= 8) {
            const QByteArray bytes(piece, 'x');
            while (filler.write(bytes) == piece) {
            }
        }
        filler.close();
    }
    void Free() override { ASSERT_TRUE(QFile::remove(QDir(m_folder).filePath(QStringLiteral("filler")))); }

private:
    pid_t m_child = -1;
    int m_hold = -1;
    QString m_folder;
};

// The data records' times of an archive, block by block from the oldest, as
// a reader that shares nothing with the recorder finds them on disk.
std::vector<std::uint32_t> StoredDataTimes(const QString& path)
{
    std::vector<std::uint32_t> times;
    auto storage = archive::OpenCfbReadOnly(path);
    QByteArray bytes;
    CArchivHeader header;
    if (!storage || storage->ReadStream("hlavicka", bytes) != archive::StorageStatus::Ok
        || archive::DecodeHeader(bytes, header) != archive::HeaderDecode::Ok) {
        ADD_FAILURE() << "no readable archive at " << path.toStdString();
        return times;
    }
    std::vector<std::pair<std::uint32_t, int>> blocks;
    for (std::size_t slot = 0; slot < header.slotTable.size(); ++slot)
        if (header.slotTable[slot] != 0)
            blocks.emplace_back(header.slotTable[slot], int(slot));
    std::sort(blocks.begin(), blocks.end());
    for (const auto& [start, slot] : blocks) {
        CArchivRecordList records;
        EXPECT_EQ(storage->ReadStream(archive::SlotStreamName(slot), bytes), archive::StorageStatus::Ok) << slot;
        EXPECT_TRUE(archive::DecodeBlock(bytes, records)) << "block " << slot << " is damaged";
        for (const CArchivRecord& record : records)
            if (record.IsData())
                times.push_back(record.time);
    }
    return times;
}

struct FullDiskCase {
    const char* name;
    Family family;
    int type;
    bool realFilesystem;
};

void PrintTo(const FullDiskCase& c, std::ostream* os)
{
    *os << c.name;
}

class FullDiskTest : public MereniTest,
                     public linktest::SimLine,
                     public ::testing::WithParamInterface<FullDiskCase> {
protected:
    void SetUp() override
    {
        MereniTest::SetUp();
        env->SetLinkManager(&manager);
        CMereni::RegisterFactories(*env);
    }
    ~FullDiskTest() override { env->SetLinkManager(nullptr); }
};

TEST_P(FullDiskTest, HeldBlocksReachTheArchiveWhenThereIsRoomAgain)
{
    const FullDiskCase c = GetParam();
    std::unique_ptr<Disk> disk;
    if (c.realFilesystem)
        disk = std::make_unique<SmallDisk>();
    else
        disk = std::make_unique<InjectedDisk>();
    std::string why;
    const QString folder = disk->Prepare(dir.path(), why);
    if (folder.isEmpty())
        GTEST_SKIP() << "no small filesystem to fill up: " << why;

    Instrument instrument(c.family, 1);
    if (c.family == Family::VK)
        instrument.SetVersion(130);
    else
        instrument.blocks[0x30][32] = 6; // regulating: its values are stored
    StartLine({instrument}, 0);
    mhost.autoAdvance = true;
    std::unique_ptr<CPristroj> entry = MakeEntry(c.type, port);
    entry->m_soubor = QDir(folder).filePath(entry->m_nazev);
    ASSERT_TRUE(entry->StartThread(platform::WM_DEVICE_ACTIVATE_RECORD));
    ASSERT_EQ(entry->m_merit, 1) << entry->GetErrorText().toStdString();
    CArchivData& archiv = *entry->GetArchivData();
    const QString path = archiv.GetFilePath();
    ASSERT_TRUE(path.startsWith(folder)) << path.toStdString();
    ASSERT_TRUE(WaitFor([&] { return archiv.GetNewestDataTime().GetTime() > 0 && mhost.Sends(platform::WM_DATA_READY).size() >= 2; }));

    // Full while blocks go on ending: they wait in memory.
    disk->Fill();
    ASSERT_TRUE(WaitFor([&] { return archiv.GetQueuedBlockCount() >= 3; }, 60000));
    // Room again: the next hand-over takes them all to the file.
    disk->Free();
    ASSERT_TRUE(WaitFor([&] { return archiv.GetQueuedBlockCount() == 0; }, 60000));
    const std::size_t handed = mhost.Sends(platform::WM_DATA_READY).size();
    ASSERT_TRUE(WaitFor([&] { return mhost.Sends(platform::WM_DATA_READY).size() >= handed + 2; }, 60000));

    // Full again, and the clock stands at a hand-over that cannot be
    // written; room comes back only when the recording stops.
    disk->Fill();
    ASSERT_TRUE(WaitFor([&] { return archiv.GetQueuedBlockCount() >= 2; }, 60000));
    mhost.standAtHandOver = true;
    ASSERT_TRUE(WaitFor([&] { return !mhost.autoAdvance; }));
    ASSERT_TRUE(entry->PostSettings(1, true));
    EXPECT_GE(archiv.GetQueuedBlockCount(), 2);
    const std::uint32_t newest = archiv.GetNewestDataTime().GetTime();
    EXPECT_EQ(archiv.GetFilePath(), path) << "the recording lost its file";
    disk->Free();
    entry.reset();

    const std::vector<std::uint32_t> times = StoredDataTimes(path);
    ASSERT_GE(times.size(), 10u);
    EXPECT_EQ(times.back(), newest) << "the blocks held at the stop are missing";
    // In order, each once, and no block missing in between.
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GT(times[i], times[i - 1]) << i;
        EXPECT_LT(times[i] - times[i - 1], std::uint32_t(2 * 10)) << "a gap after " << times[i - 1];
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, FullDiskTest,
                         ::testing::Values(FullDiskCase{"VKInjected", Family::VK, CPristroj::kVK, false},
                                           FullDiskCase{"QorinInjected", Family::Qorin, CPristroj::kQorin, false},
                                           FullDiskCase{"VKSmallFilesystem", Family::VK, CPristroj::kVK, true},
                                           FullDiskCase{"QorinSmallFilesystem", Family::Qorin, CPristroj::kQorin,
                                                        true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
