#include "archive/store/ArchivStream.h"

std::int64_t CArchivStream::Read(void* data, std::int64_t size)
{
    const std::int64_t got = m_stream->ReadAt(std::uint64_t(m_position), data, size);
    if (got > 0)
        m_position += got;
    return got;
}

std::int64_t CArchivStream::Write(const void* data, std::int64_t size)
{
    if (!m_stream->WriteAt(std::uint64_t(m_position), data, size))
        return -1;
    m_position += size;
    return size;
}

bool CArchivStream::Seek(std::int64_t offset, Origin origin)
{
    std::int64_t base = 0;
    if (origin == Current) {
        base = m_position;
    } else if (origin == End) {
        base = GetSize();
        if (base < 0)
            return false;
    }
    if (base + offset < 0)
        return false;
    m_position = base + offset;
    return true;
}

std::int64_t CArchivStream::GetSize()
{
    return m_stream->Size();
}

bool CArchivStream::SetSize(std::uint64_t size)
{
    return m_stream->SetSize(size);
}
