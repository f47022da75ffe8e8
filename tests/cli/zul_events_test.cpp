// `zul events diag` and `zul show` as programs against the simulated controller:
// what is printed, the .ala file written (read back byte by byte), and the exit
// statuses of the failure cases.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

// The date cell of a record: its date, or the mark of a bad check.
std::string Date(const uint8_t* r) {
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < 22; ++i) {
        crc ^= r[i];
        for (int b = 0; b < 8; ++b) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    if (crc != 0) return "   ***";
    char b[32];
    std::snprintf(b, sizeof b, "  %02d.%02d.%02d", r[2], r[1], r[0]);
    return b;
}

class ZulEvents : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<sim::Qrtsim>(StoppedAt(12, 0, 0));
        ASSERT_TRUE(sim->StartTcp());
        tcp = TcpAddress(*sim);
        held = sim->Diagnostics(&first);
        ASSERT_GE(held.size(), 40u);
        dir = ::testing::TempDir() + "zul_events_" + std::to_string(::getpid()) + "/";
        std::string mk = "mkdir -p " + dir;
        ASSERT_EQ(std::system(mk.c_str()), 0);
    }
    RunResult Zul(std::vector<std::string> args) {
        std::vector<std::string> all = {"--tcp", tcp, "--send-pause-ms", "0", "--reply-timeout-ms", "300"};
        all.insert(all.end(), args.begin(), args.end());
        setenv("ZUL_HOME", dir.c_str(), 1);
        return RunProgram(ZUL_BIN, all);
    }
    uint32_t newest() const { return first + uint32_t(held.size()) - 1; }
    std::unique_ptr<sim::Qrtsim> sim;
    std::string tcp, dir;
    std::vector<std::array<uint8_t, 24>> held;
    uint32_t first = 0;
};

TEST_F(ZulEvents, LastRecordsToAFileAndShownAgain) {
    const std::string file = dir + "last";
    RunResult r = Zul({"events", "diag", "--last", "30", "-o", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    const std::string bytes = ReadWholeFile(file + ".ala");
    ASSERT_EQ(bytes.size(), 905u + 30u * 300u);
    const auto* h = reinterpret_cast<const uint8_t*>(bytes.data());
    EXPECT_EQ(std::string(bytes, 0, 3), "ALA");
    EXPECT_EQ(h[44], 1);
    EXPECT_EQ(h[45], 17);
    uint32_t count;
    std::memcpy(&count, h + 891, 4);
    EXPECT_EQ(count, 30u);
    const size_t base = held.size() - 30;
    EXPECT_EQ(0, std::memcmp(h + 879, held[base].data(), 6));   // first moment of the data
    EXPECT_EQ(0, std::memcmp(h + 885, held.back().data(), 6));  // last moment
    for (size_t i = 0; i < 30; ++i) {
        const char* row = bytes.data() + 905 + i * 300;
        EXPECT_EQ(std::string(row), Date(held[base + i].data())) << i;
        EXPECT_EQ(row[299], 0);
    }
    // "zul show" of the file prints the rows the read printed without -o; a file
    // is captioned with its period, a read by index with the indexes.
    RunResult shown = RunProgram(ZUL_BIN, {"show", file + ".ala"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    RunResult direct = Zul({"events", "diag", "--index", std::to_string(newest() - 29), "30"});
    ASSERT_EQ(direct.status, 0) << direct.err;
    EXPECT_EQ(shown.out.substr(shown.out.find('\n')), direct.out.substr(direct.out.find('\n')));
    EXPECT_EQ(Lines(direct.out)[0], "Диагностические сообщения с индексами от " + std::to_string(newest() - 29) +
                                        " до " + std::to_string(newest()));
    const auto lines = Lines(shown.out);
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0].rfind("Диагностические сообщения за период с ", 0), 0u) << lines[0];
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 6) << lines[i];
        const std::string date = Date(held[base + i - 1].data());
        EXPECT_EQ(lines[i].substr(0, date.size()), date);
    }
}

