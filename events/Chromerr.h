// The record status view TFormChromError: the controller's status byte and the
// chromatograph's status word of one record, one line per set bit.
//
//   TFormChromError f(kStatusMeasurement, rec[7], rec[8], rec[9], caption, this);
//   f.exec();
#pragma once
#include <QDialog>

#include "events/ChromStatus.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace zul {

class TFormChromError : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 450;
    TFormChromError(int mode, uint8_t statusByte, uint8_t wordLow, uint8_t wordHigh, const QString& caption,
                    QWidget* parent = nullptr);
    const ChromStatusTexts& texts() const { return texts_; }
    QLabel* controllerHeading() const { return controllerHeading_; }
    QLabel* chromHeading() const { return chromHeading_; }
    QListWidget* controllerList() const { return controllerList_; }
    QListWidget* chromList() const { return chromList_; }

private:
    ChromStatusTexts texts_;
    QLabel* controllerHeading_;
    QListWidget* controllerList_;
    QLabel* chromHeading_;
    QListWidget* chromList_;
};

}  // namespace zul
