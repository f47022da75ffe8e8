// The contract of `zul` that scripts rely on: output lines, exit statuses, usage,
// trace, and `zul sim` / `qrtsim` serving the protocol.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "cli/Process.h"
#include "link/TcpSocket.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

class ZulCli : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<sim::Qrtsim>(StoppedAt(12, 0, 0));
        ASSERT_TRUE(sim->StartTcp());
        tcp = TcpAddress(*sim);
    }
    RunResult Zul(std::vector<std::string> args) {
        std::vector<std::string> all = {"--tcp", tcp, "--send-pause-ms", "0", "--reply-timeout-ms", "300"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(ZUL_BIN, all);
    }
    std::unique_ptr<sim::Qrtsim> sim;
    std::string tcp;
};

TEST_F(ZulCli, IdentifyPrintsTheFieldsOfTable0) {
    RunResult r = Zul({"identify"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 12u);
    const std::regex form("^[a-z_0-9]+: [0-9.: ]+$");
    for (auto& l : lines) EXPECT_TRUE(std::regex_match(l, form)) << l;
    EXPECT_EQ(lines[1], "type: 73");
    EXPECT_EQ(lines[3], "software_version: 17");
    EXPECT_EQ(lines[9], "protocol_version: 1.2.0");
    EXPECT_EQ(lines[11], "address: 1");
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(ZulCli, ReadPrintsOneHexLinePerField) {
    RunResult r = Zul({"read", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    const std::regex form("^5\\.[0-2]: ([0-9A-F]{2} ){19}[0-9A-F]{2}$");
    for (auto& l : lines) EXPECT_TRUE(std::regex_match(l, form)) << l;
    // "Контроллер" in code page 866, as the controller keeps it.
    EXPECT_EQ(lines[0].substr(0, 17), "5.0: 8A AE AD E2 ");

    r = Zul({"read", "1"});  // 1280 bytes: seven requests
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 20u);
    r = Zul({"read", "6", "6"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "6.6: 09\n");
    r = Zul({"read", "24", "8", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "24.8: 00 00 C8 42\n24.9: 00 00 00 41\n");  // 100.0 and 8.0
}

TEST_F(ZulCli, WriteStoresTheBytesAndRefusalsExit1WithTheEngineText) {
    RunResult r = Zul({"--ident", "2222", "--password", "222222", "write", "6", "6", "0A"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(sim->Field(6, 6), std::vector<uint8_t>{10});
    r = Zul({"--ident", "2222", "--password", "222222", "write", "24", "8", "00 00 c8", "42", "0000A041"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(sim->Field(24, 9), (std::vector<uint8_t>{0, 0, 0xA0, 0x41}));
    r = Zul({"read", "6", "6"});
    EXPECT_EQ(r.out, "6.6: 0A\n");

    r = Zul({"--ident", "2222", "--password", "bad", "write", "6", "6", "0B"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Не выполнена запись в таблицу 6. Неправильный пароль на запись\n"), std::string::npos) << r.err;
    r = Zul({"write", "6", "6", "0B"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Не выполнена запись в таблицу 6. Пользователь не зарегистрирован или неправильный пароль\n"), std::string::npos)
        << r.err;
    EXPECT_EQ(sim->Field(6, 6), std::vector<uint8_t>{10});
}

TEST_F(ZulCli, AnUnreachableOrSilentControllerExits1) {
    sim::Faults f;
    f.silence.times = -1;
    sim->SetFaults(f);
    RunResult r = Zul({"identify"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Команда 1.  Устройство не отвечает"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    // A port nobody listens on.
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    const std::string closed = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    r = RunProgram(ZUL_BIN, {"--tcp", closed, "--connect-wait-s", "1", "identify"});
    ::close(fd);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Превышено время ожидания соединения сервер/клиент\n");  // the window's words
    r = RunProgram(ZUL_BIN, {"--serial", "/nonexistent/tty", "identify"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("недоступен"), std::string::npos) << r.err;
}

TEST_F(ZulCli, BadUsageExits2WithTheUsageText) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"read"},
        {"read", "8"},
        {"read", "45"},
        {"read", "6", "12"},
        {"read", "6", "10", "3"},
        {"write", "6", "0"},
        {"write", "6", "0", "ABC"},
        {"write", "6", "0", "XY"},
        {"write", "1", "0", "00"},
        {"write", "6", "11", "00", "00"},
        {"identify", "extra"},
        {"--address", "0", "identify"},
        {"--bogus", "identify"},
        // Told before the controller is asked, as the other commands' usage is.
        {"events", "diag", "--last", "0"},
        {"archive", "meas", "--period", "2024-01-01 25:00:00", "2024-01-02 00:00:00"},
        {"report", "day", "2024-13-01", "--object", "X", "-o", "b"},
    };
    for (auto& args : bad) {
        RunResult r = Zul(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("Usage: zul"), std::string::npos);
    }
    EXPECT_EQ(RunProgram(ZUL_BIN, {"identify"}).status, 2);  // no link
    EXPECT_EQ(RunProgram(ZUL_BIN, {"--tcp", tcp, "--serial", "/dev/null", "identify"}).status, 2);
    EXPECT_EQ(RunProgram(ZUL_BIN, {"--tcp", "nocolon", "identify"}).status, 2);
    EXPECT_EQ(sim->stats().framesSeen, 0u);  // none of them reached the controller
}

TEST_F(ZulCli, HelpExplainsEveryCommand) {
    RunResult r = RunProgram(ZUL_BIN, {"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* opt : {"--tcp", "--serial", "--address", "--baud", "--preambles", "--attempts",
                            "--reply-timeout-ms", "--inter-byte-ms", "--send-pause-ms", "--ident", "--password",
                            "--trace", "identify", "read T [F [C]]", "write T F HEX", "sim"})
        EXPECT_NE(r.out.find(opt), std::string::npos) << opt;
    for (const char* cmd : {"identify", "read", "write"}) {
        r = RunProgram(ZUL_BIN, {cmd, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find(std::string("zul [LINK OPTIONS]")), std::string::npos) << cmd;
    }
    r = RunProgram(ZUL_BIN, {"sim", "--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* opt : {"--tcp", "--pty", "--silent", "--bad-check", "--stall", "--wrong-echo", "--refuse",
                            "--garbage", "--other-address", "--drop-after", "--delay-ms", "--pace", "--seed"})
        EXPECT_NE(r.out.find(opt), std::string::npos) << opt;
}

TEST_F(ZulCli, TracePrintsRequestsAndRepliesOnStderr) {
    RunResult r = Zul({"--trace", "--preambles", "2", "read", "6", "6"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 2u) << r.err;
    const std::regex request("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} > cmd 1 try 1: FF FF CC 01 0A 01 00 06 06 01 [0-9A-F]{2} [0-9A-F]{2}$");
    const std::regex reply("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} < cmd 1 try 1: FF FF FF 33 01 0B 81 00 06 06 01 09 [0-9A-F ]+ \\[ok\\]$");
    EXPECT_TRUE(std::regex_match(lines[0], request)) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], reply)) << lines[1];
    EXPECT_EQ(r.out, "6.6: 09\n");

    sim::Faults f;
    f.badCheck.times = 1;
    sim->SetFaults(f);
    r = Zul({"--trace", "read", "6", "6"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[error 7: Несовпадение КС ответа контроллера]"), std::string::npos) << r.err;
}

TEST_F(ZulCli, WorksOverASerialLine) {
    ASSERT_TRUE(sim->StartPty());
    RunResult r = RunProgram(ZUL_BIN, {"--serial", sim->ptyPath(), "--preambles", "0", "read", "0", "1", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0.1: 49\n0.2: 03\n0.3: 11\n");
}

std::string TempDir() {
    char tmpl[] = "/tmp/zul_cli_XXXXXX";
    const char* d = ::mkdtemp(tmpl);
    return d ? d : "";
}

TEST(ZulSim, ServesOverTcpAndAPtyLinkUntilTerminated) {
    const std::string dir = TempDir();
    ASSERT_FALSE(dir.empty());
    const std::string link = dir + "/qrt";
    Process p(ZUL_BIN, {"sim", "--tcp", "0", "--pty", link, "--address", "5", "--version", "14", "--start",
                        "2024-05-10 05:00:00", "--rate", "0"});
    const std::string first = p.ReadLine(5000), second = p.ReadLine(5000);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(first, m, std::regex("^tcp 127\\.0\\.0\\.1:(\\d+)$"))) << first;
    EXPECT_EQ(second, "pty " + link);
    struct stat st{};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    RunResult r = RunProgram(ZUL_BIN, {"--tcp", "127.0.0.1:" + m[1].str(), "--send-pause-ms", "0", "--address", "255",
                                "identify"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("software_version: 14\n"), std::string::npos);
    EXPECT_NE(r.out.find("address: 5\n"), std::string::npos);
    r = RunProgram(ZUL_BIN, {"--serial", link, "--address", "5", "read", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 31), "2.0: 18\n2.1: 05\n2.2: 0A\n2.3: 05");

    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(5000).status, 0);
    EXPECT_NE(::lstat(link.c_str(), &st), 0);  // the link went with it
    ::rmdir(dir.c_str());
}

TEST(ZulSim, OneProcessIsAFleetOfControllersWithTheirOwnMacs) {
    // Seeds 65535..65537: the MAC's low bytes wrap, the address must not repeat.
    Process p(QRTSIM_BIN, {"--controllers", "3", "--seed", "65535", "--span-days", "1"});
    std::set<std::string> macs;
    for (int k = 0; k < 3; ++k) {
        std::smatch m;
        const std::string line = p.ReadLine(5000);
        ASSERT_TRUE(std::regex_match(line, m, std::regex("^tcp 127\\.0\\.0\\.1:(\\d+)$"))) << line;
        RunResult r = RunProgram(ZUL_BIN, {"--tcp", "127.0.0.1:" + m[1].str(), "--send-pause-ms", "0", "read", "40", "0"});
        ASSERT_EQ(r.status, 0) << r.err;
        macs.insert(r.out);
    }
    EXPECT_EQ(macs, (std::set<std::string>{"40.0: 02 5A 55 4C FF FF\n", "40.0: 02 5A 55 4D 00 00\n",
                                           "40.0: 02 5A 55 4D 00 01\n"}));
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(5000).status, 0);

    Process one(QRTSIM_BIN, {"--mac", "00:1a:2B:3C:4D:5E"});
    std::smatch m;
    const std::string line = one.ReadLine(5000);
    ASSERT_TRUE(std::regex_match(line, m, std::regex("^tcp 127\\.0\\.0\\.1:(\\d+)$"))) << line;
    RunResult r = RunProgram(ZUL_BIN, {"--tcp", "127.0.0.1:" + m[1].str(), "--send-pause-ms", "0", "read", "40", "0"});
    EXPECT_EQ(r.out, "40.0: 00 1A 2B 3C 4D 5E\n") << r.err;
    one.Signal(SIGTERM);
    EXPECT_EQ(one.Wait(5000).status, 0);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--mac", "00:1A:2B:3C:4D"}, {"--mac", "00-1A-2B-3C-4D-5E"}, {"--controllers", "0"},
          {"--controllers", "2", "--pty"}, {"--controllers", "2", "--mac", "00:1A:2B:3C:4D:5E"},
          {"--controllers", "3", "--tcp", "65534"}})
        EXPECT_EQ(RunProgram(QRTSIM_BIN, args).status, 2) << args[0] << " " << args[1];
}

TEST(ZulSim, FaultOptionsReachTheLink) {
    Process p(QRTSIM_BIN, {"--refuse", "26", "--fault-command", "2", "--stall=3:1", "--fault-skip", "0"});
    std::smatch m;
    const std::string first = p.ReadLine(5000);
    ASSERT_TRUE(std::regex_match(first, m, std::regex("^tcp 127\\.0\\.0\\.1:(\\d+)$"))) << first;
    const std::vector<std::string> link = {"--tcp", "127.0.0.1:" + m[1].str(), "--send-pause-ms", "0",
                                           "--inter-byte-ms", "50"};
    auto with = [&](std::vector<std::string> args) {
        std::vector<std::string> all = link;
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(ZUL_BIN, all);
    };
    // The stall was limited to command 2 as well; reads pass.
    RunResult r = with({"read", "0", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = with({"--ident", "1111", "--password", "111111", "write", "6", "6", "0A"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Команда 2.  Ответ получен не полностью"), std::string::npos) << r.err;
    r = with({"--ident", "1111", "--password", "111111", "write", "6", "6", "0A"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Не выполнена запись в таблицу 6. Недостаточный уровень доступа\n"), std::string::npos) << r.err;
    p.Signal(SIGINT);
    EXPECT_EQ(p.Wait(5000).status, 0);

    EXPECT_EQ(RunProgram(QRTSIM_BIN, {"--stall"}).status, 2);
    EXPECT_EQ(RunProgram(QRTSIM_BIN, {"--address", "255"}).status, 2);
    EXPECT_EQ(RunProgram(QRTSIM_BIN, {"--start", "1999-01-01"}).status, 2);
    RunResult u = RunProgram(QRTSIM_BIN, {"--nonsense"});
    EXPECT_EQ(u.status, 2);
    EXPECT_NE(u.err.find("--help"), std::string::npos);
}

}  // namespace
}  // namespace zul::test
