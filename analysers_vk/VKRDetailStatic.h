#pragma once

#include "analysers_vk/VKRDetail.h"

class CVKRArchivData;

namespace analysers_vk {

// The VKR settings stored in an archive, shown read-only: no load, save,
// receive or send, and nothing written back. Printing stays.
class CVKRDetailStatic : public CVKRDetail {
    Q_OBJECT
public:
    explicit CVKRDetailStatic(QWidget* parent = nullptr);
    ~CVKRDetailStatic() override;

    // False when the archive holds no configuration or identification at
    // its current record.
    BOOL LoadFromArchive(const CVKRArchivData& archive);
    // The same from records at hand.
    BOOL Load(const CVKRConfig& config, const CIden& iden);
};

// Shows the settings stored in the archive; false (nothing shown) when it
// holds none.
bool ShowVKRArchiveSettings(QWidget* parent, const CVKRArchivData& archive);

} // namespace analysers_vk
