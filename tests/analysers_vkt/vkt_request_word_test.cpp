// The received-quantities choice stored while another writer changes the
// high bits of the same request word.
#include "analysers_vkt/VKTPrijimanaDataDlg.h"
#include "link/Pristroj.h"

#include <QCheckBox>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace analysers_vkt;

TEST(VKTRequestWord, ChoiceAndConcurrentHighBitsBothSurvive)
{
    CPristroj entry;
    entry.SetValueMask(0x00FF);
    CVKTPrijimanaDataDlg dialog;
    dialog.SetMask(0x15);

    // The other writer counts in bits 8 and above with its own
    // compare-and-swap loop.
    constexpr int kSteps = 20000;
    std::atomic<bool> go{false};
    std::thread writer([&] {
        while (!go.load())
            std::this_thread::yield();
        for (int n = 0; n < kSteps; ++n) {
            DWORD expected = entry.GetValueMask();
            while (!entry.ExchangeValueMask(expected, expected + 0x100)) {
            }
        }
    });
    go.store(true);
    for (int n = 0; n < kSteps; ++n) {
        dialog.Box(n % 4)->setChecked(n % 2 == 0);
        StoreReceivedChoice(entry, dialog);
    }
    writer.join();
    const DWORD word = entry.GetValueMask();
    EXPECT_EQ(word >> 8, DWORD(kSteps)); // no increment lost
    EXPECT_EQ(word & 0xFF, dialog.GetMask(0));
}

} // namespace
