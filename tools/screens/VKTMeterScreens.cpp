// The VKT electricity-meter dialog over a held meter, and the meter archive
// of a VKT analyser whose meter was restarted twice (three meters, one tab
// each).
#include "Screens.h"

#include "analysers_vkt/VKTElektromerDlg.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive_docs/MeterArchivDoc.h"
#include "charts/BexorArchivView.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>
#include <QDir>
#include <QTabBar>

#include <cmath>
#include <memory>

namespace {

using namespace analysers_vkt;

class HeldMeter : public IVKTMeterIo {
public:
    HeldMeter()
    {
        for (int h = 0; h < 24; ++h)
            tariff.SetCode(h, h >= 6 && h < 22 ? 0 : 1);
        // The meter records every quarter of an hour, as the program's meter
        // archive does: no warning about another interval stands over the
        // dialog (in this offscreen run nobody would answer it).
        tariff.SetInterval(96);
        CVKTEData& e = data.GetData();
        const double import[] = {1523.25, 712.5, 0.0};
        for (int t = 0; t < 3; ++t) {
            e.SetRegister(t, 0, import[t]);
            e.SetRegister(t, 2, import[t] * 0.31);
        }
        for (int p = 4; p < 7; ++p) {
            e.SetRegister(p, 0, 745.25 + p);
            e.SetRegister(p, 2, 231.0 + p);
        }
    }
    QString Name() const override { return QStringLiteral("Rozvodna Jih"); }
    bool ReadTariff(CVKTETarif& t) override { return t = tariff, true; }
    bool WriteTariff(const CVKTETarif&) override { return true; }
    bool ReadEnergy(CVKTEDataRec& d) override { return d = data, true; }
    bool ResetMeter(BYTE) override { return true; }
    int IntervalCode() const override { return 3; }
    void SetIntervalCode(int) override {}
    double RatioProduct() const override { return 80.0; }
    void Sleep(int) override {}

    CVKTETarif tariff;
    CVKTEDataRec data;
};

// A VKT archive whose "bexor" stream holds `days.size()` meters, each a
// number of days of quarter-hour readings from its start; empty on failure.
QString WriteVKTMeterArchive(const QString& folder, const std::vector<std::pair<platform::CTime, int>>& meters)
{
    CVKTArchivData archive;
    if (archive.Create(86400, 10, 60, QDir(folder).filePath(QStringLiteral("rozvodna_jih")),
                       CVKTArchivData::Extension(), TRUE, TRUE, QStringLiteral("Rozvodna Jih"))
        != 1)
        return {};
    std::unique_ptr<CArchivStream> stream;
    CVKTBexorIndex index;
    if (archive.OpenOrCreateBexorStream(stream, index) != 1)
        return {};
    CVKTETarif tariff;
    for (int h = 0; h < 24; ++h)
        tariff.SetCode(h, h >= 6 && h < 22 ? 0 : 1);
    double counters[4] = {0, 0, 0, 0};
    for (std::size_t m = 0; m < meters.size(); ++m) {
        const auto [start, days] = meters[m];
        CVKTEData e;
        for (double& c : counters)
            c = 0;
        for (int q = 0; q <= days * 96; ++q) {
            const int hour = (q / 4) % 24;
            const int t = hour >= 6 && hour < 22 ? 0 : 1;
            const double load = 0.55 - 0.4 * std::cos(2.0 * 3.14159265358979 * (q % 96) / 96.0);
            const double step[4] = {3.2 * load * double(m + 1), 0.05, 1.1 * load, 0.2};
            for (int k = 0; k < 4; ++k) {
                counters[k] += step[k];
                e.SetRegister(t, k, e.GetRegister(t, k) + step[k]);
                e.SetRegister(3, k, counters[k]);
                for (int p = 4; p < 7; ++p)
                    e.SetRegister(p, k, counters[k] * (0.31 + 0.02 * (p - 4)));
            }
            e.SetTime(platform::CTime(start.GetTime() + 900u * unsigned(q)));
            const BOOL ok = q == 0 ? index.AppendBlock(*stream, tariff, 40.0f, 0, start, &e) : index.AppendEntry(*stream, e);
            if (!ok)
                return {};
        }
    }
    return archive.GetFilePath();
}

} // namespace

QORIN_SCREENS(VKTMeterArchive)
{
    const QString folder = QDir(shot.scratchDir()).filePath(QStringLiteral("vkt-meters"));
    QDir().mkpath(folder);
    const QString path = WriteVKTMeterArchive(folder, {{platform::CTime(2024, 3, 4, 0, 0, 0), 2},
                                                       {platform::CTime(2024, 3, 11, 0, 0, 0), 1},
                                                       {platform::CTime(2024, 3, 18, 0, 0, 0), 1}});
    if (path.isEmpty()) {
        shot.fail(QStringLiteral("CVKTBexorArchivView: the meter archive could not be written"));
        return;
    }
    ui::CDocManager manager;
    AddVKTBexorTemplate(manager, 304);
    const auto savedHooks = CArchivDocHooks::Instance();
    CArchivDocHooks::Instance().docManager = [&manager] { return &manager; };
    CVKTArchivData source;
    ui::CDocument* document = source.Open(path) ? archive::OpenMeterDocument(QStringLiteral("VKTBexor Archiv"), source)
                                                : nullptr;
    auto* view = document ? qobject_cast<CMeterArchivView*>(document->FirstView()) : nullptr;
    if (!view) {
        shot.fail(QStringLiteral("CVKTBexorArchivView: the meter archive did not open"));
    } else {
        QWidget* frame = view->GetParentFrame() ? static_cast<QWidget*>(view->GetParentFrame()) : view;
        frame->setWindowTitle(document->GetTitle());
        charts::CMeterDisplay display;
        display.quantities = {1, 0, 1, 0, 1};
        display.subColumns = {1, 1, 0, 1, 0, 0, 0};
        view->SetDisplay(display);
        // The size the window takes when it opens with these columns.
        frame->resize(frame->sizeHint());
        view->Tabs()->setCurrentIndex(1);
        shot.save(frame, QStringLiteral("CVKTBexorArchivView-meters"));
        document->OnCloseDocument();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CArchivDocHooks::Instance() = savedHooks;
}

QORIN_SCREENS(VKTMeter)
{
    HeldMeter io;
    CVKTElektromerDlg dialog(io);
    dialog.ReadMeter();
    dialog.resize(900, 620);
    shot.save(&dialog, QStringLiteral("CVKTElektromerDlg"));
}
