#include "shell/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

namespace {

QString UniqueName()
{
    return QStringLiteral("MavexRunTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

struct Pauses {
    std::vector<int> waits;
    CSingleInstance::Pause Record()
    {
        return [this](int ms) { waits.push_back(ms); };
    }
};

TEST(AppSingleInstance, SecondStartHandsItsFileToTheFirstAndEnds)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hala.vk"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    const QString name = UniqueName();
    Pauses pauses;
    CSingleInstance first(name);
    ASSERT_TRUE(first.Acquire(QString(), pauses.Record()));
    QStringList received;
    QObject::connect(&first, &CSingleInstance::FileRequested, [&](const QString& path) { received << path; });

    CSingleInstance second(name);
    EXPECT_FALSE(second.Acquire(file, pauses.Record()));
    EXPECT_TRUE(pauses.waits.empty()); // handed over at once

    const QDeadlineTimer deadline(10000);
    while (received.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(received, QStringList{file});
}

// Without a file to hand over (or with one that does not exist) the second
// start waits for the first to end, three times, and then gives up.
TEST(AppSingleInstance, SecondStartWithoutAnExistingFileWaitsAndGivesUp)
{
    const QString name = UniqueName();
    CSingleInstance first(name);
    ASSERT_TRUE(first.Acquire(QString(), [](int) {}));
    for (const QString& file : {QString(), QStringLiteral("/nonexistent/hala.vk")}) {
        Pauses pauses;
        CSingleInstance second(name);
        EXPECT_FALSE(second.Acquire(file, pauses.Record())) << file.toStdString();
        EXPECT_EQ(pauses.waits, CSingleInstance::RetryWaitsMs());
    }
}

TEST(AppSingleInstance, StartFollowsWhenTheFirstHasEnded)
{
    const QString name = UniqueName();
    auto first = std::make_unique<CSingleInstance>(name);
    ASSERT_TRUE(first->Acquire(QString(), [](int) {}));
    Pauses pauses;
    CSingleInstance second(name);
    // The first ends during the first wait.
    EXPECT_TRUE(second.Acquire(QString(), [&](int ms) {
        pauses.waits.push_back(ms);
        first.reset();
    }));
    EXPECT_EQ(pauses.waits, std::vector<int>{2000});
}

} // namespace
