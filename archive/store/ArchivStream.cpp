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

std::int64_t CArchivStream::Seek(std::int64_t offset, Origin origin)
{
    std::int64_t base = 0;
    if (origin == FromCurrent) {
        base = m_position;
    } else if (origin == FromEnd) {
        base = GetSize();
        if (base < 0)
            return -1;
    }
    if (base + offset < 0)
        return -1;
    m_position = base + offset;
    return m_position;
}

std::int64_t CArchivStream::GetSize()
{
    return m_stream->Size();
}

BOOL CArchivStream::SetSize(std::int64_t size)
{
    return size >= 0 && m_stream->SetSize(std::uint64_t(size)) ? TRUE : FALSE;
}
