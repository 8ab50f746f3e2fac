#include "link/Pristroj.h"

#include "archive/store/VKArchivData.h"
#include "model/VKBexor.h"
#include "model/VKEnergy.h"

namespace {

// Up to three tries of one read.
template <class Fn>
bool ThreeTries(Fn&& read)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (read())
            return true;
    }
    return false;
}

} // namespace

BOOL CPristroj::ReadEnergyMeterRecord(int /*clockDeviation*/)
{
    if (m_type != kVK || !m_archiv)
        return 0;
    auto& archiv = static_cast<CVKArchivData&>(*m_archiv);

    CVKEData data;
    if (!ThreeTries([&] { return ReadVKEnergyData(data) != 0; }))
        return 0;

    std::unique_ptr<CArchivStream> stream;
    CBexorIndex index;
    if (!archiv.OpenOrCreateBexorStream(stream, index))
        return 0;

    BOOL stored = 0;
    if (index.GetBlockCount() > 0 && index.GetLastTime() == data.GetTime()) {
        stored = index.AppendEntry(*stream, Clock().CurrentTime(), data.GetCounters());
    } else {
        CBexorBlock block;
        if (ThreeTries([&] { return ReadVKTariff(block.GetTarif()) != 0; })) {
            block.SetMultiplier(archiv.GetRatioU() * archiv.GetRatioI());
            stored = index.AppendBlock(*stream, data.GetTime(), block,
                                       CBexorEntry(Clock().CurrentTime(), data.GetCounters()));
        }
    }
    archiv.ReleaseStream(stream);
    return stored;
}
