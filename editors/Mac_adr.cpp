#include "editors/Mac_adr.h"

#include <cstdio>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zul {

TFormMac_Adr::TFormMac_Adr(const uint8_t* m, QWidget* parent) : QDialog(parent) {
    setModal(true);
    setObjectName("FormMac_Adr");
    setWindowTitle(QStringLiteral("MAC-адрес контроллера"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("MAC-адрес контроллера"), this));
    char text[24];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
    EdMac = new QLineEdit(QString::fromLatin1(text), this);
    EdMac->setObjectName("EdMac");
    EdMac->setReadOnly(true);
    v->addWidget(EdMac);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName("BtnOk");
    v->addWidget(BtnOk, 0, Qt::AlignHCenter);
    v->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zul
