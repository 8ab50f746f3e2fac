#include "StoreTestSupport.h"

#include <QFile>

namespace storetest {

using archive::StorageStatus;

// ---- ScriptedHost ------------------------------------------------------------

bool ScriptedHost::AskYesNo(int textId)
{
    {
        std::lock_guard lock(m_mutex);
        m_asked.push_back(textId);
    }
    // The box's event loop: whatever the program does before the answer.
    if (whileAsking)
        whileAsking();
    std::lock_guard lock(m_mutex);
    if (m_answers.empty())
        return false;
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}

void ScriptedHost::ReportFileError(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_fileErrors.push_back(path);
}

void ScriptedHost::ReportBlockNotWritten(const QString&, int)
{
    std::lock_guard lock(m_mutex);
    ++m_notWritten;
}

void ScriptedHost::ReportBlocksLost(const QString&, int blocks)
{
    std::lock_guard lock(m_mutex);
    m_lost += blocks;
}

void ScriptedHost::Notify(const QString& text)
{
    std::lock_guard lock(m_mutex);
    m_notices.push_back(text);
}

std::vector<QString> ScriptedHost::Notices() const
{
    std::lock_guard lock(m_mutex);
    return m_notices;
}

void ScriptedHost::Answer(bool yes)
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(yes);
}

std::vector<int> ScriptedHost::Asked() const
{
    std::lock_guard lock(m_mutex);
    return m_asked;
}

std::vector<QString> ScriptedHost::FileErrors() const
{
    std::lock_guard lock(m_mutex);
    return m_fileErrors;
}

int ScriptedHost::NotWrittenReports() const
{
    std::lock_guard lock(m_mutex);
    return m_notWritten;
}

int ScriptedHost::LostBlocks() const
{
    std::lock_guard lock(m_mutex);
    return m_lost;
}

// ---- FaultyProvider ----------------------------------------------------------

namespace {

class FaultyStream final : public archive::StorageStream {
public:
    FaultyStream(std::unique_ptr<archive::StorageStream> real, const FaultyProvider& faults, std::string name)
        : m_real(std::move(real)), m_faults(faults), m_name(std::move(name))
    {
    }
    std::int64_t Size() override { return m_real->Size(); }
    std::int64_t ReadAt(std::uint64_t offset, void* data, std::int64_t size) override
    {
        return m_faults.ShouldFail("readat", m_name) ? -1 : m_real->ReadAt(offset, data, size);
    }
    bool WriteAt(std::uint64_t offset, const void* data, std::int64_t size) override
    {
        return !m_faults.ShouldFail("writeat", m_name) && m_real->WriteAt(offset, data, size);
    }
    bool SetSize(std::uint64_t size) override { return m_real->SetSize(size); }

private:
    std::unique_ptr<archive::StorageStream> m_real;
    const FaultyProvider& m_faults;
    std::string m_name;
};

class FaultyStorage final : public archive::Storage {
public:
    FaultyStorage(std::shared_ptr<archive::Storage> real, const FaultyProvider& faults)
        : m_real(std::move(real)), m_faults(faults)
    {
    }
    std::unique_ptr<archive::StorageStream> OpenStream(const std::string& name, StorageStatus* status) override
    {
        if (m_faults.ShouldFail("open", name)) {
            if (status)
                *status = StorageStatus::Failed;
            return nullptr;
        }
        return Wrap(m_real->OpenStream(name, status), name);
    }
    std::unique_ptr<archive::StorageStream> CreateStream(const std::string& name, StorageStatus* status) override
    {
        if (m_faults.ShouldFail("create", name)) {
            if (status)
                *status = StorageStatus::Failed;
            return nullptr;
        }
        return Wrap(m_real->CreateStream(name, status), name);
    }
    StorageStatus ReadStream(const std::string& name, QByteArray& data) override
    {
        return m_faults.ShouldFail("read", name) ? StorageStatus::Failed : m_real->ReadStream(name, data);
    }
    StorageStatus WriteStream(const std::string& name, const QByteArray& data) override
    {
        return m_faults.ShouldFail("write", name) ? StorageStatus::Failed : m_real->WriteStream(name, data);
    }
    StorageStatus Destroy(const std::string& name) override { return m_real->Destroy(name); }
    bool Exists(const std::string& name) override { return m_real->Exists(name); }
    std::vector<std::string> StreamNames() override { return m_real->StreamNames(); }
    StorageStatus Flush() override
    {
        return m_faults.ShouldFail("flush", "") ? StorageStatus::Failed : m_real->Flush();
    }
    void Close() override { m_real->Close(); }
    bool IsSettled() override { return m_real->IsSettled(); }

private:
    std::unique_ptr<archive::StorageStream> Wrap(std::unique_ptr<archive::StorageStream> real,
                                                 const std::string& name)
    {
        return real ? std::make_unique<FaultyStream>(std::move(real), m_faults, name) : nullptr;
    }

    std::shared_ptr<archive::Storage> m_real;
    const FaultyProvider& m_faults;
};

} // namespace

FaultyProvider::FaultyProvider() : m_real(archive::CreateCfbStorageProvider()) {}

void FaultyProvider::FailWhen(Predicate predicate)
{
    std::lock_guard lock(m_mutex);
    m_predicate = std::move(predicate);
}

bool FaultyProvider::ShouldFail(const std::string& op, const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    return m_predicate && m_predicate(op, name);
}

