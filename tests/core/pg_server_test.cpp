// The tests' own PostgreSQL server: it answers on its Unix socket only, runs
// under an unprivileged account, and leaves neither a process nor a folder behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/support/PgServer.h"

namespace zul::test {
namespace {

// The user id a process runs as, from /proc (-1 when it is gone).
long ProcessUid(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Uid:", 0) == 0) return std::stol(line.substr(4));
    return -1;
}

TEST(PgServerTest, AnswersOnItsSocketOnlyAndCleansUp) {
    std::string dir;
    pid_t pid = -1;
    {
        PgServer pg;
        ZUL_NEED_POSTGRES(pg);
        dir = pg.socketDir();
        const std::string db = pg.CreateDatabase();
        ASSERT_FALSE(db.empty()) << pg.why();
        struct Case {
            const char* sql;
            std::string out;
        } cases[] = {
            {"SELECT 6 * 7", "42\n"},
            {"SHOW listen_addresses", "\n"},
            {"SELECT current_database()", db + "\n"},
            {"SELECT current_user", "zul\n"},
            {"SELECT convert_from('\\xd0a3d0b7d0b5d0bb'::bytea, 'UTF8')", "Узел\n"},
        };
        for (const Case& c : cases) EXPECT_EQ(pg.Query(db, c.sql), c.out) << c.sql;
        // The URI form names the same socket.
        EXPECT_NE(pg.Uri(db).find("%2Ftmp%2Fzul-pg-"), std::string::npos) << pg.Uri(db);
        struct stat st {};
        ASSERT_EQ(::stat((dir + "/.s.PGSQL.5432").c_str(), &st), 0);
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
        std::ifstream pidFile(dir + "/data/postmaster.pid");
        std::string first;
        std::getline(pidFile, first);
        pid = pid_t(std::atol(first.c_str()));
        ASSERT_GT(pid, 0);
        EXPECT_NE(ProcessUid(pid), 0) << "the server must not run as root";
        if (::geteuid() != 0) {
            EXPECT_EQ(ProcessUid(pid), long(::geteuid()));
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir));
    EXPECT_EQ(ProcessUid(pid), -1);
}

}  // namespace
}  // namespace zul::test
