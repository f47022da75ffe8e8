// zulqrt: the maintenance program's window.
//   zulqrt [--home DIR] [--startup-time]
// --home DIR (or ZUL_HOME) sets the program folder that holds the working
// folders; --startup-time prints the time from start to the shown main window
// on stderr and ends the program.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include "shell/Folders.h"
#include "shell/Main.h"

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

void Usage() { std::fprintf(stderr, "usage: zulqrt [--home DIR] [--startup-time]\n"); }
}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    std::string home;
    bool startupTime = false;
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

    const std::string folder = zul::ChooseProgramFolder(zul::ProgramFolderSourcesFromEnvironment(home));
    zul::TFormMain window(folder);
    ExposeProbe probe(started, &window);
    if (startupTime) {
        window.winId();  // creates the native window, so that its events can be watched
        window.windowHandle()->installEventFilter(&probe);
    }
    window.show();
    return app.exec();
}