TEST_F(ZulEvents, PeriodPrintsTheRecordsOfThePeriod) {
    const uint8_t* a = held[held.size() - 25].data();
    const uint8_t* b = held[held.size() - 5].data();
    char s[32], e[32];
    std::snprintf(s, sizeof s, "20%02d-%02d-%02d %02d:%02d:%02d", a[0], a[1], a[2], a[3], a[4], a[5]);
    std::snprintf(e, sizeof e, "20%02d-%02d-%02d %02d:%02d:%02d", b[0], b[1], b[2], b[3], b[4], b[5]);
    RunResult r = Zul({"events", "diag", "--period", s, e});
    ASSERT_EQ(r.status, 0) << r.err;
    size_t expected = 0;
    for (const auto& rec : held)
        if (std::memcmp(rec.data(), a, 6) >= 0 && std::memcmp(rec.data(), b, 6) <= 0) ++expected;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), expected + 1);
    char caption[160];
    std::snprintf(caption, sizeof caption,
                  "Диагностические сообщения за период с %02d.%02d.%02d %02d:%02d:%02d по %02d.%02d.%02d %02d:%02d:%02d",
                  a[2], a[1], a[0], a[3], a[4], a[5], b[2], b[1], b[0], b[3], b[4], b[5]);
    EXPECT_EQ(lines[0], caption);
}

struct FailCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string err;      // the start of stderr
    bool file;            // a file is written
};

TEST_F(ZulEvents, FailuresAndUsage) {
    const std::string out = dir + "fail.ala";
    const FailCase cases[] = {
        {"index outside the archive", {"events", "diag", "--index", std::to_string(newest() + 100), "5", "-o", out}, 1,
         "Нелогичное значение индекса записи начала чтения (см. значения индексов начала и конца архива).", false},
        {"a period before the archive", {"events", "diag", "--period", "2001-01-01 00:00:00", "2001-01-02 00:00:00", "-o", out},
         1, "Нет данных за указанный период", false},
        {"end before start", {"events", "diag", "--period", "2024-01-02 00:00:00", "2024-01-01 00:00:00"}, 1,
         "Дата и время конца опроса должны быть больше даты и времени начала опроса", false},
        {"count 0", {"events", "diag", "--index", "1", "0"}, 2, "zul events:", false},
        {"count 256", {"events", "diag", "--last", "256"}, 2, "zul events:", false},
        {"no archive", {"events", "--last", "5"}, 2, "zul events:", false},
        {"bad date", {"events", "diag", "--period", "2024-02-30 00:00:00", "2024-03-01 00:00:00"}, 2, "zul events:", false},
    };
    for (const FailCase& c : cases) {
        std::remove(out.c_str());
        RunResult r = Zul(c.args);
        EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.what;
        EXPECT_EQ(!ReadWholeFile(out).empty(), c.file) << c.what;
        EXPECT_TRUE(r.out.empty()) << c.what;
    }
}

