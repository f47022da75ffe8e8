// Benchmark: the link engine against the simulated controller (in a process of its own).
//   1. TCP on loopback with no pause before requests: every table of the controller,
//      and the whole two-month measurement archive with command 8.
//   2. A pseudo-terminal paced at 38400 bit/s: a measurement-archive read against the
//      pure line time of its frames.
// Prints wall time, exchanges per second and the CPU time of both processes.
//
// Usage: sim_link_bench [--table-rounds N] [--paced-hours H] [--baud B]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "link/Comportfunctions.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/UserInterface.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

struct Child {
    pid_t pid = -1;
    std::string where;  // port or pty path
};

// The simulator in a child process; it reports where it listens through a pipe.
Child StartSimulator(bool pty, int paceBaud) {
    int p[2];
    if (::pipe(p) != 0) return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(p[0]);
        sim::SimSettings s;
        s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 12, 0, 0));
        s.rate = 0;
        sim::Qrtsim q(s);
        sim::Faults f;
        f.paceBaud = paceBaud;
        q.SetFaults(f);
        bool ok = pty ? q.StartPty() : q.StartTcp(0);
        std::string where = !ok ? "" : pty ? q.ptyPath() : std::to_string(q.tcpPort());
        where += "\n";
        [[maybe_unused]] ssize_t w = ::write(p[1], where.data(), where.size());
        ::close(p[1]);
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGTERM);
        sigprocmask(SIG_BLOCK, &set, nullptr);
        int sig;
        sigwait(&set, &sig);
        q.Stop();
        ::_exit(0);
    }
    ::close(p[1]);
    char buf[512] = {};
    ssize_t n = ::read(p[0], buf, sizeof buf - 1);
    ::close(p[0]);
    Child c;
    c.pid = pid;
    if (n > 1) c.where.assign(buf, size_t(n - 1));
    return c;
}

void StopSimulator(Child& c) {
    if (c.pid > 0) {
        ::kill(c.pid, SIGTERM);
        ::waitpid(c.pid, nullptr, 0);
    }
    c.pid = -1;
}

double CpuSeconds(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    auto close = s.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream in(s.substr(close + 2));
    std::string field;
    unsigned long long ut = 0, st = 0;
    for (int i = 3; i <= 15 && in >> field; ++i) {
        if (i == 14) ut = std::stoull(field);
        if (i == 15) st = std::stoull(field);
    }
    return double(ut + st) / double(sysconf(_SC_CLK_TCK));
}

double SelfCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Counts exchanges and the bytes on the line.
struct Counter : ExchangeObserver {
    void OnExchangeEvent(const ExchangeEvent& e) override {
        if (e.kind == ExchangeEvent::kRequest) {
            ++exchanges;
            bytes += uint64_t(e.count);
        } else {
            bytes += uint64_t(e.count);
        }
    }
    uint64_t exchanges = 0, bytes = 0;
};

class QuietUi : public UserInterface {
public:
    bool ShowMessageBox(int, const std::string& a, const std::string& b) override {
        std::fprintf(stderr, "message: %s %s\n", a.c_str(), b.c_str());
        return false;
    }
};

struct Phase {
    double wall = 0, engineCpu = 0, simCpu = 0;
    uint64_t exchanges = 0, bytes = 0, records = 0;
    bool ok = true;
};

void Print(const char* name, const Phase& p) {
    std::printf("%-44s %s  wall %8.3f s  %7llu exchanges  %9.0f exch/s  cpu engine %6.2f s  sim %6.2f s",
                name, p.ok ? "ok  " : "FAIL", p.wall, (unsigned long long)p.exchanges,
                p.wall > 0 ? double(p.exchanges) / p.wall : 0.0, p.engineCpu, p.simCpu);
    if (p.records) std::printf("  %llu records", (unsigned long long)p.records);
    std::printf("\n");
}

template <class F>
Phase Measure(pid_t sim, Counter& c, F&& body) {
    Phase p;
    const uint64_t e0 = c.exchanges, b0 = c.bytes;
    const double w0 = Now(), c0 = SelfCpuSeconds(), s0 = CpuSeconds(sim);
    p.ok = body(p);
    p.wall = Now() - w0;
    p.engineCpu = SelfCpuSeconds() - c0;
    p.simCpu = CpuSeconds(sim) - s0;
    p.exchanges = c.exchanges - e0;
    p.bytes = c.bytes - b0;
    return p;
}

