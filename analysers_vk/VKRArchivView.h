#pragma once

#include "analysers_vk/VKArchivModes.h"
#include "analysers_vk/VKR01View.h"
#include "analysers_vk/VKRArchivViewRecord.h"

#include <QPointer>

#include <cstdint>
#include <memory>

class CVKRArchivData;
class CVKRArchivDoc;
class CVKRStatPanel;

namespace charts {
template <class Family, class Columns>
class TArchiveValueList;
struct VKRCsvColumns;
} // namespace charts

namespace ui {
class CDocManager;
}

namespace analysers_vk {

// The view of an opened VKR archive: the VKR form view without the front
// panel, whose graph pane shows the archive's window as a time graph, a
// record list or statistics under the range bar. Its panes, placement, tab
// and statistics settings are kept in the archive file itself.
class CVKRArchivView : public CVKR01View {
    Q_OBJECT
public:
    using ValueList = charts::TArchiveValueList<CVKRArchivData, charts::VKRCsvColumns>;

    explicit CVKRArchivView(QWidget* parent = nullptr);
    ~CVKRArchivView() override;

    CVKRArchivDoc* GetDocument() const;
    CVKArchivModes& Modes() { return *m_modes; }
    int Mode() const { return m_modes->Mode(); }
    ValueList* List() const { return m_list; }
    CVKRStatPanel* Stats() const { return m_stats; }
    bool Initialised() const { return m_initialised != 0; }

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;

    // The record this view writes into the archive when it closes.
    CVKRArchivViewRecord StateRecord() const;
    void ApplyStateRecord(const CVKRArchivViewRecord& record);
    // Reads and writes section 1 of the archive's settings stream; false
    // when the archive has no such record or it cannot be written.
    bool RestoreState();
    bool SaveState();

protected:
    void OnQuantitiesChanged() override;
    void RefillAlarmList() override;
    void PlaceGraph(const QRect& rect, bool show) override;
    void OnGraphChanged() override;
    void hideEvent(QHideEvent* event) override;

private:
    CVKRArchivData* Data() const;
    void OnFirstRefresh();
    void TakeGraphQuantities();
    void OnWindowMoved();
    void OnSetWindow();
    void OnRefill(int mode);
    void OnPrint();
    void OnExport();
    void RememberFrame();
    void Close();

    ValueList* m_list = nullptr;
    CVKRStatPanel* m_stats = nullptr;
    std::unique_ptr<CVKArchivModes> m_modes;
    QPointer<CVKRArchivDoc> m_document;
    QRect m_graphPane;
    bool m_graphPaneShown = false;
    bool m_saved = false;
    QRect m_frameNormal;
    int m_frameShow = 1;
};

// The VKR archive template (".vkr" files, document string of CVKRArchivDoc)
// with this view.
void AddVKRArchivTemplate(ui::CDocManager& manager);

} // namespace analysers_vk
