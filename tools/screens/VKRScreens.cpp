// The VKR windows: the settings dialog over an analyser's held settings,
// its read-only twin, and the measured-values dialog in its six
// arrangements with the values of a loaded substation feeder.
#include "Screens.h"
#include "tools/screens/ScreensArchive.h"
#include "ScreensLive.h"

#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRAktMer.h"
#include "analysers_vk/VKRArchivView.h"
#include "analysers_vk/VKRDetail.h"
#include "analysers_vk/VKRDetailStatic.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPristrojPlochaFrm.h"
#include "analysers_vk/VKRSettingsIo.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "charts/StatPanel.h"
#include "link/Pristroj.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/DocTemplate.h"
#include "archive/store/VKRArchivData.h"

#include <QCoreApplication>
#include <QTabBar>

#include <memory>

namespace {

using namespace analysers_vk;

CVKRSettings Feeder()
{
    CVKRSettings s;
    s.iden.family = CIden::kFamilyAnalyser;
    s.iden.model = 0x1000;
    s.iden.version = 0x21;
    s.iden.number = 3112;
    s.config.SetVtPrimary(22000);
    s.config.SetCtPrimary(0x80000000u | 400);
    s.config.SetDefaultFrequency(50);
    s.config.SetConnection(CVKRConfig::Star);
    s.config.SetAddress(7);
    s.config.SetSpeed(2);
    s.config.SetDisplayMask(0x3C9F);
    s.config.SetDisplay(0x12);
    return s;
}

// An analyser that answers from the settings it holds.
class HeldVKR : public IVKRSettingsIo {
public:
    QString Name() const override { return QStringLiteral("Rozvodna sever"); }
    QString SettingsFolder() const override { return {}; }
    bool ReadConfig(CVKRConfig& config) override
    {
        config = s.config;
        return true;
    }
    bool WriteConfig(const CVKRConfig& config) override
    {
        s.config = config;
        return true;
    }
    bool ReadIdentification(CIden& iden) override
    {
        iden = s.iden;
        return true;
    }
    void Yield() override {}

