// The live chromatograph view polling the simulated controller over loopback TCP
// with the default 500 ms pause before each request:
//  1. CPU time of the window's thread over a run (the simulator runs on a thread of
//     its own and is not counted), split into the polls and the time between them;
//  2. the longest time the event loop stays away (a 1 ms timer's largest gap),
//     during polls and outside them.
//   QT_QPA_PLATFORM=offscreen build/bench/live_view_gui_bench [seconds, default 60]
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QTimer>

#include "editors/Mom.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/ConnectionStart.h"
#include "shell/QtUserInterface.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

double ThreadCpuMs() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The view with the CPU and the wall time of each poll counted.
class ProbedMom : public TFormMom {
public:
    using TFormMom::TFormMom;
    double pollCpuMs = 0, pollWallMs = 0;
    bool inPoll = false;

protected:
    void Poll() override {
        const double cpu = ThreadCpuMs();
        QElapsedTimer wall;
        wall.start();
        inPoll = true;
        TFormMom::Poll();
        inPoll = false;
        pollCpuMs += ThreadCpuMs() - cpu;
        pollWallMs += double(wall.nsecsElapsed()) / 1e6;
    }
};

// Leaves the event loop after `ms`, once no poll is running (quitting inside a
// poll's wait would end the poll's own loop as well).
void QuitWhenIdle(QApplication& app, const ProbedMom& view, int ms) {
    QTimer::singleShot(ms, &app, [&app, &view] {
        auto* idle = new QTimer(&app);
        QObject::connect(idle, &QTimer::timeout, &app, [&app, &view, idle] {
            if (view.inPoll) return;
            idle->deleteLater();
            app.exit(0);  // quit() would close the windows as well
        });
        idle->start(5);
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    sim::Qrtsim simulator;
    if (!simulator.StartTcp()) return 1;
    Qrtbox box(1);
    QtUserInterface ui;
    box.ui = &ui;
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.tcpSendPauseMs = 500;
    box.replyTimeoutMs = 5000;
    box.interByteTimeoutMs = 300;
    box.sock = TcpConnect("127.0.0.1", simulator.tcpPort(), 2000);
    TableImage image;
    TableIo io(box, image, ui);
    const uint8_t req0[3] = {0, 0, 18};
    if (box.sock <= 0 || !io.ReadFields(req0, nullptr, false) || !ReadBaseTables(io, ui, nullptr)) {
        std::fprintf(stderr, "no controller\n");
        return 1;
    }

    ProbedMom view(io, nullptr);
    // Phase 1: CPU, without any probe timer of our own.
    const double cpu0 = ThreadCpuMs();
    QElapsedTimer wall;
    wall.start();
    view.show();
    QuitWhenIdle(app, view, seconds * 1000);
    app.exec();
    const double cpuMs = ThreadCpuMs() - cpu0, wallMs = double(wall.elapsed());
    const int polls = view.polls();
    const double pollCpuMs = view.pollCpuMs, pollWallMs = view.pollWallMs;
    const double betweenCpu = cpuMs - pollCpuMs, betweenWall = wallMs - pollWallMs;

    // Phase 2: a 1 ms timer; its largest gap is the longest the window does not respond.
    double maxGapInPoll = 0, maxGapOutside = 0;
    QElapsedTimer beat;
    beat.start();
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const double gap = double(beat.nsecsElapsed()) / 1e6;
        beat.restart();
        (view.inPoll ? maxGapInPoll : maxGapOutside) = std::max(view.inPoll ? maxGapInPoll : maxGapOutside, gap);
    });
    heartbeat.start();
    const int polls1 = view.polls();
    QuitWhenIdle(app, view, 25000);
    app.exec();
    view.close();

    std::printf("run %.1f s, %d polls (%.0f ms each, two requests with a 500 ms pause each)\n", wallMs / 1e3, polls,
                polls ? pollWallMs / polls : 0.0);
    std::printf("CPU of the window's thread: %.1f ms in all = %.3f %% of a core\n", cpuMs, 100.0 * cpuMs / wallMs);
    std::printf("  during polls:  %.1f ms over %.1f s = %.3f %%\n", pollCpuMs, pollWallMs / 1e3,
                pollWallMs > 0 ? 100.0 * pollCpuMs / pollWallMs : 0.0);
    std::printf("  between polls: %.1f ms over %.1f s = %.3f %%\n", betweenCpu, betweenWall / 1e3,
                betweenWall > 0 ? 100.0 * betweenCpu / betweenWall : 0.0);
    std::printf("longest event-loop gap: %.1f ms during a poll (%d polls), %.1f ms outside polls\n", maxGapInPoll,
                view.polls() - polls1, maxGapOutside);
    std::printf("polls %d, ticks skipped %d, timer active %d\n", view.polls(), view.skippedTicks(), int(view.pollTimer()->isActive()));
    if (box.sock > 0) TcpClose(box.sock);
    return 0;
}