// A read that fails after its first reply: the cause and the message on stderr, what
// arrived written, and the file says it is not whole.
TEST_F(ZulEvents, ReadEndingEarlyKeepsWhatArrivedAndSaysWhy) {
    const uint8_t* a = held[held.size() - 30].data();
    char start[32];
    std::snprintf(start, sizeof start, "20%02d-%02d-%02d %02d:%02d:%02d", a[0], a[1], a[2], a[3], a[4], a[5]);
    struct Case {
        const char* what;
        uint8_t command;
        std::vector<std::string> read;
    } cases[] = {
        {"by index", 7, {"events", "diag", "--last", "30"}},
        {"by period", 8, {"events", "diag", "--period", start, "2030-01-01 00:00:00"}},
    };
    for (const Case& c : cases) {
        sim::Faults f;
        f.silence.command = c.command;
        f.silence.skip = 1;
        f.silence.times = -1;
        sim->SetFaults(f);
        const std::string out = dir + "early" + std::to_string(c.command) + ".ala";
        std::vector<std::string> args = c.read;
        args.insert(args.end(), {"-o", out});
        RunResult r = Zul(args);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_NE(r.err.find("Диагностические сообщения прочитаны не полностью Команда " +
                             std::to_string(c.command) + ".  Устройство не отвечает\n"),
                  std::string::npos)
            << c.what << ": " << r.err;
        const size_t rows = (ReadWholeFile(out).size() - 905) / 300;
        EXPECT_GE(rows, 1u) << c.what;
        EXPECT_LT(rows, 30u) << c.what;
        if (c.command == 7) {
            // The indexes that did not come, as `zul check` names gaps.
            const std::string gap = "GAP " + std::to_string(newest() - 29 + rows) + " " + std::to_string(newest()) +
                                    " " + std::to_string(30 - rows) + "\n";
            EXPECT_NE(r.err.find("expected: 30\nreceived: " + std::to_string(rows) + "\n"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("gaps: 1\n" + gap), std::string::npos) << r.err;
        }
        sim->SetFaults({});
        RunResult check = RunProgram(ZUL_BIN, {"check", out});
        EXPECT_EQ(check.status, 1) << c.what << ": " << check.out;
        EXPECT_NE(check.err.find("ended early"), std::string::npos) << c.what << ": " << check.err;
    }
}

// Ctrl+C, and SIGTERM and SIGHUP as it: the read stops after the current exchange
// and what arrived is written.
TEST_F(ZulEvents, StopSignalsEndTheReadAndKeepWhatArrived) {
    sim::Faults f;
    f.answerDelayMs = 150;
    setenv("ZUL_HOME", dir.c_str(), 1);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        sim->SetFaults(f);
        const std::string name = std::to_string(sig);
        const std::string out = dir + "stopped" + name + ".ala", capture = dir + "stopped" + name + ".cap";
        Process p(ZUL_BIN, {"--tcp", tcp, "--send-pause-ms", "0", "--reply-timeout-ms", "3000", "--capture", capture,
                            "events", "diag", "--last", "100", "-o", out});
        // Signalled once the first records have come (a reply to command 7 is in the capture).
        for (int i = 0; i < 3000 && ReadWholeFile(capture).find(" 7 1 0 ") == std::string::npos; ++i) ::usleep(10000);
        p.Signal(sig);
        const RunResult& r = p.Wait(30000);
        EXPECT_EQ(r.status, 1) << sig;
        EXPECT_NE(r.err.find("Диагностические сообщения прочитаны не полностью"), std::string::npos) << r.err;
        const size_t rows = (ReadWholeFile(out).size() - 905) / 300;
        EXPECT_GE(rows, 11u) << sig;
        EXPECT_LT(rows, 100u) << sig;
    }
}

TEST_F(ZulEvents, ArchiveErrorIsReportedAndTheDataKept) {
    sim::Faults f;
    f.archiveError = true;
    sim->SetFaults(f);
    const uint8_t* a = held[held.size() - 3].data();
    char s[32];
    std::snprintf(s, sizeof s, "20%02d-%02d-%02d %02d:%02d:%02d", a[0], a[1], a[2], a[3], a[4], a[5]);
    RunResult r = Zul({"events", "diag", "--period", s, "2030-01-01 00:00:00", "-o", dir + "err"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Обнаружена ошибка в архиве диагностических сообщений"), std::string::npos) << r.err;
    EXPECT_GE(ReadWholeFile(dir + "err.ala").size(), 905u + 3u * 300u);
}

TEST_F(ZulEvents, ShowRefusesForeignFiles) {
    const std::string good = dir + "good.ala";
    ASSERT_EQ(Zul({"events", "diag", "--last", "2", "-o", good}).status, 0);
    std::string bytes = ReadWholeFile(good);
    struct Case {
        const char* what;
        size_t offset;
        char value;
    };
    const Case cases[] = {{"magic", 1, 'U'}, {"byte 45", 45, 16}};
    for (const Case& c : cases) {
        std::string bad = bytes;
        bad[c.offset] = c.value;
        const std::string path = dir + "foreign.ala";
        std::ofstream(path, std::ios::binary) << bad;
        RunResult r = RunProgram(ZUL_BIN, {"show", path});
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, "Файл foreign.ala не является файлом, содержащим диагностические сообщения контроллера ЗУЛ_QRT_510\n")
            << c.what;
        EXPECT_TRUE(r.out.empty());
    }
    // A file shorter than its count shows the missing rows empty.
    std::ofstream(dir + "short.ala", std::ios::binary) << bytes.substr(0, 905 + 300);
    RunResult r = RunProgram(ZUL_BIN, {"show", dir + "short.ala"});
    EXPECT_EQ(r.status, 0);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "\t\t\t\t\t\t");
    EXPECT_EQ(RunProgram(ZUL_BIN, {"show", dir + "missing.ala"}).status, 1);
    EXPECT_EQ(RunProgram(ZUL_BIN, {"show", dir + "x.unknown"}).status, 2);
}

}  // namespace
}  // namespace zul::test
