// The archive store's rules, the same cases on a real SQLite file and on a real
// PostgreSQL server: a key is held once, a record with a failed check is
// replaced by an intact copy and never the other way, kinds and instruments are
// kept apart, what is committed survives reopening, writers at once neither
// double nor lose a record, and a store of a newer schema is refused. Python's
// own sqlite3 module and psql read the stores independently.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "core/support/PgServer.h"
#include "store/ArchiveStore.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

StoreRecord Rec(int64_t key, bool intact, uint8_t fill, int size = 94) {
    StoreRecord r;
    r.key = r.moment = key;
    r.intact = intact;
    r.bytes.assign(size_t(size), fill);
    return r;
}

// What python3 prints for a query on the file: rows a line, columns tab-separated.
std::string Python(const std::string& path, const std::string& query) {
    const std::string cmd = "/usr/bin/python3 -c \"import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); "
                            "[print(*r, sep=chr(9)) for r in c.execute(sys.argv[2]).fetchall()]; c.commit()\" '" +
                            path + "' \"" + query + "\"";
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

enum class Engine { kSqlite, kPostgres };

class ArchiveStoreTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::kSqlite) {
            path = (fs::temp_directory_path() / ("zul-store-" + std::to_string(getpid()) + ".sqlite")).string();
            fs::remove(path);
            location = path;
        } else {
            test::PgServer& pg = test::PgServer::Shared();
            ZUL_NEED_POSTGRES(pg);
            db = pg.CreateDatabase();
            ASSERT_FALSE(db.empty()) << pg.why();
            location = pg.Uri(db);
        }
        Open();
        StoreController c;
        c.mac = "00:1A:2B:3C:4D:5E";
        c.name = "Узел 1";
        c.image.assign(2925, 7);
        ASSERT_TRUE(store->PutController(c)) << store->errorText();
    }
    void TearDown() override {
        store.reset();
        if (!path.empty())
            for (const char* tail : {"", "-wal", "-shm"}) fs::remove(path + tail);
    }
    void Open() {
        std::string why;
        store = OpenArchiveStore(location, why);
        ASSERT_TRUE(store) << why;
    }
    int Put(ArchiveKind kind, std::vector<StoreRecord> recs) {
        int added = -1;
        EXPECT_TRUE(store->PutRecords(mac, kind, recs.data(), recs.size(), added)) << store->errorText();
        return added;
    }
    // The store's own answer to `sql`, read by a program of the engine's own.
    std::string Independent(const std::string& sql) {
        return GetParam() == Engine::kSqlite ? Python(path, sql) : test::PgServer::Shared().Query(db, sql);
    }
    std::string path, db, location, mac = "00:1A:2B:3C:4D:5E";
    std::unique_ptr<ArchiveStore> store;
};

