// The VKT live window in its pane arrangements, the measured-values dialog
// in each layout class, the received-data and displayed-quantities dialogs
// and the floating panel, over measurements of a four-phase installation.
#include "Screens.h"
#include "tools/screens/ScreensArchive.h"
#include "ScreensLive.h"

#include "analysers_vkt/VKTAktMer.h"
#include "analysers_vkt/VKT01Doc.h"
#include "analysers_vkt/VKTArchivView.h"
#include "analysers_vkt/ONVKT.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "platform/Settings.h"
#include "platform/ui/ChildFrame.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "analysers_vkt/VKTPrijimanaDataDlg.h"
#include "analysers_vkt/VKTPristrojPlochaFrm.h"
#include "analysers_vkt/VKTZobrazeneVelicinyDlg.h"
#include "archive/store/VKTArchivData.h"
#include "archive/store/VKTDisplayValues.h"
#include "link/Pristroj.h"
#include "model/VKTConfig.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QCoreApplication>

#include <cmath>
#include <memory>

namespace {

CAktData Measurement(int minute)
{
    CAktData v;
    const BYTE parts[2] = {0x00, 0xFF}; // four inputs, values and both kinds of harmonics
    v.CreateParts(parts, 2);
    v.SetTemperatureWord(std::int16_t(2340 + minute));
    v.SetFrequencyWord(std::int16_t(4998 + minute % 5));
    for (int i = 0; i < CAktData::kInputs; ++i) {
        CAktPhase* ph = v.GetPhase(i);
        if (!ph)
            continue;
        const double swing = std::sin((minute + 7 * i) / 5.0);
        ph->voltage = WORD(9180 + 30 * i + int(40 * swing));
        ph->lineVoltage = WORD(15900 + 40 * i + int(60 * swing));
        ph->current = WORD(21000 + 1500 * i + int(2500 * swing));
        ph->activePower = 2650.0f + 120.0f * float(i) + float(200 * swing);
        ph->reactivePower = 640.0f - 60.0f * float(i);
        ph->thdU = WORD(210 + 25 * i);
        ph->thdI = WORD(920 + 60 * i);
    }
    for (int c = 0; c < CAktData::kChannels; ++c) {
        const bool current = c >= 4;
        if (CAktOddHarmonics* h = v.GetOddHarmonics(c))
            for (std::size_t n = 0; n < h->values.size(); ++n)
                h->values[n] = n == 0 ? WORD(current ? 21000 + 700 * c : 10000)
                                      : WORD(std::max<int>(20, (current ? 2600 : 380) / int(n + 1) - 9 * c));
        if (CAktEvenHarmonics* h = v.GetEvenHarmonics(c))
            for (std::size_t n = 0; n < h->values.size(); ++n)
                h->values[n] = WORD(std::max<int>(10, (current ? 700 : 90) / int(n + 2) + 3 * c));
    }
    return v;
}

CVKTConfig Config()
{
    CVKTConfig c;
    c.SetVtPrimary(1);
    c.SetCtPrimary(100);
    c.SetConnection(CVKTConfig::FourPhase);
    return c;
}

} // namespace

