// `zul collect --subscribers`, run as a program over the Ethernet subscriber list
// of a scratch program folder, the subscribers being simulated controllers on
// loopback TCP: one unreachable (a loopback port nobody serves) and one refusing
// every request stop none of the others; two collections at once into one store,
// an SQLite file or a PostgreSQL database, neither double nor lose a record.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>

#include "cli/Process.h"
#include "cli/StoppedSim.h"
#include "core/support/PgServer.h"
#include "link/Rd_wr_ini.h"
#include "shell/Folders.h"
#include "tables/Stringi.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

// A loopback port that nobody serves: bound for a moment, then let go.
uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    ::close(fd);
    return ntohs(a.sin_port);
}

// A subscriber's block of the output: its status cells and the lines that follow.
struct Block {
    std::vector<std::string> status;  // "ok" or "failed", MESSAGE
    std::vector<std::string> lines;
};
std::map<std::string, Block> Blocks(const std::string& out, std::vector<std::string>* order = nullptr) {
    std::map<std::string, Block> m;
    std::string current;
    for (const std::string& line : Lines(out)) {
        std::vector<std::string> c = Cells(line);
        if (c[0] == "subscriber" && c.size() >= 3) {
            current = c[1];
            if (order) order->push_back(current);
            m[current].status.assign(c.begin() + 2, c.end());
        } else {
            m[current].lines.push_back(line);
        }
    }
    return m;
}

class ZulSubscribers : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zul-subscribers-" + std::to_string(getpid()));
        fs::create_directories(dir);
        setenv("ZUL_HOME", dir.c_str(), 1);
        CreateWorkFolders(dir.string() + "/");
    }
    void TearDown() override { fs::remove_all(dir); }
    // A simulated controller with a day of archives and a MAC of its own.
    sim::Qrtsim& AddSim(uint32_t seed) {
        sim::SimSettings s = StoppedAt(12, 0, 0);
        s.spanDays = 1;
        s.seed = seed;
        sims.push_back(std::make_unique<sim::Qrtsim>(s));
        EXPECT_TRUE(sims.back()->StartTcp());
        return *sims.back();
    }
    // The Ethernet subscriber list, through the program's own writer.
    void WriteList(const std::vector<std::pair<std::string, uint16_t>>& subscribers) {
        ProgramSettings settings(WorkFolderPath(dir.string() + "/", kFolderIni));
        EthernetSubscriberList& list = settings.link.ethernet.subscribers;
        for (const auto& [name, port] : subscribers) {
            EthernetSubscriber& e = list.entries[list.count++];
            SetText(e.name, Utf8ToCp1251(name));
            e.address = 1;
            e.SetIpValue(0x7F000001);  // 127.0.0.1
            e.port = port;
        }
        ASSERT_TRUE(settings.WriteEthernetSubscribers(settings.EthernetSubscribersIni()));
    }
    static std::vector<std::string> Collect(const std::string& store, const std::string& jobs) {
        return {"--send-pause-ms", "0", "--reply-timeout-ms", "1000", "--connect-wait-s", "0", "collect",
                "--subscribers", "ethernet", "--jobs", jobs, "--store", store, "--kinds", "diag,meas,hour"};
    }
    fs::path dir;
    std::vector<std::unique_ptr<sim::Qrtsim>> sims;
};

