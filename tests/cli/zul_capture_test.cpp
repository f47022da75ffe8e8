// Capture and replay as programs: what `zul --capture` records from the simulated
// controller, `qrtsim --replay` answers again, so that `identify` and an archive
// read print the same against a simulator of another seed and clock; requests the
// capture lacks are counted; damaged captures are refused with their line number.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "cli/Process.h"
#include "link/ExchangeCapture.h"
#include "link/IniFile.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Link(uint16_t port) {
    return {"--tcp", "127.0.0.1:" + std::to_string(port), "--send-pause-ms", "0", "--reply-timeout-ms", "500"};
}

std::vector<std::string> With(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ZulCapture : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zul-capture-" + std::to_string(getpid()));
        fs::create_directories(dir);
        setenv("ZUL_HOME", dir.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(ZulCapture, ReplayAnswersAsTheCapturedController) {
    const std::vector<std::vector<std::string>> commands = {
        {"identify"},
        {"archive", "meas", "--period", "2024-03-15 10:00:00", "2024-03-15 10:59:59"},
        {"archive", "hour", "--from", "2024-03-14 22", "--to", "2024-03-15 02"},
        {"--ident", "2222", "--password", "222222", "write", "6", "6", "0A"},  // the password is not captured
    };
    std::vector<RunResult> live;
    std::string merged = "zul-qrt510 capture 1\n";
    {
        sim::Qrtsim controller(StoppedAt(12, 0, 0));
        ASSERT_TRUE(controller.StartTcp());
        for (size_t i = 0; i < commands.size(); ++i) {
            const std::string capture = Path(("c" + std::to_string(i)).c_str());
            live.push_back(RunProgram(ZUL_BIN, With(With(Link(controller.tcpPort()), {"--capture", capture}),
                                                    commands[i])));
            ASSERT_EQ(live.back().status, 0) << live.back().err;
            const std::string text = ReadWholeFile(capture);
            EXPECT_EQ(text.find("32 32 32 32 32 32 20 20"), std::string::npos);  // "222222  "
            ASSERT_EQ(text.rfind("zul-qrt510 capture 1\n> ", 0), 0u) << text.substr(0, 200);
            merged += text.substr(text.find('\n') + 1);
        }
    }
    ASSERT_TRUE(WriteFileAtomically(Path("all.cap"), merged));

    Process replay(QRTSIM_BIN, {"--replay", Path("all.cap"), "--seed", "99", "--start", "2023-01-01 00:00:00"});
    std::smatch m;
    const std::string first = replay.ReadLine(30000);
    ASSERT_TRUE(std::regex_match(first, m, std::regex("^tcp 127\\.0\\.0\\.1:(\\d+)$"))) << first;
    const uint16_t port = uint16_t(std::stoi(m[1].str()));
    for (size_t i = 0; i < commands.size(); ++i) {
        RunResult again = RunProgram(ZUL_BIN, With(Link(port), commands[i]));
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(again.out, live[i].out) << commands[i][0];
    }
    // A request no capture holds: the simulator answers it, and it is counted.
    EXPECT_EQ(RunProgram(ZUL_BIN, With(Link(port), {"read", "2", "0"})).status, 0);
    replay.Signal(SIGINT);
    const RunResult& end = replay.Wait(60000);
    EXPECT_EQ(end.status, 0);
    EXPECT_TRUE(std::regex_search(end.err, std::regex(": [1-9][0-9]* requests answered from the capture, 1 not in it")))
        << end.err;
}

// A controller at address 7: its capture is answered at 7 by a simulator started
// without --address, for what the capture holds and for what it lacks.
TEST_F(ZulCapture, ReplayAnswersAtTheCapturedAddress) {
    const std::vector<std::string> at7 = {"--address", "7"};
    const std::vector<std::vector<std::string>> commands = {{"identify"}, {"read", "3", "0"}};
    std::vector<RunResult> live;
    std::string merged = "zul-qrt510 capture 1\n";
    {
        sim::SimSettings s = StoppedAt(12, 0, 0);
        s.address = 7;
        sim::Qrtsim controller(s);
        ASSERT_TRUE(controller.StartTcp());
        for (size_t i = 0; i < commands.size(); ++i) {
            const std::string capture = Path(("a" + std::to_string(i)).c_str());
            live.push_back(RunProgram(ZUL_BIN, With(With(With(Link(controller.tcpPort()), at7), {"--capture", capture}),
                                                    commands[i])));
            ASSERT_EQ(live.back().status, 0) << live.back().err;
            const std::string text = ReadWholeFile(capture);
            merged += text.substr(text.find('\n') + 1);
        }
    }
    ASSERT_NE(live[0].out.find("address: 7\n"), std::string::npos) << live[0].out;
    ASSERT_TRUE(WriteFileAtomically(Path("at7.cap"), merged));
    Process replay(QRTSIM_BIN, {"--replay", Path("at7.cap")});
    std::smatch m;
    const std::string first = replay.ReadLine(30000);
    ASSERT_TRUE(std::regex_match(first, m, std::regex("^tcp 127\\.0\\.0\\.1:(\\d+)$"))) << first;
    const uint16_t port = uint16_t(std::stoi(m[1].str()));
    for (size_t i = 0; i < commands.size(); ++i) {
        const RunResult again = RunProgram(ZUL_BIN, With(With(Link(port), at7), commands[i]));
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(again.out, live[i].out) << commands[i][0];
    }
    // Not in the capture: the simulator answers it from the captured address.
    const RunResult other = RunProgram(ZUL_BIN, With(With(Link(port), at7), {"read", "2", "0"}));
    EXPECT_EQ(other.status, 0) << other.err;
    replay.Signal(SIGINT);
    const RunResult& end = replay.Wait(60000);
    EXPECT_NE(end.err.find(": 2 requests answered from the capture, 1 not in it"), std::string::npos) << end.err;
}

// A session killed while it waits for a reply leaves every exchange before it in the
// capture: the file grows line by line, not only when the command ends.
TEST_F(ZulCapture, KilledSessionKeepsWhatItRecorded) {
    sim::Qrtsim controller(StoppedAt(12, 0, 0));
    ASSERT_TRUE(controller.StartTcp());
    sim::Faults f;
    f.silence.command = 8;
    f.silence.skip = 3;
    f.silence.times = -1;
    controller.SetFaults(f);
    const std::string capture = Path("killed.cap");
    std::vector<std::string> link = Link(controller.tcpPort());
    link.back() = "60000";  // the reply timeout: the command waits until it is killed
    Process p(ZUL_BIN, With(With(link, {"--capture", capture}),
                            {"archive", "meas", "--period", "2024-03-15 00:00:00", "2024-03-15 11:00:00"}));
    const auto requestsOf8 = [&] {  // request lines of command 8 in the file now
        std::istringstream lines(ReadWholeFile(capture));
        size_t n = 0;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string kind, ms, command;
            words >> kind >> ms >> command;
            n += kind == ">" && command == "8";
        }
        return n;
    };
    for (int i = 0; i < 3000 && requestsOf8() < 4; ++i) ::usleep(10000);
    ASSERT_EQ(requestsOf8(), 4u) << ReadWholeFile(capture);
    p.Signal(SIGKILL);
    EXPECT_EQ(p.Wait(10000).status, 128 + SIGKILL);
    const std::string text = ReadWholeFile(capture);
    EXPECT_EQ(text.rfind("zul-qrt510 capture 1\n> ", 0), 0u);
    // Three answered reads of command 8 and the fourth request that got no answer.
    EXPECT_NE(text.find(" 8 1 0 "), std::string::npos) << text;
    CaptureLog log;
    std::string why;
    EXPECT_FALSE(ParseCapture(text, log, why));
    EXPECT_NE(why.find("the request has no reply"), std::string::npos) << why;

    // A capture that cannot be created is said before anything is sent.
    const RunResult r = RunProgram(ZUL_BIN, With(With(link, {"--capture", Path("no/such/dir.cap")}), {"identify"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zul: cannot write the capture " + Path("no/such/dir.cap") + "\n");
}

TEST_F(ZulCapture, DamagedCapturesAreRefusedWithTheLine) {
    const std::string request = "> 0.000 1 1 FF CC 01 09 01 00 00 12 A1 B2\n";
    const std::string good = "zul-qrt510 capture 1\n# a comment\n" + request + "< 60.000 1 1 0 33 01 06 81 9D 60\n";
    struct Case {
        const char* name;
        std::string text;
        const char* why;  // "" when the capture is accepted
    } cases[] = {
        {"good", good, ""},
        {"another version", "zul-qrt510 capture 2\n" + request, "line 1: not an exchange capture"},
        {"empty", "", "line 1: empty file"},
        {"cut after a request", "zul-qrt510 capture 1\n# a comment\n" + request, "line 3: the request has no reply"},
        {"a byte edited by hand", "zul-qrt510 capture 1\n> 0.000 1 1 CC 01 09 01 00 0Z 12 A1 B2\n", "line 2: bad byte \"0Z\""},
        {"frame length wrong", "zul-qrt510 capture 1\n> 0.000 1 1 CC 01 0A 01 00 00 12 A1 B2\n< 1 1 1 0 -\n",
         "line 2: the request is no whole frame"},
        {"reply first", "zul-qrt510 capture 1\n< 1.000 1 1 0 33\n", "line 2: a reply without its request"},
        {"reply of another attempt", "zul-qrt510 capture 1\n" + request + "< 1.000 1 2 0 33\n",
         "line 3: the reply's command or attempt"},
        {"no time", "zul-qrt510 capture 1\n> x 1 1 CC\n", "line 2: bad time \"x\""},
        {"a successful reply cut short", "zul-qrt510 capture 1\n" + request + "< 60.000 1 1 0 33 01 06 81 9D\n",
         "line 3: the reply of a successful exchange is no whole frame"},
        {"a successful reply edited", "zul-qrt510 capture 1\n" + request + "< 60.000 1 1 0 33 01 06 82 9D 60\n",
         "line 3: the reply of a successful exchange is no whole frame"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileAtomically(Path("x.cap"), c.text));
        Process p(QRTSIM_BIN, {"--replay", Path("x.cap")});
        if (*c.why) {
            const RunResult& r = p.Wait(60000);
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find("x.cap: " + std::string(c.why)), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(p.ReadLine(30000).rfind("tcp 127.0.0.1:", 0), 0u);
            p.Signal(SIGINT);
            EXPECT_EQ(p.Wait(60000).status, 0);
        }
    }
}

}  // namespace
}  // namespace zul::test