QORIN_SCREENS(VKTWindows)
{
    using namespace analysers_vkt;
    ui::CDocManager manager;
    AddVKTLiveTemplate(manager);
    auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, shot.scratchDir(), FALSE, CPristroj::kVKT);
    entry->m_nazev = QStringLiteral("Trafostanice T2");
    entry->m_merit = 0;
    auto* data = dynamic_cast<CVKTArchivData*>(entry->GetArchivData());
    if (!data) {
        shot.fail(QStringLiteral("VKT entry without its archive data"));
        return;
    }
    data->AddConfigRecord(Config());
    screens::FeedLiveMinutes(*data, 30, Measurement);

    struct Panes {
        bool graph, values, alarms, panel;
        const char* name;
    };
    const Panes variants[] = {
        {true, true, true, false, "CVKTAktMer-mask7"},  {true, true, true, true, "CVKTAktMer-mask15"},
        {true, true, false, false, "CVKTAktMer-mask3"}, {false, true, true, true, "CVKTAktMer-mask14"},
        {true, false, false, true, "CVKTAktMer-mask9"}, {false, true, false, false, "CVKTAktMer-mask2"},
        {true, false, true, true, "CVKTAktMer-mask13"},
    };
    for (const Panes& p : variants) {
        auto* view = qobject_cast<CVKTAktMer*>(OpenVKTLive(manager, *entry));
        if (!view) {
            shot.fail(QStringLiteral("the VKT live window did not open"));
            return;
        }
        view->SetPanes(p.graph, p.values, p.alarms, p.panel);
        view->resize(1200, 800);
        platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
        shot.save(view, QString::fromLatin1(p.name));
        if (p.graph && p.values && p.alarms && !p.panel) {
            CVKTZobrazeneVelicinyDlg quantities;
            if (quantities.LoadFromGraph(*view->Graph()))
                shot.save(&quantities, QStringLiteral("CVKTZobrazeneVelicinyDlg"));
            else
                shot.fail(QStringLiteral("the displayed-quantities dialog did not load"));
            view->Graph()->resize(900, 500);
            shot.save(view->Graph(), QStringLiteral("CVKTGrafAktual-live"));
        }
        view->GetDocument()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    {
        CVKTPrijimanaDataDlg received;
        received.SetMask(entry->GetValueMask());
        shot.save(&received, QStringLiteral("CVKTPrijimanaDataDlg"));
    }

    OpenVKTPanel(*entry);
    if (CVKTPristrojPlochaFrm* floating = FindVKTPanel(*entry)) {
        floating->resize(420, 440);
        shot.save(floating, QStringLiteral("CVKTPristrojPlochaFrm-instrument"));
        floating->ToggleData();
        floating->resize(760, 520);
        shot.save(floating, QStringLiteral("CVKTPristrojPlochaFrm-values"));
    } else {
        shot.fail(QStringLiteral("the VKT floating panel did not open"));
    }
    CloseVKTPanel(*entry);

    // The values dialog alone, sized in dialog units to each layout class.
    const struct {
        QSize dlu;
        bool archive;
    } classes[8] = {{{740, 360}, false}, {{600, 360}, false}, {{740, 250}, false}, {{600, 250}, false},
                    {{300, 360}, false}, {{300, 250}, false}, {{300, 160}, false}, {{300, 110}, false}};
    for (int cls = 0; cls < 8; ++cls) {
        CVKTHodnotyDlg dialog;
        dialog.SetArchiveMode(classes[cls].archive);
        dialog.SetValues(archive::vkt::FillValuesDialog(*data, dialog.DialogRows(), 0));
        dialog.resize(ui::DluToPixels(classes[cls].dlu, dialog.font()) + QSize(2, 2));
        shot.save(&dialog, QStringLiteral("CVKTHodnotyDlg-class%1").arg(cls));
        if (dialog.Class() != cls)
            shot.fail(QStringLiteral("values dialog in class %1 instead of %2").arg(dialog.Class()).arg(cls));
    }

    {
        platform::Settings settings;
        CONVKT page;
        page.Load(settings);
        page.resize(640, 760);
        shot.save(&page, QStringLiteral("CONVKT"));
    }

    // An archive recorded by the family writer, opened as the program opens
    // it, in each of its three modes.
    {
        CVKTArchivData writer;
        platform::CTime now(2024, 3, 10, 10, 0, 0);
        writer.SetTimeSource([&now] { return now; });
        const QString base = shot.scratchDir() + QStringLiteral("/trafo");
        if (writer.Create(40 * 60 * 10, 10, 60, base, CVKTArchivData::Extension(), TRUE, TRUE,
                          QStringLiteral("Trafostanice T2")) != 1) {
            shot.fail(QStringLiteral("the VKT archive was not created"));
            return;
        }
        for (int block = 0; block < 4; ++block) {
            writer.AddConfigRecord(Config());
            for (int i = 0; i < 10; ++i) {
                now = platform::CTime(now.GetTime() + 60);
                writer.AddMeasurementRecord(Measurement(block * 10 + i));
            }
            now = platform::CTime(now.GetTime() + 1);
            const int mode = writer.EndBlock(FALSE, TRUE, 60);
            writer.Flush(FALSE, mode, QStringLiteral("Trafostanice T2"));
        }
        writer.Close();
        ui::CDocManager archives;
        AddVKTArchivTemplate(archives);
        ui::CDocTemplate* t = archives.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKTArchiv.Document"));
        auto* doc = t ? qobject_cast<CVKTArchivDoc*>(t->OpenDocumentFile(base + QStringLiteral(".vkt"), true)) : nullptr;
        auto* view = doc ? qobject_cast<CVKTArchivView*>(doc->FirstView()) : nullptr;
        if (!view) {
            shot.fail(QStringLiteral("the VKT archive view did not open"));
            return;
        }
        view->resize(1200, 800);
        QApplication::processEvents();
        const char* const names[3] = {"CVKTArchivView-graph", "CVKTArchivView-list", "CVKTArchivView-statistics"};
        for (int mode = 0; mode < 3; ++mode) {
            screens::PickArchiveMode(view, mode);
            shot.save(view, QString::fromLatin1(names[mode]));
            if (mode == 0) {
                view->Graph()->SetSpinac(1);
                view->Graph()->resize(900, 520);
                view->Graph()->CreateFontsNow();
                shot.save(view->Graph(), QStringLiteral("CVKTGrafAktual-offline"));
            }
        }
        doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
