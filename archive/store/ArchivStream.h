#pragma once

#include "archive/store/ArchivStorage.h"
#include "model/StreamHelpers.h"

#include <memory>

// A stream of an archive file with a position, as the settings sections and
// the meter index read and write it. Releasing it (destroying the object)
// releases the stream.
class CArchivStream : public ISeekableByteStream {
public:
    explicit CArchivStream(std::unique_ptr<archive::StorageStream> stream) : m_stream(std::move(stream)) {}

    std::int64_t Read(void* data, std::int64_t size) override;
    std::int64_t Write(const void* data, std::int64_t size) override;

    // The new position; negative (position unchanged) for a position before
    // the start or a stream whose size cannot be read.
    std::int64_t Seek(std::int64_t offset, Origin origin) override;
    bool SeekTo(std::int64_t position) { return Seek(position, FromBegin) >= 0; }
    std::int64_t GetPosition() const { return m_position; }
    // -1 on failure.
    std::int64_t GetSize();
    // Cuts or extends the stream; the position stays.
    BOOL SetSize(std::int64_t size) override;

private:
    std::unique_ptr<archive::StorageStream> m_stream;
    std::int64_t m_position = 0;
};
