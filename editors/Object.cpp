#include "editors/Object.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/UserInterface.h"
#include "tables/Stringi.h"
#include "shell/Desktop.h"

namespace zul {

TFormObject::TFormObject(ObjectEntry& entry, bool newEntry, UserInterface& ui, QWidget* parent)
    : QDialog(parent), entry_(entry), ui_(ui) {
    setModal(true);
    setObjectName("FormObject");
    setWindowTitle(QStringLiteral(" Параметры объекта"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("Наименование объекта\n(до 50 символов)"), this));
    EdName = new QLineEdit(this);
    EdName->setObjectName("EdName");
    EdName->setMaxLength(kObjectNameMax);
    EdName->setMinimumWidth(360);
    if (!newEntry) EdName->setText(QString::fromStdString(Cp1251ToUtf8(TextOf(entry.name))));
    v->addWidget(EdName);
    auto* buttons = new QHBoxLayout;
    BtnAccept = new QPushButton(QStringLiteral("Принять"), this);
    BtnAccept->setObjectName("BtnAccept");
    BtnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    BtnCancel->setObjectName("BtnCancel");
    BtnAccept->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(BtnAccept);
    buttons->addWidget(BtnCancel);
    v->addLayout(buttons);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormObject::AcceptClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormObject::reject);
    EdName->setFocus();
}

void TFormObject::AcceptClick() {
    if (EdName->text().isEmpty()) {
        ui_.ShowMessageBox(kMsgInputError, "Не введено наименование", "");
        FocusFailedField(this, EdName);
        return;
    }
    SetText(entry_.name, Utf8ToCp1251(EdName->text().toStdString()), kObjectNameMax);
    accepted_ = true;
    accept();
}

}  // namespace zul
