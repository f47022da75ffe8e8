#include "editors/Abonents_list.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "editors/Abonent.h"
#include "editors/ListButtons.h"
#include "link/SubscriberLists.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {

namespace {
QString FromCp1251(const std::string& bytes) { return QString::fromStdString(Cp1251ToUtf8(bytes)); }
}  // namespace

TFormAbonents_List::TFormAbonents_List(LinkSettings& settings, int kind, UserInterface& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), kind_(kind == 2 ? 2 : 1), ui_(ui) {
    setModal(true);
    setObjectName("FormAbonents_List");
    const bool ethernet = kind_ == 2;
    setWindowTitle(ethernet ? QStringLiteral("Список абонентов (Ethernet-интерфейс)")
                            : QStringLiteral("Список абонентов (связь по телефону)"));
    phone_ = settings_.phone.subscribers;
    ethernet_ = settings_.ethernet.subscribers;

    auto* v = new QVBoxLayout(this);
    Grid = new QTableWidget(0, 4, this);
    Grid->setObjectName("Grid");
    Grid->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Наименование"), QStringLiteral("Адрес"),
                                     ethernet ? QStringLiteral("IP-адрес:порт") : QStringLiteral("№ телефона")});
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    Grid->setColumnWidth(0, 50);
    Grid->setColumnWidth(1, 300);
    Grid->setColumnWidth(2, 60);
    Grid->setColumnWidth(3, 190);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setMinimumSize(640, 320);
    v->addWidget(Grid);

    QHeaderView* head = Grid->horizontalHeader();
    BtnSortName = new QToolButton(head);
    BtnSortName->setObjectName("BtnSortName");
    BtnSortNumber = new QToolButton(head);
    BtnSortNumber->setObjectName("BtnSortNumber");
    for (QToolButton* b : {BtnSortName, BtnSortNumber}) {
        b->setArrowType(Qt::DownArrow);
        b->setAutoRaise(true);
    }
    BtnSortName->setToolTip(QStringLiteral("Сортировать по наименованию"));
    BtnSortNumber->setToolTip(ethernet ? QStringLiteral("Сортировать по IP-адресу")
                                       : QStringLiteral("Сортировать по номеру телефона"));
    connect(BtnSortName, &QToolButton::clicked, this, [this] { SetSortMode(kSortByName); });
    connect(BtnSortNumber, &QToolButton::clicked, this, [this] { SetSortMode(kSortByNumber); });
    connect(head, &QHeaderView::sectionResized, this, &TFormAbonents_List::PlaceSortButtons);
    connect(head, &QHeaderView::geometriesChanged, this, &TFormAbonents_List::PlaceSortButtons);

    const ListButtons row = AddListButtons(this, v);
    BtnChange = row.change;
    BtnDelete = row.remove;
    BtnAdd = row.add;
    BtnAccept = row.accept;
    BtnCancel = row.cancel;
    connect(BtnChange, &QPushButton::clicked, this, &TFormAbonents_List::ChangeClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TFormAbonents_List::DeleteClick);
    connect(BtnAdd, &QPushButton::clicked, this, &TFormAbonents_List::AddClick);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormAbonents_List::AcceptClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormAbonents_List::reject);
    connect(Grid, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= 0 && row < Count()) Selected() = uint8_t(row);
    });
    connect(Grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row < 0 || row >= Count()) return;
        Selected() = uint8_t(row);
        ChangeClick();
    });
    Redraw();
    PlaceSortButtons();
}

TFormAbonents_List::~TFormAbonents_List() {
    disconnect(Grid->horizontalHeader(), nullptr, this, nullptr);
}

uint8_t& TFormAbonents_List::Count() { return kind_ == 2 ? ethernet_.count : phone_.count; }
uint8_t& TFormAbonents_List::Selected() { return kind_ == 2 ? ethernet_.selected : phone_.selected; }
uint8_t& TFormAbonents_List::SortMode() { return kind_ == 2 ? ethernet_.sortMode : phone_.sortMode; }

