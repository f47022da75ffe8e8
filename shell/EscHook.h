// The hook on the application's key messages: Esc while an archive read runs
// sets the stop request, which the read loop tests after each reply.
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

    bool readInProgress = false;
    bool stopRequest = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace zul
