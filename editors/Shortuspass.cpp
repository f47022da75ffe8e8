#include "editors/Shortuspass.h"

#include <algorithm>
#include <memory>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/ListButtons.h"
#include "link/Qrtbox.h"
#include "shell/KeyFilters.h"
#include "shell/QtUserInterface.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"
#include "tables/UserRules.h"

namespace zul {

namespace {

QLineEdit* MaskedEdit(int maxChars, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    MakeMasked(e);
    e->setMaxLength(maxChars);
    e->setFixedWidth(160);
    return e;
}

QGroupBox* Group(const QString& title, QLineEdit* edit, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    auto* l = new QHBoxLayout(g);
    edit->setParent(g);
    l->addWidget(edit);
    l->addStretch();
    return g;
}

}  // namespace

TFormShortUsPass::TFormShortUsPass(UserInterface& ui, QWidget* parent) : QDialog(parent), ui_(ui) { Build(); }

TFormShortUsPass::TFormShortUsPass(QWidget* parent)
    : QDialog(parent), ownUi_(std::make_unique<QtUserInterface>(this)), ui_(*ownUi_) {
    Build();
}

TFormShortUsPass::~TFormShortUsPass() = default;

void TFormShortUsPass::Build() {
    setModal(true);
    setObjectName("FormShortUsPass");
    setWindowTitle(QStringLiteral("Идентификация пользователя программы"));
    auto* v = new QVBoxLayout(this);
    EdCode = MaskedEdit(4, this);
    EdCode->setObjectName("EdCode");
    InstallIntegerKeyFilter(EdCode);
    EdPassword = MaskedEdit(12, this);
    EdPassword->setObjectName("EdPassword");
    v->addWidget(Group(QStringLiteral(" Код идентификации  пользователя"), EdCode, this));
    v->addWidget(Group(QStringLiteral(" Пароль на запись в контроллер"), EdPassword, this));

    const ActionExitButtons buttons = AddActionExitButtons(this, v, "Принять", "BtnAccept");
    BtnAccept = buttons.action;
    BtnExit = buttons.exit;
    v->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormShortUsPass::AcceptClick);
    connect(BtnExit, &QPushButton::clicked, this, &TFormShortUsPass::reject);

    // Enter moves on: code -> password -> "Принять" (it does not accept from a box).
    EdCode->installEventFilter(this);
    EdPassword->installEventFilter(this);
    EdCode->setFocus();
}

bool TFormShortUsPass::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == EdCode) EdPassword->setFocus();
            else if (watched == EdPassword) BtnAccept->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormShortUsPass::AcceptClick() {
    if (EdCode->text().isEmpty()) {
        ui_.ShowMessageBox(kMsgInputError, "Не задан код идентификации пользователя", "");
        EdCode->setFocus();
        return;
    }
    credentials_ = MakeCredentials(Utf8ToCp1251(EdPassword->text().toStdString()), EdCode->text().toStdString());
    accepted_ = true;
    accept();
}

bool AskCredentials(Qrtbox& box, QWidget* parent) {
    std::unique_ptr<TFormShortUsPass> dialog =
        box.ui ? std::make_unique<TFormShortUsPass>(*box.ui, parent) : std::make_unique<TFormShortUsPass>(parent);
    dialog->exec();
    if (!dialog->accepted()) return false;
    const auto& bytes = dialog->credentials();
    std::copy_n(bytes.begin(), 12, box.writePassword.begin());
    std::copy_n(bytes.begin() + 12, 4, box.identCode.begin());
    return true;
}

}  // namespace zul
