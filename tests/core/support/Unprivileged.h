// Runs a permission case as a user without privileges, so that it holds under CI,
// which runs the tests as root (root writes into read-only folders).
//   int r = RunUnprivileged([&] { return TryTheWrite() ? 1 : 0; });
//   if (r == kCannotDropPrivileges) GTEST_SKIP() << "...";
// The check runs in a forked child (as nobody, 65534, when the test runs as root;
// as the test's own user otherwise) and its return value is the child's exit
// status; the child shares nothing with the test but the files it touches.
#pragma once
#include <cstdio>
#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zul::test {

constexpr int kCannotDropPrivileges = 99;

inline int RunUnprivileged(const std::function<int()>& check) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return kCannotDropPrivileges;
    if (pid == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
            _exit(kCannotDropPrivileges);
        const int r = check();
        std::fflush(nullptr);
        _exit(r);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace zul::test
