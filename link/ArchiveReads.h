#pragma once

// Records of the analysers' own archives: `blocks` replies of `items`
// records of `itemSize` bytes from record `first` on into `target`, sized
// for them. A block read asks for each reply; a record stream asks once and
// takes the replies as they come, reading the ones it missed afterwards. The
// VKT reads name the memory area. Each readies the link first; non-zero on
// success, else 0 with the error text left in the link.
#include "link/Link.h"

class CUniTyp;

namespace commands {

BOOL ReadArchiveBlock(CLink& link, CUniTyp& target, int itemSize, int items, int blocks, DWORD first);
BOOL ReadArchiveRecords(CLink& link, CUniTyp& target, int itemSize, int items, int blocks, DWORD first);
BOOL ReadVKTArchiveBlock(CLink& link, CUniTyp& target, BYTE area, int itemSize, int items, DWORD first);
BOOL ReadVKTArchiveRecords(CLink& link, CUniTyp& target, BYTE area, int itemSize, int items, int blocks,
                           DWORD first);

} // namespace commands
