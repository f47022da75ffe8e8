// `zul archive meas|clb|hour|day`, `zul show` of their files and `zul export`, run
// as programs against the simulated controller over loopback TCP: output lines,
// files written byte for byte as read back, refusals across kinds, exit statuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

class ZulArchive : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<sim::Qrtsim>(StoppedAt(12, 0, 0));
        ASSERT_TRUE(sim->StartTcp());
        tcp = TcpAddress(*sim);
        dir = fs::temp_directory_path() / ("zul-archive-" + std::to_string(getpid()));
        fs::create_directories(dir);
        setenv("ZUL_HOME", dir.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir); }
    RunResult Zul(std::vector<std::string> args) {
        std::vector<std::string> all = {"--tcp", tcp, "--send-pause-ms", "0", "--reply-timeout-ms", "300"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(ZUL_BIN, all);
    }
    RunResult Local(std::vector<std::string> args) { return RunProgram(ZUL_BIN, args); }
    std::unique_ptr<sim::Qrtsim> sim;
    std::string tcp;
    fs::path dir;
};

TEST_F(ZulArchive, ReadsPrintWriteAndShowTheSameRows) {
    struct Case {
        std::vector<std::string> read;
        const char* file;
        const char* caption;
        size_t rows;  // grid rows printed after the caption
        const char* firstRow;
    } cases[] = {
        {{"archive", "meas", "--period", "2024-03-15 10:00:00", "2024-03-15 10:59:59"}, "m",
         "Измерительные данные хроматографа за период  с  15.03.24 10:00:00  по  15.03.24 10:59:59", 22,
         " 15.03.24\t 10:00:00\t"},
        {{"archive", "hour", "--from", "2024-03-14 22", "--to", "2024-03-15 02"}, "h",
         "Часовые данные хроматографа за период с 14.03.24  22ч  по  15.03.24  02ч", 7,
         " 14.03.24\t 22:00:00\t 23:00:00\t"},
        {{"archive", "day", "--from", "2024-03-10", "--to", "2024-03-14"}, "d",
         "Суточные данные хроматографа за период с 10.03.24  по  14.03.24", 7, " 10.03.24\t 09:00:00\t 09:00:00\t"},
        {{"archive", "clb", "--period", "2024-03-10 00:00:00", "2024-03-14 23:59:59"}, "c",
         "Калибровочные данные хроматографа за период  с  10.03.24 00:00:00  по  14.03.24 23:59:59", 5, " 10.03.24\t"},
    };
    const char* ext[] = {".mch", ".hch", ".dch", ".clb"};
    for (size_t i = 0; i < 4; ++i) {
        const auto& c = cases[i];
        RunResult printed = Zul(c.read);
        ASSERT_EQ(printed.status, 0) << printed.err;
        auto lines = Lines(printed.out);
        ASSERT_EQ(lines.size(), 1 + c.rows) << c.file;
        EXPECT_EQ(lines[0], c.caption);
        const size_t first = i == 3 ? 1 : 3;  // after the names and units rows
        EXPECT_EQ(lines[first].substr(0, std::string(c.firstRow).size()), c.firstRow) << c.file;

        auto withFile = c.read;
        withFile.push_back("-o");
        withFile.push_back((dir / c.file).string());
        RunResult written = Zul(withFile);
        ASSERT_EQ(written.status, 0) << written.err;
        EXPECT_TRUE(written.out.empty());
        const fs::path path = dir / (std::string(c.file) + ext[i]);
        ASSERT_TRUE(fs::exists(path)) << path;
        const std::string bytes = ReadWholeFile(path.string());
        EXPECT_EQ(bytes.substr(0, 3), std::string(i == 0 ? "MSA" : i == 1 ? "HOU" : i == 2 ? "DAY" : "CLB"));
        const size_t size = i == 3 ? 10 : 94;
        EXPECT_EQ(bytes.size(), 905 + (c.rows - (i == 3 ? 0 : 2)) * size);

        RunResult shown = Local({"show", path.string()});
        ASSERT_EQ(shown.status, 0) << shown.err;
        auto shownLines = Lines(shown.out);
        // The same rows; only the moment the header was built differs between two reads.
        EXPECT_EQ(shownLines, lines) << c.file;
    }
}

