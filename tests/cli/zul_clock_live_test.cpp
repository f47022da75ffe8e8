// `zul clock` and `zul live` against the simulated controller run as a program.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

class ZulClockLive : public ::testing::Test {
protected:
    void SetUp() override {
        // Controller at 10:59:50 in a year long gone: behind the computer's clock.
        simulator = std::make_unique<sim::Qrtsim>(StoppedAt(10, 59, 50));
        ASSERT_TRUE(simulator->StartTcp());
    }
    RunResult Zul(std::vector<std::string> args) {
        std::vector<std::string> all = {"--tcp", TcpAddress(*simulator),
                                        "--send-pause-ms", "0", "--reply-timeout-ms", "500"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(ZUL_BIN, all);
    }
    std::unique_ptr<sim::Qrtsim> simulator;
};

const std::regex kClockLine("^(controller: |computer:   )[0-9]{2}\\.[0-9]{2}\\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} "
                            "(Летнее|Зимнее)$");

TEST_F(ZulClockLive, ClockAndCorrection) {
    const std::vector<std::string> user = {"--ident", "4444", "--password", "444444"};
    struct Step {
        std::vector<std::string> args;
        bool withUser;
        int status;
        const char* controller;  // the controller line
        const char* correction;
        const char* err;         // expected in stderr ("" none)
    } steps[] = {
        {{"clock"}, false, 0, "controller: 15.03.2024 10:59:50 Зимнее", "correction: 10", ""},
        {{"clock", "--correct"}, false, 1, "controller: 15.03.2024 10:59:50 Зимнее", "correction: 10",
         "Корректировка времени не выполнена Команда 12.  Пользователь не зарегистрирован или неправильный пароль\n"},
        {{"clock", "--correct"}, true, 0, "controller: 15.03.2024 10:59:50 Зимнее", "correction: 10", ""},
        {{"clock"}, false, 0, "controller: 15.03.2024 11:00:00 Зимнее", "correction: 3600", ""},
    };
    for (const Step& s : steps) {
        std::vector<std::string> args = s.withUser ? user : std::vector<std::string>{};
        args.insert(args.end(), s.args.begin(), s.args.end());
        const RunResult r = Zul(args);
        SCOPED_TRACE(s.args.back() + (s.withUser ? " with user" : ""));
        EXPECT_EQ(r.status, s.status) << r.err;
        const auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 3u) << r.out;
        EXPECT_EQ(lines[0], s.controller);
        EXPECT_TRUE(std::regex_match(lines[1], kClockLine)) << lines[1];
        EXPECT_EQ(lines[2], s.correction);
        if (*s.err) EXPECT_EQ(r.err, s.err);
        else EXPECT_TRUE(r.err.empty()) << r.err;
    }
    // Forbidden by the controller: no correction offered, none sent.
    simulator->SetByte(6, 11, 0);
    RunResult r = Zul({"clock"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r.out).back(), "correction: -");
    std::vector<std::string> args = user;
    args.insert(args.end(), {"clock", "--correct"});
    r = Zul(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Синхронизация времени контроллера с временем ЭВМ запрещена"), std::string::npos);
    EXPECT_EQ(simulator->TableBytes(2)[4], 0);  // still 11:00:00
}

TEST_F(ZulClockLive, LiveViews) {
    struct Case {
        const char* view;
        int status;
        const char* caption;
        size_t lines;
        const char* err;
    } cases[] = {
        {"chrom", 0, "Мгновенные данные хроматографа (сер. № 510001), зоны параметров газа", 3 + 20, ""},
        {"state", 0, "Текущее состояние контроллера", 10, ""},
        {"moist", 1, "", 0, "Нет связи с влагомером (см. текущее состояние контроллера)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        const RunResult r = Zul({"live", c.view});
        EXPECT_EQ(r.status, c.status) << r.err;
        const auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), c.lines) << r.out;
        if (c.lines) EXPECT_EQ(lines[0], c.caption);
        if (*c.err) EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    // The chromatograph rows: name, value, zone; the time of the last poll.
    const auto lines = Lines(Zul({"live", "chrom"}).out);
    EXPECT_EQ(lines[1], "Время последнего опроса хроматографа\t15.03.24 10:59:30");  // the chromatograph's 30 s cycle
    EXPECT_EQ(lines[2], "Наименование параметра\tЗначение\tЗона");
    const std::regex row("^ [^\t]+, [^\t]*\t-?[0-9]+(\\.[0-9]+)?\t( Норма| [А-Яа-я ]+ зона|\\?)$");
    for (size_t i = 3; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], row)) << lines[i];

    // With a moisture meter of type 2: four rows, the third relabelled.
    simulator->SetByte(6, 8, 1);
    simulator->SetByte(15, 6, 2);
    const RunResult r = Zul({"live", "moist"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto m = Lines(r.out);
    ASSERT_EQ(m.size(), 6u) << r.out;
    EXPECT_EQ(m[0], " Мгновенные данные влагомера");
    EXPECT_EQ(m[4].substr(0, m[4].find('\t')), " PV23 – Давление газа,  bar");

    EXPECT_EQ(Zul({"live", "flow"}).status, 2);
    EXPECT_EQ(Zul({"clock", "--now"}).status, 2);
}

}  // namespace
}  // namespace zul::test
