#include "shell/QtUserInterface.h"

#include <QApplication>

#include <algorithm>

#include <QCoreApplication>
#include <QProgressBar>
#include <QWidget>

#include "shell/EscHook.h"
#include "shell/MessageBox.h"

namespace zul {

bool QtUserInterface::ShowMessageBox(int kind, const std::string& line1, const std::string& line2) {
    QWidget* parent = window_ && window_->isEnabled() ? window_.data() : nullptr;
    answerFlag = zul::ShowMessageBox(kind, QString::fromStdString(line1), QString::fromStdString(line2),
                                     parent);
    return answerFlag;
}

void QtUserInterface::ProcessEvents() {
    ++depth_;
    QCoreApplication::processEvents();
    --depth_;
}

bool QtUserInterface::StopRequested() const { return hook_ && hook_->stopRequest; }

void QtUserInterface::ClearStopRequest() {
    if (hook_) hook_->stopRequest = false;
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

void QtUserInterface::SetBusyCursor(bool busy) {
    // Nested requests: the cursor comes back when the outermost one ends.
    if (busy) {
        if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0 && --busy_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace zul
