// The archive store in a PostgreSQL database (the only place that speaks libpq).
#pragma once
#include <memory>
#include <string>

#include "store/ArchiveStore.h"

namespace zul {

// True for what names a PostgreSQL database rather than a file: a
// "postgresql://" (or "postgres://") URI or a key=value connection string
// ("host=/run/postgresql dbname=zul").
bool IsPostgresLocation(const std::string& location);

// Connects and creates the schema when the database has none; null with `why`
// when that fails or when the database's schema is newer than this program's.
std::unique_ptr<ArchiveStore> OpenPostgresStore(const std::string& location, std::string& why);

}  // namespace zul
