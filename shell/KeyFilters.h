// Applies IntegerKeyFilter / FloatKeyFilter to the characters typed into an edit
// box; the editable number lists; the octet boxes of an address; the "*" mask of
// password boxes.
#pragma once
#include <QObject>

class QComboBox;
class QLineEdit;
class QWidget;

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

// An editable list of the numbers from..to, nothing chosen. Its box takes digits
// only, however they come (typed, pasted, dropped), at most as many as `to` has,
// and completes nothing: the text is the number as typed, checked by the caller.
QComboBox* EditableNumberList(int from, int to, QWidget* parent);

// The four octet boxes of an IPv4 address, left to right: '.' (or ',') typed in a
// box moves to the next one with its text selected, so that a dotted address is
// typed in one go; in the last box it is dropped.
void ChainOctetBoxes(QLineEdit* const (&boxes)[4]);

// A masked box: each character shown as "*", whatever the style's own mask.
void MakeMasked(QLineEdit* edit);

}  // namespace zul
