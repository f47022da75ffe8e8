#include "shell/Tableinfo.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"

namespace zul {

TFormTableInfo::TFormTableInfo(TableStateInfo& info, uint8_t version, Qrtbox& box, LinkSettings& settings,
                               UserInterface& ui, QWidget* parent)
    : QDialog(parent), model_(info, version, box.linkKind), box_(box), settings_(settings), ui_(ui) {
    setObjectName("FormTableInfo");
    setWindowTitle(QString::fromUtf8("Состояние таблиц параметров конфигурации"));
    setModal(true);

    grid_ = new QTableWidget(int(model_.rows.size()), 3, this);
    grid_->setObjectName("TableGrid");
    grid_->setHorizontalHeaderLabels({QString::fromUtf8("Наименование таблицы"), QString::fromUtf8("Разру-\nшена"),
                                      QString::fromUtf8("Записать\nтаблицу")});
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->setColumnWidth(1, 60);
    grid_->setColumnWidth(2, 70);
    for (int r = 0; r < int(model_.rows.size()); ++r) {
        const TableInfoRow& row = model_.rows[size_t(r)];
        grid_->setItem(r, 0, new QTableWidgetItem(QString::fromUtf8(row.text.c_str())));
        auto* state = new QTableWidgetItem(QString::fromUtf8(row.damaged ? "Да" : "Нет"));
        state->setTextAlignment(Qt::AlignCenter);
        if (row.damaged) state->setForeground(Qt::red);
        grid_->setItem(r, 1, state);
        auto* check = new QTableWidgetItem();
        Qt::ItemFlags flags = Qt::ItemIsUserCheckable;
        if (row.checkEnabled) flags |= Qt::ItemIsEnabled;
        check->setFlags(flags);
        check->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
        grid_->setItem(r, 2, check);
    }
    const int rowHeight = grid_->verticalHeader()->defaultSectionSize();
    grid_->setMinimumHeight(std::min(int(model_.rows.size()), kVisibleRows) * rowHeight +
                            grid_->horizontalHeader()->sizeHint().height() + 4);

    writeAll_ = new QPushButton(QString::fromUtf8("Записать все таблицы"), this);
    writeSelected_ = new QPushButton(QString::fromUtf8("Записать избранные таблицы"), this);
    reset_ = new QPushButton(QString::fromUtf8("Сбросить энергонезависимые данные"), this);
    exit_ = new QPushButton(QString::fromUtf8("Выход"), this);
    writeAll_->setEnabled(model_.writeAllEnabled);
    writeSelected_->setEnabled(model_.writeSelectedEnabled);
    reset_->setEnabled(model_.resetEnabled);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {writeAll_, writeSelected_, reset_, exit_}) buttons->addWidget(b);
    auto* column = new QVBoxLayout(this);
    column->addWidget(grid_, 1);
    column->addLayout(buttons);
    resize(640, minimumSizeHint().height());

    connect(writeSelected_, &QPushButton::clicked, this, [this] {
        TakeChecks();
        int r = model_.WriteSelected(ui_);
        if (r != kInfoStay) Finish(r);
    });
    connect(writeAll_, &QPushButton::clicked, this, [this] { Finish(model_.WriteAll()); });
    connect(reset_, &QPushButton::clicked, this, [this] {
        int r = model_.ResetNonVolatile(box_, settings_, ui_);
        reset_->setEnabled(model_.resetEnabled);
        if (r == kInfoReset) {
            if (onReset) onReset();
            Finish(r);
        }
    });
    connect(exit_, &QPushButton::clicked, this, [this] { Finish(kInfoExit); });

    if (model_.firstDamagedRow >= kVisibleRows)
        grid_->scrollToItem(grid_->item(model_.firstDamagedRow, 0), QAbstractItemView::PositionAtTop);
}

void TFormTableInfo::TakeChecks() {
    for (int r = 0; r < int(model_.rows.size()); ++r)
        model_.rows[size_t(r)].checked = grid_->item(r, 2)->checkState() == Qt::Checked;
}

void TFormTableInfo::Finish(int result) {
    result_ = result;
    accept();
}

}  // namespace zul
