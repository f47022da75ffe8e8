#include "store/SqliteStore.h"

#include <sqlite3.h>

#include <cstdlib>
#include <map>

namespace zul {

namespace {

// Raised by one whenever the tables change; a file of a newer schema is refused.
constexpr int kSchemaVersion = 1;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS store_meta(name TEXT PRIMARY KEY, value TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS controller("
    " id INTEGER PRIMARY KEY, mac TEXT NOT NULL UNIQUE, type INTEGER NOT NULL, hardware INTEGER NOT NULL,"
    " software INTEGER NOT NULL, address INTEGER NOT NULL, name TEXT NOT NULL, image BLOB NOT NULL);"
    // The key: controller, kind (its chromatograph name), instrument, index or moment.
    "CREATE TABLE IF NOT EXISTS record("
    " controller INTEGER NOT NULL REFERENCES controller(id), kind TEXT NOT NULL, instrument INTEGER NOT NULL,"
    " key INTEGER NOT NULL, moment INTEGER NOT NULL, intact INTEGER NOT NULL, bytes BLOB NOT NULL,"
    // Damaged copies received while the record is held with a failed check.
    " copies INTEGER NOT NULL DEFAULT 1,"
    " PRIMARY KEY(controller, kind, instrument, key)) WITHOUT ROWID;";

// A prepared statement, reset after each use.
class Statement {
public:
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(s_); }
    bool Prepare(sqlite3* db, const char* sql) { return sqlite3_prepare_v2(db, sql, -1, &s_, nullptr) == SQLITE_OK; }
    sqlite3_stmt* get() const { return s_; }
    void Int(int i, int64_t v) { sqlite3_bind_int64(s_, i, v); }
    void Text(int i, const std::string& v) { sqlite3_bind_text(s_, i, v.c_str(), int(v.size()), SQLITE_TRANSIENT); }
    void Blob(int i, const std::vector<uint8_t>& v) {
        sqlite3_bind_blob(s_, i, v.data(), int(v.size()), SQLITE_STATIC);
    }
    int Step() { return sqlite3_step(s_); }
    void Reset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    int64_t Col(int i) const { return sqlite3_column_int64(s_, i); }
    std::string ColText(int i) const {
        const unsigned char* t = sqlite3_column_text(s_, i);
        return t ? std::string(reinterpret_cast<const char*>(t), size_t(sqlite3_column_bytes(s_, i))) : std::string();
    }
    std::vector<uint8_t> ColBlob(int i) const {
        const auto* b = static_cast<const uint8_t*>(sqlite3_column_blob(s_, i));
        return b ? std::vector<uint8_t>(b, b + sqlite3_column_bytes(s_, i)) : std::vector<uint8_t>();
    }

private:
    sqlite3_stmt* s_ = nullptr;
};

class SqliteStore : public ArchiveStore {
public:
    ~SqliteStore() override {
        // Statements first: the connection closes only once they are gone.
        stmts_.clear();
        sqlite3_close(db_);
    }

    bool Open(const std::string& path, std::string& why) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            why = "cannot open the store " + path + ": " + sqlite3_errmsg(db_);
            return false;
        }
        sqlite3_busy_timeout(db_, 10000);  // another collector writing: wait for it
        // Write-ahead journal: a reply's commit costs no disk flush, and a killed
        // collection leaves every committed reply and nothing of the one after.
        if (!Exec("PRAGMA page_size=1024") || !Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") ||
            !Exec("PRAGMA wal_autocheckpoint=16384") ||
            !Exec("PRAGMA foreign_keys=ON") || !Exec("BEGIN IMMEDIATE") || !Exec(kSchema)) {
            why = "cannot open the store " + path + ": " + error_;
            return false;
        }
        Statement v;
        v.Prepare(db_, "SELECT value FROM store_meta WHERE name='schema_version'");
        const int version = v.Step() == SQLITE_ROW ? std::atoi(v.ColText(0).c_str()) : 0;
        if (version > kSchemaVersion) {
            Exec("ROLLBACK");
            why = "the store " + path + " has schema version " + std::to_string(version) + "; this program knows " +
                  std::to_string(kSchemaVersion);
            return false;
        }
        if (version == 0 &&
            !Exec(("INSERT INTO store_meta VALUES('schema_version','" + std::to_string(kSchemaVersion) + "')").c_str())) {
            why = "cannot open the store " + path + ": " + error_;
            return false;
        }
        if (!Exec("COMMIT")) {
            why = "cannot open the store " + path + ": " + error_;
            return false;
        }
        return true;
    }

