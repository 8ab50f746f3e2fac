#pragma once

#include "archive/store/ArchivStorage.h"

#include <functional>

namespace cfb {
class CompoundFile;
}

namespace archive {

// Compound files through platform/cfb: version 3, exclusive while open.
// `prepare` sees each file as it is opened or created (tests make its
// writes fail there).
std::shared_ptr<StorageProvider> CreateCfbStorageProvider(std::function<void(cfb::CompoundFile&)> prepare = {});

// A read-only view of a file: not a byte of it changes, also when it closes
// (a writable open tidies the file on closing). Writing through it fails.
std::shared_ptr<Storage> OpenCfbReadOnly(const QString& path, StorageStatus* status = nullptr);

} // namespace archive
