// `zul collect` and `zul store list|check|export`, run as programs against the
// simulated controller over loopback TCP: the second collection reads only what
// the simulator's archive grew by, a collection killed at random moments and
// resumed loses and doubles nothing, a record with a bad check is replaced by an
// intact copy, and an export equals the direct read of the same period.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

// The bytes of a file the program writes, its built moment (header bytes 873..878) blanked.
std::string WithoutBuiltMoment(std::string bytes) {
    if (bytes.size() >= 879) bytes.replace(873, 6, 6, '\0');
    return bytes;
}

class ZulStore : public ::testing::Test {
protected:
    void Start(int spanDays, double corrupt = 0) {
        sim::SimSettings s = StoppedAt(12, 0, 0);
        s.spanDays = spanDays;
        s.corruptFraction = corrupt;
        sim = std::make_unique<sim::Qrtsim>(s);
        ASSERT_TRUE(sim->StartTcp());
        tcp = TcpAddress(*sim);
        dir = fs::temp_directory_path() / ("zul-store-" + std::to_string(getpid()));
        fs::create_directories(dir);
        setenv("ZUL_HOME", dir.c_str(), 1);
        store = (dir / "s.sqlite").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::vector<std::string> Link(std::vector<std::string> args) const {
        std::vector<std::string> all = {"--tcp", tcp, "--send-pause-ms", "0", "--reply-timeout-ms", "1000"};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
    RunResult Zul(std::vector<std::string> args) { return RunProgram(ZUL_BIN, Link(std::move(args)), 60000); }
    RunResult Local(std::vector<std::string> args) { return RunProgram(ZUL_BIN, args); }
    // KIND -> {NEW, HELD, FIRST, LAST} of a collection's output.
    static std::map<std::string, std::vector<std::string>> Kinds(const std::string& out) {
        std::map<std::string, std::vector<std::string>> m;
        for (const std::string& line : Lines(out)) {
            std::vector<std::string> cells;
            size_t from = 0;
            for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
                cells.push_back(line.substr(from, tab - from));
            cells.push_back(line.substr(from));
            if (cells.size() == 5) m[cells[0]] = {cells[1], cells[2], cells[3], cells[4]};
        }
        return m;
    }
    std::string Mac() {
        RunResult r = Local({"store", "list", "--store", store});
        return r.out.substr(0, r.out.find('\t'));
    }
    std::unique_ptr<sim::Qrtsim> sim;
    std::string tcp, store;
    fs::path dir;
};

TEST_F(ZulStore, SecondCollectionReadsOnlyWhatTheArchiveGrewBy) {
    Start(2);
    RunResult first = Zul({"collect", "--store", store});
    ASSERT_EQ(first.status, 0) << first.err;
    auto lines = Lines(first.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("controller\t", 0), 0u) << lines[0];
    auto a = Kinds(first.out);
    // Two days of 3-minute measurements, both ends of the window included.
    ASSERT_EQ(a.count("meas"), 1u);
    EXPECT_EQ(a["meas"][0], "961");
    EXPECT_EQ(a["meas"][1], "961");
    EXPECT_EQ(a["meas"][3], "2024-03-15 12:00:00");
    for (const char* k : {"diag", "interv", "meas", "hour", "day", "clb"}) {
        ASSERT_EQ(a.count(k), 1u) << k;
        EXPECT_EQ(a[k][0], a[k][1]) << k << ": a first collection adds all it holds";
        EXPECT_NE(a[k][1], "0") << k;
    }
    EXPECT_EQ(a.count("wmeas"), 0u) << "no moisture meter connected";

    // Nothing new: no record added, and few exchanges for all kinds together.
    const uint64_t before = sim->stats().repliesSent;
    RunResult same = Zul({"collect", "--store", store});
    ASSERT_EQ(same.status, 0) << same.err;
    EXPECT_LE(sim->stats().repliesSent - before, 20u);
    auto b = Kinds(same.out);
    for (auto& [k, cells] : b) {
        EXPECT_EQ(cells[0], "0") << k;
        EXPECT_EQ(cells[1], a[k][1]) << k;
    }

    // Three hours later: 60 measurements, 3 hours, and the read starts after the last held.
    sim->SetClock(sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 15, 0, 0)));
    RunResult grown = Zul({"collect", "--store", store, "--kinds", "meas,hour"});
    ASSERT_EQ(grown.status, 0) << grown.err;
    auto c = Kinds(grown.out);
    EXPECT_EQ(c["meas"][0], "60");
    EXPECT_EQ(c["meas"][1], "1021");
    EXPECT_EQ(c["meas"][3], "2024-03-15 15:00:00");
    EXPECT_EQ(c["hour"][0], "3");
    EXPECT_EQ(c.size(), 2u);

