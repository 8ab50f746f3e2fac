#pragma once

#include "analysers_vk/VKArchivViewBase.h"
#include "analysers_vk/VKR01View.h"
#include "analysers_vk/VKRArchivViewRecord.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "charts/StatPanel.h"

namespace ui {
class CDocManager;
}

namespace analysers_vk {

using CVKRArchivViewBase =
    TVKArchivView<CVKR01View, CVKRArchivDoc, charts::CVKRValueList, CVKRStatPanel, CVKRArchivViewRecord>;

// The view of an opened VKR archive (its record: the values dialog's tab and
// the VKR statistics settings).
class CVKRArchivView : public CVKRArchivViewBase {
    Q_OBJECT
public:
    explicit CVKRArchivView(QWidget* parent = nullptr);
    ~CVKRArchivView() override;

protected:
    void FillRecord(CVKRArchivViewRecord& record) const override;
    void ApplyRecord(const CVKRArchivViewRecord& record) override;
    void TakeGraphQuantities() override;
    void OnQuantitiesTaken() override;
    void OnGraphChanged() override;
};

// The VKR archive template (".vkr" files, document string of CVKRArchivDoc)
// with this view.
void AddVKRArchivTemplate(ui::CDocManager& manager);

} // namespace analysers_vk
