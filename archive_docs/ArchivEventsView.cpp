#include "archive_docs/ArchivEventsView.h"

#include "archive_docs/ArchivDocBase.h"
#include "archive/store/ArchivData.h"
#include "platform/Cp1250.h"
#include "platform/Time32.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Record types of the event lists that carry a text.
bool IsTextEvent(std::uint8_t type)
{
    return (type >= 4 && type <= 7) || type == 11;
}

} // namespace

CArchivEventsView::CArchivEventsView(QWidget* parent) : ui::CView(parent), m_list(new QTreeWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Čas"), QStringLiteral("Událost")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void CArchivEventsView::OnUpdate(ui::CView*, std::intptr_t hint, void*)
{
    // The state hint only asks the view for its display mode.
    if (hint == archive::hint::kState)
        return;
    auto* document = qobject_cast<CArchivDocBase*>(GetDocument());
    m_list->clear();
    if (!document)
        return;
    // The events come with the window's graph load; a document of no other
    // view has them loaded here.
    CArchivNavigator& navigator = document->Navigator();
    if (navigator.GetMode() != archive::kModeList)
        navigator.EnsureMode(archive::kModeGraph);
    for (const CArchivEventItem& item : navigator.Events()) {
        if (!IsTextEvent(item.type))
            continue;
        const QString time = platform::CTime(static_cast<std::int64_t>(item.time))
                                 .Format(QStringLiteral("%d.%m.%Y %H:%M:%S"));
        QByteArray text = item.data;
        if (const qsizetype end = text.indexOf('\0'); end >= 0)
            text.truncate(end);
        new QTreeWidgetItem(m_list, {time, platform::FromCp1250(text)});
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->scrollToItem(m_list->topLevelItem(m_list->topLevelItemCount() - 1));
}