    RunResult list = Local({"store", "list", "--store", store});
    ASSERT_EQ(list.status, 0) << list.err;
    bool seen = false;
    for (const std::string& l : Lines(list.out))
        if (l.find("\tmeas\t") != std::string::npos) {
            EXPECT_NE(l.find("\tmeas\t1021\t2024-03-13 12:00:00\t2024-03-15 15:00:00\t0"), std::string::npos) << l;
            seen = true;
        }
    EXPECT_TRUE(seen) << list.out;
}

TEST_F(ZulStore, ExportEqualsTheDirectReadOfThePeriod) {
    Start(3);
    ASSERT_EQ(Zul({"collect", "--store", store}).status, 0);
    const std::string mac = Mac();
    ASSERT_EQ(mac.size(), 17u);
    struct Case {
        const char* kind;
        std::vector<std::string> direct;  // the read of the same period
        const char* from;
        const char* to;
        const char* ext;
    } cases[] = {
        {"meas", {"archive", "meas", "--period", "2024-03-13 10:00:00", "2024-03-14 10:00:00"}, "2024-03-13 10:00:00",
         "2024-03-14 10:00:00", ".mch"},
        {"hour", {"archive", "hour", "--from", "2024-03-13 10", "--to", "2024-03-14 10"}, "2024-03-13 10",
         "2024-03-14 10", ".hch"},
        {"day", {"archive", "day", "--from", "2024-03-13", "--to", "2024-03-14"}, "2024-03-13", "2024-03-14", ".dch"},
        {"clb", {"archive", "clb", "--period", "2024-03-12 00:00:00", "2024-03-15 12:00:00"}, "2024-03-12 00:00:00",
         "2024-03-15 12:00:00", ".clb"},
        {"diag", {"events", "diag", "--period", "2024-03-12 13:00:00", "2024-03-15 11:00:00"}, "2024-03-12 13:00:00",
         "2024-03-15 11:00:00", ".ala"},
        {"interv", {"events", "interv", "--period", "2024-03-12 00:00:00", "2024-03-15 12:00:00"},
         "2024-03-12 00:00:00", "2024-03-15 12:00:00", ".aud"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        auto direct = c.direct;
        direct.insert(direct.end(), {"-o", (dir / "direct").string()});
        RunResult d = Zul(direct);
        ASSERT_EQ(d.status, 0) << d.err;
        RunResult e = Local({"store", "export", mac, c.kind, "--period", c.from, c.to, "-o", (dir / "stored").string(),
                             "--store", store});
        ASSERT_EQ(e.status, 0) << e.err;
        const std::string a = ReadWholeFile((dir / ("direct" + std::string(c.ext))).string());
        const std::string b = ReadWholeFile((dir / ("stored" + std::string(c.ext))).string());
        ASSERT_GT(a.size(), 905u);
        EXPECT_EQ(WithoutBuiltMoment(a), WithoutBuiltMoment(b));
        // The program's own readers take it as any other file.
        RunResult shown = Local({"show", (dir / ("stored" + std::string(c.ext))).string()});
        EXPECT_EQ(shown.status, 0) << shown.err;
        fs::remove(dir / ("direct" + std::string(c.ext)));
        fs::remove(dir / ("stored" + std::string(c.ext)));
    }
    // Refusals: a period the store holds nothing of, an unknown controller, bad usage.
    struct Refusal {
        std::vector<std::string> args;
        int status;
        const char* err;
    } refusals[] = {
        {{"store", "export", mac, "meas", "--period", "2023-01-01 00:00:00", "2023-01-02 00:00:00", "-o", "x"}, 1,
         "Нет данных за указанный период"},
        {{"store", "export", "00:00:00:00:00:01", "meas", "--period", "2024-03-13 00:00:00", "2024-03-14 00:00:00", "-o",
          "x"},
         1, "no controller 00:00:00:00:00:01"},
        {{"store", "export", mac, "hours", "--period", "2024-03-13 00:00:00", "2024-03-14 00:00:00", "-o", "x"}, 2,
         "unknown kind"},
        {{"store", "export", mac, "meas", "--period", "2024-03-13 00", "2024-03-14 00", "-o", "x"}, 2, "dates as"},
        {{"store", "sweep"}, 2, "list, check or export"},
    };
    for (const Refusal& r : refusals) {
        auto args = r.args;
        args.insert(args.end(), {"--store", store});
        RunResult got = Local(args);
        EXPECT_EQ(got.status, r.status) << got.err;
        EXPECT_NE(got.err.find(r.err), std::string::npos) << got.err;
        EXPECT_FALSE(fs::exists(dir / "x.mch"));
    }
    RunResult badKinds = Zul({"collect", "--store", store, "--kinds", "meas,weekly"});
    EXPECT_EQ(badKinds.status, 2);
}

TEST_F(ZulStore, KilledCollectionsResumeWithoutLossOrDoubles) {
    Start(8);
    std::random_device rd;
    const unsigned seed = rd();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pause(20, 900);
    for (int kill = 0; kill < 4; ++kill) {
        Process p(ZUL_BIN, Link({"collect", "--store", store, "--kinds", "meas,diag,hour"}));
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        p.Signal(SIGKILL);
        p.Wait(10000);
    }
    RunResult last = Zul({"collect", "--store", store, "--kinds", "meas,diag,hour"});
    ASSERT_EQ(last.status, 0) << last.err;
    auto k = Kinds(last.out);
    EXPECT_EQ(k["meas"][1], std::to_string(8 * 480 + 1));
    EXPECT_EQ(k["hour"][1], std::to_string(8 * 24));
    uint32_t firstIndex = 0;
    const size_t diagnostics = sim->Diagnostics(&firstIndex).size();
    EXPECT_EQ(k["diag"][1], std::to_string(diagnostics));
    EXPECT_EQ(k["diag"][2], std::to_string(firstIndex));
    // Nothing missing and nothing twice: the whole window exported equals its direct read.
    RunResult d = Zul({"archive", "meas", "--period", "2024-03-07 12:00:00", "2024-03-15 12:00:00", "-o",
                       (dir / "direct").string()});
    ASSERT_EQ(d.status, 0) << d.err;
    RunResult e = Local({"store", "export", Mac(), "meas", "--period", "2024-03-07 12:00:00", "2024-03-15 12:00:00",
                         "-o", (dir / "stored").string(), "--store", store});
    ASSERT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(WithoutBuiltMoment(ReadWholeFile((dir / "direct.mch").string())),
              WithoutBuiltMoment(ReadWholeFile((dir / "stored.mch").string())));
    RunResult check = Local({"store", "check", "--store", store});
    EXPECT_NE(check.out.find("\tmeas\nexpected: 3841\nreceived: 3841\ninvalid: 0\ngaps: 0\n"), std::string::npos)
        << check.out;
}

TEST_F(ZulStore, ARecordWithABadCheckIsReplacedByAnIntactCopy) {
    Start(2, 0.05);
    RunResult first = Zul({"collect", "--store", store, "--kinds", "meas", "--since", "2024-03-15 06:00:00"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(Kinds(first.out)["meas"][1], "121");
    RunResult check = Local({"store", "check", "--store", store});
    EXPECT_EQ(check.status, 1);
    const auto bad = check.out.find("invalid: ");
    ASSERT_NE(bad, std::string::npos) << check.out;
    const int invalid = std::stoi(check.out.substr(bad + 9));
    ASSERT_GT(invalid, 0) << "the seed gives some damaged records among 121";

    // The controller now sends them intact: each later collection mends three of
    // them (its share of asking again), adding nothing.
    sim->WithController([](sim::SimController& c) { c.archives().corruptFraction = 0; });
    for (int left = invalid; left > 0; left -= 3) {
        RunResult again = Zul({"collect", "--store", store, "--kinds", "meas"});
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(Kinds(again.out)["meas"][0], "0");
        EXPECT_EQ(Kinds(again.out)["meas"][1], "121");
        RunResult now = Local({"store", "check", "--store", store});
        EXPECT_NE(now.out.find("invalid: " + std::to_string(std::max(left - 3, 0)) + "\n"), std::string::npos)
            << now.out;
    }
    RunResult mended = Local({"store", "check", "--store", store});
    EXPECT_EQ(mended.status, 0) << mended.out;
    EXPECT_NE(mended.out.find("invalid: 0\ngaps: 0"), std::string::npos) << mended.out;
}

}  // namespace
}  // namespace zul::test
