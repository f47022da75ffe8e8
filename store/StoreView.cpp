#include "store/StoreView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "events/Period.h"
#include "link/Clock.h"
#include "measurements/Completeness.h"
#include "shell/MessageBox.h"
#include "shell/UserInterface.h"

namespace zul {

namespace {

QString Key(ArchiveKind kind, int64_t key) {
    return QString::fromStdString(KindInfo(kind).byIndex ? std::to_string(key) : MomentOfSeconds(key));
}

}  // namespace

TFormStore::TFormStore(ArchiveStore& store, Collect collect, Open open, ArchiveSettings& settings, QWidget* parent)
    : QDialog(parent), store_(store), collect_(std::move(collect)), open_(std::move(open)), settings_(settings) {
    setWindowTitle(QStringLiteral("Хранилище архивов"));
    table_ = new QTableWidget(0, 7, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("MAC-адрес"), QStringLiteral("Контроллер"),
                                       QStringLiteral("Архив"), QStringLiteral("Записей"),
                                       QStringLiteral("Первая"), QStringLiteral("Последняя"),
                                       QStringLiteral("Пропусков")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    collectButton_ = new QPushButton(QStringLiteral("Собрать"), this);
    openButton_ = new QPushButton(QStringLiteral("Открыть"), this);
    exitButton_ = new QPushButton(QStringLiteral("Выход"), this);
    collectButton_->setEnabled(bool(collect_));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(collectButton_);
    buttons->addWidget(openButton_);
    buttons->addStretch();
    buttons->addWidget(exitButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    connect(collectButton_, &QPushButton::clicked, this, &TFormStore::CollectNow);
    connect(openButton_, &QPushButton::clicked, this, &TFormStore::OpenChosen);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &TFormStore::OpenChosen);
    connect(exitButton_, &QPushButton::clicked, this, &QDialog::reject);
    resize(900, 420);
    Refresh();
}

void TFormStore::Refresh() {
    rows_.clear();
    table_->setRowCount(0);
    std::vector<StoreController> controllers;
    if (!store_.Controllers(controllers)) {
        ShowMessageBox(kMsgPlain, QStringLiteral("Ошибка чтения хранилища архивов"),
                       QString::fromStdString(store_.errorText()), this);
        return;
    }
    for (const StoreController& c : controllers)
        for (int k = 0; k < kArchiveKindCount; ++k) {
            const ArchiveKind kind = ArchiveKind(k);
            KindSummary s;
            CompletenessReport r;
            if (!store_.Summary(c.mac, kind, s) || s.held == 0 || !CheckStoredKind(store_, c.mac, kind, r)) continue;
            const int row = table_->rowCount();
            table_->insertRow(row);
            const QString cells[7] = {QString::fromStdString(c.mac), QString::fromStdString(c.name),
                                      QString::fromUtf8(KindInfo(kind).caption), QString::number(s.held),
                                      Key(kind, s.first), Key(kind, s.last), QString::number(r.gaps.size())};
            for (int col = 0; col < 7; ++col) table_->setItem(row, col, new QTableWidgetItem(cells[col]));
            rows_.push_back({c.mac, kind});
        }
    table_->resizeColumnsToContents();
    if (!rows_.empty()) table_->selectRow(0);
}

void TFormStore::CollectNow() {
    if (!collect_) return;
    collect_(store_);
    Refresh();
}

void TFormStore::OpenChosen() {
    const int row = table_->currentRow();
    if (row < 0 || size_t(row) >= rows_.size()) return;
    TFormPeriod dialog(settings_, SystemClock::Instance().LocalNow(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    StoredPeriod p;
    if (!LoadStoredPeriod(store_, rows_[size_t(row)].mac, rows_[size_t(row)].kind, dialog.start(), dialog.end(),
                          ToPacked(SystemClock::Instance().LocalNow()), p)) {
        ShowMessageBox(kMsgPlain, QStringLiteral("Ошибка чтения хранилища архивов"),
                       QString::fromStdString(store_.errorText()), this);
        return;
    }
    if (p.count == 0) {
        ShowMessageBox(kMsgPlain, QStringLiteral("Нет данных за указанный период"), QString(), this);
        return;
    }
    open_(p);
}

}  // namespace zul
