#pragma once

#include "analysers_vk/VK01View.h"
#include "analysers_vk/VKArchivModes.h"
#include "analysers_vk/VKArchivViewRecord.h"

#include <QPointer>

#include <cstdint>
#include <memory>

class CStatPanel;
class CVKArchivDoc;
class CVKArchivData;
class CVKStatPanel;

namespace charts {
template <class Family, class Columns>
class TArchiveValueList;
struct VKCsvColumns;
} // namespace charts

namespace ui {
class CDocManager;
}

namespace analysers_vk {

// The view of an opened VK archive: the VK form view without the front
// panel, whose graph pane shows the archive's window as a time graph, a
// record list or statistics under the range bar. Its panes, placement,
// tabs and statistics settings are kept in the archive file itself.
class CVKArchivView : public CVK01View {
    Q_OBJECT
public:
    using ValueList = charts::TArchiveValueList<CVKArchivData, charts::VKCsvColumns>;

    explicit CVKArchivView(QWidget* parent = nullptr);
    ~CVKArchivView() override;

    CVKArchivDoc* GetDocument() const;
    CVKArchivModes& Modes() { return *m_modes; }
    int Mode() const { return m_modes->Mode(); }
    ValueList* List() const { return m_list; }
    CVKStatPanel* Stats() const { return m_stats; }
    bool Initialised() const { return m_initialised != 0; }
    bool ZoomAllowed() const override { return m_modes->Ready(); }

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;

    // The record this view writes into the archive when it closes.
    CVKArchivViewRecord StateRecord() const;
    void ApplyStateRecord(const CVKArchivViewRecord& record);
    // Reads and writes section 1 of the archive's settings stream; false
    // when the archive has no such record or it cannot be written.
    bool RestoreState();
    bool SaveState();

protected:
    void OnFirstRefresh() override;
    void OnQuantitiesChanged() override;
    void OnViewCreated() override;
    void RefillAlarmList() override;
    void PlaceGraph(const QRect& rect, bool show) override;
    void OnGraphChanged() override;
    void hideEvent(QHideEvent* event) override;

private:
    CVKArchivData* Data() const;
    void TakeGraphQuantities();
    void OnWindowMoved();
    void OnSetWindow();
    void OnRefill(int mode);
    void OnRedraw(bool ready);
    void OnPrint();
    void OnExport();
    void RememberFrame();
    // Writes the state and lets go of the archive (once).
    void Close();

    ValueList* m_list = nullptr;
    CVKStatPanel* m_stats = nullptr;
    std::unique_ptr<CVKArchivModes> m_modes;
    QPointer<CVKArchivDoc> m_document;
    QRect m_graphPane;
    bool m_graphPaneShown = false;
    bool m_saved = false;
    QRect m_frameNormal;
    int m_frameShow = 1;
};

// The VK archive template (".vk" files, document string of CVKArchivDoc)
// with this view.
void AddVKArchivTemplate(ui::CDocManager& manager);

} // namespace analysers_vk