TEST_P(ArchiveStoreTest, KeysAreHeldOnceAndIntactCopiesReplaceBadOnes) {
    struct Step {
        const char* what;
        std::vector<StoreRecord> put;
        int added;
        uint64_t held, bad;
        int64_t key;  // a key to look at afterwards
        bool intact;
        uint8_t fill;
    } steps[] = {
        {"new keys", {Rec(100, true, 1), Rec(200, false, 2), Rec(300, true, 3)}, 3, 3, 1, 200, false, 2},
        {"the same again", {Rec(100, true, 1), Rec(300, true, 3)}, 0, 3, 1, 100, true, 1},
        {"a held intact record is not replaced", {Rec(100, true, 9)}, 0, 3, 1, 100, true, 1},
        {"nor by a bad copy", {Rec(300, false, 8)}, 0, 3, 1, 300, true, 3},
        {"a bad copy of a bad record changes nothing", {Rec(200, false, 5)}, 0, 3, 1, 200, false, 2},
        {"an intact copy replaces the bad one", {Rec(200, true, 6), Rec(400, true, 4)}, 1, 4, 0, 200, true, 6},
        {"a key twice in one reply", {Rec(500, true, 5), Rec(500, true, 7)}, 1, 5, 0, 500, true, 5},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(Put(kArchMch, s.put), s.added);
        KindSummary sum;
        ASSERT_TRUE(store->Summary(mac, kArchMch, sum));
        EXPECT_EQ(sum.held, s.held);
        EXPECT_EQ(sum.bad, s.bad);
        EXPECT_EQ(sum.first, 100);
        std::vector<StoreRecord> got;
        ASSERT_TRUE(store->Records(mac, kArchMch, s.key, s.key, got));
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].intact, s.intact);
        EXPECT_EQ(got[0].bytes, std::vector<uint8_t>(94, s.fill));
    }
    // Damaged copies are counted: a collection stops asking for a record that keeps coming damaged.
    struct Asked {
        int copiesBefore;
        std::vector<int64_t> keys;
    } asked[] = {{2, {600}}, {3, {600}}};
    EXPECT_EQ(Put(kArchMch, {Rec(600, false, 1)}), 1);
    for (const Asked& a : asked) {
        std::vector<int64_t> keys;
        ASSERT_TRUE(store->BadKeys(mac, kArchMch, 10, a.copiesBefore, keys));
        EXPECT_EQ(keys, a.keys);
    }
    EXPECT_EQ(Put(kArchMch, {Rec(600, false, 1)}), 0);
    std::vector<int64_t> keys;
    ASSERT_TRUE(store->BadKeys(mac, kArchMch, 10, 2, keys));
    EXPECT_TRUE(keys.empty()) << "two damaged copies came";
    ASSERT_TRUE(store->BadKeys(mac, kArchMch, 10, 3, keys));
    EXPECT_EQ(keys, std::vector<int64_t>{600});
    EXPECT_EQ(Put(kArchMch, {Rec(600, true, 2)}), 0);
    // Reopened, the file holds what was committed; Python reads the same rows.
    store.reset();
    Open();
    KindSummary sum;
    ASSERT_TRUE(store->Summary(mac, kArchMch, sum));
    EXPECT_EQ(sum.held, 6u);
    EXPECT_EQ(sum.last, 600);
    EXPECT_EQ(Independent("SELECT count(*), sum(length(bytes)), count(*) FILTER (WHERE intact) FROM record"),
              "6\t564\t6\n");
}

TEST_P(ArchiveStoreTest, KindsInstrumentsAndPeriodsAreKeptApart) {
    Put(kArchMch, {Rec(10, true, 1), Rec(20, true, 1)});
    Put(kArchMwm, {Rec(10, true, 2, 29)});
    StoreRecord e1 = Rec(7001, true, 3, 22), e2 = Rec(7002, true, 3, 22);
    e1.moment = 500, e2.moment = 900;  // events: key an index, the moment apart
    Put(kArchAla, {e1, e2});
    struct Case {
        ArchiveKind kind;
        int64_t from, to;
        bool byMoment;
        size_t count;
        int64_t firstKey;
    } cases[] = {
        {kArchMch, 0, 100, false, 2, 10},  {kArchMwm, 0, 100, false, 1, 10}, {kArchHch, 0, 100, false, 0, 0},
        {kArchMch, 15, 20, false, 1, 20},  {kArchAla, 600, 900, true, 1, 7002}, {kArchAla, 7001, 7001, false, 1, 7001},
        {kArchAud, 0, 100000, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(KindInfo(c.kind).name);
        std::vector<StoreRecord> got;
        ASSERT_TRUE(store->Records(mac, c.kind, c.from, c.to, got, c.byMoment));
        ASSERT_EQ(got.size(), c.count);
        if (c.count) EXPECT_EQ(got[0].key, c.firstKey);
    }
    EXPECT_EQ(Independent("SELECT kind, instrument, count(*) FROM record GROUP BY kind, instrument ORDER BY kind, instrument"),
              "diag\t0\t2\nmeas\t0\t2\nmeas\t1\t1\n");
    std::vector<StoreController> all;
    ASSERT_TRUE(store->Controllers(all));
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].name, "Узел 1");
    EXPECT_EQ(all[0].image.size(), 2925u);
    // An unknown controller takes no records.
    int added = 0;
    StoreRecord r = Rec(1, true, 1);
    EXPECT_FALSE(store->PutRecords("00:00:00:00:00:09", kArchMch, &r, 1, added));
    EXPECT_NE(store->errorText().find("00:00:00:00:00:09"), std::string::npos);
}

