#include "StoreTestSupport.h"

#include "platform/cfb/cfb.h"

#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace storetest {
namespace {

constexpr int kCrashSlots = 20002;

// Runs in the child process only: writes blocks until it is killed and
// reports every block whose write has returned.
TEST_F(StoreTest, CrashChildWritesUntilKilled)
{
    const char* target = std::getenv("QORIN_CRASH_CHILD");
    if (!target)
        GTEST_SKIP() << "child of the crash test";
    const QString path = QString::fromLocal8Bit(target);
    TestArchivData data;
    Prepare(data);
    ASSERT_EQ(data.Create((kCrashSlots - 2) * 60, 1, 60, path.chopped(4), TestArchivData::Extension(), TRUE, TRUE,
                          "Linka"),
              1);
    for (DWORD i = 0; i < DWORD(kCrashSlots - 2); ++i) {
        for (int r = 0; r < 30; ++r)
            data.AddRecord(QStringLiteral("záznam %1 bloku %2").arg(r).arg(i), kRecordState);
        ASSERT_EQ(WriteWordBlock(data, i), 1);
        std::printf("%u\n", unsigned(i));
        std::fflush(stdout);
    }
}

// Starts the child writing into `path`, kills it after `delayMs` and returns
// the last block it reported as written (-1 for none).
long RunAndKill(const QString& path, int delayMs)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -2;
    const std::string exe = QFile::symLinkTarget("/proc/self/exe").toStdString();
    const std::string env = "QORIN_CRASH_CHILD=" + path.toStdString();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        close(pipeFds[0]);
        close(pipeFds[1]);
        putenv(const_cast<char*>(env.c_str()));
        execl(exe.c_str(), exe.c_str(), "--gtest_filter=StoreTest.CrashChildWritesUntilKilled", nullptr);
        _exit(127);
    }
    close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    // The delay counts from the first block the child reports: a slow start
    // on a loaded machine must not make the run vacuous. The first block
    // gets a generous bound of its own.
    // (gtest's own lines come first; a block is a complete line of digits.)
    const auto reportedBlock = [&output] {
        std::size_t start = 0;
        for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
            if (end > start && std::isdigit(static_cast<unsigned char>(output[start])))
                return true;
        }
        return false;
    };
    const auto firstBound = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!reportedBlock() && std::chrono::steady_clock::now() < firstBound) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            output.append(buffer, std::size_t(n));
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline
                                                                                - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{pipeFds[0], POLLIN, 0};
        if (poll(&p, 1, int(left.count())) > 0) {
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            output.append(buffer, std::size_t(n));
        }
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, std::size_t(n));
    close(pipeFds[0]);
    // Only complete lines count: a number cut by the kill was not reported.
    long last = -1;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = output.substr(start, end - start);
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])))
            last = std::stol(line);
    }
    return last;
}

TEST_F(StoreTest, KilledWriterLeavesEveryReturnedBlockReadable)
{
    if (std::getenv("QORIN_CRASH_CHILD"))
        GTEST_SKIP();
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(20, 400);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int run = 0; run < 20; ++run) {
        const QString path = Path(QStringLiteral("pad%1.tst").arg(run));
        const int delayMs = delay(random);
        const long last = RunAndKill(path, delayMs);
        SCOPED_TRACE("run " + std::to_string(run) + " killed after " + std::to_string(delayMs) + " ms, last block "
                     + std::to_string(last));
        ASSERT_GE(last, 0) << "the child was killed before it wrote a block";
        {
            auto file = cfb::CompoundFile::open(path.toStdString(), cfb::OpenMode::ReadOnly);
            ASSERT_TRUE(file) << file.error().message();
            EXPECT_TRUE((*file)->checkConsistency().ok());
        }
        CArchivData reader;
        Prepare(reader);
        ASSERT_TRUE(reader.Open(path));
        ASSERT_TRUE(reader.ReadHeader());
        for (long i = 0; i <= last; ++i) {
            CArchivRecordList records;
            ASSERT_TRUE(reader.ReadBlock(int(i), records)) << "block " << i;
            ASSERT_EQ(WordsOf(records), std::vector<DWORD>{DWORD(i)}) << "block " << i;
            ASSERT_GE(records.size(), 31u);
        }
    }
}

} // namespace
} // namespace storetest
