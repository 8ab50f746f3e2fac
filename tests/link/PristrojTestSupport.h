#pragma once

#include "archive/store/ArchivHost.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <memory>

#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace pristrojtest {

// Scripted boxes and application, waits cut short and recorded.
class TestHost : public IPristrojHost {
public:
    bool AskYesNo(QObject*, const QString& text, const QString& caption) override
    {
        std::lock_guard lock(m_lock);
        questions.push_back(text);
        captions.push_back(caption);
        return answer;
    }
    void ShowError(QObject*, const QString& text, const QString& caption) override
    {
        std::lock_guard lock(m_lock);
        errors.push_back(text);
        captions.push_back(caption);
    }
    std::vector<CPristroj*> Instruments() override { return instruments; }
    bool IsModemPort(const QString& port) override { return port == modemPort; }
    void SaveDeviceSettings(CPristroj& entry) override
    {
        std::lock_guard lock(m_lock);
        ++saves;
        savedNames.push_back(entry.m_nazev);
    }
    void RenameDevice(CPristroj&, const QString& from, const QString& to) override
    {
        std::lock_guard lock(m_lock);
        renames.emplace_back(from, to);
    }
    bool WaitEvent(platform::Event& event, int timeoutMs) override
    {
        {
            std::lock_guard lock(m_lock);
            waits.push_back(timeoutMs);
        }
        return event.Wait(std::min(timeoutMs, waitCapMs));
    }
    bool JoinThread(CPristrojThread& thread, int timeoutMs) override
    {
        {
            std::lock_guard lock(m_lock);
            joins.push_back(timeoutMs);
        }
        return thread.Join(std::min(timeoutMs, waitCapMs));
    }
    void Sleep(int) override { ++sleeps; }

    std::vector<int> Waits()
    {
        std::lock_guard lock(m_lock);
        return waits;
    }

    bool answer = false;
    QString modemPort;
    std::vector<CPristroj*> instruments;
    std::vector<QString> questions;
    std::vector<QString> errors;
    std::vector<QString> captions;
    std::vector<int> waits;
    std::vector<int> joins;
    std::atomic<int> saves{0};
    // The name each save was made under, and the renames, in order.
    std::vector<QString> savedNames;
    std::vector<std::pair<QString, QString>> renames;
    std::atomic<int> sleeps{0};
    // Long enough for a live thread, short enough for a test.
    int waitCapMs = 5000;

private:
    std::mutex m_lock;
};

// An archive host that keeps the notices and refuses every question.
class NoticeHost : public IArchivHost {
public:
    bool AskYesNo(int) override
    {
        ++questions;
        return false;
    }
    void ReportFileError(const QString&) override {}
    void ReportBlockNotWritten(const QString&, int) override {}
    void ReportBlocksLost(const QString&, int) override {}
    void Notify(const QString& text) override
    {
        std::lock_guard lock(m_lock);
        notices.push_back(text);
    }
    std::vector<QString> Notices()
    {
        std::lock_guard lock(m_lock);
        return notices;
    }
    std::vector<QString> notices;
    std::atomic<int> questions{0};

private:
    std::mutex m_lock;
};

// The entry's environment for one test: host, a settings file of its own.
// Entries of the test are made in `env`.
class PristrojTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("test.ini")));
        env->SetPristrojHost(&host);
    }
    // After the members of derived fixtures (entries) are gone; a thread
    // that ends on its own later finds the silent defaults.
    ~PristrojTest() override
    {
        env->SetPristrojHost(nullptr);
        env->SetLinkManager(nullptr);
        env->SetClock(nullptr);
        platform::Settings::SetFileForTesting(QString());
    }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    QTemporaryDir dir;
    TestHost host;
};

} // namespace pristrojtest
