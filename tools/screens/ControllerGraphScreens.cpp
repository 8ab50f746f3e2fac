#include "Screens.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/graph/DisplayedQuantitiesDlg.h"
#include "controllers/graph/DuskarDisplayDlg.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/graph/ONDuskar.h"
#include "controllers/graph/ONQorin.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/Time32.h"
#include "platform/ui/DialogUnits.h"

#include <atomic>
#include <cmath>
#include <memory>

namespace {

using namespace controllers;
using platform::CTime;

CQorinAktData QorinValues(int i)
{
    CQorinAktData v;
    v.model = 3;
    v.ctWord = 0;
    v.cosPhi = std::int8_t(88 + int(8 * std::sin(i / 7.0)));
    v.current = WORD(3200 + int(1400 * std::sin(i / 11.0)));
    v.activeCurrent = std::int16_t(2600 + int(900 * std::sin(i / 11.0)));
    v.reactiveCurrent = std::int16_t(int(700 * std::cos(i / 9.0)));
    v.thdCode = BYTE(30 + (i % 17));
    v.stageMask = WORD((1u << (i / 12 % 6 + 1)) - 1);
    v.harmonicCode[0] = 40;
    v.harmonicCode[1] = 25;
    v.harmonicCode[2] = 12;
    v.byte34 = BYTE(i * 7 % 100);
    return v;
}

CDuskarAktData DuskarValues(int i)
{
    CDuskarAktData v;
    v.model = 19; // "QORIN-1206", six stages
    v.cosPhi = std::int8_t(90 + int(6 * std::sin(i / 7.0)));
    v.current = WORD(3000 + int(1200 * std::sin(i / 11.0)));
    v.activeCurrent = std::int16_t(2500 + int(800 * std::sin(i / 11.0)));
    v.reactiveCurrent = std::int16_t(int(600 * std::cos(i / 9.0)));
    v.voltage = std::int16_t(2300 + int(40 * std::sin(i / 5.0)));
    v.voltageP = v.voltage;
    v.freqCode = 100;
    v.thdUCode = BYTE(20 + i % 9);
    v.thdICode = BYTE(40 + i % 13);
    v.temperature = 31;
    v.stageMask = WORD((1u << (i / 12 % 8 + 1)) - 1);
    for (int k = 0; k < DuskarAktFields::kHarmonicCount; ++k) {
        v.harmonicU[k] = BYTE(30 - 3 * k);
        v.harmonicI[k] = BYTE(60 - 6 * k);
    }
    v.byte28 = BYTE(i * 7 % 100);
    return v;
}

// An hour of one-minute measurements into the entry's live store.
template <class Store, class Values>
void MeasureLive(CPristroj& entry, Values (*make)(int))
{
    auto* store = dynamic_cast<Store*>(entry.GetArchivData());
    if (!store)
        return;
    auto now = std::make_shared<std::atomic<std::uint32_t>>(CTime(2024, 3, 10, 9, 0, 0).GetTime());
    store->SetTimeSource([now] { return CTime(now->load()); });
    for (int i = 0; i < 60; ++i) {
        store->AddMeasurementRecord(make(i));
        *now += 60;
    }
    store->ResetGraphTimeBase(3600);
}

// Four blocks of fifteen one-minute measurements in an archive file.
template <class Store, class Values>
QString RecordArchive(const QString& folder, Values (*make)(int))
{
    auto now = std::make_shared<std::atomic<std::uint32_t>>(CTime(2024, 3, 10, 9, 0, 0).GetTime());
    Store writer;
    writer.SetTimeSource([now] { return CTime(now->load()); });
    if (writer.Create(3600, 15, 60, folder + QStringLiteral("/rozvodna"), Store::Extension(), TRUE, TRUE,
                      QStringLiteral("Rozvodna")) != 1)
        return {};
    for (int b = 0; b < 4; ++b) {
        for (int i = 0; i < 15; ++i) {
            *now += 60;
            writer.AddMeasurementRecord(make(b * 15 + i));
        }
        *now += 1;
        writer.Flush(FALSE, writer.EndBlock(FALSE, TRUE, 60), QStringLiteral("Rozvodna"));
    }
    writer.WaitWriterIdle(10000);
    const QString path = writer.GetFilePath();
    writer.Close();
    return path;
}

QSize DluSize(const QWidget& w, int x, int y)
{
    return QSize((x * ui::DluToPixelsX(100, w.font()) + 99) / 100, (y * ui::DluToPixelsY(100, w.font()) + 99) / 100);
}

} // namespace

