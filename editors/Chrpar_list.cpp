#include "editors/Chrpar_list.h"

#include <algorithm>
#include <cstring>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editors/Chr_par.h"
#include "editors/EditorRules.h"
#include "tables/Stringi.h"

namespace zul {

namespace {
constexpr int kSignificant = 10;
int Count(const std::vector<uint8_t>& w) { return std::clamp<int>(w[0], 0, kGasParams); }
}  // namespace

TFormChrPar_List::TFormChrPar_List(uint8_t* record, UserInterface* ui, QWidget* parent)
    : QDialog(parent), record_(record), work_(record, record + kParamListSize), ui_(ui) {
    setModal(true);
    setObjectName("FormChrPar_List");
    setWindowTitle(QStringLiteral("Перечень параметров для чтения"));
    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Количество введенных параметров"), this));
    EdCount = new QLineEdit(QString::number(Count(work_)), this);
    EdCount->setObjectName("EdCount");
    EdCount->setReadOnly(true);
    EdCount->setFixedWidth(40);
    top->addWidget(EdCount);
    top->addStretch();
    v->addLayout(top);
    Grid = new QTableWidget(Count(work_), 8, this);
    Grid->setObjectName("Grid");
    Grid->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Наименование"),
                                     QStringLiteral("Условное\nобознач."), QStringLiteral("Единица\nизмерений"),
                                     QStringLiteral("Modbus\nрегистр"), QStringLiteral("Диапазон\nMin"),
                                     QStringLiteral("Диапазон\nMax"), QStringLiteral("Кол. знаков\nпосле зап.")});
    Grid->verticalHeader()->hide();
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setMinimumSize(900, 420);
    for (int r = 0; r < Count(work_); ++r) ShowRow(r);
    Grid->resizeColumnsToContents();
    if (Count(work_) > 0) Grid->selectRow(0);
    v->addWidget(Grid);
    auto* buttons = new QHBoxLayout;
    BtnChange = new QPushButton(QStringLiteral("Изменить"), this);
    BtnChange->setObjectName("BtnChange");
    BtnAccept = new QPushButton(QStringLiteral("Принять"), this);
    BtnAccept->setObjectName("BtnAccept");
    BtnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    BtnCancel->setObjectName("BtnCancel");
    buttons->addWidget(BtnChange);
    buttons->addStretch();
    for (QPushButton* b : {BtnChange, BtnAccept, BtnCancel}) b->setAutoDefault(false);
    buttons->addWidget(BtnAccept);
    buttons->addWidget(BtnCancel);
    v->addLayout(buttons);
    connect(BtnChange, &QPushButton::clicked, this, &TFormChrPar_List::ChangeClick);
    connect(Grid, &QTableWidget::cellDoubleClicked, this, &TFormChrPar_List::ChangeClick);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormChrPar_List::AcceptClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormChrPar_List::ShowRow(int row) {
    const uint8_t* r = work_.data() + 1 + row * kParamRecordSize;
    auto text = [](const std::string& utf8) { return QString::fromStdString(utf8); };
    const int decimals = std::min<int>(r[61], 7);
    const QString cells[8] = {
        QStringLiteral("  %1").arg(row + 1),
        text(" " + Cp1251ToUtf8(FieldText(r, 40))),
        text(" " + Cp1251ToUtf8(FieldText(r + 40, 10))),
        text(std::string(" ") + (r[50] < 12 ? kUnits2[r[50]] : "")),
        QStringLiteral(" %1").arg(unsigned(r[59] | r[60] << 8)),
        text(" " + FormatFixed(GetFloat(r + 51), decimals, kSignificant)),
        text(" " + FormatFixed(GetFloat(r + 55), decimals, kSignificant)),
        QStringLiteral("  %1").arg(unsigned(r[61])),
    };
    for (int c = 0; c < 8; ++c) Grid->setItem(row, c, new QTableWidgetItem(cells[c]));
}

void TFormChrPar_List::ChangeClick() {
    const int row = Grid->currentRow();
    if (row < 0 || row >= Count(work_)) return;
    TForm_Chr_Par d(work_.data() + 1 + row * kParamRecordSize, ui_, this);
    d.exec();
    if (d.accepted()) ShowRow(row);
}

void TFormChrPar_List::AcceptClick() {
    if (std::memcmp(work_.data(), record_, kParamListSize) != 0) {
        std::memcpy(record_, work_.data(), kParamListSize);
        accepted_ = true;
        accept();
    } else {
        reject();
    }
}

}  // namespace zul
