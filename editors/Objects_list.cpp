#include "editors/Objects_list.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editors/Object.h"
#include "editors/ListButtons.h"
#include "link/Rd_wr_ini.h"
#include "link/SubscriberLists.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {

namespace {
// The list is always kept sorted: sort it before the copy is taken, so that only
// the user's changes make it differ from the copy.
const ObjectList& Sorted(ObjectList& list) {
    SortObjects(list);
    return list;
}
}  // namespace

TFormObjects_List::TFormObjects_List(ProgramSettings& settings, UserInterface& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), list_(settings.objects), copy_(Sorted(settings.objects)), ui_(ui) {
    setModal(true);
    setObjectName("FormObjects_List");
    setWindowTitle(QStringLiteral(" Список объектов"));
    auto* v = new QVBoxLayout(this);
    Grid = new QTableWidget(0, 2, this);
    Grid->setObjectName("Grid");
    Grid->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Наименование")});
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    Grid->setColumnWidth(0, 50);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setMinimumSize(480, 300);
    v->addWidget(Grid);

    const ListButtons row = AddListButtons(this, v);
    BtnChange = row.change;
    BtnDelete = row.remove;
    BtnAdd = row.add;
    BtnAccept = row.accept;
    BtnCancel = row.cancel;
    connect(BtnChange, &QPushButton::clicked, this, &TFormObjects_List::ChangeClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TFormObjects_List::DeleteClick);
    connect(BtnAdd, &QPushButton::clicked, this, &TFormObjects_List::AddClick);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormObjects_List::AcceptClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormObjects_List::reject);
    connect(Grid, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= 0 && row < list_.count) list_.selected = uint8_t(row);
    });
    connect(Grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row < 0 || row >= list_.count) return;
        list_.selected = uint8_t(row);
        ChangeClick();
    });
    Redraw();
}

void TFormObjects_List::Redraw() {
    SortObjects(list_);
    const int count = list_.count;
    Grid->clearContents();
    Grid->setRowCount(count);
    for (int i = 0; i < count; ++i) {
        Grid->setItem(i, 0, new QTableWidgetItem(QStringLiteral("  %1").arg(i + 1)));
        Grid->setItem(i, 1, new QTableWidgetItem(
                                QStringLiteral(" ") +
                                QString::fromStdString(Cp1251ToUtf8(TextOf(list_.entries[size_t(i)].name)))));
    }
    if (count > 0) Grid->selectRow(list_.selected < count ? list_.selected : 0);
    BtnAdd->setEnabled(count < kMaxObjects);
    BtnDelete->setEnabled(count > 1);
    BtnChange->setEnabled(count > 0);
}

void TFormObjects_List::ChangeClick() {
    if (list_.count == 0) return;
    TFormObject editor(list_.entries[std::min<size_t>(list_.selected, size_t(list_.count - 1))], false, ui_, this);
    editor.exec();
    if (editor.accepted()) Redraw();
}

void TFormObjects_List::AddClick() {
    if (list_.count >= kMaxObjects) return;
    ObjectEntry& entry = list_.entries[list_.count];
    entry = ObjectEntry{};
    TFormObject editor(entry, true, ui_, this);
    editor.exec();
    if (!editor.accepted()) return;
    list_.selected = list_.count;
    ++list_.count;
    Redraw();
}

void TFormObjects_List::DeleteClick() {
    if (list_.count <= 1) return;
    if (!ui_.ShowMessageBox(kMsgQuestion, "Вы действительно хотите", "удалить этот объект?")) return;
    DeleteSelected(list_);
    Redraw();
}

void TFormObjects_List::AcceptClick() {
    if (!(list_ == copy_)) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        settings_.WriteObjects(settings_.ObjectsIni());  // a failure is reported there
        QApplication::restoreOverrideCursor();
    }
    accepted_ = true;
    accept();
}

void TFormObjects_List::reject() {
    if (!(list_ == copy_)) list_ = copy_;
    QDialog::reject();
}

}  // namespace zul
