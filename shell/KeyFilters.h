// Applies IntegerKeyFilter / FloatKeyFilter to the characters typed into an edit
// box, and the "*" mask of password boxes.
#pragma once
#include <QObject>

class QLineEdit;

namespace zul {

class KeyFilter : public QObject {
    Q_OBJECT
public:
    enum Kind { kInteger, kFloat };
    KeyFilter(Kind kind, QObject* parent) : QObject(parent), kind_(kind) {}
    Kind kind() const { return kind_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Kind kind_;
};

// Installs the filter on the box (owned by the box). Keys without a printable
// character (arrows, Delete, Enter, shortcuts) are not filtered.
void InstallIntegerKeyFilter(QLineEdit* edit);
void InstallFloatKeyFilter(QLineEdit* edit);

// A masked box: each character shown as "*", whatever the style's own mask.
void MakeMasked(QLineEdit* edit);

}  // namespace zul
