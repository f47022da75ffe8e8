#include "shell/About.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zul {

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("FormAbout");
    setWindowTitle(QStringLiteral("О программе"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("zul_QRT_510"), this);
    name->setObjectName("ProductName");
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QStringLiteral("Версия    17.01"), this);
    version->setObjectName("Version");
    version->setAlignment(Qt::AlignCenter);
    column->addWidget(name);
    column->addWidget(version);
    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    row->addStretch(1);
    row->addWidget(ok);
    row->addStretch(1);
    column->addLayout(row);
    setFixedSize(300, 150);
}

}  // namespace zul