TEST_P(ArchiveStoreTest, AStoreOfANewerSchemaIsRefused) {
    store.reset();
    std::string why;
    if (GetParam() == Engine::kPostgres) {
        // A key=value connection string names the same database; its schema is found, not made again.
        ASSERT_TRUE(OpenArchiveStore(test::PgServer::Shared().Conninfo(db), why)) << why;
        EXPECT_EQ(Independent("SELECT value FROM store_meta"), "1\n");
    }
    Independent("UPDATE store_meta SET value='99' WHERE name='schema_version'");
    EXPECT_FALSE(OpenArchiveStore(location, why));
    EXPECT_NE(why.find("schema version 99"), std::string::npos) << why;
    EXPECT_FALSE(OpenArchiveStore("/nonexistent-folder/s.sqlite", why));
    EXPECT_FALSE(OpenArchiveStore("postgresql://127.0.0.1:1/zul", why));
    EXPECT_NE(why.find("cannot connect to the PostgreSQL store"), std::string::npos) << why;
    EXPECT_EQ(MacText(std::vector<uint8_t>{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}.data()), "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(StoreKeyText(kArchAla, 1234), "1234");
    EXPECT_EQ(StoreKeyText(kArchMch, int64_t(45366) * 86400 + 3600 * 12 + 61), "2024-03-15 12:01:01");
}

// Writers on their own connections at once, each putting every key in replies of
// ten from its own starting point: each key is added by exactly one of them.
TEST_P(ArchiveStoreTest, WritersAtOnceAddEachKeyOnce) {
    constexpr int kWriters = 4, kKeys = 200, kReply = 10;
    int added[kWriters] = {};
    std::string errors[kWriters];
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            std::string why;
            std::unique_ptr<ArchiveStore> s = OpenArchiveStore(location, why);
            if (!s) {
                errors[w] = why;
                return;
            }
            for (int r = 0; r < kKeys / kReply; ++r) {
                const int first = (r * kReply + w * (kKeys / kWriters)) % kKeys;
                std::vector<StoreRecord> recs;
                for (int k = first; k < first + kReply; ++k) recs.push_back(Rec(1000 + k, k % 7 != w, uint8_t(k)));
                int n = 0;
                if (!s->PutRecords(mac, kArchHch, recs.data(), recs.size(), n)) {
                    errors[w] = s->errorText();
                    return;
                }
                added[w] += n;
            }
        });
    }
    for (std::thread& t : writers) t.join();
    int total = 0;
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_EQ(errors[w], "") << "writer " << w;
        total += added[w];
    }
    EXPECT_EQ(total, kKeys);
    KindSummary sum;
    ASSERT_TRUE(store->Summary(mac, kArchHch, sum));
    EXPECT_EQ(sum.held, uint64_t(kKeys));
    // Every key was sent intact by some writer, so none is left bad.
    EXPECT_EQ(sum.bad, 0u);
    EXPECT_EQ(Independent("SELECT count(*), count(DISTINCT key), min(key), max(key) FROM record"),
              "200\t200\t1000\t1199\n");
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveStoreTest, ::testing::Values(Engine::kSqlite, Engine::kPostgres),
                         [](const ::testing::TestParamInfo<Engine>& i) {
                             return i.param == Engine::kSqlite ? "Sqlite" : "Postgres";
                         });

}  // namespace
}  // namespace zul
