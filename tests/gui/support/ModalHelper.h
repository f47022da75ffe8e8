// Answers modal windows in GUI tests: runs `fn` on the next modal widget that
// appears (polling, since exec() blocks the test's own code). A caller that re-arms
// from inside `fn` keeps the returned timer and deletes it when it is done.
#pragma once
#include <functional>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace zultest {

// Returns the polling timer, which deletes itself once it has fired or timed out.
inline QTimer* OnModal(std::function<void(QWidget*)> fn, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            fn(w);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return timer;
}

// Runs `fn` on the first visible dialog of type T on top of the modal stack.
template <class T>
void OnDialog(std::function<void(T*)> fn, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn, timeoutMs] {
        T* d = qobject_cast<T*>(QApplication::activeModalWidget());
        if ((d && d->isVisible()) || clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            if (d) fn(d);
        }
    });
    timer->start();
}

}  // namespace zultest