TEST_F(ZulArchive, FilesAreRefusedAcrossKinds) {
    ASSERT_EQ(Zul({"archive", "meas", "--period", "2024-03-15 10:00:00", "2024-03-15 10:09:59", "-o",
                   (dir / "m").string()}).status, 0);
    ASSERT_EQ(Zul({"archive", "clb", "--period", "2024-03-10 00:00:00", "2024-03-14 23:59:59", "-o",
                   (dir / "c").string()}).status, 0);
    ASSERT_EQ(Zul({"archive", "hour", "--from", "2024-03-14 22", "--to", "2024-03-15 02", "-o",
                   (dir / "h").string()}).status, 0);
    // A moisture-meter hourly file: the chromatograph's with source byte 1.
    std::string hwm = ReadWholeFile((dir / "h.hch").string());
    hwm[3] = 1;
    std::ofstream(dir / "moist.hch", std::ios::binary) << hwm;
    std::string wrongDesignation = ReadWholeFile((dir / "m.mch").string());
    wrongDesignation[45] = 16;
    std::ofstream(dir / "w.mch", std::ios::binary) << wrongDesignation;
    struct Case {
        std::string file;  // shown under another kind's extension
        const char* second;
    } cases[] = {
        {"c.clb", "измерительные данные хроматографа из архива контроллера ЗУЛ_QRT_510"},
        {"m.mch", "данные калибровки хроматографа из архива контроллера ЗУЛ_QRT_510"},
        {"m.mch", "суточные данные хроматографа из архива контроллера ЗУЛ_QRT_510"},
        {"moist.hch", "часовые данные  хроматографа из архива контроллера ЗУЛ_QRT_510"},
        {"w.mch", "измерительные данные хроматографа из архива контроллера ЗУЛ_QRT_510"},
    };
    const char* asExt[] = {".mch", ".clb", ".dch", ".hch", ".mch"};
    for (size_t i = 0; i < 5; ++i) {
        const fs::path renamed = dir / ("x" + std::to_string(i) + asExt[i]);
        fs::copy_file(dir / cases[i].file, renamed);
        RunResult r = Local({"show", renamed.string()});
        EXPECT_EQ(r.status, 1) << cases[i].file;
        EXPECT_EQ(r.err, "Файл " + renamed.filename().string() + " не является файлом, содержащим " +
                             cases[i].second + "\n");
        EXPECT_TRUE(r.out.empty());
    }
}

TEST_F(ZulArchive, ExitStatusesAndMessages) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
        bool file;
    } cases[] = {
        {{"archive", "meas", "--period", "2023-01-01 00:00:00", "2023-01-02 00:00:00", "-o", "e"}, 1,
         "Нет данных за указанный период\n", false},
        {{"archive", "hour", "--from", "2023-01-01 00", "--to", "2023-01-02 00", "-o", "e"}, 1,
         "В архиве нет данных за указанный период (см. период имеющихся в архиве данных)\n", false},
        {{"archive", "day", "--from", "2024-03-10", "--to", "2024-03-01"}, 1,
         "Дата и время конца опроса должны быть больше даты и времени начала опроса\n", false},
        {{"archive", "hour", "--from", "2024-03-14 22"}, 2, "", false},
        {{"archive", "week", "--from", "2024-03-14 22"}, 2, "", false},
        {{"archive", "meas", "--period", "2024-03-15 10:00", "2024-03-15 10:10:00"}, 2, "", false},
    };
    for (const auto& c : cases) {
        RunResult r = Zul(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1];
        if (!c.err.empty()) EXPECT_EQ(r.err, c.err) << c.args[1];
        EXPECT_FALSE(fs::exists("e.mch") || fs::exists("e.hch"));
    }
    // The out-of-order record: "Нет" ends the read with what arrived, --yes reads on.
    sim::Faults f;
    f.outOfOrder = {1, 1, 0};
    sim->SetFaults(f);
    RunResult no = Zul({"archive", "hour", "--from", "2024-03-14 00", "--to", "2024-03-14 07"});
    EXPECT_EQ(no.status, 1);
    EXPECT_EQ(Lines(no.out).size(), 1u + 2 + 3);
    EXPECT_EQ(no.err,
              "Передаваемые контроллером данные не соответствуют запрошенному периоду.    Продолжить чтение?\n"
              "Часовые данные хроматографа из архива прочитаны не полностью\n");
    sim->SetFaults(f);
    RunResult yes = Zul({"archive", "hour", "--from", "2024-03-14 00", "--to", "2024-03-14 07", "--yes"});
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(Lines(yes.out).size(), 1u + 2 + 8);
    // A flagged archive shows its data all the same.
    sim::Faults flagged;
    flagged.archiveError = true;
    sim->SetFaults(flagged);
    RunResult e = Zul({"archive", "meas", "--period", "2024-03-15 10:00:00", "2024-03-15 10:09:59"});
    EXPECT_EQ(e.status, 0);
    EXPECT_EQ(e.err, "Обнаружена ошибка в архиве измерительных данных\n");
}

