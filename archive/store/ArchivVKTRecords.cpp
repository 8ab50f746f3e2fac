#include "archive/store/ArchivVKTRecords.h"

#include <utility>

namespace archive {

void CVKTRecordDecoder::Observe(const CArchivRecord& r)
{
    if (r.type == kRecordStatus && r.data.size() >= CVKTStatus::kImageSize) {
        m_status.emplace();
        m_status->FromRaw(reinterpret_cast<const BYTE*>(r.data.constData()));
    }
}

bool CVKTRecordDecoder::Decode(const CArchivRecord& r)
{
    const BYTE* data = reinterpret_cast<const BYTE*>(r.data.constData());
    const int size = int(r.data.size());
    CAktData decoded;
    bool ok = false;
    if (r.type == kRecordFull) {
        ok = decoded.UnpackNoHarmonics(data, size, true) > 0;
    } else if (r.type == kRecordChanged) {
        decoded = m_values;
        ok = m_baseValid && decoded.UnpackNoHarmonics(data, size, false) > 0;
    } else if (r.type == kRecordVKT && m_status) {
        decoded.SetArchiveLayout(*m_status);
        ok = decoded.UnpackNoHarmonics(data, size, true) > 0;
    }
    m_values = ok ? std::move(decoded) : CAktData();
    m_baseValid = ok && !m_values.IsDescribed();
    return ok;
}

} // namespace archive
