#pragma once

#include "analysers_vk/VKArchivViewBase.h"
#include "analysers_vkt/VKT01View.h"
#include "analysers_vkt/VKTArchivViewRecord.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/VKTArchivData.h"
#include "charts/StatPanel.h"

namespace ui {
class CDocManager;
}

namespace analysers_vkt {

using CVKTArchivViewBase = analysers_vk::TVKArchivView<CVKT01View, CVKTArchivDoc, charts::CVKTValueList,
                                                       CVKTStatPanel, CVKTArchivViewRecord>;

// The view of an opened VKT archive (its record: the values' three tabs and
// the VKT statistics settings). Its values follow the graph's off-line
// choice of the kind of values.
class CVKTArchivView : public CVKTArchivViewBase {
    Q_OBJECT
public:
    explicit CVKTArchivView(QWidget* parent = nullptr);
    ~CVKTArchivView() override;

protected:
    void FillRecord(CVKTArchivViewRecord& record) const override;
    void ApplyRecord(const CVKTArchivViewRecord& record) override;
    void TakeGraphQuantities() override;
    void OnQuantitiesTaken() override;
    void OnGraphChanged() override;
    void RedrawGraph() override;
    void OnReady(bool ready) override;
};

// The VKT archive template (".vkt" files) with this view.
void AddVKTArchivTemplate(ui::CDocManager& manager);

} // namespace analysers_vkt
