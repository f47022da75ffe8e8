// `zul check FILE` as a program: an archive read from the simulated controller is
// whole; the same file with a record taken out, or with a damaged record, tells
// the gap and the bad record; files that are no archive are refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "cli/Process.h"
#include "cli/StoppedSim.h"
#include "link/IniFile.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t kHeader = 905, kRecord = 94;

TEST(ZulCheck, WholeFileAndItsDamagedCopies) {
    sim::Qrtsim controller(StoppedAt(12, 0, 0));
    ASSERT_TRUE(controller.StartTcp());
    const fs::path dir = fs::temp_directory_path() / ("zul-check-" + std::to_string(getpid()));
    fs::create_directories(dir);
    setenv("ZUL_HOME", dir.c_str(), 1);
    const std::string file = (dir / "m.mch").string();
    RunResult read = RunProgram(ZUL_BIN, {"--tcp", TcpAddress(controller),
                                          "--send-pause-ms", "0", "archive", "meas", "--period",
                                          "2024-03-15 10:00:00", "2024-03-15 10:59:59", "-o", file});
    ASSERT_EQ(read.status, 0) << read.err;
    const std::string whole = ReadWholeFile(file);
    ASSERT_EQ(whole.size(), kHeader + 20 * kRecord);

    // The sixth record (10:15) taken out, the header's count with it.
    std::string cut = whole.substr(0, kHeader + 5 * kRecord) + whole.substr(kHeader + 6 * kRecord);
    cut[891] = char(19);
    // The third record (10:06) damaged.
    std::string damaged = whole;
    damaged[kHeader + 2 * kRecord + 20] ^= 0x10;

    struct Case {
        const char* name;
        std::string bytes;
        int status;
        std::string out;
    } cases[] = {
        {"whole.mch", whole, 0, "expected: 20\nreceived: 20\ninvalid: 0\ngaps: 0\n"},
        {"cut.mch", cut, 1,
         "expected: 20\nreceived: 19\ninvalid: 0\ngaps: 1\nGAP 15.03.2024 10:15:00 15.03.2024 10:15:00 1\n"},
        {"damaged.mch", damaged, 1,
         "expected: 20\nreceived: 20\ninvalid: 1\ngaps: 1\nGAP 15.03.2024 10:06:00 15.03.2024 10:06:00 1\n"},
        {"hourly.hch", whole, 1, ""},  // a measurement file under another kind's name: refused
        {"short.dch", "abc", 1, ""},
        {"notes.txt", "abc", 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        ASSERT_TRUE(WriteFileAtomically(path, c.bytes));
        RunResult r = RunProgram(ZUL_BIN, {"check", path});
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
    }

    // An event file: the rows its header counts against the rows it holds.
    const std::string ala = (dir / "e.ala").string();
    read = RunProgram(ZUL_BIN, {"--tcp", TcpAddress(controller), "--send-pause-ms",
                                "0", "events", "interv", "--last", "5", "-o", (dir / "e.aud").string()});
    ASSERT_EQ(read.status, 0) << read.err;
    std::string aud = ReadWholeFile((dir / "e.aud").string());
    RunResult r = RunProgram(ZUL_BIN, {"check", (dir / "e.aud").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "expected: 5\nreceived: 5\ninvalid: 0\ngaps: 0\n");
    aud[891] = char(8);  // claims three rows more than it holds
    ASSERT_TRUE(WriteFileAtomically((dir / "short.aud").string(), aud));
    r = RunProgram(ZUL_BIN, {"check", (dir / "short.aud").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "expected: 8\nreceived: 5\ninvalid: 0\ngaps: 1\nGAP 6 8 3\n");
    // A count past every row the file could hold is rows missing all the same.
    for (int i = 891; i < 895; ++i) aud[size_t(i)] = char(0xFF);
    ASSERT_TRUE(WriteFileAtomically((dir / "huge.aud").string(), aud));
    r = RunProgram(ZUL_BIN, {"check", (dir / "huge.aud").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "expected: 4294967295\nreceived: 5\ninvalid: 0\ngaps: 1\nGAP 6 4294967295 4294967290\n");
    ASSERT_TRUE(WriteFileAtomically(ala, aud));  // not a diagnostic file: refused
    r = RunProgram(ZUL_BIN, {"check", ala});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("не является файлом, содержащим диагностические сообщения"), std::string::npos) << r.err;

    // Calibrations have no grid: the header's count is expected, the rows a cut file
    // lacks are named by number.
    const std::string clb = (dir / "c.clb").string();
    read = RunProgram(ZUL_BIN, {"--tcp", TcpAddress(controller), "--send-pause-ms", "0", "archive", "clb", "--period",
                                "2024-03-10 00:00:00", "2024-03-14 23:59:59", "-o", clb});
    ASSERT_EQ(read.status, 0) << read.err;
    const std::string calibrations = ReadWholeFile(clb);
    ASSERT_EQ(calibrations.size(), kHeader + 5 * 10);
    struct ClbCase {
        const char* name;
        size_t rows;  // kept of the five
        int status;
        const char* out;
    } clbCases[] = {
        {"whole.clb", 5, 0, "expected: 5\nreceived: 5\ninvalid: 0\ngaps: 0\n"},
        {"cut.clb", 3, 1, "expected: 5\nreceived: 3\ninvalid: 0\ngaps: 1\nGAP 4 5 2\n"},
        {"empty.clb", 0, 1, "expected: 5\nreceived: 0\ninvalid: 0\ngaps: 1\nGAP 1 5 5\n"},
    };
    for (const ClbCase& c : clbCases) {
        const std::string path = (dir / c.name).string();
        ASSERT_TRUE(WriteFileAtomically(path, calibrations.substr(0, kHeader + c.rows * 10)));
        r = RunProgram(ZUL_BIN, {"check", path});
        EXPECT_EQ(r.status, c.status) << c.name << r.err;
        EXPECT_EQ(r.out, c.out) << c.name;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zul::test
