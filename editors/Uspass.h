// The password and identification code of one registered user, typed twice each
// (from a row of the whole-table user editor).
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include <QDialog>

class QBoxLayout;
class QLineEdit;
class QPushButton;

namespace zul {

class UserInterface;

class TFormUsPass : public QDialog {
    Q_OBJECT
public:
    // `credentials`: password (bytes 0..11) and code (12..15); unless `startEmpty`
    // both boxes of each pair show them trimmed. Messages through `ui` (or boxes of its own).
    TFormUsPass(const uint8_t* credentials, bool startEmpty, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    ~TFormUsPass() override;

    bool accepted() const { return accepted_; }
    const std::array<uint8_t, 16>& result() const { return result_; }

    QLineEdit* EdCode = nullptr;
    QLineEdit* EdCode2 = nullptr;
    QLineEdit* EdPassword = nullptr;
    QLineEdit* EdPassword2 = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnExit = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void AcceptClick();

private:
    std::unique_ptr<UserInterface> ownUi_;
    UserInterface* ui_;
    std::array<uint8_t, 16> result_{};
    bool accepted_ = false;
};

// The four masked boxes of a user's code and password, in their two groups; used
// by this dialog and the one-user editor.
struct CredentialBoxes {
    QLineEdit* code = nullptr;
    QLineEdit* code2 = nullptr;
    QLineEdit* password = nullptr;
    QLineEdit* password2 = nullptr;
};
CredentialBoxes AddCredentialBoxes(QWidget* owner, QBoxLayout* layout);
// Empties the pair a refusal names and puts the focus into its first box.
void ClearRefused(const CredentialBoxes& boxes, int clear);

}  // namespace zul
