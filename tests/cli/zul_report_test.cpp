// `zul report day|month` against the simulated controller over loopback TCP, the
// workbooks read back by an independent reader (openpyxl and the sheet XML, see
// report_check.py): numbers in the right cells, "--" rows, merges, titles, the
// template's own cells untouched, the XML order rules; and the reads' edge cases.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

// What report_check.py printed: the first word of each line -> the rest.
std::map<std::string, std::string> Check(const fs::path& book, const char* templ,
                                         std::vector<std::string> cells = {}) {
    std::vector<std::string> args = {REPORT_CHECK, book.string(), std::string(TEMPLATE_DIR) + "/" + templ};
    args.insert(args.end(), cells.begin(), cells.end());
    const RunResult r = RunProgram("/usr/bin/python3", args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::map<std::string, std::string> facts;
    for (const std::string& l : Lines(r.out)) {
        const size_t sp = l.find(' ');
        std::string key = l.substr(0, sp), rest = sp == std::string::npos ? "" : l.substr(sp + 1);
        if (key == "row" || key == "value") {
            const size_t sp2 = rest.find(' ');
            key += " " + rest.substr(0, sp2);
            rest = rest.substr(sp2 + 1);
        }
        facts[key] = rest;
    }
    return facts;
}

struct Sim {
    Sim(int spanDays, bool moisture) {
        sim::SimSettings s = StoppedAt(12, 0, 0);
        s.spanDays = spanDays;
        s.moistureMeter = moisture;
        sim = std::make_unique<sim::Qrtsim>(s);
        sim->StartTcp();
    }
    RunResult Zul(std::vector<std::string> args) {
        std::vector<std::string> all = {"--tcp", TcpAddress(*sim), "--send-pause-ms",
                                        "0", "--reply-timeout-ms", "300", "report"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(ZUL_BIN, all);
    }
    std::unique_ptr<sim::Qrtsim> sim;
};

class ZulReport : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zul-report-" + std::to_string(getpid()));
        fs::create_directories(dir);
        setenv("ZUL_HOME", dir.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

// Kinds of columns 1..27: a text in column 1, values in 2..10 and 12..27, 11 skipped.
const std::string kFull = "snnnnnnnnn.nnnnnnnnnnnnnnnn";
const std::string kNoMoist = "snnnnnnnnn.nnnnnnnnnnnn....";
const std::string kBlank = "s..........................";  // a month row's day number only
const std::string kEmpty = "...........................";

TEST_F(ZulReport, WorkbooksReadBackIndependently) {
    struct Case {
        const char* what;
        int spanDays;
        bool moisture;
        std::vector<std::string> args;
        const char* templ;
        std::string period;
        std::map<int, std::string> rows;  // row -> kinds of columns 1..27
    } cases[] = {
        {"a gas day with the moisture meter", 61, true, {"day", "2024-03-14"}, "day_report_title.xlsx",
         "За період з 14.03.24 09:00  по  15.03.24 08:00",
         {{10, kFull}, {33, kFull}, {34, kFull}, {35, kEmpty}}},
        {"without a moisture meter columns 24..27 stay empty", 61, false, {"day", "2024-03-14"},
         "day_report_title.xlsx", "За період з 14.03.24 09:00  по  15.03.24 08:00",
         {{10, kNoMoist}, {33, kNoMoist}}},
        {"the archive's first day starts at its oldest hour", 400, true, {"day", "2023-03-15"},
         "day_report_title.xlsx", "За період з 15.03.23 12:00  по  16.03.23 08:00",
         {{10, kFull}, {30, kFull}, {31, kEmpty}}},
        {"a month of 30 days fills rows 10..39", 400, true, {"month", "2023-04"}, "mon_report_title.xlsx",
         "За період з 01.04.23 по  30.04.23", {{10, kFull}, {39, kFull}, {40, kBlank}}},
        {"a month the archive begins on day 5", 11, true, {"month", "2024-03"}, "mon_report_title.xlsx",
         "За період з 05.03.24 по  14.03.24", {{13, kBlank}, {14, kFull}, {23, kFull}, {24, kBlank}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sim s(c.spanDays, c.moisture);
        auto args = c.args;
        args.insert(args.end(), {"--object", "Узел учета 7", "-o", (dir / "book").string()});
        const RunResult r = s.Zul(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "Данные сохранены в файле book.xlsx\n");
        auto f = Check(dir / "book.xlsx", c.templ);
        EXPECT_EQ(f["title"], "Узел учета 7");
        EXPECT_EQ(f["period"], c.period);
        EXPECT_EQ(f["merges"], "A2:F2 G2:AB2 Q4:U4 V4:AB4");  // the template's labels and ours
        EXPECT_EQ(f["xml"], "ok");
        EXPECT_EQ(f["untouched"], "ok");
        for (const auto& [row, kinds] : c.rows) EXPECT_EQ(f["row " + std::to_string(row)], kinds) << row;
        if (std::string(c.templ) == "mon_report_title.xlsx")
            EXPECT_EQ(f["row 41"], "s.............nnnnnn.......");
    }
}

TEST_F(ZulReport, ReadFailuresLeaveNoReport) {
    struct Case {
        const char* what;
        int spanDays;
        std::vector<std::string> args;
        sim::FaultRule ahead;       // a reply that starts one hour (day) late
        sim::FaultRule outOfOrder;  // a reply that starts three hours (days) early
        std::string err;
    } cases[] = {
        {"no hour of the day left in the hourly archive", 400, {"day", "2023-03-14"}, {}, {},
         "Часовые данные хроматографа из архива не прочитаны Команда 15.  Неправильный диапазон времени\n"},
        {"a date outside the daily archive", 61, {"day", "2024-03-15"}, {}, {},
         "В архиве нет данных за указанную дату (см. период имеющихся в архиве данных)\n"},
        {"a chromatograph hour before the one due", 61, {"day", "2024-03-14"}, {}, {1, 3, 15},
         "Передаваемые контроллером данные не соответствуют запрошенному периоду\n"},
        {"a chromatograph hour skipped: the dates part", 61, {"day", "2024-03-14"}, {1, 3, 15}, {},
         "Несоответствие дат в записях архивов данных хроматографа и влагомера\n"},
        {"the moisture meter's first hour late", 61, {"day", "2024-03-14"}, {1, 12, 15}, {},
         "Несоответствие дат в записях архивов данных хроматографа и влагомера\n"},
        {"a moisture-meter day skipped", 61, {"month", "2024-02"}, {1, 15, 16}, {},
         "Несоответствие дат в записях архивов данных хроматографа и влагомера\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sim s(c.spanDays, true);
        sim::Faults faults;
        faults.ahead = c.ahead;
        faults.outOfOrder = c.outOfOrder;
        s.sim->SetFaults(faults);
        auto args = c.args;
        args.insert(args.end(), {"--object", "U", "-o", (dir / "none.xlsx").string()});
        const RunResult r = s.Zul(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(fs::exists(dir / "none.xlsx"));
    }
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

// The same reports built from the archive store after a collection: the workbooks
// read back alike, cell for cell of what the reader compares.
TEST_F(ZulReport, ReportsFromTheStoreEqualThoseFromTheController) {
    Sim s(11, true);
    const std::string store = (dir / "s.sqlite").string();
    const RunResult collected =
        RunProgram(ZUL_BIN, {"--tcp", TcpAddress(*s.sim), "--send-pause-ms", "0", "collect", "--store", store});
    ASSERT_EQ(collected.status, 0) << collected.err;
    struct Case {
        std::vector<std::string> args;
        const char* templ;
        std::vector<std::string> cells;  // values compared besides the kinds of every row
    } cases[] = {
        {{"day", "2024-03-14"}, "day_report_title.xlsx", {"B10", "C10", "L10", "X10", "AA10", "B20", "X33"}},
        {{"day", "2024-03-06"}, "day_report_title.xlsx", {"B10", "L10", "X10", "B33"}},
        {{"month", "2024-03"}, "mon_report_title.xlsx", {"B14", "C14", "L14", "X14", "AA14", "B23", "X23"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        auto args = c.args;
        args.insert(args.end(), {"--object", "Узел 3", "-o", (dir / "direct").string()});
        const RunResult direct = s.Zul(args);
        ASSERT_EQ(direct.status, 0) << direct.err;
        auto fromStore = c.args;
        fromStore.insert(fromStore.begin(), "report");
        fromStore.insert(fromStore.end(), {"--object", "Узел 3", "-o", (dir / "stored").string(), "--store", store});
        const RunResult stored = RunProgram(ZUL_BIN, fromStore);  // no link at all
        ASSERT_EQ(stored.status, 0) << stored.err;
        EXPECT_EQ(Check(dir / "stored.xlsx", c.templ, c.cells), Check(dir / "direct.xlsx", c.templ, c.cells));
    }
    const RunResult missing = RunProgram(
        ZUL_BIN, {"report", "day", "2024-02-01", "--object", "x", "-o", (dir / "none").string(), "--store", store});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("В архиве нет данных за указанную дату"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(dir / "none.xlsx"));
}

}  // namespace
}  // namespace zul::test
