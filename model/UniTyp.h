#pragma once

#include "model/PrevodTyp.h"

#include <vector>

// A block of n items of s bytes each, as raw as the instrument sent it
// (archive blocks, profile minutes). Download files carry one per chunk and an
// empty one at the end.
class CUniTyp : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CUniTyp)
public:
    CUniTyp() = default;
    CUniTyp(const CUniTyp&) = default;
    CUniTyp& operator=(const CUniTyp&) = default;
    ~CUniTyp() override = default;

    void Serialize(SerialArchive& ar) override;

    // Replaces the buffer with n zeroed items of s bytes; with n or s zero the
    // block is empty (count 0).
    void SetSize(DWORD n, DWORD s);

    DWORD GetCount() const { return m_count; }
    DWORD GetItemSize() const { return m_itemSize; }
    BYTE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
    const BYTE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    // Item i (below GetCount()).
    BYTE* GetItem(DWORD i) { return m_data.data() + std::size_t(i) * m_itemSize; }
    const BYTE* GetItem(DWORD i) const { return m_data.data() + std::size_t(i) * m_itemSize; }

private:
    DWORD m_count = 0;
    DWORD m_itemSize = 0;
    std::vector<BYTE> m_data;
};
