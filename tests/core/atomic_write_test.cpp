// Files the program keeps survive a writer killed at any moment: the target is
// always the old or the new contents, whole, and a killed writer leaves at most
// one temporary file, which the next write removes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "link/IniFile.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int FilesIn(const fs::path& dir) {
    int n = 0;
    for (auto& e : fs::directory_iterator(dir)) n += e.is_regular_file();
    return n;
}

TEST(AtomicWrite, WriterKilledAtRandomMoments) {
    char tmpl[] = "/tmp/zul-atomic-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir(tmpl), target = dir / "site.cnf";
    // Two contents of different lengths, large enough that a kill often lands inside a write.
    const std::string older(3 << 20, 'A'), newer((2 << 20) + 17, 'B');
    ASSERT_TRUE(WriteFileAtomically(target, older));

    std::mt19937 random(20261209);
    int leftovers = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0;; ++i) WriteFileAtomically(target, i % 2 ? older : newer);
        }
        usleep(useconds_t(random() % 20000));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        const std::string now = Slurp(target);
        ASSERT_TRUE(now == older || now == newer) << "round " << round << ": " << now.size() << " bytes";
        const int files = FilesIn(dir);
        ASSERT_LE(files, 2) << "round " << round;
        if (files == 2) {
            ASSERT_TRUE(fs::exists(AtomicWriteTemporary(target.string())));
            ++leftovers;
        }
    }
    // The kills landed inside writes, or the test proved nothing.
    EXPECT_GT(leftovers, 0);
    ASSERT_TRUE(WriteFileAtomically(target, newer));
    EXPECT_EQ(FilesIn(dir), 1);
    EXPECT_EQ(Slurp(target), newer);
    fs::remove_all(dir);
}

// A file another writer makes is made at the temporary path beside the target:
// a writer that fails leaves the old file and nothing else.
TEST(AtomicWrite, FilesMadeByAnotherWriter) {
    char tmpl[] = "/tmp/zul-atomic-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir(tmpl), target = dir / "book.xlsx";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    struct Case {
        const char* what;
        bool fills;     // the writer writes its file
        bool succeeds;  // and says it succeeded
        const char* after;
    } cases[] = {
        {"fails after writing", true, false, "old"},
        {"fails before writing", false, false, "old"},
        {"says done without a file", false, true, "old"},
        {"succeeds", true, true, "new"},
    };
    for (const Case& c : cases) {
        std::string given;
        const bool ok = WriteFileAtomicallyBy(target, [&](const std::string& part) {
            given = part;
            if (c.fills) std::ofstream(part, std::ios::binary) << "new";
            return c.succeeds;
        });
        EXPECT_EQ(ok, std::string(c.after) == "new") << c.what;
        EXPECT_EQ(given, AtomicWriteTemporary(target.string())) << c.what;
        EXPECT_EQ(Slurp(target), c.after) << c.what;
        EXPECT_EQ(FilesIn(dir), 1) << c.what;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zul::test
