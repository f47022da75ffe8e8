// `zul --modem` against `zul sim --modem`, both run as programs: the call before
// the command, the hang-up after it, and a failed dial's exit status and text.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "cli/Process.h"

namespace zul::test {
namespace {

struct Case {
    std::vector<std::string> simOptions;
    int status;
    const char* text;  // expected on stderr (exit 1) or stdout (exit 0)
};

TEST(ZulModem, DialsBeforeTheCommandAndReportsAFailedDial) {
    const Case cases[] = {
        {{}, 0, "type: 73\n"},
        {{"--modem-dial", "busy"}, 1, "Номер абонента занят\n"},
        {{"--modem-dial", "no-dialtone"}, 1, "Отсутствует сигнал АТС\n"},
        {{"--modem-cpas-error"}, 1, "Нет готовности GSM\n"},
        // The call drops after the first frame: the command fails on the lost link.
        {{"--modem-unplug", "0"}, 1, "Команда 1."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> simArgs = {"sim", "--modem", "--rate", "0"};
        simArgs.insert(simArgs.end(), c.simOptions.begin(), c.simOptions.end());
        Process sim(ZUL_BIN, simArgs);
        const std::string first = sim.ReadLine(5000);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(first, m, std::regex("^pty (.+)$"))) << first;
        RunResult r = RunProgram(ZUL_BIN, {"--modem", m[1].str(), "--phone", "8 (000) 111-22-33", "--modem-init",
                                           "AT&F^ATS0=0", "--preambles", "0", "identify"},
                                 60000);
        EXPECT_EQ(r.status, c.status) << r.err;
        const std::string& where = c.status == 0 ? r.out : r.err;
        EXPECT_NE(where.find(c.text), std::string::npos) << where;
        sim.Signal(SIGTERM);
        EXPECT_EQ(sim.Wait(5000).status, 0);
    }
}

TEST(ZulModem, CtrlCWhileDiallingStopsTheCall) {
    Process sim(ZUL_BIN, {"sim", "--modem", "--modem-dial-ms", "120000"});
    std::smatch m;
    const std::string first = sim.ReadLine(5000);
    ASSERT_TRUE(std::regex_match(first, m, std::regex("^pty (.+)$"))) << first;
    Process zul(ZUL_BIN, {"--modem", m[1].str(), "--phone", "1", "identify"});
    ::usleep(1500000);  // dialling has begun by now; the call itself would take two minutes
    zul.Signal(SIGINT);
    RunResult& r = zul.Wait(30000);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Попытка соединения прервана по требованию пользователя"), std::string::npos) << r.err;
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(5000).status, 0);
}

TEST(ZulModem, ModemOptionsAreCheckedAsUsage) {
    const std::vector<std::vector<std::string>> bad = {
        {"--modem", "/dev/null", "identify"},                         // no number
        {"--phone", "123", "--serial", "/dev/null", "identify"},      // a number without a modem
        {"--modem", "/dev/null", "--phone", "1", "--serial", "/dev/null", "identify"},
    };
    for (const auto& args : bad) EXPECT_EQ(RunProgram(ZUL_BIN, args).status, 2);
    EXPECT_EQ(RunProgram(ZUL_BIN, {"sim", "--modem-dial", "maybe"}).status, 2);
}

}  // namespace
}  // namespace zul::test
