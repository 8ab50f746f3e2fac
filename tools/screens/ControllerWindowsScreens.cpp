#include "Screens.h"
#include "ScreensLive.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/live/ControllerAktMer.h"
#include "controllers/live/ControllerDoc.h"
#include "controllers/panel/ControllerPlochaFrm.h"
#include "link/Pristroj.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>

#include <memory>

QORIN_SCREENS(ControllerWindows)
{
    using namespace controllers;
    ui::CDocManager manager;
    AddQorinLiveTemplate(manager);
    AddDuskarLiveTemplate(manager);
    struct Family {
        int type;
        const char* name;
        const char* prefix;
    };
    const Family families[] = {{CPristroj::kQorin, "Kompenzace T1", "CAktMer"},
                               {CPristroj::kDuskar, "Kompenzace T2", "CDuskarAktMer"}};
    for (const Family& family : families) {
        auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, shot.scratchDir(), FALSE, family.type);
        entry->m_nazev = QString::fromUtf8(family.name);
        entry->m_merit = 0;
        if (auto* qorin = dynamic_cast<CQorinArchivData*>(entry->GetArchivData())) {
            CQorinAktData values;
            values.model = 3;
            screens::FeedLiveMinutes(*qorin, 30, [&](int) { return values; });
        } else if (auto* duskar = dynamic_cast<CDuskarArchivData*>(entry->GetArchivData())) {
            CDuskarAktData values;
            values.model = 44;
            screens::FeedLiveMinutes(*duskar, 30, [&](int) { return values; });
        } else {
            shot.fail(QStringLiteral("controller entry without its archive data"));
            return;
        }
        // The arrangements that differ in shape.
        for (int mask : {1, 3, 6, 7, 9, 11, 13, 14, 15}) {
            auto* view = dynamic_cast<CControllerAktMer*>(OpenControllerLive(manager, *entry));
            if (!view) {
                shot.fail(QStringLiteral("the controller live window did not open"));
                return;
            }
            view->SetPanes(mask);
            view->resize(900, 640);
            platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
            shot.save(view, QStringLiteral("%1-mask%2").arg(QString::fromLatin1(family.prefix)).arg(mask));
            view->Document()->OnCloseDocument();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        // A window never placed before, all four panes at the size it asks for.
        if (auto* view = dynamic_cast<CControllerAktMer*>(OpenControllerLive(manager, *entry))) {
            view->SetPanes(15);
            view->resize(view->sizeHint());
            platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
            shot.save(view, QStringLiteral("%1-first").arg(QString::fromLatin1(family.prefix)));
            view->Document()->OnCloseDocument();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        const QString frameName = family.type == CPristroj::kDuskar ? QStringLiteral("CDuskarPristrojPlochaFrm")
                                                                     : QStringLiteral("CPristrojPlochaFrm");
        OpenControllerPanel(*entry);
        if (CControllerPlochaFrm* frame = FindControllerPanel(*entry)) {
            shot.save(frame, frameName);
            frame->ToggleData();
            shot.save(frame, frameName + QStringLiteral("-values"));
            frame->ToggleData();
        } else {
            shot.fail(QStringLiteral("the floating panel did not open"));
        }
        CloseControllerPanel(*entry);
    }
}
