// A main window connected to the simulated controller over loopback TCP, for the
// tests of menu commands: the start sequence runs without the connection dialog,
// its login is cancelled and the credentials are then set directly.
#pragma once
#include <cstring>
#include <memory>
#include <string>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "link/LinkSettings.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "sim/Qrtsim.h"
#include "ModalHelper.h"
#include "tables/Stringi.h"

namespace zultest {

// A main window in `folder` whose start sequence goes to `port` on 127.0.0.1 over
// TCP without the connection dialog: one attempt, one second's wait, no send pause.
inline std::unique_ptr<zul::TFormMain> WindowOnSim(const std::string& folder, uint16_t port) {
    auto w = std::make_unique<zul::TFormMain>(folder);
    zul::LinkSettings& link = w->settings().link;
    link.current.connectionKind = zul::kLinkEthernet;
    zul::EthernetSettings& eth = link.ethernet;
    eth.subscribers.count = 1;
    eth.subscribers.selected = 0;
    zul::SetText(eth.subscribers.entries[0].name, zul::Utf8ToCp1251("Стенд"));
    eth.subscribers.entries[0].address = 1;
    eth.subscribers.entries[0].ip = {1, 0, 0, 127};
    eth.subscribers.entries[0].port = port;
    eth.sendPauseMs = 0;
    eth.params.attempts = 1;
    eth.params.replyWaitSeconds = 1;
    w->ConnectWithoutDialogOnce();
    return w;
}

struct ConnectedWindow {
    QTemporaryDir dir;
    std::unique_ptr<zul::TFormMain> window;

    // Connects to `sim`; false when the start sequence did not end with a link.
    bool Connect(zul::sim::Qrtsim& sim, const char* ident = "2222", const char* password = "222222") {
        window = WindowOnSim(dir.path().toStdString() + "/", sim.tcpPort());
        CancelEveryDialog();
        QSignalSpy done(window.get(), &zul::TFormMain::startSequenceDone);
        window->show();
        if (!done.wait(20000)) return false;
        canceller.stop();
        zul::Qrtbox& box = *window->qrtbox();
        box.writePassword.fill(' ');
        box.identCode.fill(' ');
        std::memcpy(box.writePassword.data(), password, std::strlen(password));
        std::memcpy(box.identCode.data(), ident, std::strlen(ident));
        return window->linkEstablished;
    }

private:
    // The login of the start sequence (and any other dialog) is cancelled while it runs.
    QTimer canceller;
    void CancelEveryDialog() {
        canceller.setInterval(10);
        QObject::connect(&canceller, &QTimer::timeout, [] {
            QWidget* m = QApplication::activeModalWidget();
            if (auto* d = qobject_cast<QDialog*>(m)) d->reject();
            else if (m) m->close();
        });
        canceller.start();
    }
};

// Runs `fn` on the dialog of type T once it is shown and no exchange is waiting
// (a test that blocks inside a poll's exchange would hold that poll forever).
template <class T>
void OnIdleDialog(zul::TFormMain& w, std::function<void(T*)> fn, int timeoutMs = 10000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn, timeoutMs, &w] {
        T* d = qobject_cast<T*>(QApplication::activeModalWidget());
        const bool ready = d && d->isVisible() && !w.ui()->InsideProcessEvents();
        if (ready || clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            if (ready) fn(d);
        }
    });
    timer->start();
}

// Presses "Да" (or the single button) of the next message box and keeps its first line.
inline void AnswerNextBox(QString* line1, bool yes = true) {
    OnDialog<zul::TFormMessage>([line1, yes](zul::TFormMessage* box) {
        if (line1) *line1 = box->lineLabel(0)->text() + "|" + box->lineLabel(1)->text();
        if (box->yesButton() && yes) box->yesButton()->click();
        else if (box->noButton()) box->noButton()->click();
        else box->closeButton()->click();
    });
}

}  // namespace zultest
