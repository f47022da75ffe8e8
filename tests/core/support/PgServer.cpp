#include "core/support/PgServer.h"

#include <fcntl.h>
#include <glob.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace zul::test {
namespace {

namespace fs = std::filesystem;

struct Account {
    bool drop = false;  // root: the server runs as `uid`/`gid` instead
    uid_t uid = 0;
    gid_t gid = 0;
};

Account ServerAccount() {
    Account a;
    if (::geteuid() != 0) return a;
    if (const passwd* pw = ::getpwnam("nobody")) {
        a.drop = true;
        a.uid = pw->pw_uid;
        a.gid = pw->pw_gid;
    }
    return a;
}

// Starts `argv` with stdout and stderr to `outFd`, as `account`; when `deathSignal`
// is set, the child gets it should this process end first.
pid_t Spawn(const std::vector<std::string>& argv, int outFd, const Account& account, int deathSignal) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::dup2(outFd, 1);
    ::dup2(outFd, 2);
    const int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) ::dup2(devNull, 0);
    if (account.drop && (::setgroups(0, nullptr) != 0 || ::setgid(account.gid) != 0 || ::setuid(account.uid) != 0))
        ::_exit(126);
    if (deathSignal) {
        ::prctl(PR_SET_PDEATHSIG, deathSignal);
        if (::getppid() != parent) ::_exit(125);
    }
    ::execv(args[0], args.data());
    ::_exit(127);
}

int WaitFor(pid_t pid) {
    int st = 0;
    while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

// Runs `argv` to its end; its exit status and what it wrote.
int Run(const std::vector<std::string>& argv, const Account& account, std::string& output) {
    int p[2];
    if (::pipe2(p, O_CLOEXEC) != 0) return -1;
    const pid_t pid = Spawn(argv, p[1], account, 0);
    ::close(p[1]);
    char buf[4096];
    for (ssize_t n; (n = ::read(p[0], buf, sizeof buf)) != 0;) {
        if (n > 0) output.append(buf, size_t(n));
        else if (errno != EINTR) break;
    }
    ::close(p[0]);
    return pid > 0 ? WaitFor(pid) : -1;
}

std::string Tail(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    std::string t = s.str();
    return t.size() > 2000 ? t.substr(t.size() - 2000) : t;
}

// The postmaster's status line (its pid file's eighth) reads "ready".
bool Ready(const std::string& pidFile) {
    std::ifstream in(pidFile);
    std::string line;
    for (int i = 0; i < 8 && std::getline(in, line); ++i) {
        if (i == 7) return line.rfind("ready", 0) == 0;
    }
    return false;
}

}  // namespace

std::string PgServer::FindBinaries() {
    std::string best;
    glob_t g{};
    if (::glob("/usr/lib/postgresql/*/bin/postgres", 0, nullptr, &g) == 0) {
        int bestVersion = -1;
        for (size_t i = 0; i < g.gl_pathc; ++i) {
            const std::string p = g.gl_pathv[i];
            const int v = std::atoi(p.c_str() + std::strlen("/usr/lib/postgresql/"));
            const std::string dir = p.substr(0, p.size() - std::strlen("/postgres"));
            if (v > bestVersion && ::access((dir + "/initdb").c_str(), X_OK) == 0 &&
                ::access((dir + "/psql").c_str(), X_OK) == 0) {
                bestVersion = v;
                best = dir;
            }
        }
    }
    ::globfree(&g);
    return best;
}

PgServer::PgServer() : bin_(FindBinaries()) {
    if (bin_.empty()) {
        why_ = "no PostgreSQL server here (initdb, postgres and psql under /usr/lib/postgresql/*/bin): "
               "scripts/setup.sh installs them";
        return;
    }
    if (!Start()) {
        if (pid_ > 0) {
            ::kill(pid_, SIGQUIT);
            WaitFor(pid_);
            pid_ = -1;
        }
    }
}

PgServer::~PgServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGINT);  // fast shutdown: clients are cut off
        WaitFor(pid_);
    }
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
}

PgServer& PgServer::Shared() {
    static PgServer server;
    return server;
}

bool PgServer::Start() {
    char tmpl[] = "/tmp/zul-pg-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        why_ = std::string("cannot make a scratch folder in /tmp: ") + std::strerror(errno);
        return false;
    }
    dir_ = tmpl;
    const Account account = ServerAccount();
    if (account.drop && ::chown(dir_.c_str(), account.uid, account.gid) != 0) {
        why_ = "cannot give " + dir_ + " to the server's account: " + std::strerror(errno);
        return false;
    }
    const std::string data = dir_ + "/data";
    std::string out;
    const int st = Run({bin_ + "/initdb", "--no-sync", "--auth=trust", "--username=zul", "--encoding=UTF8",
                        "--locale=C", "-D", data},
                       account, out);
    if (st != 0) {
        why_ = "initdb failed (" + std::to_string(st) + "): " + out;
        return false;
    }
    const std::string log = dir_ + "/server.log";
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (logFd < 0) {
        why_ = "cannot write " + log;
        return false;
    }
    pid_ = Spawn({bin_ + "/postgres", "-D", data, "-k", dir_, "-c", "listen_addresses=", "-c", "fsync=off",
                  "-c", "full_page_writes=off", "-c", "max_connections=200"},
                 logFd, account, SIGQUIT);
    ::close(logFd);
    if (pid_ <= 0) {
        why_ = "cannot start postgres";
        return false;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!Ready(data + "/postmaster.pid")) {
        int st2 = 0;
        if (::waitpid(pid_, &st2, WNOHANG) == pid_) {
            pid_ = -1;
            why_ = "postgres ended at its start: " + Tail(log);
            return false;
        }
        if (std::chrono::steady_clock::now() > until) {
            why_ = "postgres was not ready in 2 minutes: " + Tail(log);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string PgServer::Conninfo(const std::string& db) const {
    return "host=" + dir_ + " user=zul dbname=" + db;
}

std::string PgServer::Uri(const std::string& db) const {
    std::string host;
    for (char c : dir_) host += c == '/' ? std::string("%2F") : std::string(1, c);
    return "postgresql://zul@" + host + "/" + db;
}

std::string PgServer::CreateDatabase() {
    const std::string name = "zul_test_" + std::to_string(++databases_);
    std::string out;
    if (Run({bin_ + "/psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", Conninfo("postgres"), "-c",
             "CREATE DATABASE " + name},
            Account{}, out) != 0) {
        why_ = "CREATE DATABASE failed: " + out;
        return "";
    }
    return name;
}

std::string PgServer::Query(const std::string& db, const std::string& sql) const {
    std::string out;
    if (Run({bin_ + "/psql", "-X", "-q", "-A", "-t", "-F", "\t", "-v", "ON_ERROR_STOP=1", Conninfo(db), "-c", sql},
            Account{}, out) != 0)
        return "psql failed: " + out;
    return out;
}

}  // namespace zul::test
