#include "editors/Floulist.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editors/Floupar.h"
#include "shell/UserInterface.h"

namespace zul {

TFormFlouList::TFormFlouList(FlowList* list, EditMode mode, int lineMask, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormFlouList", QStringLiteral("Параметры вычислителей расхода газа"),
                  reinterpret_cast<uint8_t*>(list), sizeof(FlowList), mode, ui, parent),
      lineMask_(lineMask),
      work_(*list) {
    work_.count = uint8_t(std::clamp<int>(work_.count, 0, kMaxFlowComputers));
    if (work_.count == 0) {
        work_.count = 1;
        work_.records[0].fill(0);
        std::memset(work_.records[0].data() + 4, ' ', 16);
    }
    Grid = new QTableWidget(0, 4, this);
    Grid->setObjectName("Grid");
    Grid->setHorizontalHeaderLabels({QStringLiteral("Адрес"), QStringLiteral("Тип"),
                                     QStringLiteral("Порядок байтов\nв многобайтных переменных"),
                                     QStringLiteral("Необходимость записи\nпараметров газа\nдля трубопроводов")});
    Grid->verticalHeader()->hide();
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setMinimumSize(640, 300);
    body()->addWidget(Grid);
    auto* row = new QHBoxLayout;
    BtnAdd = new QPushButton(QStringLiteral("Добавить"), this);
    BtnChange = new QPushButton(QStringLiteral("Изменить"), this);
    BtnDelete = new QPushButton(QStringLiteral("Удалить"), this);
    BtnAdd->setObjectName("BtnAdd");
    BtnChange->setObjectName("BtnChange");
    BtnDelete->setObjectName("BtnDelete");
    for (QPushButton* b : {BtnAdd, BtnChange, BtnDelete}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    row->addStretch();
    body()->addLayout(row);
    connect(BtnAdd, &QPushButton::clicked, this, &TFormFlouList::AddClick);
    connect(BtnChange, &QPushButton::clicked, this, &TFormFlouList::ChangeClick);
    connect(Grid, &QTableWidget::cellDoubleClicked, this, &TFormFlouList::ChangeClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TFormFlouList::DeleteClick);
    ShowRows(0);
}

void TFormFlouList::ShowRows(int select) {
    static const char* const kTypes[4] = {"ФЛОУТЭК", "ФЛОУКОР, ПМ-3В", "ВР-2", "ДФ-1"};
    static const char* const kOrders[2] = {"Мл. адрес -- ст. байт", "Мл. адрес -- мл. байт"};
    Grid->setRowCount(work_.count);
    char buf[64];
    for (int i = 0; i < work_.count; ++i) {
        const FlowRecord& r = work_.records[i];
        std::snprintf(buf, sizeof buf, "   %d", r[0]);
        Grid->setItem(i, 0, new QTableWidgetItem(QString::fromUtf8(buf)));
        Grid->setItem(i, 1, new QTableWidgetItem(QString::fromUtf8(" ") + QString::fromUtf8(r[1] <= 3 ? kTypes[r[1]] : "?")));
        Grid->setItem(i, 2, new QTableWidgetItem(QString::fromUtf8(" ") + QString::fromUtf8(r[3] <= 1 ? kOrders[r[3]] : "?")));
        std::snprintf(buf, sizeof buf, "      0x%02X", r[2]);
        Grid->setItem(i, 3, new QTableWidgetItem(QString::fromUtf8(buf)));
    }
    Grid->resizeColumnsToContents();
    if (work_.count > 0) Grid->selectRow(std::clamp(select, 0, work_.count - 1));
    BtnAdd->setEnabled(work_.count < kMaxFlowComputers);
    BtnDelete->setEnabled(work_.count > 1);
}

void TFormFlouList::AddClick() {
    if (work_.count >= kMaxFlowComputers) return;
    const int i = work_.count;
    FlowRecord r{};
    std::memset(r.data() + 4, ' ', 16);
    uint8_t sou = 0;
    TFormFlouPar d(r.data(), i + 1, &sou, lineMask_, &ui(), this);
    d.exec();
    if (!d.accepted()) return;
    work_.records[i] = r;
    work_.sou[i] = sou;
    work_.passwordToWrite[i] = 1;
    work_.count = uint8_t(i + 1);
    ShowRows(i);
}

void TFormFlouList::ChangeClick() {
    const int i = Grid->currentRow();
    if (i < 0 || i >= work_.count) return;
    TFormFlouPar d(work_.records[i].data(), i + 1, &work_.sou[i], lineMask_, &ui(), this);
    d.exec();
    if (!d.accepted()) return;
    if (d.passwordChanged()) work_.passwordToWrite[i] = 1;
    ShowRows(i);
}

void TFormFlouList::DeleteClick() {
    const int i = Grid->currentRow();
    if (i < 0 || i >= work_.count || work_.count <= 1) return;
    char line2[64];
    std::snprintf(line2, sizeof line2, "вычислитель адр. %d?", work_.records[i][0]);
    if (!ui().ShowMessageBox(kMsgQuestion, "Вы действительно хотите удалить", line2)) return;
    DeleteFlowRecord(work_, i);
    ShowRows(i);
}

bool TFormFlouList::Store(uint8_t* b) {
    std::string line1, line2;
    if (!CheckFlowRecords(work_.records, work_.count, &line1, &line2)) return Refuse(line1, line2);
    std::memcpy(b, &work_, sizeof work_);
    return true;
}

}  // namespace zul