TEST_F(ZulSubscribers, OneUnreachableAndOneRefusingStopNoneOfTheOthers) {
    AddSim(11);
    AddSim(12);
    sim::Qrtsim& refusing = AddSim(13);
    sim::Faults f;
    f.refuse.times = -1;
    f.refuseCode = 26;
    refusing.SetFaults(f);
    WriteList({{"1 Узел", sims[0]->tcpPort()},
               {"2 Узел", sims[1]->tcpPort()},
               {"3 отказ", refusing.tcpPort()},
               {"4 нет связи", FreePort()}});
    const std::string store = (dir / "s.sqlite").string();
    RunResult r = RunProgram(ZUL_BIN, Collect(store, "3"), 120000);
    EXPECT_EQ(r.status, 1) << r.err;
    std::vector<std::string> order;
    auto blocks = Blocks(r.out, &order);
    // In the list's order, whichever finished first.
    EXPECT_EQ(order, (std::vector<std::string>{"1 Узел", "2 Узел", "3 отказ", "4 нет связи"}));
    struct Case {
        const char* name;
        const char* status;
        const char* message;  // a part of it
        size_t lines;         // controller line and one per kind
        const char* mac;
    } cases[] = {
        {"1 Узел", "ok", "", 4, "02:5A:55:4C:00:0B"},
        {"2 Узел", "ok", "", 4, "02:5A:55:4C:00:0C"},
        {"3 отказ", "failed", "Не выполнено чтение из таблицы 0", 0, ""},
        {"4 нет связи", "failed", "Превышено время ожидания соединения", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Block& b = blocks[c.name];
        ASSERT_FALSE(b.status.empty());
        EXPECT_EQ(b.status[0], c.status);
        if (std::string(c.status) == "failed") {
            ASSERT_EQ(b.status.size(), 2u);
            EXPECT_NE(b.status[1].find(c.message), std::string::npos) << b.status[1];
        } else {
            EXPECT_EQ(b.status.size(), 1u);
        }
        ASSERT_EQ(b.lines.size(), c.lines) << r.out;
        if (c.lines) {
            EXPECT_EQ(Cells(b.lines[0])[1], c.mac);
            for (size_t i = 1; i < b.lines.size(); ++i) EXPECT_NE(Cells(b.lines[i])[1], "0") << b.lines[i];
        }
    }
    // Not a terminal: no progress, only the summary.
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("subscribers: 2 ok, 2 failed; records added: ", 0), 0u) << r.err;
    // A second round adds nothing and still reports the failures.
    RunResult again = RunProgram(ZUL_BIN, Collect(store, "2"), 120000);
    EXPECT_EQ(again.status, 1);
    for (auto& [name, b] : Blocks(again.out))
        for (size_t i = 1; i < b.lines.size(); ++i) EXPECT_EQ(Cells(b.lines[i])[1], "0") << name << ": " << b.lines[i];
    EXPECT_EQ(again.err.rfind("subscribers: 2 ok, 2 failed; records added: 0;", 0), 0u) << again.err;
}

