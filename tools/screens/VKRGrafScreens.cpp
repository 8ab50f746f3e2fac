// The VKR graph of current values: live in the VKR live window, offline in
// the archive window, both over the phase and the line-to-line voltage
// distortions.
#include "Screens.h"

#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRAktMer.h"
#include "analysers_vk/VKRArchivView.h"
#include "analysers_vk/VKRGrafAktual.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/VKRArchivData.h"
#include "link/Pristroj.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>

#include <cmath>
#include <memory>

namespace {

// A star connection: every phase and line quantity measured.
CVKRConfig StarConfig()
{
    CVKRConfig config;
    config.SetConnection(CVKRConfig::Star);
    return config;
}

using namespace analysers_vk;

// A distorted afternoon: the voltage distortions swing with the load.
CVKRAktData Distorted(int minute)
{
    CVKRAktData v;
    const double swing = std::sin(double(minute) / 9.0);
    for (int k = 0; k < 3; ++k) {
        v.SetUPhase(k, 230.0f + float(k));
        v.SetULine(k, 398.0f + float(k));
        v.SetI(k, float(180.0 + 40.0 * swing + 6.0 * k));
        v.SetP(k, v.GetUPhase(k) * v.GetI(k) * 0.95f);
        v.SetQ(k, v.GetUPhase(k) * v.GetI(k) * 0.3f);
        v.SetThdU(k, std::int16_t(310 + 120 * swing + 25 * k));
        v.SetThdULine(k, std::int16_t(420 + 160 * swing + 40 * k));
    }
    v.SetFrequency(5000);
    return v;
}

// The quantities of the pictures: the phase and line voltage distortions.
void ShowDistortions(CVKRGrafAktual& graph)
{
    for (int i = 0; i < CVKRGrafAktual::kQuantityCount; ++i) {
        const bool thdu = (i >= 27 && i <= 29) || i >= CVKRGrafAktual::kFirstLine;
        graph.SetQuantity(i, thdu ? 1 : 0, CVKRGrafAktual::QuantityAt(i).colour);
    }
}

QString WriteDistortedArchive(const QString& folder)
{
    platform::CTime now(1709974800);
    CVKRArchivData writer;
    writer.SetTimeSource([&now] { return now; });
    if (writer.Create(40 * 60 * 10, 10, 60, folder + QStringLiteral("/jih"), QStringLiteral(".vkr"), TRUE, TRUE,
                      QStringLiteral("Rozvodna jih"))
        != 1)
        return {};
    for (int block = 0; block < 12; ++block) {
        writer.AddConfigRecord(StarConfig());
        for (int i = 0; i < 10; ++i) {
            now = platform::CTime(now.GetTime() + 60);
            writer.AddMeasurementRecord(Distorted(block * 10 + i));
        }
        now = platform::CTime(now.GetTime() + 1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        writer.Flush(FALSE, mode, QStringLiteral("Rozvodna jih"));
    }
    writer.Close();
    return folder + QStringLiteral("/jih.vkr");
}

} // namespace

QORIN_SCREENS(VkrGraf)
{
    {
        // The live records of the last half hour: the marker stands at the
        // present time.
        platform::CTime now(platform::CTime::GetCurrentTime().GetTime() - 30 * 60);
        auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, shot.scratchDir(), FALSE, CPristroj::kVKR);
        entry->m_nazev = QStringLiteral("Rozvodna jih");
        entry->m_merit = 0;
        auto* data = dynamic_cast<CVKRArchivData*>(entry->GetArchivData());
        ui::CDocManager manager;
        AddVKRLiveTemplate(manager);
        auto* view = data ? qobject_cast<CVKRAktMer*>(OpenVKRLive(manager, *entry)) : nullptr;
        if (!view) {
            shot.fail(QStringLiteral("the VKR live window did not open"));
        } else {
            data->SetTimeSource([&now] { return now; });
            // As the measurement thread starts the live axis: 40 minutes.
            data->ResetGraphTimeBase(40 * 60);
            data->AddConfigRecord(StarConfig());
            for (int minute = 0; minute < 30; ++minute) {
                now = platform::CTime(now.GetTime() + 60);
                data->AddMeasurementRecord(Distorted(minute));
            }
            view->resize(1100, 760);
            platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
            ShowDistortions(*view->Graph());
            data->PublishToGraphs();
            view->Graph()->resize(900, 500);
            view->Graph()->CreateFontsNow();
            shot.save(view->Graph(), QStringLiteral("CVKRGrafAktual-live"));
            view->GetDocument()->OnCloseDocument();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    const QString path = WriteDistortedArchive(shot.scratchDir());
    ui::CDocManager manager;
    AddVKRArchivTemplate(manager);
    ui::CDocTemplate* archiv =
        manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKRArchiv.Document"));
    auto* doc = archiv && !path.isEmpty() ? qobject_cast<CVKRArchivDoc*>(archiv->OpenDocumentFile(path, true))
                                          : nullptr;
    auto* view = doc ? qobject_cast<CVKRArchivView*>(doc->FirstView()) : nullptr;
    if (!view) {
        shot.fail(QStringLiteral("the VKR archive window did not open"));
        return;
    }
    view->resize(1100, 760);
    ShowDistortions(*view->Graph());
    view->Graph()->SetGrid(true);
    doc->Navigator().SetMode(0);
    view->Graph()->resize(900, 500);
    view->Graph()->CreateFontsNow();
    shot.save(view->Graph(), QStringLiteral("CVKRGrafAktual-offline"));
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
