// `zul collect` and `zul store list|check|export`: the archive store from the
// shell, through the same collector, file builder and completeness rules as the window.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/ArchiveStore.h"
#include "tables/Dtfun.h"

namespace zul {
class TableIo;
class UserInterface;
}

namespace zul::cli {

class TerminalUi;

// What `zul collect` was asked.
struct CollectRequest {
    std::string location;            // --store ("" the default file)
    std::vector<ArchiveKind> kinds;  // --kinds (empty: every kind the controller has)
    bool sinceSet = false;
    PackedDateTime since{};
    std::string subscribers;         // --subscribers ethernet|direct|phone ("" without)
    long jobs = 1;                   // --jobs
};
// The arguments of collect; false with what is wrong in `why`.
bool ParseCollectArgs(const std::vector<std::string>& args, CollectRequest& out, std::string& why);

struct CollectOutcome {
    bool ok = false;       // identified and every kind collected
    bool stopped = false;  // Ctrl+C
    long long added = 0;   // records added
};
// Identifies the controller on `io`, reads its base tables and collects the kinds
// asked into `store`, the reads' scratch files in `scratchFolder`; each output
// line (without its line end) goes to `line` as soon as it is known.
CollectOutcome CollectController(TableIo& io, UserInterface& ui, ArchiveStore& store, const CollectRequest& request,
                                 const std::string& scratchFolder, const std::function<void(const std::string&)>& line);
// The store of --store (or the default file); null after telling why on stderr.
std::unique_ptr<ArchiveStore> OpenStore(const std::string& location);
// The program folder of this run (ends in '/').
std::string ProgramFolderOfRun();

extern const char* const kCollectHelp;
extern const char* const kStoreHelp;
// With `argumentsOnly` the arguments are checked (usage: 2) and nothing else is done (0).
int RunCollectCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly = false);
int RunStoreCommand(const std::vector<std::string>& args);

}  // namespace zul::cli
