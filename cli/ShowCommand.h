// `zul show FILE`: an archive or event file printed as its viewer shows it.
#pragma once
#include <string>
#include <vector>

#include "tables/ArchiveFile.h"

namespace zul::cli {

extern const char* const kShowHelp;
int RunShowCommand(const std::vector<std::string>& args);
// The open failure or the refusal of an event file on stderr; true when it was read.
bool Readable(ArchiveFileStatus status, const std::string& path, const char* refusal2);

}  // namespace zul::cli