bool ReadAllTables(TableIo& io) {
    for (int t = 0; t < kTableCount; ++t)
        if (Table(t).fieldCount && !io.ReadWholeTable(t, nullptr)) return false;
    return true;
}

// Command 8, archive kind 6, over [start, end]; returns the records read or -1.
long ReadMeasurements(Qrtbox& box, const uint8_t* start, const uint8_t* end) {
    uint8_t req[15] = {0, 6, 0};
    std::memcpy(req + 3, start, 6);
    std::memcpy(req + 9, end, 6);
    long total = 0;
    for (;;) {
        if (!box.Exchange(8, req, 15, 0)) return -1;
        total += box.reply[6];
        if (box.reply[6] == 0 || box.reply[7] == 0) return total;
        req[2] = req[2] == 255 ? 1 : uint8_t(req[2] + 1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int tableRounds = 50, pacedHours = 6, baud = 38400;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--table-rounds")) tableRounds = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--paced-hours")) pacedHours = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--baud")) baud = std::atoi(argv[i + 1]);
    }
    QuietUi ui;
    int failures = 0;

    // ---- TCP on loopback ----
    {
        Child sim = StartSimulator(false, 0);
        if (sim.where.empty()) return 1;
        Qrtbox box(1);
        Counter counter;
        box.observer = &counter;
        box.ui = &ui;
        box.linkKind = kLinkEthernet;
        box.openPerExchange = 0;
        box.tcpSendPauseMs = 0;
        box.attempts = 1;
        box.preambleCount = 5;
        box.replyTimeoutMs = 5000;
        box.interByteTimeoutMs = 300;
        box.sock = TcpConnect("127.0.0.1", uint16_t(std::atoi(sim.where.c_str())), 5000);
        TableImage image;
        TableIo io(box, image, ui);
        Phase tables = Measure(sim.pid, counter, [&](Phase&) {
            for (int r = 0; r < tableRounds; ++r)
                if (!ReadAllTables(io)) return false;
            return true;
        });
        char name[64];
        std::snprintf(name, sizeof name, "TCP: every table, %d rounds", tableRounds);
        Print(name, tables);
        failures += !tables.ok;

        const uint8_t first[3] = {27, 0, 1};
        const uint8_t clock[3] = {2, 0, 6};
        bool ok = io.ReadFields(first, nullptr, true) && io.ReadFields(clock, nullptr, true);
        Phase archive = Measure(sim.pid, counter, [&](Phase& p) {
            long n = ok ? ReadMeasurements(box, image.Field(27, 0), image.Data(2)) : -1;
            p.records = uint64_t(n > 0 ? n : 0);
            return n > 0;
        });
        Print("TCP: whole measurement archive (command 8)", archive);
        failures += !archive.ok;
        TcpClose(box.sock);
        box.sock = 0;
        StopSimulator(sim);
    }

    // ---- pseudo-terminal paced at the line speed ----
    {
        Child sim = StartSimulator(true, baud);
        if (sim.where.empty()) return 1;
        SetPortDevicePath(48, sim.where);
        Qrtbox box(1);
        Counter counter;
        box.observer = &counter;
        box.ui = &ui;
        box.linkKind = kLinkDirect;
        box.portNumber = 48;
        box.baudRate = baud;
        box.openPerExchange = 0;
        box.attempts = 1;
        box.preambleCount = 5;
        box.replyTimeoutMs = 2000;
        box.interByteTimeoutMs = 100;
        if (!box.OpenPort()) return 1;
        const sim::SimSeconds endS = sim::SecondsFromFields(2024, 3, 15, 11, 59, 59);
        auto start = sim::PackedFromSeconds(endS + 1 - sim::SimSeconds(pacedHours) * sim::kHour);
        auto end = sim::PackedFromSeconds(endS);
        Phase paced = Measure(sim.pid, counter, [&](Phase& p) {
            long n = ReadMeasurements(box, start.data(), end.data());
            p.records = uint64_t(n > 0 ? n : 0);
            return n > 0;
        });
        char name[64];
        std::snprintf(name, sizeof name, "pty at %d bit/s: %d h of measurements", baud, pacedHours);
        Print(name, paced);
        const double line = double(paced.bytes) * 10.0 / baud;
        std::printf("%-44s line time of the frames %.3f s (%llu bytes), read took %.3f s: %+.1f %%\n", "",
                    line, (unsigned long long)paced.bytes, paced.wall, 100.0 * (paced.wall - line) / line);
        failures += !paced.ok;
        box.ClosePort();
        StopSimulator(sim);
    }
    return failures ? 1 : 0;
}
