// Benchmark: the table editors against the simulated controller over loopback
// TCP with no pause before requests, offscreen.
//   open:   from the menu command's start to its dialog being shown (the reads);
//   accept: from "Записать в устройство" with one field changed to the command's
//           return (the write acknowledged).
// Prints the median and the maximum of each over the rounds, per editor.
//
// Usage: editor_gui_bench [--rounds N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "editors/Connqrt.h"
#include "editors/Connwmt.h"
#include "editors/EditorCommands.h"
#include "editors/limits.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/UserInterface.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;
using Steady = std::chrono::steady_clock;

namespace {

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct SilentUi : UserInterface {
    bool ShowMessageBox(int kind, const std::string& l1, const std::string& l2) override {
        std::fprintf(stderr, "message %d: %s / %s\n", kind, l1.c_str(), l2.c_str());
        return false;
    }
};

// Catches the first show of an editor dialog and hands it to `onShown`.
struct ShowWatch : QObject {
    std::function<void(TFormEditor*)> onShown;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show)
            if (auto* d = qobject_cast<TFormEditor*>(o); d && onShown) {
                auto f = onShown;
                onShown = nullptr;
                f(d);
            }
        return false;
    }
};

struct Figures {
    std::vector<double> open, accept;
};

void Report(const char* what, Figures& f) {
    auto line = [](const char* phase, std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        std::printf("  %-7s median %7.2f ms   max %7.2f ms   (%zu rounds)\n", phase, v[v.size() / 2], v.back(),
                    v.size());
    };
    std::printf("%s\n", what);
    line("open", f.open);
    line("accept", f.accept);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 50;
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::atoi(argv[++i]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's note on every fixed-size dialog is no result.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.contains("propagateSizeHints")) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);

    sim::Qrtsim sim;
    if (!sim.StartTcp()) return 1;
    SilentUi ui;
    Qrtbox box(1);
    box.ui = &ui;
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.tcpSendPauseMs = 0;
    box.attempts = 1;
    std::memcpy(box.writePassword.data(), "333333      ", 12);
    std::memcpy(box.identCode.data(), "3333", 4);
    box.sock = TcpConnect("127.0.0.1", sim.tcpPort(), 2000);
    if (box.sock <= 0) return 1;
    TableImage image;
    TableIo io(box, image, ui);
    MemoryStatusBar bar;
    for (int t : {0, 6, 14}) {
        const uint8_t req[3] = {uint8_t(t), 0, Table(t).fieldCount};
        if (!io.ReadFields(req, nullptr, false)) return 1;
    }
    EditorHost host{io, &bar, nullptr, nullptr, {}, {}};
    ShowWatch watch;
    app.installEventFilter(&watch);

    // One editor: `change` alters one field in the shown dialog.
    auto run = [&](const char* what, const std::function<void(EditorHost&)>& command,
                   const std::function<void(TFormEditor*, int)>& change) {
        Figures f;
        for (int r = 0; r < rounds; ++r) {
            Steady::time_point start = Steady::now(), clicked;
            watch.onShown = [&](TFormEditor* d) {
                f.open.push_back(Ms(Steady::now() - start));
                QTimer::singleShot(0, d, [&, d] {
                    change(d, r);
                    clicked = Steady::now();
                    d->BtnWrite->click();
                });
            };
            command(host);
            f.accept.push_back(Ms(Steady::now() - clicked));
        }
        Report(what, f);
    };
    std::printf("Editors against the simulator, TCP on 127.0.0.1, no pause before requests\n");
    run("TFormConWMT (table 15: one read, one write)", EditMoistureMeterLink, [](TFormEditor* d, int r) {
        static_cast<TFormConWMT*>(d)->CbTimeout->setEditText(QString::number(100 + r % 100));
    });
    run("TFormLimits kind 1 (table 23: one read of 20 floats, one write)",
        [](EditorHost& h) { EditLimits(h, 1); },
        [](TFormEditor* d, int r) { static_cast<TFormLimits*>(d)->EdValue[0]->setText(r % 2 ? "0.1" : "0.2"); });
    run("TFormConQRT (tables 9, 18, 5, 14 and 1: nine reads, one write)", EditChromatographLink,
        [](TFormEditor* d, int r) { static_cast<TFormConQRT*>(d)->EdCycle->setText(QString::number(20 + r % 100)); });
    TcpClose(box.sock);
    return 0;
}
