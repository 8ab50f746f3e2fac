#pragma once

#include "analysers_vkt/VKT01View.h"
#include "analysers_vkt/VKTArchivViewRecord.h"
#include "archive/store/VKTArchivData.h"

#include <QPointer>

#include <cstdint>
#include <memory>

class CVKTArchivDoc;
class CVKTStatPanel;

namespace analysers_vk {
class CVKArchivModes;
}

namespace charts {
template <class Family, class Columns>
class TArchiveValueList;
} // namespace charts

namespace ui {
class CDocManager;
}

namespace analysers_vkt {

// The view of an opened VKT archive: the VKT form view without the front
// panel, whose graph pane shows the archive's window as a time graph, a
// record list or statistics under the range bar. Its panes, placement, tabs
// and statistics settings are kept in the archive file itself.
class CVKTArchivView : public CVKT01View {
    Q_OBJECT
public:
    using ValueList = charts::TArchiveValueList<CVKTArchivData, CVKTArchivData::Selection>;

    explicit CVKTArchivView(QWidget* parent = nullptr);
    ~CVKTArchivView() override;

    CVKTArchivDoc* GetDocument() const;
    analysers_vk::CVKArchivModes& Modes() { return *m_modes; }
    int Mode() const;
    ValueList* List() const { return m_list; }
    CVKTStatPanel* Stats() const { return m_stats; }
    bool Initialised() const { return m_initialised != 0; }

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;

    CVKTArchivViewRecord StateRecord() const;
    void ApplyStateRecord(const CVKTArchivViewRecord& record);
    // Section 1 of the archive's settings stream; false without a record or
    // when it cannot be written.
    bool RestoreState();
    bool SaveState();

protected:
    void OnFirstRefresh() override;
    void OnQuantitiesChanged() override;
    void RefillAlarmList() override;
    void PlaceGraph(const QRect& rect, bool show) override;
    void hideEvent(QHideEvent* event) override;

private:
    CVKTArchivData* Data() const;
    void TakeGraphQuantities();
    void OnGraphChanged();
    void OnWindowMoved();
    void OnSetWindow();
    void OnRefill(int mode);
    void OnPrint();
    void OnExport();
    void RememberFrame();
    void Close();

    ValueList* m_list = nullptr;
    CVKTStatPanel* m_stats = nullptr;
    std::unique_ptr<analysers_vk::CVKArchivModes> m_modes;
    QPointer<CVKTArchivDoc> m_document;
    QRect m_graphPane;
    bool m_graphPaneShown = false;
    bool m_saved = false;
    QRect m_frameNormal;
    int m_frameShow = 1;
};

// The VKT archive template (".vkt" files) with this view.
void AddVKTArchivTemplate(ui::CDocManager& manager);

} // namespace analysers_vkt
