// The archive store in one SQLite file (the only place that speaks SQLite).
#pragma once
#include <memory>
#include <string>

#include "store/ArchiveStore.h"

namespace zul {

// Opens the file, creating it and its schema when missing; null with `why` when
// that fails or when the file's schema is newer than this program's.
std::unique_ptr<ArchiveStore> OpenSqliteStore(const std::string& path, std::string& why);

}  // namespace zul