    bool PutController(const StoreController& c) override {
        Statement& s = Prepared(
            "INSERT INTO controller(mac, type, hardware, software, address, name, image) VALUES(?1,?2,?3,?4,?5,?6,?7)"
            " ON CONFLICT(mac) DO UPDATE SET type=?2, hardware=?3, software=?4, address=?5, name=?6, image=?7");
        s.Text(1, c.mac);
        s.Int(2, c.type);
        s.Int(3, c.hardware);
        s.Int(4, c.software);
        s.Int(5, c.address);
        s.Text(6, c.name);
        s.Blob(7, c.image);
        return Done(s);
    }

    bool PutRecords(const std::string& mac, ArchiveKind kind, const StoreRecord* records, size_t count,
                    int& added) override {
        added = 0;
        int64_t id = 0;
        if (!ControllerId(mac, id) || !Done(Prepared("BEGIN IMMEDIATE"))) return false;
        const std::string k = StoreKindName(kind);
        const int instrument = KindInfo(kind).source;
        Statement& insert = Prepared(
            "INSERT INTO record(controller, kind, instrument, key, moment, intact, bytes) VALUES(?1,?2,?3,?4,?5,?6,?7)"
            " ON CONFLICT DO NOTHING");
        Statement& mend = Prepared(
            "UPDATE record SET moment=?5, intact=1, bytes=?6"
            " WHERE controller=?1 AND kind=?2 AND instrument=?3 AND key=?4 AND intact=0");
        Statement& counted = Prepared(
            "UPDATE record SET copies=copies+1 WHERE controller=?1 AND kind=?2 AND instrument=?3 AND key=?4"
            " AND intact=0");
        for (size_t i = 0; i < count; ++i) {
            const StoreRecord& r = records[i];
            insert.Int(1, id);
            insert.Text(2, k);
            insert.Int(3, instrument);
            insert.Int(4, r.key);
            insert.Int(5, r.moment);
            insert.Int(6, r.intact ? 1 : 0);
            insert.Blob(7, r.bytes);
            if (!Done(insert)) return Rollback();
            if (sqlite3_changes(db_) == 1) {
                ++added;
                continue;
            }
            if (!r.intact) {
                counted.Int(1, id);
                counted.Text(2, k);
                counted.Int(3, instrument);
                counted.Int(4, r.key);
                if (!Done(counted)) return Rollback();
                continue;
            }
            mend.Int(1, id);
            mend.Text(2, k);
            mend.Int(3, instrument);
            mend.Int(4, r.key);
            mend.Int(5, r.moment);
            mend.Blob(6, r.bytes);
            if (!Done(mend)) return Rollback();
        }
        return Done(Prepared("COMMIT")) || Rollback();
    }

    bool Summary(const std::string& mac, ArchiveKind kind, KindSummary& out) override {
        out = KindSummary{};
        int64_t id = 0;
        if (!ControllerId(mac, id)) return false;
        Statement& s = Prepared(
            "SELECT count(*), total(intact=0), min(key), max(key) FROM record"
            " WHERE controller=?1 AND kind=?2 AND instrument=?3");
        Bind(s, id, kind);
        if (s.Step() != SQLITE_ROW) return Failed(s);
        out.held = uint64_t(s.Col(0));
        out.bad = uint64_t(sqlite3_column_double(s.get(), 1));
        out.first = s.Col(2);
        out.last = s.Col(3);
        return Finished(s);
    }

    bool Records(const std::string& mac, ArchiveKind kind, int64_t from, int64_t to, std::vector<StoreRecord>& out,
                 bool byMoment) override {
        out.clear();
        int64_t id = 0;
        if (!ControllerId(mac, id)) return false;
        Statement& s = Prepared(byMoment ? "SELECT key, moment, intact, bytes FROM record"
                                           " WHERE controller=?1 AND kind=?2 AND instrument=?3"
                                           " AND moment BETWEEN ?4 AND ?5 ORDER BY key"
                                         : "SELECT key, moment, intact, bytes FROM record"
                                           " WHERE controller=?1 AND kind=?2 AND instrument=?3"
                                           " AND key BETWEEN ?4 AND ?5 ORDER BY key");
        Bind(s, id, kind);
        s.Int(4, from);
        s.Int(5, to);
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW) {
            StoreRecord r;
            r.key = s.Col(0);
            r.moment = s.Col(1);
            r.intact = s.Col(2) != 0;
            r.bytes = s.ColBlob(3);
            out.push_back(std::move(r));
        }
        return rc == SQLITE_DONE ? Finished(s) : Failed(s);
    }

