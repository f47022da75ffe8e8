// `zul events interv`, `zul show` of an .aud file and `zul print` as programs
// against the simulated controller on loopback TCP; the PDFs read back with
// pdftotext and pdfinfo.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

std::string Collapse(std::string s) {
    std::string out;
    for (char c : s)
        if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
    return out;
}

class ZulInterv : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<sim::Qrtsim>(StoppedAt(12, 0, 0));
        ASSERT_TRUE(sim->StartTcp());
        tcp = TcpAddress(*sim);
        held = sim->Interventions(&first);
        ASSERT_GE(held.size(), 29u);
        dir = ::testing::TempDir() + "zul_interv_" + std::to_string(::getpid()) + "/";
        ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
        setenv("ZUL_HOME", dir.c_str(), 1);
    }
    RunResult Zul(std::vector<std::string> args) {
        std::vector<std::string> all = {"--tcp", tcp, "--send-pause-ms", "0", "--reply-timeout-ms", "300"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(ZUL_BIN, all);
    }
    std::unique_ptr<sim::Qrtsim> sim;
    std::string tcp, dir;
    std::vector<std::array<uint8_t, 24>> held;
    uint32_t first = 0;
};

TEST_F(ZulInterv, ReadSavedShownAndPrinted) {
    // The setting-up: the first 29 records, every kind of value.
    const std::string file = dir + "setup";
    RunResult r = Zul({"events", "interv", "--index", std::to_string(first), "29", "-o", file});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = ReadWholeFile(file + ".aud");
    ASSERT_EQ(bytes.size(), 905u + 29u * 205u);
    EXPECT_EQ(bytes.substr(0, 3), "AUD");

    RunResult printed = Zul({"events", "interv", "--index", std::to_string(first), "29"});
    ASSERT_EQ(printed.status, 0) << printed.err;
    const auto lines = Lines(printed.out);
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[0], "Сообщения о вмешательствах оператора с индексами от " + std::to_string(first) + " до " +
                            std::to_string(first + 28));
    bool sawSpeed = false, sawPassword = false;
    for (const std::string& l : lines) {
        sawSpeed |= l.find("\tСкорость обмена с ВУ\t9600\t38400\tбит/с\tENG ") != std::string::npos;
        sawPassword |= l.find("\tПароль на запись в ВРГ 1\t\t\t\tADM ") != std::string::npos;
    }
    EXPECT_TRUE(sawSpeed) << printed.out;
    EXPECT_TRUE(sawPassword) << printed.out;

    // `zul show` of the file: the period caption, the same rows (texts cut to their fields).
    RunResult shown = RunProgram(ZUL_BIN, {"show", file + ".aud"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const auto showLines = Lines(shown.out);
    ASSERT_EQ(showLines.size(), 30u);
    EXPECT_EQ(showLines[0].rfind("Сообщения о вмешательствах оператора за период с ", 0), 0u);
    for (size_t i = 1; i < 30; ++i) {
        if (lines[i].find("Мл. адрес -- ст. байт") != std::string::npos) {
            EXPECT_NE(showLines[i].find("\tМл. адрес -- ст. ба\t"), std::string::npos) << showLines[i];
        } else {
            EXPECT_EQ(showLines[i], lines[i]);
        }
    }

    // Printed into a PDF with the organisation's name.
    struct {
        std::vector<std::string> extra;
        const char* organisation;
    } const cases[] = {{{"--organisation", "ООО «Газ Север»"}, "ООО «Газ Север»"}, {{}, nullptr}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"print", file + ".aud", "-o", dir + "report"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        RunResult p = RunProgram(ZUL_BIN, args);
        ASSERT_EQ(p.status, 0) << p.err;
        RunResult info = RunProgram("/usr/bin/pdfinfo", {dir + "report.pdf"});
        const size_t pages = info.out.find("Pages:");
        ASSERT_NE(pages, std::string::npos) << info.out << info.err;
        EXPECT_EQ(std::atoi(info.out.c_str() + pages + 6), 1) << info.out;
        RunResult text = RunProgram("/usr/bin/pdftotext", {"-layout", dir + "report.pdf", "-"});
        const std::string t = Collapse(text.out);
        EXPECT_NE(t.find("Перечень сообщений о вмешательствах оператора"), std::string::npos);
        EXPECT_NE(t.find("Лист 1 из 1"), std::string::npos);
        EXPECT_NE(t.find("Скорость обмена с ВУ"), std::string::npos);
        if (c.organisation) EXPECT_NE(t.find(c.organisation), std::string::npos) << t;
    }
}

TEST_F(ZulInterv, PrintRefusalsAndFailures) {
    const std::string file = dir + "few";
    ASSERT_EQ(Zul({"events", "interv", "--last", "3", "-o", file}).status, 0);
    struct {
        std::vector<std::string> args;
        int status;
        const char* err;
    } const cases[] = {
        {{"print", file + ".aud", "-o", dir + "no/such/folder/r.pdf"}, 1, "Ошибка печати данных"},
        {{"print", dir + "missing.aud", "-o", dir + "r.pdf"}, 1, "Ошибка открытия файла"},
        {{"print", file + ".aud"}, 2, "zul print:"},
        {{"print", dir + "x.mch", "-o", dir + "r.pdf"}, 2, "zul print:"},
    };
    for (const auto& c : cases) {
        RunResult p = RunProgram(ZUL_BIN, c.args);
        EXPECT_EQ(p.status, c.status) << c.args[1];
        EXPECT_NE(p.err.find(c.err), std::string::npos) << p.err;
    }
    // An .ala renamed .aud is refused as show refuses it.
    ASSERT_EQ(Zul({"events", "diag", "--last", "3", "-o", dir + "diag"}).status, 0);
    ASSERT_EQ(std::rename((dir + "diag.ala").c_str(), (dir + "diag.aud").c_str()), 0);
    RunResult p = RunProgram(ZUL_BIN, {"print", dir + "diag.aud", "-o", dir + "r.pdf"});
    EXPECT_EQ(p.status, 1);
    EXPECT_NE(p.err.find("не является файлом, содержащим сообщения о вмешательствах"), std::string::npos) << p.err;
}

}  // namespace
}  // namespace zul::test
