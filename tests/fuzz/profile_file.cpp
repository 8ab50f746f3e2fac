// The current-profile file reader over untrusted bytes (a ".pro" file of any
// origin opened as a document), both families.
#include "fuzz_one.h"

#include "charts_data/ProfileFile.h"

int QorinFuzzOne(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    charts::CVKProfileFile vk;
    charts::LoadProfileFile(bytes, vk);
    (void)vk.RecordCount();
    charts::CVKTProfileFile vkt;
    charts::LoadProfileFile(bytes, vkt);
    (void)vkt.RecordCount();
    return 0;
}

FuzzSeeds QorinFuzzSeeds()
{
    auto bytesOf = [](const QByteArray& b) { return std::vector<std::uint8_t>(b.begin(), b.end()); };
    FuzzSeeds seeds;
    charts::CVKProfileFile vk;
    vk.head.name = QStringLiteral("Rozvodna");
    vk.head.type = charts::kProfileTypeVK;
    vk.head.date = platform::CTime(1710028800u);
    vk.records = QByteArray(10 * charts::kVKProfileRecordSize, '\x12');
    seeds.push_back({"vk", bytesOf(charts::StoreProfileFile(vk, 4))});
    charts::CVKTProfileFile vkt;
    vkt.head.name = QStringLiteral("Hala");
    vkt.head.type = charts::kProfileTypeVKT;
    vkt.head.kind = 1;
    vkt.head.date = platform::CTime(1710028800u);
    vkt.records = QByteArray(5 * charts::kVKTProfileRecordSize, '\x34');
    seeds.push_back({"vkt", bytesOf(charts::StoreProfileFile(vkt, 2))});
    return seeds;
}