// The moisture meter's archives with --moisture: rows printed, files written under
// their own extension and magic, shown again the same; refused as chromatograph files.
TEST_F(ZulArchive, MoistureMeterArchives) {
    struct Case {
        std::vector<std::string> read;
        const char* ext;
        const char* magic;
        size_t size;
        const char* caption;
        size_t rows;
        const char* firstRow;
        const char* refusedAs;  // the chromatograph twin's extension
    } cases[] = {
        {{"archive", "meas", "--moisture", "--period", "2024-03-15 10:00:00", "2024-03-15 10:59:59"}, ".mwm", "MSA", 29,
         "Мгновенные данные влагомера за период  с  15.03.24 10:00:00  по  15.03.24 10:59:59", 20,
         "  15.03.24\t  10:00:00\t  Норма\t", ".mch"},
        {{"archive", "hour", "--moisture", "--from", "2024-03-14 00", "--to", "2024-03-14 20"}, ".hwm", "HOU", 28,
         "Часовые данные влагомера за период с 14.03.24  00ч  по  14.03.24  20ч", 21,
         "  14.03.24\t  00:00:00\t   01:00:00\t  Норма\t", ".hch"},
        {{"archive", "day", "--moisture", "--from", "2024-03-10", "--to", "2024-03-14"}, ".dwm", "DAY", 28,
         "Суточные данные влагомера за период с 10.03.24  по  14.03.24", 5, "  10.03.24\t  09:00:00\t   09:00:00\t",
         ".dch"},
    };
    for (const auto& c : cases) {
        RunResult printed = Zul(c.read);
        ASSERT_EQ(printed.status, 0) << printed.err;
        const auto lines = Lines(printed.out);
        ASSERT_EQ(lines.size(), 1 + c.rows) << c.ext;
        EXPECT_EQ(lines[0], c.caption);
        EXPECT_EQ(lines[1].substr(0, std::string(c.firstRow).size()), c.firstRow) << c.ext;
        auto withFile = c.read;
        withFile.insert(withFile.end(), {"-o", (dir / "w").string()});
        ASSERT_EQ(Zul(withFile).status, 0) << c.ext;
        const fs::path path = dir / (std::string("w") + c.ext);
        const std::string bytes = ReadWholeFile(path.string());
        EXPECT_EQ(bytes.substr(0, 4), std::string(c.magic) + '\x01');
        EXPECT_EQ(bytes.size(), 905 + c.rows * c.size);
        RunResult shown = Local({"show", path.string()});
        ASSERT_EQ(shown.status, 0) << shown.err;
        EXPECT_EQ(Lines(shown.out), lines) << c.ext;
        if (std::string(c.ext) != ".mwm") {
            // The print of the hourly and daily files, read back from the PDF.
            const fs::path pdf = dir / "w.pdf";
            ASSERT_EQ(Local({"print", path.string(), "-o", pdf.string(), "--organisation", "ООО Газ"}).status, 0);
            const RunResult text = RunProgram("/usr/bin/pdftotext", {"-layout", pdf.string(), "-"});
            EXPECT_NE(text.out.find(c.ext == std::string(".hwm") ? "Часовые измерительные данные влагомера"
                                                                 : "Суточные измерительные данные влагомера"),
                      std::string::npos);
            EXPECT_NE(text.out.find("ООО Газ"), std::string::npos);
            EXPECT_NE(text.out.find("Лист 1 из 1"), std::string::npos);
        }
        const fs::path twin = dir / (std::string("t") + c.refusedAs);
        fs::copy_file(path, twin, fs::copy_options::overwrite_existing);
        EXPECT_EQ(Local({"show", twin.string()}).status, 1) << c.ext;
    }
    EXPECT_EQ(Zul({"archive", "clb", "--moisture", "--period", "2024-03-10 00:00:00", "2024-03-14 23:59:59"}).status, 2);
}

