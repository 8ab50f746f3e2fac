#pragma once

#include "LinkTestSupport.h"
#include "PristrojTestSupport.h"

#include "model/Iden.h"
#include "model/UniTyp.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKStatus.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTStatus.h"
#include "platform/Archive.h"
#include "tools/instrument_sim/SimArchive.h"

#include <QFile>

namespace downloadtest {

// An analyser alone on a simulated line and an entry for it; the retry
// pauses go to a clock of their own.
class DownloadTest : public pristrojtest::PristrojTest, public linktest::SimLine {
protected:
    void StartAnalyser(sim::Family family, int retries = 0, int kind = kPortKindSerial)
    {
        StartLine({sim::Instrument(family, 1)}, retries, kind);
        env->SetLinkManager(&manager);
        env->SetClock(&pauses);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->m_nazev = QStringLiteral("Analyzátor");
        entry->SetType(family == sim::Family::VKT ? CPristroj::kVKT : CPristroj::kVK, TRUE);
        tempPath = dir.filePath(QStringLiteral("temp101500.tmp"));
    }
    // The status block of a VK analyser: three voltages and three currents
    // per record (12 bytes), one record a minute.
    void SetVKRecording()
    {
        line.WithInstrument(1, sim::RecordVKVoltagesAndCurrents);
    }
    // The archive description of a VKT analyser: nothing selected (8-byte
    // records), one record a minute.
    void SetVKTRecording()
    {
        line.WithInstrument(1, [](sim::Instrument& i) {
            sim::Bytes& status = i.blocks[0x14];
            std::fill(status.begin() + 26, status.end(), 0);
            status[27] = 60;
        });
    }
    void Fill(std::size_t capacity, std::size_t recordSize, std::uint64_t count, std::uint8_t area = 0)
    {
        line.WithInstrument(1, [&](sim::Instrument& i) { i.FillArchive(area, capacity, recordSize, count); });
    }
    void TearDown() override
    {
        entry.reset();
        env->SetLinkManager(nullptr);
        env->SetClock(nullptr);
    }

    linktest::FakeClock pauses;
    std::unique_ptr<CPristroj> entry;
    QString tempPath;
};

// The record numbers (see sim::Instrument::ArchiveRecord) of a download
// file's blocks, after the records in front of them have been read with
// `head`; an empty list with ok false when the file is not a whole download.
struct DownloadFileContent {
    bool ok = false;
    std::vector<std::uint32_t> numbers;
    std::vector<std::vector<BYTE>> records;
    int blocks = 0;
    DWORD itemSize = 0;
};

template <class Head>
DownloadFileContent ReadDownloadFile(const QString& path, Head head)
{
    DownloadFileContent out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    platform::SerialArchive ar(file.readAll());
    try {
        head(ar);
        for (;;) {
            CUniTyp block;
            block.Serialize(ar);
            if (block.GetCount() == 0)
                break;
            ++out.blocks;
            out.itemSize = block.GetItemSize();
            for (DWORD i = 0; i < block.GetCount(); ++i) {
                out.numbers.push_back(std::uint32_t(CPrevodTyp::GetDword(block.GetItem(i))));
                out.records.emplace_back(block.GetItem(i), block.GetItem(i) + block.GetItemSize());
            }
        }
        out.ok = ar.AtEnd();
    } catch (const platform::ArchiveError&) {
        out.ok = false;
    }
    return out;
}

// The head of a VK archive download file: identification, notebook,
// configuration and status.
struct VKDownloadHead {
    CIden iden;
    CVKNoteBook notebook;
    CVKConfig config;
    CVKStatus status;
    void Serialize(platform::SerialArchive& ar)
    {
        iden.Serialize(ar);
        notebook.Serialize(ar);
        config.Serialize(ar);
        status.Serialize(ar);
    }
};

inline DownloadFileContent ReadVKFile(const QString& path, CVKStatus* statusOut = nullptr)
{
    return ReadDownloadFile(path, [&](platform::SerialArchive& ar) {
        VKDownloadHead head;
        head.Serialize(ar);
        if (statusOut)
            *statusOut = head.status;
    });
}

inline DownloadFileContent ReadVKTFile(const QString& path)
{
    return ReadDownloadFile(path, [](platform::SerialArchive& ar) {
        CIden iden;
        CVKTNoteBook notebook;
        CVKTConfig config;
        CVKTStatus status;
        iden.Serialize(ar);
        notebook.Serialize(ar);
        config.Serialize(ar);
        status.Serialize(ar);
    });
}

inline std::vector<std::uint32_t> Range(std::uint64_t from, std::uint64_t to)
{
    std::vector<std::uint32_t> out;
    for (std::uint64_t n = from; n <= to; ++n)
        out.push_back(std::uint32_t(n));
    return out;
}

} // namespace downloadtest
