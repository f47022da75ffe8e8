#include "editors/Ident.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editors/EditorRules.h"

namespace zul {

TFormIdent::TFormIdent(const uint8_t* table0, bool display, QWidget* parent) : QDialog(parent) {
    setModal(true);
    setObjectName("FormIdent");
    setWindowTitle(QStringLiteral("Параметры идентификации контроллера"));
    IdentRow rows[kIdentRows];
    IdentRows(table0, display, rows);
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < kIdentRows; ++i) {
        caption[i] = new QLabel(QString::fromUtf8(rows[i].caption), this);
        value[i] = new QLineEdit(QString::fromUtf8(rows[i].value.c_str()), this);
        value[i]->setReadOnly(true);
        value[i]->setMinimumWidth(220);
        if (rows[i].alarm) value[i]->setStyleSheet(QStringLiteral("color: red"));
        caption[i]->setEnabled(display || i == 0 || i == 2);
        grid->addWidget(caption[i], i, 0);
        grid->addWidget(value[i], i, 1);
    }
    BtnExit = new QPushButton(QStringLiteral("Выход"), this);
    BtnExit->setObjectName("BtnExit");
    grid->addWidget(BtnExit, kIdentRows, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnExit, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zul
