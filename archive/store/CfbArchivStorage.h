#pragma once

#include "archive/store/ArchivStorage.h"

namespace archive {

// Compound files through platform/cfb: version 3, exclusive while open.
std::shared_ptr<StorageProvider> CreateCfbStorageProvider();

// A read-only view of a file: not a byte of it changes, also when it closes
// (a writable open tidies the file on closing). Writing through it fails.
std::shared_ptr<Storage> OpenCfbReadOnly(const QString& path, StorageStatus* status = nullptr);

} // namespace archive
