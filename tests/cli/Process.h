// Runs a program with arguments, collecting its exit status, stdout and stderr;
// and the ways the command-line tests look at what it wrote.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zul::test {

// The lines of a program's output, without their line ends.
inline std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> v;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

// The tab-separated cells of one line of output.
inline std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
        cells.push_back(line.substr(from, tab - from));
    cells.push_back(line.substr(from));
    return cells;
}

// The bytes of a file ("" when it cannot be read).
inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct RunResult {
    int status = -1;  // exit status, or -1 when it did not end in time
    std::string out, err;
};

class Process {
public:
    Process(const std::string& program, const std::vector<std::string>& args) {
        int o[2], e[2];
        if (::pipe2(o, O_CLOEXEC) != 0 || ::pipe2(e, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(o[1], 1);
            ::dup2(e[1], 2);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(program.c_str()));
            for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(o[1]);
        ::close(e[1]);
        out_ = o[0];
        err_ = e[0];
    }
    ~Process() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }
    // Reads stdout until a whole line is there; empty when none came in time.
    std::string ReadLine(int timeoutMs) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto nl = result.out.find('\n', lineStart_);
            if (nl != std::string::npos) {
                std::string line = result.out.substr(lineStart_, nl - lineStart_);
                lineStart_ = nl + 1;
                return line;
            }
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count());
            if (left <= 0 || !Pump(left)) return {};
        }
    }
    void Signal(int sig) {
        if (pid_ > 0) ::kill(pid_, sig);
    }
    // Waits for the end, collecting the rest of both streams.
    RunResult& Wait(int timeoutMs) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out_ >= 0 || err_ >= 0) {
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count());
            if (left <= 0 || !Pump(left)) break;
        }
        int st = 0;
        for (;;) {
            pid_t r = ::waitpid(pid_, &st, WNOHANG);
            if (r == pid_) {
                reaped_ = true;
                result.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                break;
            }
            if (std::chrono::steady_clock::now() > until) break;
            ::usleep(2000);
        }
        return result;
    }
    RunResult result;

private:
    bool Pump(int timeoutMs) {
        pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (::poll(p, 2, timeoutMs) <= 0) return false;
        char buf[4096];
        for (int i = 0; i < 2; ++i) {
            if (!p[i].revents) continue;
            int& fd = i == 0 ? out_ : err_;
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? result.out : result.err).append(buf, size_t(n));
            } else {
                ::close(fd);
                fd = -1;
            }
        }
        return true;
    }
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    bool reaped_ = false;
    size_t lineStart_ = 0;
};

// The time-out only guards against a hang: a run under the sanitizers on a loaded
// machine can take ten times its usual second or two.
inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, int timeoutMs = 60000) {
    Process p(program, args);
    return p.Wait(timeoutMs);
}

}  // namespace zul::test
