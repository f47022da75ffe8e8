// How much the link engine costs: exchanges per second and CPU per exchange
// against a local controller over loopback TCP, CPU while it waits for a
// controller that never answers, and CPU of a serial read paced as a real line
// is (a reply every few milliseconds over a pseudo-terminal at 38400 bit/s).
//   build/bench/engine_bench [exchanges]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/support/Links.h"

using namespace zul;
using namespace zul::test;

namespace {
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
double WallMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
    {
        EngineOnPeer e(Transport::kTcp);
        e.box.ui = nullptr;
        e.peer.SetScript([](const Bytes& f, int) { return std::vector<PeerStep>{{EchoReply(f, Bytes(60, 0x20))}}; });
        const uint8_t req[3] = {5, 0, 3};
        e.box.Exchange(1, req, 0, 0);  // warm up
        double w0 = WallMs(), c0 = ThreadCpuMs();
        int ok = 0;
        for (int i = 0; i < n; ++i) ok += e.box.Exchange(1, req, 0, 0);
        double wall = WallMs() - w0, cpu = ThreadCpuMs() - c0;
        std::printf("loopback TCP, pause 0: %d exchanges (%d ok) in %.0f ms: %.0f exchanges/s, "
                    "%.1f us wall and %.1f us engine CPU per exchange\n",
                    n, ok, wall, n * 1000.0 / wall, wall * 1000.0 / n, cpu * 1000.0 / n);
    }
    for (Transport t : {Transport::kTcp, Transport::kPty}) {
        EngineOnPeer e(t);
        e.box.ui = nullptr;
        e.peer.SetScript([](const Bytes&, int) { return std::vector<PeerStep>{}; });
        e.box.attempts = 1;
        e.box.replyTimeoutMs = 2000;
        const uint8_t req[3] = {5, 0, 3};
        double w0 = WallMs(), c0 = ThreadCpuMs();
        bool r = e.box.Exchange(1, req, 0, 0);
        double wall = WallMs() - w0, cpu = ThreadCpuMs() - c0;
        std::printf("silent controller over %s: waited %.0f ms (error %u, result %d), CPU %.2f ms = %.2f%% of one core\n",
                    TransportName(t), wall, e.box.errorCode, r, cpu, 100.0 * cpu / wall);
    }
    {
        // A paced read: the controller answers each request 8 ms after it came (the
        // time a 30-byte reply takes on the line), as an archive read goes.
        EngineOnPeer e(Transport::kPty);
        e.box.ui = nullptr;
        e.box.baudRate = 38400;
        e.box.preambleCount = 5;
        e.peer.SetScript([](const Bytes& f, int) {
            return std::vector<PeerStep>{{EchoReply(f, Bytes(20, 0x20)), 8}};
        });
        const uint8_t req[3] = {5, 0, 3};
        const int paced = std::max(n / 20, 50);
        double w0 = WallMs(), c0 = ThreadCpuMs();
        int ok = 0;
        for (int i = 0; i < paced; ++i) ok += e.box.Exchange(1, req, 0, 0);
        double wall = WallMs() - w0, cpu = ThreadCpuMs() - c0;
        std::printf("paced serial read over Pty at 38400 bit/s: %d exchanges (%d ok) in %.0f ms, "
                    "engine CPU %.0f ms = %.1f%% of one core\n",
                    paced, ok, wall, cpu, 100.0 * cpu / wall);
    }
    return 0;
}
