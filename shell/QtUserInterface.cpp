#include "shell/QtUserInterface.h"

#include <QApplication>

#include <algorithm>

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QKeyEvent>
#include <QProgressBar>
#include <QWidget>

#include "shell/EscHook.h"
#include "shell/MessageBox.h"

namespace zul {

class ExchangeInputGuard : public QObject {
public:
    QPointer<QWidget> modalAtStart;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return false;
            break;
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::ContextMenu:
            break;
        default:
            return false;
        }
        // Events to Qt's native windows go on to their widgets, which are judged here.
        if (watched->isWindowType()) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* top = widget ? widget->window() : QApplication::activeWindow();  // shortcuts go to actions
        if (!top) return true;
        if (top->property(kKeepsInputDuringExchange).toBool()) return false;
        QWidget* modal = QApplication::activeModalWidget();
        return !(modal && modal != modalAtStart && top == modal);
    }
};

QtUserInterface::QtUserInterface(QWidget* window, EscHook* hook)
    : window_(window), hook_(hook), guard_(new ExchangeInputGuard) {}

QtUserInterface::~QtUserInterface() { delete guard_; }

bool QtUserInterface::ShowMessageBox(int kind, const std::string& line1, const std::string& line2) {
    QWidget* parent = window_ && window_->isEnabled() ? window_.data() : nullptr;
    answerFlag = zul::ShowMessageBox(kind, QString::fromStdString(line1), QString::fromStdString(line2),
                                     parent);
    return answerFlag;
}

void QtUserInterface::ProcessEvents() {
    if (depth_++ == 0 && qApp) {
        guard_->modalAtStart = QApplication::activeModalWidget();
        qApp->installEventFilter(guard_);
    }
    QCoreApplication::processEvents();
    if (--depth_ == 0 && qApp) qApp->removeEventFilter(guard_);
}

bool QtUserInterface::StopRequested() const { return hook_ && hook_->stopRequest; }

void QtUserInterface::ClearStopRequest() {
    if (hook_) hook_->stopRequest = false;
}

bool QtUserInterface::TakeEscPress() {
    if (!hook_ || hook_->escPresses <= 0) return false;
    --hook_->escPresses;
    return true;
}

void QtUserInterface::SetProgress(int value, int max) {
    if (!progress_) return;
    if (max <= 0) {
        progress_->setRange(0, 1);
        progress_->setValue(0);
    } else {
        progress_->setRange(0, max);
        progress_->setValue(std::clamp(value, 0, max));
    }
}

void QtUserInterface::HoldFullProgress(int max, int ms) {
    if (!progress_) return;
    SetProgress(max, max);
    // Shown, not slept through: the windows keep repainting meanwhile.
    QElapsedTimer held;
    held.start();
    while (held.elapsed() < ms) {
        ProcessEvents();
        QThread::msleep(10);
    }
}

void QtUserInterface::SetBusyCursor(bool busy) {
    // Nested requests: the cursor comes back when the outermost one ends.
    if (busy) {
        if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0 && --busy_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

namespace {

// Qt's own dialog (the same on every desktop, and drivable in tests); it leaves
// the question about replacing a file to the caller.
bool RunFileDialog(QWidget* parent, const std::string& title, const QString& folder, const std::string& filter,
                   bool save, const QString& proposed, std::string& path) {
    QFileDialog d(parent, QString::fromStdString(title), folder);
    d.setObjectName("FileDialog");
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setOption(QFileDialog::DontConfirmOverwrite);
    d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    d.setNameFilter(QString::fromStdString(filter));
    if (!proposed.isEmpty()) d.selectFile(proposed);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return false;
    path = QFile::encodeName(d.selectedFiles().first()).toStdString();
    return true;
}

}  // namespace

bool QtUserInterface::ChooseOpenFile(const std::string& title, const std::string& folder,
                                     const std::string& filter, std::string& path) {
    return RunFileDialog(window_, title, QFile::decodeName(folder.c_str()), filter, false, {}, path);
}

bool QtUserInterface::ChooseSaveFile(const std::string& title, const std::string& filter, std::string& path) {
    const QFileInfo proposed(QFile::decodeName(path.c_str()));
    return RunFileDialog(window_, title, proposed.absolutePath(), filter, true, proposed.fileName(), path);
}

}  // namespace zul
