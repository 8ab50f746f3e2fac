#pragma once

#include "archive/store/ArchivRecord.h"
#include "model/AktData.h"
#include "model/VKTStatus.h"

#include <optional>

namespace archive {

// The VKT measurements of a record list walked in order, without harmonics:
// the program's full and changed-fields forms, and the instrument's own
// records described by the status record before them.
class CVKTRecordDecoder {
public:
    // A status record describes the instrument's records after it.
    void Observe(const CArchivRecord& r);
    // Decodes a measurement into Values(); false (values emptied) when it
    // cannot be: a change without the program's full record before it, an
    // instrument record without description, or short data.
    bool Decode(const CArchivRecord& r);
    const CAktData& Values() const { return m_values; }

private:
    std::optional<CVKTStatus> m_status;
    CAktData m_values;
    bool m_baseValid = false;
};

} // namespace archive
