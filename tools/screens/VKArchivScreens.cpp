// The VK archive window in its three presentations, the graph of current
// values bound to the archive, and the export dialog, over an archive
// recorded through the program's own store.
#include "Screens.h"
#include "ScreensArchive.h"

#include "analysers_vk/ONVKR.h"
#include "analysers_vk/VKArchivView.h"
#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/VKRArchivData.h"
#include "charts/ExportDlg.h"
#include "charts/StatPanel.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QTabBar>

QORIN_SCREENS(VKArchiv)
{
    using namespace analysers_vk;
    const QString path = screens::WriteVKArchive(shot.scratchDir(), QStringLiteral("rozvodna"), QStringLiteral(".vk"),
                                                 QStringLiteral("Rozvodna R1"), platform::CTime(1709974800), 180);
    if (path.isEmpty()) {
        shot.fail(QStringLiteral("the VK archive could not be written"));
        return;
    }
    ui::CDocManager manager;
    AddVKArchivTemplate(manager);
    ui::CDocTemplate* archiv =
        manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKArchiv.Document"));
    auto* doc = archiv ? qobject_cast<CVKArchivDoc*>(archiv->OpenDocumentFile(path, true)) : nullptr;
    auto* view = doc ? qobject_cast<CVKArchivView*>(doc->FirstView()) : nullptr;
    if (!view) {
        shot.fail(QStringLiteral("the VK archive window did not open"));
        return;
    }
    view->resize(1100, 760);
    const char* names[] = {"CVKArchivView-graph", "CVKArchivView-list", "CVKArchivView-statistics"};
    for (int mode = 0; mode < 3; ++mode) {
        // The statistics open on their first segment, as the window shows them.
        screens::PickArchiveMode(view, mode);
        shot.save(view, QString::fromLatin1(names[mode]));
    }
    // The graph alone, as the archive view draws it.
    screens::PickArchiveMode(view, 0);
    view->SetPanes(true, false, false, false);
    view->resize(900, 520);
    shot.save(view->Graph(), QStringLiteral("CVKGrafAktual-offline"));
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    charts::CExportDlg exportDlg;
    exportDlg.SetDefaultName(path);
    shot.save(&exportDlg, QStringLiteral("CExportDlg"));
}

// The VKR page of the general settings sheet with its defaults and one line
// distortion chosen.
QORIN_SCREENS(VKRPage)
{
    platform::Settings settings;
    analysers_vk::CONVKR page;
    page.Load(settings);
    page.Line(0)->setChecked(true);
    page.resize(520, 700);
    shot.save(&page, QStringLiteral("CONVKR"));
}

// The VKR displayed-quantities dialog over a VKR archive's graph.
QORIN_SCREENS(VKRQuantities)
{
    CVKRArchivData data;
    analysers_vk::CVKRGrafAktual graph;
    graph.AttachArchive(data);
    analysers_vk::CVKRZobrazeneVelicinyDlg dialog;
    if (!dialog.LoadFromGraph(graph)) {
        shot.fail(QStringLiteral("the VKR quantities dialog did not load"));
        return;
    }
    shot.save(&dialog, QStringLiteral("CVKRZobrazeneVelicinyDlg"));
    graph.Detach();
}
