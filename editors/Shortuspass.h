// The login of the program's user: identification code and write password, which
// the link engine puts into every write request.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zul {

class Qrtbox;
class UserInterface;

class TFormShortUsPass : public QDialog {
    Q_OBJECT
public:
    // Messages through `ui`.
    TFormShortUsPass(UserInterface& ui, QWidget* parent = nullptr);
    // Messages in message boxes of its own.
    explicit TFormShortUsPass(QWidget* parent = nullptr);
    ~TFormShortUsPass() override;

    bool accepted() const { return accepted_; }
    // After acceptance: the write password in bytes 0..11 and the identification
    // code in bytes 12..15, both filled up with blanks.
    const std::array<uint8_t, 16>& credentials() const { return credentials_; }

    QLineEdit* EdCode = nullptr;       // at most 4 digits
    QLineEdit* EdPassword = nullptr;   // at most 12 characters
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnExit = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void AcceptClick();

private:
    void Build();

    std::unique_ptr<UserInterface> ownUi_;
    UserInterface& ui_;
    std::array<uint8_t, 16> credentials_{};
    bool accepted_ = false;
};

// Shows the login dialog; when it is accepted the engine's writePassword and
// identCode take the new bytes, otherwise they stay as they were. Messages go
// through the engine's user interface (or a message box of its own when it has none).
bool AskCredentials(Qrtbox& box, QWidget* parent);

}  // namespace zul
