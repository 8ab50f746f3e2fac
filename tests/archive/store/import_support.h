#pragma once

#include "StoreTestSupport.h"

#include "archive/store/ArchivImport.h"
#include "archive/store/VKArchivImport.h"
#include "archive/store/VKTArchivImport.h"
#include "model/VKTPackedTime.h"
#include "platform/Cp1250.h"

#include <string>
#include <vector>

namespace importtest {

using platform::CTime;

// Every block of the archive file at `path`, oldest first, read by a fresh object.
inline std::vector<CArchivRecordList> ReadBlocks(const QString& path)
{
    std::vector<CArchivRecordList> blocks;
    CVKDownloadArchivData reader;
    if (!reader.OpenByPath(path) || !reader.OpenFirstBlock())
        return blocks;
    do
        blocks.push_back(reader.CurrentBlock());
    while (reader.ReadNextBlock());
    return blocks;
}

// The storage of a file a reader has open, reopened for writing: how a test
// damages a file under its readers.
inline std::shared_ptr<archive::Storage> WritableStorage(const QString& path)
{
    auto entry = CArchivFileList::Instance().Find(path);
    return entry && CArchivFileList::Instance().MakeWritable(entry, false) ? entry->GetStorage() : nullptr;
}

inline std::vector<std::uint32_t> ReadSlotTable(const QString& path)
{
    CVKDownloadArchivData reader;
    if (!reader.OpenByPath(path) || !reader.ReadHeader())
        return {};
    return reader.SlotTable();
}

inline QString Text(const CArchivRecord& r)
{
    return platform::FromCp1250(r.data);
}

inline int Counted(const CArchivRecordList& block)
{
    int n = 0;
    for (const CArchivRecord& r : block)
        n += archive::IsCountedRecord(r) ? 1 : 0;
    return n;
}

// "type" or "type:text" per record, for readable comparisons.
inline std::vector<std::string> Shape(const CArchivRecordList& block)
{
    std::vector<std::string> out;
    for (const CArchivRecord& r : block) {
        std::string s = std::to_string(int(r.type));
        if (r.type >= kRecordError && r.type <= kRecordState)
            s += ":" + Text(r).toStdString();
        out.push_back(s);
    }
    return out;
}

inline std::vector<std::uint32_t> DataTimes(const std::vector<CArchivRecordList>& blocks, bool withErrors = true)
{
    std::vector<std::uint32_t> out;
    for (const auto& b : blocks)
        for (const CArchivRecord& r : b)
            if (r.IsData() || (withErrors && r.type == kRecordError))
                out.push_back(r.time);
    return out;
}

// Raw VKT records of a download.
// Merges the downloaded archive `sourceName` into `existingName`, both in
// the test folder: the merge's result and, with `error`, its error text.
template <class Archive>
class MergeTest : public storetest::StoreTest {
protected:
    int MergeFiles(const char* existingName, const char* sourceName, bool deleteSource, QString* error = nullptr)
    {
        Archive existing;
        Archive source;
        Prepare(existing);
        Prepare(source);
        EXPECT_EQ(existing.OpenByPath(Path(existingName)), 1);
        EXPECT_EQ(source.OpenByPath(Path(sourceName)), 1);
        const int result = existing.ImportTempFile(source);
        if (error)
            *error = existing.GetErrorText();
        if (deleteSource)
            source.DeleteFile();
        return result;
    }
};

namespace vkt {

constexpr int kStride = 16; // kind, time, two status bytes, four voltages
inline const CTime t0(2024, 1, 15, 8, 0, 0);

inline CTime At(int seconds)
{
    return CTime(t0.GetTime() + std::uint32_t(seconds));
}

inline void PutTime(std::vector<BYTE>& out, CTime t)
{
    BYTE p[5] = {};
    PackRecordTime(t, p);
    p[4] = BYTE(t.GetSecond());
    out.insert(out.end(), p, p + 5);
}

struct Raw {
    int kind; // 0 measurement, else outage
    int time;
    int began = 0; // outage: seconds after t0, or -1 for an unusable time
    int ended = 0;
};

inline std::vector<BYTE> Records(std::initializer_list<Raw> records)
{
    std::vector<BYTE> out;
    for (const Raw& r : records) {
        out.push_back(BYTE(r.kind));
        PutTime(out, At(r.time));
        if (r.kind == 0) {
            out.insert(out.end(), {0, 0});
            for (int k = 0; k < 4; ++k)
                out.insert(out.end(), {BYTE(0x23), BYTE(r.time / 60 + k)});
        } else {
            if (r.began < 0)
                out.insert(out.end(), 5, 0);
            else
                PutTime(out, At(r.began));
            PutTime(out, At(r.ended));
        }
    }
    return out;
}

inline CVKTStatus Status()
{
    CVKTStatus status;
    status.GetArch().SetSelection(CVKTArch::SelVoltage, 0x0F);
    status.GetArch().SetInterval(60);
    return status;
}

// A VKT download imported into a new archive `file` of the test folder.
class DownloadTest : public storetest::StoreTest {
protected:
    explicit DownloadTest(const char* file) : m_file(QString::fromLatin1(file)) {}
    void SetUp() override
    {
        StoreTest::SetUp();
        Prepare(m_import);
        ASSERT_EQ(m_status.GetRecordSize(), kStride);
        ASSERT_EQ(m_import.NewHeader(Path(m_file), QStringLiteral("Rozvodna")), 1);
    }
    CImportRawBlock Block(const std::vector<BYTE>& bytes) const
    {
        return {int(bytes.size()) / kStride, kStride, bytes.data()};
    }

    const QString m_file;
    CVKTDownloadArchivData m_import;
    CVKTStatus m_status = Status();
    CVKTConfig m_config;
    CIden m_iden;
};

} // namespace vkt

} // namespace importtest
