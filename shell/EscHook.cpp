#include "shell/EscHook.h"

#include <QEvent>
#include <QKeyEvent>

namespace zul {

bool EscHook::eventFilter(QObject* watched, QEvent* event) {
    if (dialInProgress && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        ++escPresses;
        return true;  // taken from the queue
    }
    if (event->type() == QEvent::KeyPress && readInProgress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        stopRequest = true;
        return true;  // it stops the wait, and closes no window under the wait window
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zul
