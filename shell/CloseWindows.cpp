#include "shell/CloseWindows.h"

#include "link/Pristroj.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"

#include <utility>
#include <vector>

void CloseWindowsForExit(ui::CDocManager& manager, const CDeviceRegistry::InstrumentList& devices)
{
    std::vector<std::pair<CPristroj*, BOOL>> shown;
    for (const auto& device : devices)
        shown.emplace_back(device.get(), device->m_zobrazovat);
    for (const auto& docTemplate : manager.Templates()) {
        // A document leaves its template with its last view.
        while (!docTemplate->Documents().empty()) {
            ui::CDocument* document = docTemplate->Documents().front();
            const std::vector<ui::CView*> views = document->Views();
            if (views.empty()) {
                document->OnCloseDocument();
                continue;
            }
            for (ui::CView* view : views) {
                QWidget* holder = view->GetParentFrame();
                if (!holder)
                    holder = view;
                holder->hide();
                delete holder;
            }
        }
    }
    for (const auto& [device, flag] : shown)
        device->m_zobrazovat = flag;
}
