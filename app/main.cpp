// zulqrt: the maintenance program's window.
//   zulqrt [--home DIR] [--startup-time] [--demo] [--demo-phone]
// --home DIR (or ZUL_HOME) sets the program folder that holds the working
// folders; --startup-time prints the time from start to the shown main window
// on stderr and ends the program; --demo starts a simulated controller in the
// program and connects to it over loopback TCP, with a scratch program folder
// of its own (the user's settings are never touched); --demo-phone does the same
// in telephone mode: the simulated controller sits behind a simulated GSM modem on
// a pseudo-terminal, and the program dials it.
#include <stdlib.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <cstdio>
#include <cstring>
#include <string>

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include "measurements/ReportRead.h"
#include "shell/Desktop.h"
#include "shell/Folders.h"
#include "link/Comportfunctions.h"
#include "link/LinkSettings.h"
#include "shell/Main.h"
#include "sim/Qrtsim.h"
#include "tables/Stringi.h"

namespace {
// Reports the first time the window system shows the window's contents.
class ExposeProbe : public QObject {
public:
    ExposeProbe(std::chrono::steady_clock::time_point started, QWidget* window)
        : started_(started), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Expose && window_->windowHandle() &&
            window_->windowHandle()->isExposed()) {
            done_ = true;
            const auto ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_);
            std::fprintf(stderr, "main window shown after %.1f ms\n", ms.count());
            QTimer::singleShot(0, window_, [w = window_] { w->close(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::chrono::steady_clock::time_point started_;
    QWidget* window_;
    bool done_ = false;
};

volatile std::sig_atomic_t gStopSignal = 0;
void OnStopSignal(int) { gStopSignal = 1; }

void Usage() { std::fprintf(stderr, "usage: zulqrt [--home DIR] [--startup-time] [--demo] [--demo-phone]\n"); }

// The port number the demonstration modem's pseudo-terminal is mapped to.
constexpr int kDemoModemPort = 100;

// The demonstration controller behind the modem as the one telephone subscriber, chosen.
void UseDemoModem(zul::TFormMain& window, const std::string& ptyPath) {
    zul::SetPortDevicePath(kDemoModemPort, ptyPath);
    zul::LinkSettings& link = window.settings().link;
    link.current.connectionKind = zul::kLinkPhone;
    zul::TelephoneSettings& phone = link.phone;
    phone.params.port = kDemoModemPort;
    phone.params.address = 1;
    phone.params.speed = 9600;
    phone.subscribers.count = 1;
    phone.subscribers.selected = 0;
    zul::TelephoneSubscriber& sub = phone.subscribers.entries[0];
    zul::SetText(sub.name, zul::Utf8ToCp1251("Демонстрационный контроллер"));
    sub.address = 1;
    zul::SetText(sub.phone, "8 (000) 111-22-33");
    zul::SetText(phone.modemCommand, "AT&F^ATS0=0");
    window.ConnectWithoutDialogOnce();
}

// The demonstration controller as the one Ethernet subscriber, chosen.
void UseDemoController(zul::TFormMain& window, uint16_t port) {
    zul::LinkSettings& link = window.settings().link;
    link.current.connectionKind = zul::kLinkEthernet;
    zul::EthernetSettings& eth = link.ethernet;
    eth.subscribers.count = 1;
    eth.subscribers.selected = 0;
    zul::EthernetSubscriber& sub = eth.subscribers.entries[0];
    zul::SetText(sub.name, zul::Utf8ToCp1251("Демонстрационный контроллер"));
    sub.address = 1;
    sub.ip = {1, 0, 0, 127};  // 127.0.0.1, last octet first
    sub.port = port;
    eth.params.address = 1;
    // The simulated controller needs no pause before a request (a real line's
    // converter may: the link settings keep 500 ms for them).
    eth.sendPauseMs = 0;
    window.ConnectWithoutDialogOnce();
}
}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    std::string home;
    bool startupTime = false;
    bool demo = false, demoPhone = false;
    // Our own options first; Qt takes the rest (-platform and the like).
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0) {
            if (i + 1 >= argc) {
                Usage();
                return 2;
            }
            home = argv[++i];
        } else if (std::strncmp(argv[i], "--home=", 7) == 0) {
            home = argv[i] + 7;
        } else if (std::strcmp(argv[i], "--demo") == 0) {
            demo = true;
        } else if (std::strcmp(argv[i], "--demo-phone") == 0) {
            demo = demoPhone = true;
        } else if (std::strcmp(argv[i], "--startup-time") == 0) {
            startupTime = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Usage();
            return 0;
        } else {
            rest.push_back(argv[i]);
        }
    }
    int qtArgc = int(rest.size());
    rest.push_back(nullptr);
    QApplication app(qtArgc, rest.data());
    QApplication::setApplicationName("zulqrt");
    zul::LoadQtTranslations();
    zul::InstallDesktopKeys();

    std::unique_ptr<zul::sim::Qrtsim> sim;
    std::string scratch;
    if (demo) {
        char tmpl[] = "/tmp/zulqrt-demo-XXXXXX";
        if (!::mkdtemp(tmpl)) {
            std::perror("zulqrt: scratch folder");
            return 1;
        }
        scratch = tmpl;
        home = scratch;
        zul::sim::SimSettings demoSettings;
        demoSettings.moistureMeter = true;  // so that the moisture meter's menus have data
        sim = std::make_unique<zul::sim::Qrtsim>(demoSettings);
        // The report templates in the demonstration's program folder.
        for (const char* name : {zul::kDayTemplate, zul::kMonthTemplate}) {
            const std::string from = zul::FindDataFile(name);
            std::error_code ec;
            if (!from.empty()) std::filesystem::copy_file(from, scratch + "/" + name, ec);
        }
        if (demoPhone) sim->EnableModem();
        if (demoPhone ? !sim->StartPty() : !sim->StartTcp()) {
            std::fprintf(stderr, "zulqrt: the demonstration controller could not start\n");
            return 1;
        }
        if (demoPhone)
            std::fprintf(stderr, "demonstration controller behind a modem on %s, program folder %s\n",
                         sim->ptyPath().c_str(), scratch.c_str());
        else
            std::fprintf(stderr, "demonstration controller on 127.0.0.1:%u, program folder %s\n",
                         unsigned(sim->tcpPort()), scratch.c_str());
        // Ctrl+C or a kill ends the program the ordinary way, so that the scratch folder goes too.
        std::signal(SIGINT, OnStopSignal);
        std::signal(SIGTERM, OnStopSignal);
    }
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [] {
        if (gStopSignal) QCoreApplication::exit(130);
    });
    stopWatch.start(100);
    const std::string folder = zul::ChooseProgramFolder(zul::ProgramFolderSourcesFromEnvironment(home));
    int rc = 0;
    {
        zul::TFormMain window(folder);
        if (sim && demoPhone) UseDemoModem(window, sim->ptyPath());
        else if (sim) UseDemoController(window, sim->tcpPort());
        ExposeProbe probe(started, &window);
        if (startupTime) {
            window.winId();  // creates the native window, so that its events can be watched
            window.windowHandle()->installEventFilter(&probe);
        }
        window.show();
        rc = app.exec();
    }
    if (sim) sim->Stop();
    if (!scratch.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(scratch, ec);
    }
    return rc;
}
