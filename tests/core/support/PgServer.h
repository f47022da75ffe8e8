// A throwaway PostgreSQL server for tests and benchmarks: initdb in a scratch
// folder under /tmp, the server listening only on a Unix socket in that folder
// (listen_addresses=''), run as "nobody" when the caller is root (the server
// refuses root), stopped and removed when the object goes. The server is told
// to quit should this process die first, so a killed test leaves nothing behind.
//
//   PgServer& pg = PgServer::Shared();
//   ZUL_NEED_POSTGRES(pg);                   // skips the test when there is no server here
//   std::string db = pg.CreateDatabase();    // a fresh database
//   OpenArchiveStore(pg.Uri(db), why);
//   pg.Query(db, "SELECT count(*) FROM record")   // psql, an independent reader
#pragma once
#include <sys/types.h>

#include <string>

namespace zul::test {

class PgServer {
public:
    PgServer();
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // One server for the whole process, started on first use.
    static PgServer& Shared();

    // The folder of the server programs ("" when none is installed).
    static std::string FindBinaries();

    bool running() const { return pid_ > 0; }
    bool installed() const { return !bin_.empty(); }
    const std::string& why() const { return why_; }
    const std::string& socketDir() const { return dir_; }

    // Connection strings for database `db`: a key=value conninfo and a URI.
    std::string Conninfo(const std::string& db) const;
    std::string Uri(const std::string& db) const;
    // A new empty database ("" with why() when that fails).
    std::string CreateDatabase();
    // psql's unaligned, tab-separated output of `sql` on `db`, one row a line.
    std::string Query(const std::string& db, const std::string& sql) const;

private:
    bool Start();
    std::string bin_, dir_, why_;
    pid_t pid_ = -1;
    int databases_ = 0;
};

}  // namespace zul::test

// Skips the calling test with the reason when no server binaries are installed,
// fails it when they are but the server would not start.
#define ZUL_NEED_POSTGRES(pg)                                                              \
    do {                                                                                   \
        if (!(pg).installed()) GTEST_SKIP() << (pg).why();                                 \
        ASSERT_TRUE((pg).running()) << (pg).why();                                         \
    } while (0)
