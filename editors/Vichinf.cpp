#include "editors/Vichinf.h"

#include <algorithm>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zul {

TFormVichInf::TFormVichInf(const uint8_t* r, int k, QWidget* parent) : QDialog(parent) {
    setModal(true);
    setObjectName("FormVichInf");
    setWindowTitle(QStringLiteral("Состояние обмена с вычислителями РГ"));
    k = std::clamp(k, 0, 16);
    auto* v = new QVBoxLayout(this);
    Grid = new QTableWidget(k, 3, this);
    Grid->setObjectName("Grid");
    Grid->setHorizontalHeaderLabels({QStringLiteral("Адрес\nвычислителя РГ"), QStringLiteral("Наличие\nсвязи"),
                                     QStringLiteral("Состояние процесса\nзаписи параметров")});
    Grid->verticalHeader()->hide();
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < k; ++i) {
        Grid->setItem(i, 0, new QTableWidgetItem(QString::number(r[i])));
        auto* link = new QTableWidgetItem(r[16 + i] ? QStringLiteral("Есть") : QStringLiteral("Нет"));
        if (!r[16 + i]) link->setForeground(Qt::red);
        auto* writing = new QTableWidgetItem(r[32 + i] ? QStringLiteral("Записываются") : QStringLiteral("Не записываются"));
        if (!r[32 + i]) writing->setForeground(Qt::red);
        Grid->setItem(i, 1, link);
        Grid->setItem(i, 2, writing);
    }
    Grid->resizeColumnsToContents();
    Grid->setMinimumWidth(420);
    v->addWidget(Grid);
    BtnExit = new QPushButton(QStringLiteral("Выход"), this);
    BtnExit->setObjectName("BtnExit");
    v->addWidget(BtnExit, 0, Qt::AlignRight);
    connect(BtnExit, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zul
