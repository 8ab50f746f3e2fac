#pragma once

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivHost.h"
#include "archive/store/CfbArchivStorage.h"

#include "support/FakeClock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace storetest {

using platform::CTime;

// A clock the test moves by hand.
using FakeClock = testsupport::FakeClock;

// Answers questions from a script (No when it runs out) and keeps every report.
class ScriptedHost : public IArchivHost {
public:
    bool AskYesNo(int textId) override;
    void ReportFileError(const QString& path) override;
    void ReportBlockNotWritten(const QString& path, int queuedBlocks) override;
    void ReportBlocksLost(const QString& path, int blocks) override;
    void Notify(const QString& text) override;

    void Answer(bool yes);
    std::vector<int> Asked() const;
    std::vector<QString> FileErrors() const;
    int NotWrittenReports() const;
    int LostBlocks() const;
    std::vector<QString> Notices() const;

    // Runs while a question is open, before it is answered.
    std::function<void()> whileAsking;

private:
    mutable std::mutex m_mutex;
    std::deque<bool> m_answers;
    std::vector<int> m_asked;
    std::vector<QString> m_fileErrors;
    std::vector<QString> m_notices;
    int m_notWritten = 0;
    int m_lost = 0;
};

// A real compound file behind a seam that fails chosen operations. The
// predicate sees the operation ("write", "read", "flush", "create-file",
// "open-file") and the stream or file name.
class FaultyProvider : public archive::StorageProvider {
public:
    using Predicate = std::function<bool(const std::string& op, const std::string& name)>;

    FaultyProvider();
    void FailWhen(Predicate predicate);
    bool ShouldFail(const std::string& op, const std::string& name) const;

    std::shared_ptr<archive::Storage> Open(const QString& path, archive::StorageStatus* status) override;
    std::shared_ptr<archive::Storage> OpenReadOnly(const QString& path, archive::StorageStatus* status) override;
    std::shared_ptr<archive::Storage> Create(const QString& path, bool overwrite,
                                             archive::StorageStatus* status) override;

private:
    std::shared_ptr<archive::StorageProvider> m_real;
    mutable std::mutex m_mutex;
    Predicate m_predicate;
};

// The family part a test needs: a header named like the families name theirs
// (base + "_Y%yD%m%dH%H" + ".tst" per period, base + ".tst" for one file).
class TestArchivData : public CArchivData {
public:
    static QString Extension() { return QStringLiteral(".tst"); }

    TestArchivData() : CArchivData(1) {}

    int WriteSlot() const;
    int SlotCount() const;
    std::vector<std::uint32_t> Table() const;
    QString Name() const;
    int ShrinkState() const;
    int CurrentListIndex() const;
    CArchivRecordList List(int index) const;
    // A header of a file about to be created.
    void UseHeader(const QString& name, int slotTotal) { SetNewHeader(slotTotal, name); }
    // A measurement record as the family writers queue it.
    void AddDataRecord(CTime time);

protected:
    void InitHeader(int slotTotal, const QString& name, BOOL overwrite) override;
    void RollFileName() override;
};

// Every test gets a folder, a fake clock at 2024-03-10 10:25:30, a scripted
// host and the faulty provider in front of the process-wide file list.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    void Prepare(CArchivData& data);
    // A store recording into its own file: ring of `slotTotal` slots, one record
    // per block, 60 s interval.
    void StartRing(TestArchivData& data, int slotTotal, const QString& name = QStringLiteral("ring"));
    // One block holding the word `value`; the result of Flush.
    int WriteWordBlock(TestArchivData& data, DWORD value, bool newFilePerPeriod = false);
    // The word records of slot `slot` as read back by a fresh reader.
    std::vector<DWORD> ReadWords(const QString& path, int slot);

    QTemporaryDir m_dir;
    FakeClock m_clock;
    ScriptedHost m_host;
    std::shared_ptr<FaultyProvider> m_provider;
    std::shared_ptr<archive::StorageProvider> m_savedProvider;
};

std::vector<DWORD> WordsOf(const CArchivRecordList& records);

} // namespace storetest
