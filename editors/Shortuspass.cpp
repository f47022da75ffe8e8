#include "editors/Shortuspass.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>

#include "link/Qrtbox.h"
#include "shell/KeyFilters.h"
#include "shell/MessageBox.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {

TFormShortUsPass::TFormShortUsPass(QWidget* parent) : QDialog(parent) {
    setObjectName("FormShortUsPass");
    setWindowTitle(QString::fromUtf8("Идентификация пользователя программы"));
    setModal(true);
    code_ = new QLineEdit(this);
    code_->setObjectName("EdCode");
    code_->setEchoMode(QLineEdit::Password);
    code_->setMaxLength(4);
    InstallIntegerKeyFilter(code_);
    password_ = new QLineEdit(this);
    password_->setObjectName("EdPassword");
    password_->setEchoMode(QLineEdit::Password);
    password_->setMaxLength(12);
    accept_ = new QPushButton(QString::fromUtf8("Принять"), this);
    exit_ = new QPushButton(QString::fromUtf8("Выход"), this);
    accept_->setAutoDefault(false);
    exit_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8(" Код идентификации  пользователя"), this), 0, 0);
    grid->addWidget(code_, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(" Пароль на запись в контроллер"), this), 1, 0);
    grid->addWidget(password_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept_);
    buttons->addWidget(exit_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);

    // Enter moves from the code to the password and from there to "Принять".
    code_->installEventFilter(this);
    password_->installEventFilter(this);
    connect(accept_, &QPushButton::clicked, this, &TFormShortUsPass::Accept);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    code_->setFocus();
}

bool TFormShortUsPass::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == code_) password_->setFocus();
            else if (watched == password_) accept_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormShortUsPass::Accept() {
    if (code_->text().isEmpty()) {
        ShowMessageBox(kMsgInputError, QString::fromUtf8("Не задан код идентификации пользователя"), QString(), this);
        code_->setFocus();
        return;
    }
    credentials_.fill(' ');
    // The controller compares bytes: the texts go in code page 1251, cut to their boxes.
    const std::string password = Utf8ToCp1251(password_->text().toStdString()).substr(0, 12);
    const std::string code = Utf8ToCp1251(code_->text().toStdString()).substr(0, 4);
    std::memcpy(credentials_.data(), password.data(), password.size());
    std::memcpy(credentials_.data() + 12, code.data(), code.size());
    accepted_ = true;
    accept();
}

bool AskCredentials(Qrtbox& box, QWidget* parent) {
    TFormShortUsPass dialog(parent);
    dialog.exec();
    if (!dialog.accepted()) return false;
    std::memcpy(box.writePassword.data(), dialog.credentials().data(), 12);
    std::memcpy(box.identCode.data(), dialog.credentials().data() + 12, 4);
    return true;
}

}  // namespace zul
