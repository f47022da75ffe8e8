#include "cli/SubscriberCollect.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "cli/TerminalUi.h"
#include "link/Comportfunctions.h"
#include "link/Rd_wr_ini.h"
#include "link/SubscriberLists.h"
#include "shell/Folders.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"
#include "tables/Conffun.h"

namespace zul::cli {

namespace {

namespace fs = std::filesystem;

volatile std::sig_atomic_t g_interrupted = 0;

// The user-interface port of one collection: the first message it is told
// becomes the subscriber's failure message; Ctrl+C stops every collection.
class SubscriberUi : public UserInterface {
public:
    bool ShowMessageBox(int, const std::string& line1, const std::string& line2) override {
        if (message.empty()) message = line2.empty() ? line1 : line1 + " " + line2;
        answerFlag = false;
        return false;
    }
    bool StopRequested() const override { return g_interrupted != 0; }
    std::string message;
};

struct Outcome {
    bool done = false, ok = false;
    std::string message;
    std::string lines;
    long long added = 0;
};

// The link settings of a kind over the options.
void ApplyParams(const LinkParams& p, Options& o) {
    o.address = p.address;
    o.baud = long(p.speed);
    o.preambles = p.preambles;
    o.attempts = std::max<long>(1, p.attempts);
    o.replyTimeoutMs = long(p.replyWaitSeconds) * 1000;
    o.interByteMs = long(p.interByteTimeoutMs);
}

// Timings given on the command line win over the stored ones.
void ApplyGiven(const Options& given, Options& o) {
    if (given.replyTimeoutMs >= 0) o.replyTimeoutMs = given.replyTimeoutMs;
    if (given.interByteMs >= 0) o.interByteMs = given.interByteMs;
    if (given.sendPauseMs >= 0) o.sendPauseMs = given.sendPauseMs;
    if (given.connectWaitS >= 0) o.connectWaitS = given.connectWaitS;
}

// Collects from one subscriber on its own engine and link.
void CollectOne(const Subscriber& s, ArchiveStore& store, const CollectRequest& request,
                const std::string& scratchFolder, Outcome& out) {
    SubscriberUi ui;
    Qrtbox box(uint8_t(s.link.address));
    box.ui = &ui;
    std::string portWhy;
    if (!OpenLink(s.link, box, ui, &portWhy)) {
        out.message = !ui.message.empty() ? ui.message : portWhy;
        return;
    }
    TableImage image;
    TableIo io(box, image, ui);
    const CollectOutcome r = CollectController(io, ui, store, request, scratchFolder,
                                               [&](const std::string& l) { out.lines += l + "\n"; });
    out.ok = r.ok;
    out.added = r.added;
    if (!r.ok) out.message = !ui.message.empty() ? ui.message : box.ErrorText();
    CloseLink(box, ui);
}

class InterruptGuard {
public:
    InterruptGuard() {
        g_interrupted = 0;
        struct sigaction sa {};
        sa.sa_handler = [](int) { g_interrupted = 1; };
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

}  // namespace

std::vector<Subscriber> SubscribersOfKind(const LinkSettings& settings, const std::string& kind, const Options& given) {
    std::vector<Subscriber> list;
    if (kind == "ethernet") {
        const EthernetSettings& e = settings.ethernet;
        for (int i = 0; i < e.subscribers.count && i < kMaxSubscribers; ++i) {
            const EthernetSubscriber& entry = e.subscribers.entries[size_t(i)];
            Subscriber s;
            s.name = Cp1251ToUtf8(TextOf(entry.name));
            ApplyParams(e.params, s.link);
            s.link.tcp = IpPortText(entry);
            s.link.address = entry.address;
            s.link.sendPauseMs = e.sendPauseMs;
            s.link.connectWaitS = e.connectWait;
            ApplyGiven(given, s.link);
            list.push_back(std::move(s));
        }
    } else if (kind == "phone") {
        const TelephoneSettings& t = settings.phone;
        for (int i = 0; i < t.subscribers.count && i < kMaxSubscribers; ++i) {
            const TelephoneSubscriber& entry = t.subscribers.entries[size_t(i)];
            Subscriber s;
            s.name = Cp1251ToUtf8(TextOf(entry.name));
            ApplyParams(t.params, s.link);
            s.link.modem = given.modem.empty() ? PortDevicePath(t.params.port) : given.modem;
            s.link.phone = TextOf(entry.phone);
            s.link.modemInit = TextOf(t.modemCommand);
            s.link.address = entry.address;
            s.link.connectWaitS = t.connectWait;
            ApplyGiven(given, s.link);
            list.push_back(std::move(s));
        }
    } else if (kind == "direct") {
        // The direct line has no list: the one controller of its settings.
        Subscriber s;
        s.name = "Непосредственная связь";
        ApplyParams(settings.direct, s.link);
        s.link.serial = given.serial.empty() ? PortDevicePath(settings.direct.port) : given.serial;
        ApplyGiven(given, s.link);
        list.push_back(std::move(s));
    }
    return list;
}

int RunSubscriberCollect(const Options& given, const std::vector<std::string>& args) {
    CollectRequest request;
    std::string why;
    if (!ParseCollectArgs(args, request, why)) return CommandUsage("collect", kCollectHelp, why);
    if (request.subscribers.empty()) return CommandUsage("collect", kCollectHelp, "--subscribers expected");
    if (request.subscribers != "ethernet" && request.jobs != 1)
        return CommandUsage("collect", kCollectHelp, "--jobs: a direct line or a modem serves one controller at a time");

    const std::string folder = ProgramFolderOfRun();
    ProgramSettings settings(WorkFolderPath(folder, kFolderIni));
    settings.Load();
    const std::vector<Subscriber> list = SubscribersOfKind(settings.link, request.subscribers, given);
    // The store is made (or its schema checked) once before the collections open their own connections.
    if (!OpenStore(request.location)) return kExitLink;

    // Each collection reads into a scratch folder of its own: neither another
    // collection nor the window's reads in the program folder are touched.
    std::error_code ec;
    std::string scratchRoot = (fs::temp_directory_path(ec) / "zul-collect-XXXXXX").string();
    if (ec || !::mkdtemp(scratchRoot.data())) {
        std::fprintf(stderr, "zul: cannot make a scratch folder in %s\n", fs::temp_directory_path(ec).c_str());
        return kExitLink;
    }

    const auto started = std::chrono::steady_clock::now();
    InterruptGuard interrupts;
    std::vector<Outcome> outcomes(list.size());
    std::mutex m;
    std::condition_variable finished;
    std::atomic<size_t> next{0}, completed{0};
    const size_t workers = std::min<size_t>(list.size(), size_t(request.jobs));
    std::vector<std::thread> threads;
    std::vector<std::string> storeErrors(workers);
    for (size_t w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            const std::string scratch = scratchRoot + "/" + std::to_string(w) + "/";
            fs::create_directory(scratch);
            std::string storeWhy;
            const std::string location =
                request.location.empty() ? DefaultStorePath(folder) : request.location;
            std::unique_ptr<ArchiveStore> store = OpenArchiveStore(location, storeWhy);
            for (size_t i; (i = next++) < list.size();) {
                Outcome o;
                if (g_interrupted) o.message = "Сбор архивов в хранилище прерван";
                else if (!store) o.message = storeWhy;
                else CollectOne(list[i], *store, request, scratch, o);
                std::lock_guard<std::mutex> lock(m);
                outcomes[i] = std::move(o);
                outcomes[i].done = true;
                ++completed;
                finished.notify_one();
            }
        });
    }

