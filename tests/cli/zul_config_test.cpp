// `zul config` run as a program against the simulated controller: files read back
// by an independent reader (python), the check's lines, the write reaching the
// controller, and the refusals' exit statuses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace zul::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes FileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

void PutFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// What an independent reader finds in a .cnf: size, origin, type, version,
// the first password byte as stored and the first name (cp1251 -> UTF-8).
std::string PythonSummary(const std::string& path) {
    const std::string script =
        "import sys\n"
        "b = open(sys.argv[1], 'rb').read()\n"
        "name = b[1409:1429].rstrip(b'\\x00 ').decode('cp1251')\n"
        "print(len(b), b[0], b[2], b[4], hex(b[1829]), (4 - b[1829]) % 256, name)\n";
    RunResult r = RunProgram("/usr/bin/python3", {"-c", script, path});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

class ZulConfig : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<sim::Qrtsim>(StoppedAt(12, 0, 0));
        ASSERT_TRUE(sim->StartTcp());
        tcp = TcpAddress(*sim);
        char tmpl[] = "/tmp/zul_config_XXXXXX";
        dir = mkdtemp(tmpl);
    }
    RunResult Zul(std::vector<std::string> args, bool link = true) {
        std::vector<std::string> all;
        if (link) all = {"--tcp", tcp, "--send-pause-ms", "0", "--reply-timeout-ms", "300"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(ZUL_BIN, all);
    }
    std::unique_ptr<sim::Qrtsim> sim;
    std::string tcp, dir;
};