QORIN_SCREENS(ControllerGraphs)
{
    platform::Settings settings;
    {
        // Live graphs.
        auto qorin = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, shot.scratchDir(), FALSE, CPristroj::kQorin);
        qorin->m_nazev = QStringLiteral("Kompenzace T1");
        MeasureLive<CQorinArchivData>(*qorin, &QorinValues);
        CQuantityGraphWnd graph;
        graph.resize(820, 520);
        graph.AttachDevice(*qorin);
        shot.save(&graph, QStringLiteral("CQuantityGraphWnd-live"));

        CDisplayedQuantitiesDlg dlg;
        if (dlg.LoadFromGraph(graph))
            shot.save(&dlg, QStringLiteral("CDisplayedQuantitiesDlg"));
        else
            shot.fail(QStringLiteral("the Qorin displayed-quantities dialog did not load"));

        CQorinHodnotyDlg values;
        // Measured but not recorded: no file to name.
        qorin->m_zaznamenavat = 0;
        CPristrojStatusTexts status;
        qorin->FillQorinStatusTexts(status);
        if (auto* store = dynamic_cast<CQorinArchivData*>(qorin->GetArchivData()))
            values.Fill(store->FormatValues(), &status);
        values.SetLegend(graph);
        values.UpdateControls();
        const QSize sizes[5] = {{150, 60}, {330, 90}, {330, 140}, {330, 240}, {150, 280}};
        for (int mode = 0; mode < 5; ++mode) {
            values.resize(DluSize(values, sizes[mode].width(), sizes[mode].height()));
            values.Layout();
            if (values.Mode() != mode)
                shot.fail(QStringLiteral("CQorinHodnotyDlg laid out in mode %1, not %2").arg(values.Mode()).arg(mode));
            shot.save(&values, QStringLiteral("CQorinHodnotyDlg-mode%1").arg(mode));
        }
        graph.Detach();
    }
    {
        auto duskar = std::make_unique<CPristroj>(QStringLiteral("COM1"), 2, shot.scratchDir(), FALSE, CPristroj::kDuskar);
        duskar->m_nazev = QStringLiteral("Kompenzace T2");
        MeasureLive<CDuskarArchivData>(*duskar, &DuskarValues);
        CDuskarGraphWnd graph;
        graph.resize(820, 520);
        graph.AttachLive(*duskar);
        shot.save(&graph, QStringLiteral("CDuskarGraphWnd-live"));

        CDuskarDisplayDlg dlg;
        if (dlg.LoadFromGraph(graph))
            shot.save(&dlg, QStringLiteral("CDuskarDisplayDlg"));
        else
            shot.fail(QStringLiteral("the Duskar display dialog did not load"));

        CDuskarValuesPanel panel;
        // Measured but not recorded: no file to name.
        duskar->m_zaznamenavat = 0;
        CPristrojStatusTexts status;
        duskar->FillDuskarStatusTexts(status);
        if (auto* store = dynamic_cast<CDuskarArchivData*>(duskar->GetArchivData()))
            panel.Fill(store->FormatValues(), &status);
        panel.SetLegend(graph);
        panel.UpdateControls();
        const QSize sizes[4] = {{300, 100}, {300, 130}, {560, 230}, {290, 390}};
        for (int mode = 0; mode < 4; ++mode) {
            panel.resize(DluSize(panel, sizes[mode].width(), sizes[mode].height()));
            panel.Layout();
            if (panel.Mode() != mode)
                shot.fail(QStringLiteral("CDuskarValuesPanel laid out in mode %1, not %2").arg(panel.Mode()).arg(mode));
            shot.save(&panel, QStringLiteral("CDuskarValuesPanel-mode%1").arg(mode));
        }
        panel.resize(DluSize(panel, 300, 130));
        panel.Layout();
        panel.SelectTab(2);
        shot.save(&panel, QStringLiteral("CDuskarValuesPanel-mode1-tab2"));
        graph.Detach();
    }
    {
        // Archive graphs over files recorded by the store.
        const QString qorinPath = RecordArchive<CQorinArchivData>(shot.scratchDir(), &QorinValues);
        CQorinArchivData qorin;
        if (qorinPath.isEmpty() || qorin.Open(qorinPath) != 1 || qorin.ReadHeader() != 1) {
            shot.fail(QStringLiteral("no Qorin archive for the graph"));
        } else {
            CQuantityGraphWnd graph;
            graph.resize(820, 520);
            graph.AttachArchive(qorin);
            if (qorin.LoadWindowGraphs(0, 4) != 1)
                shot.fail(QStringLiteral("the Qorin archive window did not load"));
            shot.save(&graph, QStringLiteral("CQuantityGraphWnd-offline"));
            graph.Detach();
        }
        const QString duskarPath = RecordArchive<CDuskarArchivData>(shot.scratchDir(), &DuskarValues);
        CDuskarArchivData duskar;
        if (duskarPath.isEmpty() || duskar.Open(duskarPath) != 1 || duskar.ReadHeader() != 1) {
            shot.fail(QStringLiteral("no Duskar archive for the graph"));
        } else {
            CDuskarGraphWnd graph;
            graph.resize(820, 520);
            graph.AttachArchive(duskar);
            if (duskar.LoadWindowGraphs(0, 4) != 1)
                shot.fail(QStringLiteral("the Duskar archive window did not load"));
            shot.save(&graph, QStringLiteral("CDuskarGraphWnd-offline"));
            graph.Detach();
        }
    }
    {
        CONQorin qorinPage;
        qorinPage.Load(settings);
        qorinPage.resize(560, 520);
        shot.save(&qorinPage, QStringLiteral("CONQorin"));
        CONDuskar duskarPage;
        duskarPage.Load(settings);
        duskarPage.resize(760, 620);
        shot.save(&duskarPage, QStringLiteral("CONDuskar"));
    }
}
