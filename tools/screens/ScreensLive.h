#pragma once
// Live windows in the screens tool: the measurement thread is not running,
// so the fixture plays its part for the graph (time base, records a minute
// apart, publishing), as the thread does after its first polls.
#include "archive/store/ArchivData.h"
#include "platform/Time32.h"

#include <memory>

namespace screens {

// Gives `store` `minutes` measurements, minute m made by `make(m)`, a minute
// apart from `start` (10:00 local on 9 March 2024 unless told), and a live
// graph over them.
template <class Store, class MakeRecord>
void FeedLiveMinutes(Store& store, int minutes, MakeRecord make,
                     platform::CTime start = platform::CTime(2024, 3, 9, 10, 0, 0))
{
    auto now = std::make_shared<platform::CTime>(start);
    store.SetTimeSource([now] { return *now; });
    for (int minute = 0; minute < minutes; ++minute) {
        store.AddMeasurementRecord(make(minute));
        *now = *now + platform::CTimeSpan(60);
    }
    // From the first record on, as the thread sets it when a block begins.
    store.ResetGraphTimeBase((minutes + 1) * 60);
    store.PublishToGraphs();
}

} // namespace screens
