// The controller's clock next to the computer's ("Текущие дата и время"): the
// values that differ in red, and the correction that pulls the controller's
// clock towards the computer's when the controller allows it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include <QDialog>

class QLabel;
class QPushButton;

namespace zul {

class UserInterface;

class TFormDt : public QDialog {
    Q_OBJECT
public:
    // `controller`, `computer`: clock bytes (table 2 layout); `allowed`: table 6 field 11.
    TFormDt(const uint8_t* controller, const uint8_t* computer, bool allowed, UserInterface* ui = nullptr,
            QWidget* parent = nullptr);
    ~TFormDt() override;

    // Closed with a correction (seconds) to send.
    bool corrected() const { return corrected_; }
    int16_t correction() const { return correction_; }

    // Row 0 the controller, row 1 the computer; columns date, time, weekday, season.
    std::array<std::array<QLabel*, 4>, 2> Values{};
    QLabel* LblForbidden = nullptr;
    QPushButton* BtnCorrect = nullptr;
    QPushButton* BtnExit = nullptr;

private slots:
    void CorrectClick();

private:
    std::unique_ptr<UserInterface> ownUi_;
    UserInterface* ui_;
    std::array<uint8_t, 8> controller_{}, computer_{};
    bool corrected_ = false;
    int16_t correction_ = 0;
};

}  // namespace zul
