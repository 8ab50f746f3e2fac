#pragma once

#include "platform/ui/Document.h"

class QTreeWidget;

// The plain view of an archive document: the events of the records in the
// document's window (time and text), newest last. Families without windows
// of their own show their archives in it.
class CArchivEventsView : public ui::CView {
    Q_OBJECT
public:
    explicit CArchivEventsView(QWidget* parent = nullptr);

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;

    QTreeWidget* List() const { return m_list; }

private:
    QTreeWidget* m_list;
};
