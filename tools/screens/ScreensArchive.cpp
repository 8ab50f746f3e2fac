#include "tools/screens/ScreensArchive.h"

#include "archive/store/VKArchivData.h"
#include "charts/ArchivRangeBar.h"
#include "model/VKAktData.h"
#include "model/VKConfig.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QDir>
#include <QTabBar>

#include <atomic>
#include <cmath>
#include <memory>

namespace screens {
namespace {

// A three-phase load that breathes over the hour: phase voltages near
// 230 V, currents of some tens of amperes, power factor near 0.95.
CVKAktData Measurement(int step)
{
    CVKAktData v;
    const double wave = std::sin(step * 0.35);
    v.SetFaultState(0);
    v.SetPowerLayout(0);
    v.SetFrequencyCode(BYTE(128 + step % 3));
    v.SetTemperatureCode(BYTE(104));
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, WORD(2300 + 12 * wave + 3 * k));
        v.SetULine(k, WORD(3990 + 20 * wave + 4 * k));
        v.SetI(k, std::int16_t(3200 + 900 * wave + 150 * k));
        v.SetPF(k, std::int8_t(94 + k));
        v.SetCos(k, std::int8_t(96 - k));
        v.SetP(k, std::int32_t(7200000 + 2000000 * wave + 300000 * k));
        v.SetQ(k, std::int32_t(-1800000 - 400000 * wave));
        v.SetS(k, std::int32_t(7500000 + 2100000 * wave + 300000 * k));
        v.GetVoltageHarmonics().SetThdCode(k, BYTE(18 + k));
        v.GetCurrentHarmonics().SetThdCode(k, BYTE(42 + (step + k) % 7));
        for (int h = 0; h < CVKHarmonicBlock::kOrders; ++h) {
            v.GetVoltageHarmonics().SetHarmonicCode(k, h, BYTE(h % 2 == 0 ? 30 / (h + 1) : 60 / (h + 1)));
            v.GetCurrentHarmonics().SetHarmonicCode(k, h, BYTE(h % 2 == 0 ? 90 / (h + 1) : 40 / (h + 1)));
        }
    }
    v.SetI(3, std::int16_t(40 + step % 5));
    return v;
}

} // namespace

QString WriteVKArchive(const QString& folder, const QString& baseName, const QString& extension,
                       const QString& instrument, platform::CTime start, int intervals)
{
    QDir().mkpath(folder);
    auto now = std::make_shared<std::atomic<std::uint32_t>>(start.GetTime());
    CVKArchivData writer;
    writer.SetTimeSource([now] { return platform::CTime(now->load()); });
    const QString name = QDir(folder).filePath(baseName);
    if (writer.Create(86400, 10, 60, name, extension, TRUE, TRUE, instrument) != 1)
        return {};
    CVKConfig config;
    config.SetVtPrimary(400);
    config.SetVoltageWord(100);
    config.SetCtRatioDword(100);
    config.SetConnection(CVKConfig::Star);
    writer.AddConfigRecord(config);
    for (int i = 0; i < intervals; ++i) {
        now->fetch_add(60);
        writer.AddMeasurementRecord(Measurement(i));
        if ((i + 1) % 10 == 0 || i + 1 == intervals) {
            now->fetch_add(1);
            const int mode = writer.EndBlock(FALSE, TRUE, 60);
            if (writer.Flush(FALSE, mode, instrument) != 1)
                return {};
        }
    }
    writer.Close();
    return name + extension;
}

void PickArchiveMode(QWidget* view, int mode)
{
    auto* tab = view->findChild<QTabBar*>(QString::number(CGraphRangeBar::kTab));
    if (!tab)
        return;
    // A window opens on its graph: the tab already there asks for nothing.
    if (tab->currentIndex() == mode)
        platform::SendMessageTo(view, platform::WM_ARCHIVE_REFILL, std::uintptr_t(mode), 0);
    else
        tab->setCurrentIndex(mode);
}

} // namespace screens