void TFormAbonents_List::PlaceSortButtons() {
    QHeaderView* head = Grid->horizontalHeader();
    const int h = head->height() > 4 ? head->height() - 4 : 18;
    auto place = [&](QToolButton* b, int section) {
        const int right = head->sectionViewportPosition(section) + head->sectionSize(section);
        b->setGeometry(right - h - 2, 2, h, h);
        b->show();
    };
    place(BtnSortName, 1);
    place(BtnSortNumber, 3);
}

void TFormAbonents_List::Redraw() {
    if (kind_ == 2) SortSubscribers(ethernet_);
    else SortSubscribers(phone_);
    const int count = Count();
    Grid->clearContents();
    Grid->setRowCount(count);
    for (int i = 0; i < count; ++i) {
        QString name, last;
        int address = 0;
        if (kind_ == 2) {
            const EthernetSubscriber& s = ethernet_.entries[size_t(i)];
            name = FromCp1251(TextOf(s.name));
            address = s.address;
            last = QString::fromStdString(IpPortText(s));
        } else {
            const TelephoneSubscriber& s = phone_.entries[size_t(i)];
            name = FromCp1251(TextOf(s.name));
            address = s.address;
            last = QStringLiteral(" ") + FromCp1251(TextOf(s.phone));
        }
        Grid->setItem(i, 0, new QTableWidgetItem(QStringLiteral("  %1").arg(i + 1)));
        Grid->setItem(i, 1, new QTableWidgetItem(QStringLiteral(" ") + name));
        Grid->setItem(i, 2, new QTableWidgetItem(QStringLiteral(" %1").arg(address)));
        Grid->setItem(i, 3, new QTableWidgetItem(last));
    }
    if (count > 0) Grid->selectRow(Selected() < count ? Selected() : 0);
    const bool byNumber = SortMode() == kSortByNumber;
    BtnSortName->setEnabled(byNumber);
    BtnSortNumber->setEnabled(!byNumber);
    BtnChange->setEnabled(count > 0);
    BtnDelete->setEnabled(count > 0);
    BtnAdd->setEnabled(count < kMaxSubscribers);
}

void TFormAbonents_List::SetSortMode(int mode) {
    SortMode() = uint8_t(mode);
    Redraw();
}

void TFormAbonents_List::ChangeClick() {
    if (Count() == 0) return;
    const size_t at = std::min<size_t>(Selected(), size_t(Count() - 1));
    bool ok;
    if (kind_ == 2) {
        TFormAbonent editor(ethernet_.entries[at], false, ui_, this);
        editor.exec();
        ok = editor.accepted();
    } else {
        TFormAbonent editor(phone_.entries[at], false, ui_, this);
        editor.exec();
        ok = editor.accepted();
    }
    if (ok) Redraw();
}

void TFormAbonents_List::AddClick() {
    if (Count() >= kMaxSubscribers) return;
    const size_t at = Count();
    bool ok;
    if (kind_ == 2) {
        TFormAbonent editor(ethernet_.entries[at], true, ui_, this);
        editor.exec();
        ok = editor.accepted();
    } else {
        TFormAbonent editor(phone_.entries[at], true, ui_, this);
        editor.exec();
        ok = editor.accepted();
    }
    if (!ok) return;
    Selected() = uint8_t(at);
    ++Count();
    Redraw();
}

void TFormAbonents_List::DeleteClick() {
    if (Count() == 0) return;
    if (!ui_.ShowMessageBox(kMsgQuestion, "Вы действительно хотите", "удалить этот абонент?")) return;
    if (kind_ == 2) DeleteSelected(ethernet_);
    else DeleteSelected(phone_);
    Redraw();
}

void TFormAbonents_List::AcceptClick() {
    if (kind_ == 2) settings_.ethernet.subscribers = ethernet_;
    else settings_.phone.subscribers = phone_;
    accepted_ = true;
    accept();
}

}  // namespace zul
