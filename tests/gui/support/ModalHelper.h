// Answers modal windows in GUI tests: runs `fn` on the next modal widget that
// appears (polling, since exec() blocks the test's own code). A caller that re-arms
// from inside `fn` polls through a ModalPoll instead.
#pragma once
#include <functional>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
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

// The poll of an answerer that re-arms from inside its own callback: the poll still
// waiting when the answerer ends is deleted with it, so it never outlives a test
// nor calls into an answerer that is gone.
class ModalPoll {
public:
    ModalPoll() = default;
    ModalPoll(const ModalPoll&) = delete;
    ModalPoll& operator=(const ModalPoll&) = delete;
    ~ModalPoll() { delete timer_.data(); }
    void Arm(std::function<void(QWidget*)> fn, int timeoutMs = 5000) { timer_ = OnModal(std::move(fn), timeoutMs); }

private:
    QPointer<QTimer> timer_;
};

// Chooses `path` in an open file dialog and accepts it. The name is typed into the
// name box: selectFile() leaves the box alone while it has the focus, and the
// dialog's own selection may still change while it lists its folder.
inline void ChooseFile(QFileDialog* d, const QString& path) {
    if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
    else
        d->selectFile(path);
    QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
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
