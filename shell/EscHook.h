// The hook on the application's key messages: Esc while an archive read (or a
// connection attempt) runs sets the stop request, which the waiting loop tests,
// and is taken from the queue; Esc while
// the modem dials is taken from the queue and handed to the dialling loop.
#pragma once
#include <QObject>

namespace zul {

class EscHook : public QObject {
    Q_OBJECT
public:
    explicit EscHook(QObject* parent = nullptr) : QObject(parent) {}
    // Starts / ends an archive read: clears the stop request and sets the flag.
    void BeginRead() { stopRequest = false; readInProgress = true; }
    void EndRead() { readInProgress = false; }
    // Starts / ends modem dialling: Esc presses are counted and kept from the windows.
    void BeginDial() { escPresses = 0; dialInProgress = true; }
    void EndDial() { dialInProgress = false; escPresses = 0; }

    bool readInProgress = false;
    bool stopRequest = false;
    bool dialInProgress = false;
    int escPresses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace zul
