// The VK live window with each arrangement of its panes and the measured-
// values panel in each of its arrangements, over one measurement of a
// three-phase installation.
#include "Screens.h"
#include "ScreensLive.h"

#include "analysers_vk/ONVK.h"
#include "analysers_vk/VK01Doc.h"
#include "analysers_vk/VKAktMer.h"
#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKPristrojPlochaFrm.h"
#include "analysers_vk/VKZobrazeneVelicinyDlg.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKDisplayValues.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>

#include <array>
#include <cstdint>
#include <memory>

namespace {

CVKAktData Measurement(int minute)
{
    CVKAktData v;
    // A slow swing over the half hour, as a loaded feeder shows.
    const int swing = (minute % 30 < 15 ? minute % 15 : 15 - minute % 15);
    const WORD u[3] = {WORD(2301 - swing), WORD(2312 - swing), WORD(2296 - swing)};
    const std::int16_t i[3] = {std::int16_t(1250 + 20 * swing), std::int16_t(1180 + 20 * swing),
                               std::int16_t(1320 + 20 * swing)};
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, u[k]);
        v.SetULine(k, static_cast<WORD>(u[k] * 173 / 100));
        v.SetI(k, i[k]);
        v.SetPF(k, static_cast<std::int8_t>(95 - k * 3));
        v.SetCos(k, static_cast<std::int8_t>(97 - k * 2));
        v.SetP(k, 27000 + k * 900);
        v.SetQ(k, 7400 - k * 500);
        v.SetS(k, 28700 + k * 800);
        v.GetVoltageHarmonics().SetThdCode(k, static_cast<BYTE>(25 + k * 4));
        v.GetCurrentHarmonics().SetThdCode(k, static_cast<BYTE>(70 + k * 6));
        for (int order = 0; order < CVKHarmonicBlock::kOrders; ++order) {
            const int fall = order < 2 ? 0 : order;
            v.GetVoltageHarmonics().SetHarmonicCode(k, order, static_cast<BYTE>(std::max(2, 60 - fall * 2 - k * 3)));
            v.GetCurrentHarmonics().SetHarmonicCode(k, order, static_cast<BYTE>(std::max(4, 110 - fall * 4 + k * 5)));
        }
    }
    v.SetFrequencyCode(100);
    v.SetTemperatureCode(60);
    return v;
}

} // namespace

QORIN_SCREENS(VKWindows)
{
    using namespace analysers_vk;
    ui::CDocManager manager;
    AddVKLiveTemplate(manager);
    auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, shot.scratchDir(), FALSE, CPristroj::kVK);
    entry->m_nazev = QStringLiteral("Rozvodna R1");
    entry->m_merit = 0;
    auto* data = dynamic_cast<CVKArchivData*>(entry->GetArchivData());
    if (!data) {
        shot.fail(QStringLiteral("VK entry without its archive data"));
        return;
    }
    screens::FeedLiveMinutes(*data, 30, Measurement);

    struct Panes {
        bool graph, values, alarms, panel;
        const char* name;
    };
    const Panes variants[] = {
        {true, true, true, false, "CVKAktMer-mask7"},   {true, true, true, true, "CVKAktMer-mask15"},
        {true, true, false, false, "CVKAktMer-mask3"},  {false, true, true, true, "CVKAktMer-mask14"},
        {true, false, false, true, "CVKAktMer-mask9"},  {false, true, false, false, "CVKAktMer-mask2"},
        {true, false, true, true, "CVKAktMer-mask13"},
    };
    for (const Panes& p : variants) {
        auto* view = qobject_cast<CVKAktMer*>(OpenVKLive(manager, *entry));
        if (!view) {
            shot.fail(QStringLiteral("the VK live window did not open"));
            return;
        }
        view->SetPanes(p.graph, p.values, p.alarms, p.panel);
        view->resize(1100, 760);
        platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
        shot.save(view, QString::fromLatin1(p.name));
        if (p.graph && p.values && p.alarms && !p.panel) {
            CVKZobrazeneVelicinyDlg quantities;
            if (quantities.LoadFromGraph(*view->Graph()))
                shot.save(&quantities, QStringLiteral("CVKZobrazeneVelicinyDlg"));
            else
                shot.fail(QStringLiteral("the displayed-quantities dialog did not load"));
        }
        view->GetDocument()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The floating panel with the instrument, then switched to the values.
    OpenVKPanel(*entry);
    if (CVKPristrojPlochaFrm* floating = FindVKPanel(*entry)) {
        floating->resize(420, 440);
        shot.save(floating, QStringLiteral("CVKPristrojPlochaFrm-instrument"));
        floating->ToggleData();
        floating->resize(720, 460);
        shot.save(floating, QStringLiteral("CVKPristrojPlochaFrm-values"));
    } else {
        shot.fail(QStringLiteral("the VK floating panel did not open"));
    }
    CloseVKPanel(*entry);

    // The family page of the general settings sheet with its defaults.
    {
        platform::Settings settings;
        CONVK page;
        page.Load(settings);
        page.resize(520, 640);
        shot.save(&page, QStringLiteral("CONVK"));
    }

    // The values panel alone, sized in dialog units to each arrangement.
    // Its value boxes in the colours of the quantities a new graph shows.
    const QSize states[8] = {{740, 320}, {600, 320}, {740, 200}, {600, 200},
                             {300, 320}, {300, 200}, {300, 140}, {300, 100}};
    std::array<int, CVKHodnotyDlg::kStatusBoxes> shown{};
    std::array<std::uint32_t, CVKHodnotyDlg::kStatusBoxes> colours{};
    CVKGrafAktual().GetAllQuantities(shown, colours);
    for (int state = 0; state < 8; ++state) {
        CVKHodnotyDlg panel;
        panel.SetValues(archive::vk::FillValuesDialog(*data));
        panel.SetGraphQuantities(shown, colours);
        panel.SetHeader(entry->m_nazev, QStringLiteral("10.12 01:05:10"));
        panel.resize(ui::DluToPixels(states[state], panel.font()) + QSize(2, 2));
        shot.save(&panel, QStringLiteral("CVKHodnotyDlg-state%1").arg(state));
        if (panel.State() != state)
            shot.fail(QStringLiteral("values panel in state %1 instead of %2").arg(panel.State()).arg(state));
    }
}