TEST_F(ZulConfig, NewAndReadWriteFilesAnotherReaderUnderstands) {
    RunResult r = Zul({"config", "new", "-o", dir + "/no/such/folder/x"}, false);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Ошибка открытия файла\n");  // a file that cannot be written is said
    r = Zul({"config", "new", "-o", dir + "/fresh"}, false);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(PythonSummary(dir + "/fresh.cnf"), "4335 0 73 17 0xe4 32 Контроллер ЗУЛ_17\n");

    sim->SetField(13, 0, Bytes(16, 'S'));  // never read: the file keeps blanks
    r = Zul({"config", "read", "-o", dir + "/site.cnf"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(PythonSummary(dir + "/site.cnf"), "4335 1 73 17 0xe4 32 Контроллер ЗУЛ_17\n");
    const Bytes site = FileBytes(dir + "/site.cnf");
    EXPECT_EQ(Bytes(site.begin() + 1767, site.begin() + 1775), sim->TableBytes(15));

    // -o replaces an existing file without asking.
    r = Zul({"config", "read", "-o", dir + "/fresh.cnf"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileBytes(dir + "/fresh.cnf"), site);
}

struct CheckCase {
    const char* what;
    int offset;       // -1: no change
    int value;
    size_t size;
    int status;
    const char* err;  // stderr
};

TEST_F(ZulConfig, CheckAndItsRefusals) {
    ASSERT_EQ(Zul({"config", "new", "-o", dir + "/base.cnf"}, false).status, 0);
    Bytes base = FileBytes(dir + "/base.cnf");
    // One commissioning engineer, so that the user rules pass.
    std::memcpy(&base[3467], "NAL ", 4);
    base[3467 + 4] = 1;
    std::memcpy(&base[3467 + 18], "1111", 4);
    const CheckCase cases[] = {
        {"passes", -1, 0, 4335, 0, ""},
        {"chromatograph address 0", 1705, 0, 4335, 1, "Неверно задан адрес хроматографа\n\n"},
        {"second flow computer, not connected, address 0", 1845, 0, 4335, 0, ""},
        {"one byte more", -1, 0, 4336, 1,
         "Файл f.cnf не является файлом конфигурации контроллера ЗУЛ_QRT_510\n"},
        {"version 14", 4, 14, 4335, 1,
         "Файл параметров конфигурации f.cnf подготовлен для контроллера ЗУЛ с версией ПО 14\n"},
    };
    for (const CheckCase& c : cases) {
        Bytes b = base;
        if (c.offset >= 0) b[size_t(c.offset)] = uint8_t(c.value);
        b.resize(c.size);
        PutFile(dir + "/f.cnf", b);
        RunResult r = Zul({"config", "check", dir + "/f.cnf"}, false);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
        EXPECT_EQ(r.err, c.err) << c.what;
        EXPECT_TRUE(r.out.empty()) << c.what;
    }
    // The third flow computer of three without an address.
    Bytes b = base;
    b[3919] = 3;
    b[1825 + 40] = 0;
    PutFile(dir + "/f.cnf", b);
    RunResult r = Zul({"config", "check", dir + "/f.cnf"}, false);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Неверно заданы адреса вычислителей РГ\n\n");
}

// Every command that talks to the controller identifies it as the window's start
// does: a chromatograph code other than 0 or 1 is refused before anything else.
// (config write, the restore, needs the type and version only: it can mend table 14.)
TEST_F(ZulConfig, EveryCommandRefusesAnotherChromatograph) {
    ASSERT_TRUE(sim->SetByte(14, 6, 2));
    const std::vector<std::vector<std::string>> commands = {
        {"config", "read", "-o", dir + "/c2.cnf"}, {"clock"}, {"live", "state"}, {"events", "diag", "--last", "1"}};
    for (const auto& c : commands) {
        const RunResult r = Zul(c);
        EXPECT_EQ(r.status, 1) << c[0];
        EXPECT_EQ(r.err.rfind("Код подключенного хроматографа равен 2. Должен быть 0 (QRT 510 (HMU) или 1 (QRT 510 (HDM) \n", 0),
                  0u)
            << c[0] << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c[0];
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/c2.cnf"));
    ASSERT_EQ(Zul({"config", "new", "-o", dir + "/c2.cnf"}, false).status, 0);
    const RunResult r = Zul({"--ident", "3333", "--password", "333333", "config", "write", dir + "/c2.cnf", "--tables", "14"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(sim->Field(14, 6), Bytes{0});
}

TEST_F(ZulConfig, WriteReachesTheControllerTableByTable) {
    ASSERT_EQ(Zul({"config", "new", "-o", dir + "/w.cnf"}, false).status, 0);
    Bytes b = FileBytes(dir + "/w.cnf");
    b[3365] = 0;                 // table 28 field 0
    b[2345 + 3] = 1;             // table 21 field 3
    b[3919] = 2;                 // two flow computers
    b[1825 + 20] = 9;            // the second one's address
    PutFile(dir + "/w.cnf", b);
    RunResult r = Zul({"--ident", "3333", "--password", "333333", "config", "write", dir + "/w.cnf", "--tables",
                       "9,18,21,28"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(sim->Field(28, 0), Bytes{0});
    EXPECT_EQ(sim->Field(21, 3), Bytes{1});
    EXPECT_EQ(sim->Field(9, 0), Bytes{2});
    EXPECT_EQ(sim->Field(18, 1), Bytes{9});
    EXPECT_EQ(sim->Field(18, 2), Bytes{3});  // not connected: untouched

    // Refused by the controller (no credentials): exit 1, the table and the reason
    // on one line.
    r = Zul({"config", "write", dir + "/w.cnf", "--tables", "22"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Не выполнена запись в таблицу 22. Пользователь не зарегистрирован или неправильный пароль\n");

    // Bad usage.
    for (auto args : std::vector<std::vector<std::string>>{{"config", "write", dir + "/w.cnf", "--tables", "2"},
                                                           {"config", "write", dir + "/w.cnf", "--tables", "7"},
                                                           {"config", "new"},
                                                           {"config", "read", dir + "/x.cnf"},
                                                           {"config", "check"}})
        EXPECT_EQ(Zul(args).status, 2) << args.back();
}

}  // namespace
}  // namespace zul::test
