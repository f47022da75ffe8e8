// `zul collect --subscribers ethernet|direct|phone [--jobs N]`: the collection of
// `zul collect` from every subscriber of the program's list of that kind, each on
// its own engine, link, store connection and scratch folder. Ethernet
// subscribers go up to N at once; the direct line and the modem one at a time.
// On stdout, in the list's order, each subscriber's block:
//   subscriber<TAB>NAME<TAB>ok                     or
//   subscriber<TAB>NAME<TAB>failed<TAB>MESSAGE
// followed by its collect lines; one failure never stops the rest. On stderr the
// progress (only on a terminal) and a summary at the end. Exit 0 when every
// subscriber was collected, 1 otherwise, 2 bad usage.
#pragma once
#include <string>
#include <vector>

#include "cli/LinkOptions.h"
#include "cli/StoreCommand.h"

namespace zul {
struct LinkSettings;
}

namespace zul::cli {

// One subscriber: its name (UTF-8) and the link options that reach it.
struct Subscriber {
    std::string name;
    Options link;
};

// The subscribers of `kind` in the program's settings, their link options filled
// from the kind's link settings; the link timings given on the command line
// (`given`: reply and inter-byte waits, send pause, connection wait) and its
// --serial or --modem device take precedence.
std::vector<Subscriber> SubscribersOfKind(const LinkSettings& settings, const std::string& kind, const Options& given);

int RunSubscriberCollect(const Options& given, const std::vector<std::string>& args);

}  // namespace zul::cli
