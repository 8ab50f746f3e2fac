#include "Screens.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/ArchivRecord.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "charts/ArchivRangeBar.h"
#include "charts/QorinStatPanel.h"
#include "controllers/archive/ControllerArchivView.h"
#include "model/DuskarConfig.h"
#include "model/QorinConfig.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>
#include <QDir>
#include <QTabBar>

#include <atomic>
#include <cmath>
#include <memory>

namespace {

using platform::CTime;

// Two hours of a compensated line a minute apart in blocks of ten, with
// the state texts of a morning: a manual spell, then regulation again.
template <class Writer, class Config, class Values>
bool RecordMorning(const QString& base, int model)
{
    auto now = std::make_shared<std::atomic<std::uint32_t>>(CTime(2024, 3, 11, 6, 0, 0).GetTime());
    Writer writer;
    writer.SetTimeSource([now] { return CTime(now->load()); });
    if (writer.Create(3600 * 24, 10, 60, base, Writer::Extension(), TRUE, TRUE, QStringLiteral("Rozvodna R2")) != 1)
        return false;
    Config config;
    config.ctRatio = 40;
    if constexpr (requires { config.tarif1.t0; })
        config.tarif1.t0 = 95; // the required power factor 0.95
    writer.AddConfigRecord(config);
    for (int i = 0; i < 120; ++i) {
        *now += 60;
        Values values;
        values.model = WORD(model);
        values.ctWord = 0x8000 | 40;
        values.current = WORD(2400 + int(900 * std::sin(i / 14.0)));
        values.activeCurrent = std::int16_t(2100 + int(700 * std::sin(i / 14.0)));
        values.reactiveCurrent = std::int16_t(350 - (i % 17) * 30);
        values.cosPhi = std::int8_t(i >= 40 && i < 55 ? 88 : 96 + (i % 3));
        values.stageMask = WORD((1 << (i % 7 + 1)) - 1);
        values.state = BYTE(i >= 40 && i < 55 ? 0x0F : 0x06);
        if constexpr (requires { values.voltage; }) {
            values.voltage = std::int16_t(2310 + (i % 9) * 3); // 0.1 V
            values.voltageP = values.voltage;
            values.temperature = 31;
        }
        writer.AddMeasurementRecord(values);
        if (i == 40)
            writer.AddRecord(QString::fromUtf8("Ruční režim regulace."), kRecordCondition);
        if (i == 55)
            writer.AddRecord(QString::fromUtf8("Automatická regulace."), kRecordState);
        if (i % 10 == 9) {
            *now += 1;
            const int mode = writer.EndBlock(FALSE, TRUE, 60);
            if (writer.Flush(FALSE, mode, QStringLiteral("Rozvodna R2")) != 1)
                return false;
        }
    }
    writer.WaitWriterIdle(10000);
    writer.Close();
    return true;
}

} // namespace

QORIN_SCREENS(ControllerArchiv)
{
    using namespace controllers;
    ui::CDocManager manager;
    AddQorinArchiveTemplate(manager);
    AddDuskarArchiveTemplate(manager);
    const QString folder = QDir(shot.scratchDir()).filePath(QStringLiteral("controller-archives"));
    QDir().mkpath(folder);
    const QString qorinBase = folder + QStringLiteral("/R2_kompenzace");
    const QString duskarBase = folder + QStringLiteral("/R2_duskar");
    if (!RecordMorning<CQorinArchivData, CConfig, CQorinAktData>(qorinBase, 3) ||
        !RecordMorning<CDuskarArchivData, CDuskarConfig, CDuskarAktData>(duskarBase, 19)) {
        shot.fail(QStringLiteral("the controller archives could not be recorded"));
        return;
    }
    struct Family {
        QString path;
        const char* name;
        int modes;
    };
    // The Duskar window has no statistics mode.
    const Family families[] = {{qorinBase + CQorinArchivData::Extension(), "CArchivView", 3},
                               {duskarBase + CDuskarArchivData::Extension(), "CDuskarArchivView", 2}};
    const char* modeNames[] = {"graph", "list", "statistics"};
    for (const Family& family : families) {
        for (int mode = 0; mode < family.modes; ++mode) {
            ui::CDocument* document = manager.OpenDocumentFile(family.path, true);
            auto* view = dynamic_cast<CControllerArchivView*>(document ? document->FirstView() : nullptr);
            if (!view) {
                shot.fail(QStringLiteral("the controller archive window did not open"));
                return;
            }
            view->resize(1100, 700);
            // The user's way to a mode: the range bar's tab.
            if (auto* tabs = qobject_cast<QTabBar*>(view->RangeBar()->Control(CGraphRangeBar::kTab)))
                tabs->setCurrentIndex(mode);
            shot.save(view, QStringLiteral("%1-%2").arg(QString::fromLatin1(family.name),
                                                         QString::fromLatin1(modeNames[mode])));
            document->OnCloseDocument();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}
