#pragma once

#include "archive/store/ArchivStorage.h"

namespace archive {

// Compound files through platform/cfb: version 3, exclusive while open.
std::shared_ptr<StorageProvider> CreateCfbStorageProvider();

} // namespace archive
