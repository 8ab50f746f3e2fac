#include "model/UniTyp.h"

QORIN_IMPLEMENT_SERIAL(CUniTyp, &CPrevodTyp::classCPrevodTyp, 1)

void CUniTyp::SetSize(DWORD n, DWORD s)
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_itemSize = s;
    if (n != 0 && s != 0) {
        m_count = n;
        m_data.assign(std::size_t(n) * s, 0);
    } else {
        m_count = 0;
    }
}

void CUniTyp::Serialize(SerialArchive& ar)
{
    if (!ar.IsLoading()) {
        ar << m_count << m_itemSize;
        if (!m_data.empty())
            ar.Write(m_data.data(), qsizetype(m_data.size()));
        return;
    }
    DWORD n = 0;
    DWORD s = 0;
    ar >> n >> s;
    CUniTyp tmp;
    if (n != 0 && s != 0) {
        // A damaged count must not make us allocate more than the file holds.
        const std::uint64_t size = std::uint64_t(n) * s;
        if (size > std::uint64_t(ar.Remaining()))
            ar.Fail(platform::ArchiveError::EndOfFile, "generic block longer than the file");
        tmp.SetSize(n, s);
        ar.ReadExact(tmp.m_data.data(), qsizetype(size));
    } else {
        tmp.SetSize(0, s);
    }
    *this = std::move(tmp);
}