    // The blocks in the list's order, each as soon as it and those before it are done.
    size_t ok = 0;
    long long added = 0;
    const bool terminal = isatty(2);
    for (size_t i = 0; i < list.size(); ++i) {
        Outcome o;
        {
            std::unique_lock<std::mutex> lock(m);
            finished.wait(lock, [&] { return outcomes[i].done; });
            o = std::move(outcomes[i]);
        }
        ok += o.ok ? 1 : 0;
        added += o.added;
        if (o.ok) std::printf("subscriber\t%s\tok\n%s", list[i].name.c_str(), o.lines.c_str());
        else std::printf("subscriber\t%s\tfailed\t%s\n%s", list[i].name.c_str(), o.message.c_str(), o.lines.c_str());
        std::fflush(stdout);
        if (terminal) std::fprintf(stderr, "\r%zu / %zu", size_t(completed), list.size());
    }
    for (std::thread& t : threads) t.join();
    fs::remove_all(scratchRoot, ec);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (terminal && !list.empty()) std::fputc('\n', stderr);
    std::fprintf(stderr, "subscribers: %zu ok, %zu failed; records added: %lld; time: %.1f s\n", ok,
                 list.size() - ok, added, seconds);
    return ok == list.size() ? kExitOk : kExitLink;
}

}  // namespace zul::cli
