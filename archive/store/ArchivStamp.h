#pragma once

#include "platform/Time32.h"

#include <cstdint>

class CArchivFileEntry;

// The "znacka" stream: time of the last block write and a counter raised by
// each. A reader keeps the stamp it loaded and compares it with the file's to
// notice that the recorder has written since.
class CArchivStamp {
public:
    std::uint32_t changeCounter = 0;
    std::uint32_t changeTime = 0;

    // Counter + 1, time `now`, then the stream; without a file, or when the
    // stream cannot be written, the time becomes 0 (a stamp that never
    // matches).
    void Write(CArchivFileEntry* entry, platform::CTime now);
    // The file's stamp; time 0 when the stream is missing or short.
    void Read(CArchivFileEntry* entry);
    bool Matches(CArchivFileEntry* entry) const;
};
