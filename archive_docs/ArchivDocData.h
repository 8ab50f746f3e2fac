#pragma once

#include "archive_docs/ArchivNavigator.h"
#include "archive/store/ArchivData.h"

#include <mutex>

// A family archive object as an archive document holds it: the family's
// records and walk, with the document's window over the open file.
template <class Family>
class TArchivDocData : public Family, public CArchivNavigator {
public:
    TArchivDocData() : Family(), CArchivNavigator(static_cast<CArchivData&>(*this)) {}

protected:
    std::vector<std::uint32_t> SlotTimes() const override
    {
        std::lock_guard ring(this->ringLock);
        return this->header ? this->header->slotTable : std::vector<std::uint32_t>();
    }

    int LoadBlocks(const std::vector<int>& blockSlots, platform::CTime start, int span) override
    {
        if constexpr (requires(Family& f) { f.LoadWindow(0, 0, start, span); }) {
            // This family reads the blocks itself, from a first slot on.
            if (blockSlots.empty())
                return Family::LoadWindow(-1, 0, start, span);
            const int n = int(SlotTimes().size());
            const int count = archive::WrapBlockIndex(blockSlots.back(), -blockSlots.front(), n) + 1;
            return Family::LoadWindow(blockSlots.front(), count, start, span);
        } else {
            return this->Window().Load(*this, blockSlots, start, span);
        }
    }

    int WalkFirst() override { return this->FirstRecord(); }
    int WalkNext() override { return this->NextRecord(); }

    int WalkIndex() const override
    {
        if constexpr (requires(const Family& f) { f.GetCurrentIndex(); })
            return this->GetCurrentIndex();
        else
            return this->Window().currentIndex;
    }

    platform::CTime WalkTime() const override
    {
        if constexpr (requires(const Family& f) { f.GetCurrentTime(); })
            return this->GetCurrentTime();
        else
            return this->GetCurrentRecordTime();
    }

    const CArchivWindow& LoadedWindow() const override { return this->Window(); }

    void ScaleWindowSeries(int flag) override
    {
        // The analysers name it after their window formats; it sets the same
        // series ranges and the formats the value list shows.
        if constexpr (requires(Family& f) { f.ScaleWindowSeries(BOOL(0)); })
            Family::ScaleWindowSeries(BOOL(flag));
        else if constexpr (requires(Family& f) { f.UpdateSeriesScales(BOOL(0)); })
            Family::UpdateSeriesScales(BOOL(flag));
    }

    void SetFailureText(const QString& text) override
    {
        std::lock_guard ring(this->ringLock);
        this->errorText = text;
    }
};
