// The login of the program's user: identification code and write password,
// which the link engine carries with every write-type command.
#pragma once
#include <array>
#include <cstdint>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zul {

class Qrtbox;

class TFormShortUsPass : public QDialog {
    Q_OBJECT
public:
    explicit TFormShortUsPass(QWidget* parent = nullptr);
    // Bytes 0..11 the write password, 12..15 the identification code, blank-filled.
    const std::array<uint8_t, 16>& credentials() const { return credentials_; }
    bool accepted() const { return accepted_; }

    QLineEdit* codeEdit() const { return code_; }
    QLineEdit* passwordEdit() const { return password_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* exitButton() const { return exit_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Accept();

    QLineEdit* code_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* exit_ = nullptr;
    std::array<uint8_t, 16> credentials_{};
    bool accepted_ = false;
};

// Shows the login; when it is accepted the engine takes the password and code,
// otherwise it keeps what it had. Returns the accepted flag.
bool AskCredentials(Qrtbox& box, QWidget* parent);

}  // namespace zul