namespace {

// The real storage behind the faults, unless `op` is to fail.
std::shared_ptr<archive::Storage> Wrap(const FaultyProvider& faults, const char* op, const QString& path,
                                       StorageStatus* status,
                                       const std::function<std::shared_ptr<archive::Storage>()>& real)
{
    if (faults.ShouldFail(op, path.toStdString())) {
        if (status)
            *status = StorageStatus::Failed;
        return nullptr;
    }
    auto opened = real();
    return opened ? std::make_shared<FaultyStorage>(std::move(opened), faults) : nullptr;
}

} // namespace

std::shared_ptr<archive::Storage> FaultyProvider::Open(const QString& path, StorageStatus* status)
{
    return Wrap(*this, "open-file", path, status, [&] { return m_real->Open(path, status); });
}

std::shared_ptr<archive::Storage> FaultyProvider::OpenReadOnly(const QString& path, StorageStatus* status)
{
    return Wrap(*this, "open-file", path, status, [&] { return m_real->OpenReadOnly(path, status); });
}

std::shared_ptr<archive::Storage> FaultyProvider::Create(const QString& path, bool overwrite, StorageStatus* status)
{
    return Wrap(*this, "create-file", path, status, [&] { return m_real->Create(path, overwrite, status); });
}

// ---- TestArchivData ----------------------------------------------------------

int TestArchivData::WriteSlot() const
{
    std::lock_guard ring(ringLock);
    return writeSlot;
}

int TestArchivData::SlotCount() const
{
    std::lock_guard ring(ringLock);
    return header ? header->SlotCount() : 0;
}

std::vector<std::uint32_t> TestArchivData::Table() const
{
    std::lock_guard ring(ringLock);
    return header ? header->slotTable : std::vector<std::uint32_t>();
}

QString TestArchivData::Name() const
{
    std::lock_guard ring(ringLock);
    return header ? header->name : QString();
}

int TestArchivData::ShrinkState() const
{
    std::lock_guard ring(ringLock);
    return shrinkState;
}

int TestArchivData::CurrentListIndex() const
{
    std::lock_guard queue(queueLock);
    return currentList;
}

CArchivRecordList TestArchivData::List(int index) const
{
    std::lock_guard list(listLock);
    return lists[std::size_t(index)];
}

void TestArchivData::AddDataRecord(CTime time)
{
    std::lock_guard queue(queueLock);
    std::lock_guard list(listLock);
    CurrentListLocked().push_back({time.GetTime(), std::uint8_t(needFullRecord ? kRecordFull : kRecordChanged), {}});
    needFullRecord = 0;
    ++blockRecordCount;
    lastMeasurementTime = time;
}

void TestArchivData::InitHeader(int slotTotal, const QString& name, BOOL overwrite)
{
    SetNewHeader(slotTotal, overwrite ? name + Extension() : name + Now().Format("_Y%yD%m%dH%H") + Extension());
}

void TestArchivData::RollFileName()
{
    std::lock_guard ring(ringLock);
    if (!header)
        return;
    const qsizetype p = header->name.lastIndexOf(QLatin1String("_Y"));
    const QString base = p > 0 ? header->name.left(p) : header->name.left(header->name.lastIndexOf('.'));
    header->name = base + startTime.Format("_Y%yD%m%dH%H") + Extension();
    std::fill(header->slotTable.begin(), header->slotTable.end(), 0);
}

// ---- StoreTest ---------------------------------------------------------------

void StoreTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_clock.Set(CTime(2024, 3, 10, 10, 25, 30));
    m_provider = std::make_shared<FaultyProvider>();
    m_savedProvider = CArchivFileList::Instance().GetProvider();
    CArchivFileList::Instance().SetProvider(m_provider);
}

void StoreTest::TearDown()
{
    CArchivFileList::Instance().SetProvider(m_savedProvider);
}

void StoreTest::Prepare(CArchivData& data)
{
    data.SetTimeSource(m_clock.Source());
    data.SetHost(&m_host);
}

void StoreTest::StartRing(TestArchivData& data, int slotTotal, const QString& name)
{
    Prepare(data);
    // N = total / (records per block x interval) + 2
    ASSERT_EQ(data.Create((slotTotal - 2) * 60, 1, 60, Path(name), TestArchivData::Extension(), TRUE, TRUE,
                          QStringLiteral("Linka")),
              1);
    ASSERT_EQ(data.SlotCount(), slotTotal);
}

int StoreTest::WriteWordBlock(TestArchivData& data, DWORD value, bool newFilePerPeriod)
{
    data.AddWordRecord(value);
    m_clock.Advance(60);
    const int mode = data.EndBlock(newFilePerPeriod, TRUE, 60);
    return data.Flush(newFilePerPeriod, mode, QStringLiteral("Linka"));
}

std::vector<DWORD> StoreTest::ReadWords(const QString& path, int slot)
{
    CArchivData reader;
    Prepare(reader);
    CArchivRecordList records;
    if (!reader.Open(path) || !reader.ReadHeader() || !reader.ReadBlock(slot, records))
        return {};
    return WordsOf(records);
}

std::vector<DWORD> WordsOf(const CArchivRecordList& records)
{
    std::vector<DWORD> words;
    for (const CArchivRecord& r : records) {
        if (r.type == kRecordWord && r.data.size() == 4)
            words.push_back(archive::ReadU32(r.data.constData()));
    }
    return words;
}

} // namespace storetest