// Two reads at once on one program folder, of two controllers with other archives:
// each file holds its own controller's records, and no scratch file is left.
TEST_F(ZulArchive, ReadsSideBySideKeepTheirOwnRecords) {
    sim::SimSettings other = StoppedAt(12, 0, 0);
    other.seed = 7;
    sim::Qrtsim second(other);
    ASSERT_TRUE(second.StartTcp());
    sim::Faults slow;
    slow.answerDelayMs = 10;  // long enough for the two reads to overlap
    sim->SetFaults(slow);
    second.SetFaults(slow);
    const std::vector<std::string> read = {"--send-pause-ms", "0", "--reply-timeout-ms", "3000", "archive", "meas",
                                           "--period", "2024-03-15 09:00:00", "2024-03-15 10:59:59", "-o"};
    auto args = [&](const std::string& address, const std::string& file) {
        std::vector<std::string> a = {"--tcp", address};
        a.insert(a.end(), read.begin(), read.end());
        a.push_back((dir / file).string());
        return a;
    };
    Process one(ZUL_BIN, args(tcp, "par1")), two(ZUL_BIN, args(TcpAddress(second), "par2"));
    EXPECT_EQ(one.Wait(60000).status, 0) << one.result.err;
    EXPECT_EQ(two.Wait(60000).status, 0) << two.result.err;
    // The same reads one after the other tell whose records are whose.
    sim->SetFaults({});
    second.SetFaults({});
    ASSERT_EQ(RunProgram(ZUL_BIN, args(tcp, "ref1")).status, 0);
    ASSERT_EQ(RunProgram(ZUL_BIN, args(TcpAddress(second), "ref2")).status, 0);
    auto records = [&](const char* file) { return ReadWholeFile((dir / file).string()).substr(905); };
    ASSERT_EQ(records("ref1.mch").size(), 40u * 94u);
    EXPECT_NE(records("ref1.mch"), records("ref2.mch"));
    EXPECT_EQ(records("par1.mch"), records("ref1.mch"));
    EXPECT_EQ(records("par2.mch"), records("ref2.mch"));
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().rfind("datafile", 0), std::string::npos) << e.path();
}

TEST_F(ZulArchive, ExportWritesAWorkbook) {
    ASSERT_EQ(Zul({"archive", "meas", "--period", "2024-03-15 10:00:00", "2024-03-15 10:59:59", "-o",
                   (dir / "m").string()}).status, 0);
    // The workbook is built beside its target: nothing goes to the temporary folder.
    const fs::path tmp = dir / "tmp";
    fs::create_directories(tmp);
    setenv("TMPDIR", tmp.c_str(), 1);
    RunResult r = Local({"export", (dir / "m.mch").string(), "-o", (dir / "book").string()});
    unsetenv("TMPDIR");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_empty(tmp));
    EXPECT_FALSE(fs::exists(dir / ".book.xlsx.part"));
    const std::string book = (dir / "book.xlsx").string();
    ASSERT_TRUE(fs::exists(book));
    RunResult read = RunProgram("/usr/bin/python3", {"-c",
        "import sys, openpyxl\nws = openpyxl.load_workbook(sys.argv[1]).active\n"
        "print(ws.max_row, ws.cell(4, 1).value, ws.cell(4, 2).value, ws.cell(25, 1).value)", book});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "25 15.03.24 10:00:00 Среднее значение\n");
    RunResult bad = Local({"export", (dir / "m.mch").string(), "-o", (dir / "m.mch" / "x.xlsx").string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "Ошибка работы с файлом!\n");
    EXPECT_EQ(Local({"export", (dir / "m.mch").string()}).status, 2);
}

}  // namespace
}  // namespace zul::test
