#pragma once

#include "analysers_vk/VK01View.h"
#include "analysers_vk/VKArchivViewBase.h"
#include "analysers_vk/VKArchivViewRecord.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "charts/StatPanel.h"

namespace ui {
class CDocManager;
}

namespace analysers_vk {

using CVKArchivViewBase = TVKArchivView<CVK01View, CVKArchivDoc,
                                        charts::CVKValueList,
                                        CVKStatPanel, CVKArchivViewRecord>;

// The view of an opened VK archive (its record: the values panel's three
// tabs and the VK statistics settings).
class CVKArchivView : public CVKArchivViewBase {
    Q_OBJECT
public:
    explicit CVKArchivView(QWidget* parent = nullptr);
    ~CVKArchivView() override;

    bool ZoomAllowed() const override { return Modes().Ready(); }

protected:
    void OnViewCreated() override;
    void FillRecord(CVKArchivViewRecord& record) const override;
    void ApplyRecord(const CVKArchivViewRecord& record) override;
    void TakeGraphQuantities() override;
    void OnQuantitiesTaken() override;
    void OnGraphChanged() override;
};

// The VK archive template (".vk" files, document string of CVKArchivDoc)
// with this view.
void AddVKArchivTemplate(ui::CDocManager& manager);

} // namespace analysers_vk