    bool BadKeys(const std::string& mac, ArchiveKind kind, size_t limit, int copies,
                 std::vector<int64_t>& out) override {
        out.clear();
        int64_t id = 0;
        if (!ControllerId(mac, id)) return false;
        Statement& s = Prepared("SELECT key FROM record WHERE controller=?1 AND kind=?2 AND instrument=?3"
                                " AND intact=0 AND copies<?5 ORDER BY key LIMIT ?4");
        Bind(s, id, kind);
        s.Int(4, int64_t(limit));
        s.Int(5, copies);
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW) out.push_back(s.Col(0));
        return rc == SQLITE_DONE ? Finished(s) : Failed(s);
    }

private:
    bool Fail(const std::string& why) {
        error_ = why;
        return false;
    }
    bool Exec(const char* sql) {
        char* msg = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
        error_ = msg ? msg : sqlite3_errmsg(db_);
        sqlite3_free(msg);
        return false;
    }
    bool Rollback() {
        const std::string why = error_;
        Exec("ROLLBACK");
        error_ = why;
        return false;
    }
    Statement& Prepared(const char* sql) {
        auto it = stmts_.find(sql);
        if (it != stmts_.end()) return *it->second;
        auto s = std::make_unique<Statement>();
        s->Prepare(db_, sql);  // a statement that fails to prepare fails at its first step
        return *stmts_.emplace(sql, std::move(s)).first->second;
    }
    void Bind(Statement& s, int64_t id, ArchiveKind kind) {
        s.Int(1, id);
        s.Text(2, StoreKindName(kind));
        s.Int(3, KindInfo(kind).source);
    }
    // Steps a statement that returns no rows (or is finished with) and resets it.
    bool Done(Statement& s) {
        const int rc = s.get() ? s.Step() : SQLITE_ERROR;
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) return Failed(s);
        s.Reset();
        return true;
    }
    bool Finished(Statement& s) {
        s.Reset();
        return true;
    }
    bool Failed(Statement& s) {
        error_ = sqlite3_errmsg(db_);
        s.Reset();
        return false;
    }
    bool ControllerId(const std::string& mac, int64_t& id) {
        auto it = ids_.find(mac);
        if (it != ids_.end()) {
            id = it->second;
            return true;
        }
        Statement& s = Prepared("SELECT id FROM controller WHERE mac=?1");
        s.Text(1, mac);
        const int rc = s.Step();
        if (rc != SQLITE_ROW) {
            if (rc == SQLITE_DONE) {
                s.Reset();
                return Fail("no controller " + mac + " in the store");
            }
            return Failed(s);
        }
        id = ids_[mac] = s.Col(0);
        s.Reset();
        return true;
    }
    bool QueryControllers(const std::string* mac, std::vector<StoreController>& out) override {
        out.clear();
        Statement& s = Prepared(mac ? "SELECT mac, type, hardware, software, address, name, image FROM controller"
                                      " WHERE mac=?1"
                                    : "SELECT mac, type, hardware, software, address, name, image FROM controller"
                                      " ORDER BY mac");
        if (mac) s.Text(1, *mac);
        int rc;
        while ((rc = s.Step()) == SQLITE_ROW) {
            StoreController c;
            c.mac = s.ColText(0);
            c.type = uint8_t(s.Col(1));
            c.hardware = uint8_t(s.Col(2));
            c.software = uint8_t(s.Col(3));
            c.address = uint8_t(s.Col(4));
            c.name = s.ColText(5);
            c.image = s.ColBlob(6);
            out.push_back(std::move(c));
        }
        return rc == SQLITE_DONE ? Finished(s) : Failed(s);
    }

    sqlite3* db_ = nullptr;
    std::map<std::string, std::unique_ptr<Statement>> stmts_;
    std::map<std::string, int64_t> ids_;
};

}  // namespace

std::unique_ptr<ArchiveStore> OpenSqliteStore(const std::string& path, std::string& why) {
    auto store = std::make_unique<SqliteStore>();
    if (!store->Open(path, why)) return nullptr;
    return store;
}

}  // namespace zul