    CVKRSettings s = Feeder();
};

CVKRAktData FeederValues()
{
    CVKRAktData v;
    const float u[3] = {12710.f, 12695.f, 12742.f};
    const float i[3] = {212.4f, 198.7f, 205.1f};
    const float uLine[3] = {22031.f, 21987.f, 22012.f};
    for (int k = 0; k < 3; ++k) {
        v.SetUPhase(k, u[k]);
        v.SetI(k, i[k]);
        v.SetULine(k, uLine[k]);
        v.SetP(k, u[k] * i[k] * 0.95f);
        v.SetQ(k, u[k] * i[k] * 0.31f);
        v.SetAngle(k, std::int16_t(3180 + 40 * k));
        v.SetThdU(k, std::int16_t(182 + 11 * k));
        v.SetThdI(k, std::int16_t(645 - 30 * k));
        v.SetThdULine(k, std::int16_t(171 + 9 * k));
    }
    v.SetFrequency(5001);
    v.SetTemperature(2870);
    return v;
}

void Fill(CVKRHodnotyDlg& dlg, int connection)
{
    CVKRDisplaySettings settings;
    settings.connectionType = connection;
    dlg.SetValues(archive::vkr::FormatValues(FeederValues(), 1, settings));
    CPristrojStatusTexts status;
    status.ringStart = QStringLiteral("01.12.26 00:00");
    status.ringFull = QStringLiteral("31.12.26 23:45");
    status.archive = QStringLiteral("sever.vkr");
    status.newest = QStringLiteral("10.12.26 08:15:02");
    dlg.SetStatusTexts(status);
    dlg.SetHeader(QStringLiteral("Rozvodna sever"), status.newest);
    dlg.SetSwatch(0, QColor(15, 5, 1), true);
    dlg.SetSwatch(1, QColor(102, 98, 97), true);
    dlg.SetSwatch(2, QColor(193, 193, 193), false);
}

// A day's morning of one-minute VKR records, written through the store.
QString WriteFeederArchive(const QString& folder)
{
    platform::CTime now(1709974800);
    CVKRArchivData writer;
    writer.SetTimeSource([&now] { return now; });
    if (writer.Create(40 * 60 * 10, 10, 60, folder + QStringLiteral("/sever"), QStringLiteral(".vkr"), TRUE, TRUE,
                      QStringLiteral("Rozvodna sever"))
        != 1)
        return {};
    CVKRAktData values = FeederValues();
    for (int block = 0; block < 18; ++block) {
        writer.AddConfigRecord(Feeder().config);
        for (int i = 0; i < 10; ++i) {
            now = platform::CTime(now.GetTime() + 60);
            const float swing = float((block * 10 + i) % 24) / 24.0f;
            for (int k = 0; k < 3; ++k) {
                values.SetI(k, 150.0f + 90.0f * swing + 5.0f * float(k));
                values.SetP(k, 12700.0f * values.GetI(k) * 0.95f);
            }
            writer.AddMeasurementRecord(values);
        }
        now = platform::CTime(now.GetTime() + 1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        writer.Flush(FALSE, mode, QStringLiteral("Rozvodna sever"));
    }
    writer.Close();
    return folder + QStringLiteral("/sever.vkr");
}

} // namespace

QORIN_SCREENS(VkrArchiv)
{
    const QString path = WriteFeederArchive(shot.scratchDir());
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
    const char* names[] = {"CVKRArchivView-graph", "CVKRArchivView-list", "CVKRArchivView-statistics"};
    for (int mode = 0; mode < 3; ++mode) {
        screens::PickArchiveMode(view, mode);
        if (mode == 2)
            view->Stats()->Tabs().Segments().setCurrentIndex(view->Stats()->ResultCount() - 1);
        shot.save(view, QString::fromLatin1(names[mode]));
    }
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QORIN_SCREENS(VkrWindows)
{
    {
        HeldVKR io;
        CVKRDetail detail;
        detail.ReadFromDevice(io, 0);
        shot.save(&detail, QStringLiteral("CVKRDetail"));
    }
    {
        CVKRSettings s = Feeder();
        s.config.SetVtPrimary(5000); // not in the table: shown as it is
        s.config.SetCtPrimary(CVKRConfig::kUnset);
        s.config.SetConnection(CVKRConfig::Aron);
        CVKRDetailStatic detail;
        detail.Load(s.config, s.iden);
        shot.save(&detail, QStringLiteral("CVKRDetailStatic"));
    }
    // Sizes in dialog units that choose each arrangement.
    const struct {
        int w, h;
        const char* name;
    } states[] = {{360, 170, "state0"}, {200, 320, "state1"}, {200, 250, "state2"},
                  {360, 140, "state3"}, {200, 118, "state4"}, {200, 100, "state5"}};
    for (const auto& s : states) {
        CVKRHodnotyDlg dlg;
        Fill(dlg, CVKRConfig::Star);
        dlg.resize(ui::DluToPixels(QSize(s.w, s.h), dlg.font()));
        shot.save(&dlg, QStringLiteral("CVKRHodnotyDlg-") + QLatin1String(s.name));
    }
    {
        CVKRHodnotyDlg dlg;
        Fill(dlg, CVKRConfig::Aron);
        dlg.resize(ui::DluToPixels(QSize(360, 170), dlg.font()));
        shot.save(&dlg, QStringLiteral("CVKRHodnotyDlg-aron"));
    }

    // The floating panel with the front panel, then switched to the values.
    auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, shot.scratchDir(), FALSE, CPristroj::kVKR);
    entry->m_nazev = QStringLiteral("Rozvodna sever");
    if (auto* data = dynamic_cast<CVKRArchivData*>(entry->GetArchivData())) {
        data->AddConfigRecord(Feeder().config);
        screens::FeedLiveMinutes(*data, 30, [](int) { return FeederValues(); });
    }
    // The live window with all four panes, then without the graph.
    ui::CDocManager manager;
    AddVKRLiveTemplate(manager);
    entry->m_merit = 0;
    for (const bool graph : {true, false}) {
        auto* view = qobject_cast<CVKRAktMer*>(OpenVKRLive(manager, *entry));
        if (!view) {
            shot.fail(QStringLiteral("the VKR live window did not open"));
            break;
        }
        view->SetPanes(graph, true, true, true);
        view->resize(1100, 760);
        platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
        shot.save(view, graph ? QStringLiteral("CVKRAktMer-mask15") : QStringLiteral("CVKRAktMer-mask14"));
        view->GetDocument()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    OpenVKRPanel(*entry);
    if (CVKRPristrojPlochaFrm* floating = FindVKRPanel(*entry)) {
        shot.save(floating, QStringLiteral("CVKRPristrojPlochaFrm-instrument"));
        floating->ToggleData();
        floating->resize(640, 330);
        shot.save(floating, QStringLiteral("CVKRPristrojPlochaFrm-values"));
    } else {
        shot.fail(QStringLiteral("the VKR floating panel did not open"));
    }
    CloseVKRPanel(*entry);
}
