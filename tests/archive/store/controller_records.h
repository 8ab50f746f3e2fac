#pragma once

#include "archive/store/ArchivRecord.h"
#include "archive/store/ControllerRecordCodec.h"

#include <cstdint>

// Controller measurement records as the store's writer lays them out: the
// fields in order, a changed-fields record with its presence mask after them.
namespace storetest {

template <class Traits>
CArchivRecord ControllerFull(std::uint32_t t, const typename Traits::Values& v)
{
    return {t, kRecordFull,
            archive::controller::PackFull(static_cast<const typename Traits::Fields*>(&v), Traits::FieldTable())};
}

template <class Traits>
CArchivRecord ControllerChanged(std::uint32_t t, const typename Traits::Values& v,
                                const typename Traits::Values& previous)
{
    std::uint64_t mask = 0;
    QByteArray data = archive::controller::PackChanged(static_cast<const typename Traits::Fields*>(&v),
                                                       static_cast<const typename Traits::Fields*>(&previous),
                                                       Traits::FieldTable(), Traits::kChangedFieldCount, mask);
    archive::AppendU32(data, std::uint32_t(mask));
    if (Traits::kMaskBytes == 6)
        archive::controller::AppendU16(data, std::uint16_t(mask >> 32));
    return {t, kRecordChanged, data};
}

} // namespace storetest
