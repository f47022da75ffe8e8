#include "editors/Uspass.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QPushButton>

#include "editors/ListButtons.h"
#include "shell/KeyFilters.h"
#include "shell/QtUserInterface.h"
#include "tables/Stringi.h"
#include "tables/UserRules.h"

namespace zul {

namespace {

QLineEdit* Masked(int maxChars, const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    MakeMasked(e);
    e->setMaxLength(maxChars);
    e->setFixedWidth(140);
    return e;
}

QGroupBox* Pair(const QString& title, const char* first, QLineEdit* a, const char* second, QLineEdit* b,
                QWidget* owner) {
    auto* g = new QGroupBox(title, owner);
    auto* grid = new QGridLayout(g);
    grid->addWidget(new QLabel(QString::fromUtf8(first), g), 0, 0);
    grid->addWidget(a, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(second), g), 1, 0);
    grid->addWidget(b, 1, 1);
    a->setParent(g);
    b->setParent(g);
    return g;
}

std::string Cp1251(const QLineEdit* e) { return Utf8ToCp1251(e->text().toStdString()); }

}  // namespace

CredentialBoxes AddCredentialBoxes(QWidget* owner, QBoxLayout* layout) {
    CredentialBoxes c;
    c.code = Masked(kUserCodeSize, "EdCode", owner);
    c.code2 = Masked(kUserCodeSize, "EdCode2", owner);
    InstallIntegerKeyFilter(c.code);
    InstallIntegerKeyFilter(c.code2);
    c.password = Masked(kUserPasswordSize, "EdPassword", owner);
    c.password2 = Masked(kUserPasswordSize, "EdPassword2", owner);
    layout->addWidget(Pair(QStringLiteral(" Код идентификации  пользователя"), "Введите код", c.code,
                           "Подтвердите код", c.code2, owner));
    layout->addWidget(Pair(QStringLiteral(" Пароль на запись "), "Введите пароль", c.password, "Подтвердите пароль",
                           c.password2, owner));
    return c;
}

void ClearRefused(const CredentialBoxes& c, int clear) {
    if (clear == int(ClearBoxes::kPasswords)) {
        c.password->clear();
        c.password2->clear();
        c.password->setFocus();
    } else if (clear == int(ClearBoxes::kCodes)) {
        c.code->clear();
        c.code2->clear();
        c.code->setFocus();
    }
}

TFormUsPass::TFormUsPass(const uint8_t* credentials, bool startEmpty, UserInterface* ui, QWidget* parent)
    : QDialog(parent) {
    if (!ui) {
        ownUi_ = std::make_unique<QtUserInterface>(this);
        ui = ownUi_.get();
    }
    ui_ = ui;
    setModal(true);
    setObjectName("FormUsPass");
    setWindowTitle(QStringLiteral("Идентификация пользователя программы"));
    auto* v = new QVBoxLayout(this);
    const CredentialBoxes c = AddCredentialBoxes(this, v);
    EdCode = c.code;
    EdCode2 = c.code2;
    EdPassword = c.password;
    EdPassword2 = c.password2;
    const ActionExitButtons buttons = AddActionExitButtons(this, v, "Принять", "BtnAccept");
    BtnAccept = buttons.action;
    BtnExit = buttons.exit;
    v->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormUsPass::AcceptClick);
    connect(BtnExit, &QPushButton::clicked, this, &QDialog::reject);
    if (!startEmpty) {
        const QString code = QString::fromStdString(Cp1251ToUtf8(TrimmedBytes(credentials + 12, 4)));
        const QString password = QString::fromStdString(Cp1251ToUtf8(TrimmedBytes(credentials, 12)));
        EdCode->setText(code);
        EdCode2->setText(code);
        EdPassword->setText(password);
        EdPassword2->setText(password);
    }
    for (QLineEdit* e : {EdCode, EdCode2, EdPassword, EdPassword2}) e->installEventFilter(this);
    EdCode->setFocus();
}

TFormUsPass::~TFormUsPass() = default;

bool TFormUsPass::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // code -> confirmation -> password -> confirmation -> "Принять"
            if (watched == EdCode) EdCode2->setFocus();
            else if (watched == EdCode2) EdPassword->setFocus();
            else if (watched == EdPassword) EdPassword2->setFocus();
            else BtnAccept->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormUsPass::AcceptClick() {
    const UserRefusal r = CheckPasswordAndCode(Cp1251(EdCode), Cp1251(EdCode2), Cp1251(EdPassword),
                                               Cp1251(EdPassword2));
    if (r.refused) {
        ui_->ShowMessageBox(kMsgInputError, r.line1, r.line2);
        ClearRefused({EdCode, EdCode2, EdPassword, EdPassword2}, int(r.clear));
        return;
    }
    result_ = MakeCredentials(Cp1251(EdPassword), Cp1251(EdCode));
    accepted_ = true;
    accept();
}

}  // namespace zul
