// The binary serialiser over untrusted bytes, as settings, profile and
// waveform files of any origin reach it: objects of every class the model
// registers, and the primitives and strings around them.
#include "fuzz_one.h"

#include "model/Iden.h"
#include "model/PrevodTyp.h"
#include "model/ProfileStatus.h"
#include "model/QorinTarif.h"
#include "model/UniTyp.h"
#include "model/VKStatus.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "platform/Archive.h"

namespace {

// Referenced so that their registration is linked in.
const platform::SerialClass* const kClasses[] = {
    CPrevodTyp::StaticClass(), CIden::StaticClass(),       CVKStatus::StaticClass(),   CVKTConfig::StaticClass(),
    CVKTNoteBook::StaticClass(), CProfileStatus::StaticClass(), CUniTyp::StaticClass(), CTarif::StaticClass(),
};

} // namespace

int QorinFuzzOne(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        platform::SerialArchive ar(bytes);
        while (!ar.AtEnd())
            ar.ReadObject(nullptr);
    } catch (const platform::ArchiveError&) {
    }
    for (const platform::SerialClass* expected : kClasses) {
        try {
            platform::SerialArchive ar(bytes);
            ar.ReadObject(expected);
        } catch (const platform::ArchiveError&) {
        }
    }
    try {
        platform::SerialArchive ar(bytes);
        QString text;
        std::uint32_t word = 0;
        double number = 0;
        platform::CTime time;
        ar >> text >> word >> time >> number;
        ar.ReadStringBytes();
    } catch (const platform::ArchiveError&) {
    }
    return 0;
}

FuzzSeeds QorinFuzzSeeds()
{
    FuzzSeeds seeds;
    auto store = [&seeds](const char* name, const platform::SerialObject& object) {
        platform::SerialArchive ar;
        ar.WriteObject(&object);
        ar.WriteObject(&object); // the second time as a back reference
        const QByteArray& b = ar.buffer();
        seeds.push_back({name, std::vector<std::uint8_t>(b.begin(), b.end())});
    };
    store("iden", CIden());
    store("vk_status", CVKStatus());
    store("vkt_config", CVKTConfig());
    store("vkt_notebook", CVKTNoteBook());
    store("profile_status", CProfileStatus());
    store("tarif", CTarif());
    platform::SerialArchive ar;
    ar << QStringLiteral("Přístroj 1") << std::uint32_t(7) << platform::CTime(1710064800u) << 2.5;
    seeds.push_back({"primitives", std::vector<std::uint8_t>(ar.buffer().begin(), ar.buffer().end())});
    return seeds;
}
