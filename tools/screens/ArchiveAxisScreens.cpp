// The analysers' archive graphs of a 22 kV feeder behind its transformers
// (VT 22000/100 V, CT 300/5 A): line voltages on a kV axis, currents in A,
// the three-phase power in MW, each axis counting in the unit it names.
#include "Screens.h"

#include "analysers_vk/VKArchivView.h"
#include "analysers_vk/VKRArchivView.h"
#include "analysers_vkt/VKTArchivView.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "model/QuantityNames.h"
#include "model/VKConfig.h"
#include "model/VKRConfig.h"
#include "model/VKTConfig.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>

#include <cmath>
#include <span>

namespace {

constexpr double kPhaseSecondary = 100.0 / 1.7320508; // V
constexpr double kVtRatio = 220.0;                     // 22000 / 100 V
constexpr double kCtRatio = 60.0;                      // 300 / 5 A
const char* const kShown[] = {"U1,2", "U2,3", "U3,1", "I1", "I2", "I3", "3P"};

// The feeder's secondary current over the morning, 2.2 to 3.8 A.
double SecondaryCurrent(int minute, int phase)
{
    return 3.0 + 0.8 * std::sin(minute * 0.12) + 0.1 * phase;
}

// The graph of instrument `name` shows the line voltages, the currents and
// the three-phase power.
void ChooseQuantities(const QString& name, const char* general, std::span<const QStringView> names)
{
    platform::Settings settings;
    for (const platform::SettingsSection& section :
         {platform::SettingsSection({QStringLiteral("pristroje"), name}), platform::SettingsSection(general)}) {
        settings.WriteProfileInt(section, QStringLiteral("init"), 1);
        for (QStringView q : names) {
            bool shown = false;
            for (const char* s : kShown)
                shown = shown || q == QLatin1String(s);
            settings.WriteProfileInt(section, QStringLiteral("is") + q.toString(), shown ? 1 : 0);
        }
    }
}

// Two hours of one-minute records of `make(minute)` under `config`.
template <class Writer, class Config, class Make>
QString Write(const QString& folder, const QString& name, const QString& ending, const Config& config, Make make)
{
    platform::CTime now(1709974800);
    Writer writer;
    writer.SetTimeSource([&now] { return now; });
    const QString base = folder + QLatin1Char('/') + name;
    if (writer.Create(40 * 60 * 10, 10, 60, base, ending, TRUE, TRUE, name) != 1)
        return {};
    for (int block = 0; block < 12; ++block) {
        writer.AddConfigRecord(config);
        for (int i = 0; i < 10; ++i) {
            now = platform::CTime(now.GetTime() + 60);
            writer.AddMeasurementRecord(make(block * 10 + i));
        }
        now = platform::CTime(now.GetTime() + 1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        if (writer.Flush(FALSE, mode, name) != 1)
            return {};
    }
    writer.Close();
    return base + ending;
}

// The archive window in graph mode, saved as `picture`.
template <class Doc, class View>
void Shoot(screens::Shot& shot, void (*addTemplate)(ui::CDocManager&), const char* templateId, const QString& path,
           const QString& picture)
{
    ui::CDocManager manager;
    addTemplate(manager);
    ui::CDocTemplate* t = manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QLatin1String(templateId));
    auto* doc = t && !path.isEmpty() ? qobject_cast<Doc*>(t->OpenDocumentFile(path, true)) : nullptr;
    auto* view = doc ? qobject_cast<View*>(doc->FirstView()) : nullptr;
    if (!view) {
        shot.fail(picture + QStringLiteral(": the archive window did not open"));
        return;
    }
    view->resize(1100, 760);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REFILL, 0, 0);
    shot.save(view, picture);
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

QORIN_SCREENS(ArchiveAxis)
{
    const QString folder = shot.scratchDir();

    // The VK records secondary values and the ratios that scale them.
    ChooseQuantities(QStringLiteral("Odbocka 22 kV"), "Obecne nastaveni vk", VKQuantityNames);
    CVKConfig vk;
    vk.SetVtPrimary(22000);
    vk.SetVoltageWord(100);
    vk.SetCtRatioDword(300 | 0x80000000u);
    vk.SetConnection(CVKConfig::Star);
    const QString vkPath = Write<CVKArchivData>(folder, QStringLiteral("Odbocka 22 kV"), QStringLiteral(".vk"), vk,
                                                [](int minute) {
        CVKAktData v;
        v.SetFrequencyCode(128);
        v.SetTemperatureCode(104);
        for (int k = 0; k < 3; ++k) {
            const double i = SecondaryCurrent(minute, k);
            v.SetU(k, WORD(std::lround(kPhaseSecondary * 10)));
            v.SetULine(k, WORD(1000 + k));
            v.SetI(k, std::int16_t(std::lround(i / 0.0003125)));
            v.SetPF(k, 95);
            v.SetCos(k, 96);
            v.SetP(k, std::int32_t(std::lround(kPhaseSecondary * i * 0.95 / 0.000003125)));
            v.SetS(k, std::int32_t(std::lround(kPhaseSecondary * i / 0.000003125)));
        }
        return v;
    });
    Shoot<CVKArchivDoc, analysers_vk::CVKArchivView>(shot, &analysers_vk::AddVKArchivTemplate, "VKArchiv.Document", vkPath,
                                                     QStringLiteral("CVKArchivView-graph-22kV"));

    // The VKR records primary values.
    ChooseQuantities(QStringLiteral("Vyvod 22 kV"), "Obecne nastaveni vkr", VKRQuantityNames);
    CVKRConfig vkr;
    vkr.SetVtPrimary(DWORD(kVtRatio * 100));
    vkr.SetCtPrimary(300 | 0x80000000u);
    vkr.SetConnection(CVKRConfig::Star);
    const QString vkrPath = Write<CVKRArchivData>(folder, QStringLiteral("Vyvod 22 kV"), QStringLiteral(".vkr"),
                                                  vkr, [](int minute) {
        CVKRAktData v;
        v.SetStatus(0);
        v.SetFrequency(5000);
        for (int k = 0; k < 3; ++k) {
            const double i = SecondaryCurrent(minute, k) * kCtRatio;
            const double u = kPhaseSecondary * kVtRatio;
            v.SetUPhase(k, float(u));
            v.SetULine(k, float(22000.0 + 20 * k));
            v.SetI(k, float(i));
            v.SetP(k, float(u * i * 0.95));
            v.SetQ(k, float(u * i * 0.31));
        }
        return v;
    });
    Shoot<CVKRArchivDoc, analysers_vk::CVKRArchivView>(shot, &analysers_vk::AddVKRArchivTemplate, "VKRArchiv.Document", vkrPath,
                                                       QStringLiteral("CVKRArchivView-graph-22kV"));

    // The VKT records secondary values on its four inputs.
    ChooseQuantities(QStringLiteral("Trafo 22 kV"), "Obecne nastaveni vkt", VKTQuantityNames);
    CVKTConfig vkt;
    vkt.SetVtPrimary(WORD(kVtRatio));
    vkt.SetCtPrimary(WORD(300 | 0x8000));
    vkt.SetConnection(CVKTConfig::FourPhase);
    const QString vktPath =
        Write<CVKTArchivData>(folder, QStringLiteral("Trafo 22 kV"), CVKTArchivData::Extension(), vkt, [](int minute) {
            CAktData v;
            const BYTE parts[2] = {0x00, 0x1F};
            v.CreateParts(parts, 2);
            v.SetTemperatureWord(2150);
            v.SetFrequencyWord(5000);
            for (int k = 0; k < 3; ++k) {
                if (CAktPhase* ph = v.GetPhase(k)) {
                    const double i = SecondaryCurrent(minute, k);
                    ph->voltage = WORD(std::lround(kPhaseSecondary / 0.025));
                    ph->lineVoltage = WORD(std::lround(100.0 / 0.025) + k);
                    ph->current = WORD(std::lround(i / 0.0002));
                    ph->activePower = float(kPhaseSecondary * i * 0.95);
                    ph->reactivePower = float(kPhaseSecondary * i * 0.31);
                }
            }
            return v;
        });
    Shoot<CVKTArchivDoc, analysers_vkt::CVKTArchivView>(shot, &analysers_vkt::AddVKTArchivTemplate, "VKTArchiv.Document", vktPath,
                                                        QStringLiteral("CVKTArchivView-graph-22kV"));
}