// The direct line is the one controller of its settings; the telephone list is
// dialled one subscriber after the other, the call hung up between them.
TEST_F(ZulSubscribers, DirectLineAndModemOneAtATime) {
    {
        ProgramSettings settings(WorkFolderPath(dir.string() + "/", kFolderIni));
        TelephoneSubscriberList& list = settings.link.phone.subscribers;
        for (const char* name : {"1 Скважина", "2 Скважина"}) {
            TelephoneSubscriber& e = list.entries[list.count++];
            SetText(e.name, Utf8ToCp1251(name));
            e.address = 1;
            SetText(e.phone, std::string("8 (000) 111-22-3") + name[0]);
        }
        ASSERT_TRUE(settings.WriteTelephoneSubscribers(settings.TelephoneSubscribersIni()));
    }
    const std::string store = (dir / "s.sqlite").string();
    struct Case {
        const char* kind;
        const char* simOption;
        const char* device;  // the option naming the simulator's pseudo-terminal
        std::vector<std::string> names;
    } cases[] = {
        {"direct", "--pty", "--serial", {"Непосредственная связь"}},
        {"phone", "--modem", "--modem", {"1 Скважина", "2 Скважина"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Process sim(ZUL_BIN, {"sim", c.simOption, "--rate", "0", "--span-days", "1", "--seed", "31"});
        std::smatch m;
        const std::string first = sim.ReadLine(5000);
        ASSERT_TRUE(std::regex_match(first, m, std::regex("^pty (.+)$"))) << first;
        RunResult r = RunProgram(ZUL_BIN,
                                 {c.device, m[1].str(), "--preambles", "0", "collect", "--subscribers", c.kind,
                                  "--store", store, "--kinds", "diag"},
                                 120000);
        EXPECT_EQ(r.status, 0) << r.err << r.out;
        std::vector<std::string> order;
        auto blocks = Blocks(r.out, &order);
        EXPECT_EQ(order, c.names);
        for (const std::string& name : c.names) {
            ASSERT_EQ(blocks[name].status, std::vector<std::string>{"ok"}) << name;
            ASSERT_EQ(blocks[name].lines.size(), 2u) << r.out;
            EXPECT_EQ(Cells(blocks[name].lines[0])[1], "02:5A:55:4C:00:1F");
        }
        // The same controller each time: whatever the first call added, the next found held.
        if (c.names.size() == 2) EXPECT_EQ(Cells(blocks[c.names[1]].lines[1])[1], "0");
        sim.Signal(SIGTERM);
        EXPECT_EQ(sim.Wait(5000).status, 0);
    }
    RunResult jobs = RunProgram(ZUL_BIN, {"--modem", "/dev/null", "collect", "--subscribers", "phone", "--jobs", "2"});
    EXPECT_EQ(jobs.status, 2);
    EXPECT_NE(jobs.err.find("one controller at a time"), std::string::npos) << jobs.err;
}

// Two collections at once over the same controllers into one store, then a third
// after them: for every controller and kind the records the three added sum to
// what the store holds, and the store equals what one collection alone puts into
// a fresh one. (A controller keeps one period read per archive, so two readers of
// the same controller at once may cut each other's read short: such a collection
// keeps what arrived and says so, and the third one fetches the rest.)
TEST_F(ZulSubscribers, TwoCollectionsAtOnceNeitherDoubleNorLose) {
    for (uint32_t seed : {21, 22, 23}) AddSim(seed);
    WriteList({{"A", sims[0]->tcpPort()}, {"B", sims[1]->tcpPort()}, {"C", sims[2]->tcpPort()}});
    PgServer& pg = PgServer::Shared();
    struct Engine {
        const char* name;
        std::string shared, alone;
    };
    std::vector<Engine> engines = {{"sqlite", (dir / "shared.sqlite").string(), (dir / "alone.sqlite").string()}};
    if (pg.installed()) {
        ASSERT_TRUE(pg.running()) << pg.why();
        engines.push_back({"postgresql", pg.Uri(pg.CreateDatabase()), pg.Conninfo(pg.CreateDatabase())});
    } else {
        std::fprintf(stderr, "PostgreSQL case left out: %s\n", pg.why().c_str());
    }
    for (const Engine& e : engines) {
        SCOPED_TRACE(e.name);
        Process first(ZUL_BIN, Collect(e.shared, "2")), second(ZUL_BIN, Collect(e.shared, "3"));
        RunResult& a = first.Wait(120000);
        RunResult& b = second.Wait(120000);
        ASSERT_NE(a.status, -1);
        ASSERT_NE(b.status, -1);
        RunResult after = RunProgram(ZUL_BIN, Collect(e.shared, "3"), 120000);
        ASSERT_EQ(after.status, 0) << after.err << after.out;
        RunResult alone = RunProgram(ZUL_BIN, Collect(e.alone, "1"), 120000);
        ASSERT_EQ(alone.status, 0) << alone.err;
        auto ba = Blocks(a.out), bb = Blocks(b.out), bc = Blocks(after.out), bl = Blocks(alone.out);
        for (const char* name : {"A", "B", "C"}) {
            SCOPED_TRACE(name);
            ASSERT_EQ(bc[name].lines.size(), 4u);
            ASSERT_EQ(bl[name].lines.size(), 4u);
            for (size_t i = 1; i < 4; ++i) {
                const auto held = Cells(bc[name].lines[i]), fresh = Cells(bl[name].lines[i]);
                long added = std::stol(held[1]);
                for (auto* run : {&ba, &bb})
                    for (const std::string& line : (*run)[name].lines)
                        if (Cells(line)[0] == held[0]) added += std::stol(Cells(line)[1]);
                EXPECT_EQ(added, std::stol(held[2])) << held[0];
                EXPECT_EQ(held[2], fresh[2]) << held[0];
                EXPECT_EQ(fresh[1], fresh[2]) << held[0];
                EXPECT_GT(std::stol(fresh[2]), 0);
            }
        }
        RunResult listShared = RunProgram(ZUL_BIN, {"store", "list", "--store", e.shared});
        RunResult listAlone = RunProgram(ZUL_BIN, {"store", "list", "--store", e.alone});
        ASSERT_EQ(listShared.status, 0) << listShared.err;
        EXPECT_EQ(listShared.out, listAlone.out);
        EXPECT_EQ(Lines(listShared.out).size(), 9u) << listShared.out;
    }
}

}  // namespace
}  // namespace zul::test
