// The archive's record readers over untrusted bytes: the "hlavicka" header,
// block streams, and every family's record payloads, as a damaged or foreign
// archive hands them to the record walks; and the raw records of a VK
// download, as the import decodes them.
#include "fuzz_one.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivHeader.h"
#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivVKTRecords.h"
#include "archive/store/ControllerRecordCodec.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKArchivImport.h"
#include "archive/store/VKFamilyArchivData.h"
#include "archive/store/VKRArchivData.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Failed(const char* what)
{
    std::fprintf(stderr, "archive fuzz property failed: %s\n", what);
    std::abort();
}

template <class Traits>
void Controller(const CArchivRecord& r)
{
    auto values = Traits::NoValues();
    // The field offsets are within the plain field struct, not the record
    // object that carries it (whose first bytes are its vtable pointer).
    void* fields = static_cast<typename Traits::Fields*>(&values);
    archive::controller::UnpackFull(r.data.constData(), std::size_t(r.data.size()), fields, Traits::FieldTable());
    std::uint64_t mask = 0;
    for (int i = 0; i < r.data.size() && i < 8; ++i)
        mask |= std::uint64_t(std::uint8_t(r.data[i])) << (8 * i);
    archive::controller::UnpackChanged(r.data.constData(), std::size_t(r.data.size()), fields, Traits::FieldTable(),
                                       Traits::kChangedFieldCount, mask);
}

void Records(const CArchivRecordList& records)
{
    CVKAktData vk;
    CVKRAktData vkr;
    CVKConfig vkConfig;
    CVKRConfig vkrConfig;
    CVKStatus vkStatus;
    CIden iden;
    archive::CVKTRecordDecoder vkt;
    for (const CArchivRecord& r : records) {
        CVKArchivData::DecodeFullRecord(vk, r);
        CVKArchivData::DecodeDeltaRecord(vk, r);
        CVKArchivData::DecodeConfigRecord(r, vkConfig);
        CVKArchivData::DecodeStatus(r, vkStatus);
        CVKRArchivData::DecodeFullRecord(vkr, r);
        CVKRArchivData::DecodeDeltaRecord(vkr, r);
        CVKRArchivData::DecodeConfigRecord(r, vkrConfig);
        CVKFamilyArchivData::DecodeIdenRecord(r, iden);
        vkt.Observe(r);
        vkt.Decode(r);
        Controller<QorinArchivTraits>(r);
        Controller<DuskarArchivTraits>(r);
    }
}

} // namespace

int QorinFuzzOne(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    CArchivHeader header;
    if (archive::DecodeHeader(bytes, header) == archive::HeaderDecode::Ok) {
        if (header.SlotCount() < 1 || header.SlotCount() > archive::kMaxSlotCount)
            Failed("header with a slot count outside the table");
        archive::FindNewestSlot(header.slotTable);
        archive::FindOldestSlot(header.slotTable, 0xFFFFFFFFu);
    }

    CArchivRecordList records;
    const bool whole = archive::DecodeBlock(bytes, records);
    Records(records);
    if (whole) {
        // What decodes whole encodes to a block that decodes to the same.
        CArchivRecordList again;
        if (!archive::DecodeBlock(archive::EncodeBlock(records), again) || again.size() != records.size())
            Failed("block round trip");
    }

    // Raw records of a download, the first two bytes choosing the columns.
    if (size >= 2) {
        CVKRecordLayout layout;
        const unsigned bits = unsigned(data[0]) | unsigned(data[1]) << 8;
        for (std::size_t c = 0; c < layout.columns.size(); ++c)
            layout.columns[c] = (bits >> (c % 16)) & 1u;
        layout.connection1 = bits & 0x4000u;
        layout.connection2 = bits & 0x8000u;
        CVKAktData values;
        CVKDownloadArchivData::DecodeRawRecord(data + 2, int(size - 2), layout, values);
    }
    return 0;
}

FuzzSeeds QorinFuzzSeeds()
{
    auto bytesOf = [](const QByteArray& b) {
        return std::vector<std::uint8_t>(b.begin(), b.end());
    };
    FuzzSeeds seeds;
    CArchivHeader header{QStringLiteral("C:\\data\\Hala_Y24D0310H10.vk"), {1710064800u, 0, 1710065400u, 0}};
    seeds.push_back({"header", bytesOf(archive::EncodeHeader(header, {1}))});

    CVKAktData vk;
    CVKConfig vkConfig;
    CVKRConfig vkrConfig;
    CIden iden;
    CArchivRecordList block;
    block.push_back({1710064800u, kRecordBlockMarker, {}});
    block.push_back({1710064800u, kRecordSettings, CVKArchivData::ConfigPayload(vkConfig)});
    block.push_back({1710064800u, kRecordError, QByteArray("Nepoda\xF8ilo se p\xF8\xE8\xEDst v\x9A" "echna data.")});
    block.push_back({1710064860u, kRecordWord, QByteArray("\x01\x02\x03\x04", 4)});
    block.push_back({1710064920u, kRecordFull, QByteArray(60, '\x11')});
    block.push_back({1710064980u, kRecordChanged, QByteArray(12, '\x22')});
    block.push_back({1710065040u, kRecordVKT, QByteArray(120, '\x33')});
    seeds.push_back({"block", bytesOf(archive::EncodeBlock(block))});
    seeds.push_back({"raw_vk_record", std::vector<std::uint8_t>{0xFF, 0x7F, 0x09, 0x00, 0x08, 0xFC, 0x09, 0x01,
                                                                0x0C, 0x80, 0x0C, 0x81, 0x0C, 0x82, 0x64}});
    return seeds;
}
