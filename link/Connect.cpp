#include "link/Connect.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include "editors/Abonent.h"
#include "editors/Abonents_list.h"
#include "link/Conn_par.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "link/SubscriberLists.h"
#include "link/Tcp_fun.h"
#include "shell/KeyFilters.h"
#include "shell/Main.h"
#include "tables/Stringi.h"

namespace zul {

namespace {
const char* const kNewSubscriber = "Новый абонент";

QString Text(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

struct Busy {
    explicit Busy(UserInterface& ui) : ui_(ui) { ui_.SetBusyCursor(true); }
    ~Busy() { ui_.SetBusyCursor(false); }
    UserInterface& ui_;
};
}  // namespace

TFormConnect::TFormConnect(TFormMain& main, QWidget* parent) : QDialog(parent), main_(main) {
    setObjectName("FormConnect");
    setWindowTitle(QString::fromUtf8("Установка связи с устройством"));
    setModal(true);

    kind_ = new QComboBox(this);
    kind_->setObjectName("CbKind");
    kind_->addItems({QString::fromUtf8("Непосредственная связь"), QString::fromUtf8("Связь по телефону"),
                     QString::fromUtf8("Ethernet-интерфейс")});
    address_ = new QComboBox(this);
    address_->setObjectName("CbAddress");
    address_->setEditable(true);
    for (int a = 1; a <= 255; ++a) address_->addItem(QString::number(a));
    address_->lineEdit()->setMaxLength(3);
    InstallIntegerKeyFilter(address_->lineEdit());

    panel_ = new QWidget(this);
    panel_->setObjectName("PnSubscriber");
    subscriber_ = new QComboBox(panel_);
    subscriber_->setObjectName("CbSubscriber");
    subscriber_->setMinimumWidth(260);
    list_ = new QPushButton(QString::fromUtf8("Список абонентов"), panel_);
    auto* panelRow = new QHBoxLayout(panel_);
    panelRow->setContentsMargins(0, 0, 0, 0);
    panelRow->addWidget(new QLabel(QString::fromUtf8("Абонент"), panel_));
    panelRow->addWidget(subscriber_, 1);
    panelRow->addWidget(list_);

    connect_ = new QPushButton(QString::fromUtf8("Связаться"), this);
    params_ = new QPushButton(QString::fromUtf8("Изменить параметры связи"), this);
    exit_ = new QPushButton(QString::fromUtf8("Выход"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("Тип связи"), this), 0, 0);
    grid->addWidget(kind_, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("Адрес устройства"), this), 1, 0);
    grid->addWidget(address_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(connect_);
    buttons->addWidget(params_);
    buttons->addWidget(exit_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(panel_);
    column->addLayout(buttons);

    connect(kind_, &QComboBox::activated, this, [this](int i) { ChooseKind(i); });
    connect(subscriber_, &QComboBox::activated, this, [this](int i) { ChooseSubscriber(i); });
    connect(list_, &QPushButton::clicked, this, &TFormConnect::EditList);
    connect(params_, &QPushButton::clicked, this, &TFormConnect::EditParams);
    connect(connect_, &QPushButton::clicked, this, &TFormConnect::Connect);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);

    const int kind = main_.settings().link.current.connectionKind;
    kind_->setCurrentIndex(kind <= 2 ? kind : -1);
    if (kindIndex() >= 0) {
        ChooseKind(kindIndex());
        connect_->setFocus();
    } else {
        kind_->setFocus();
    }
}

int TFormConnect::kindIndex() const { return kind_->currentIndex(); }

void TFormConnect::Refresh() { main_.RefreshLinkStatus(main_.mainBar()); }

void TFormConnect::ChooseKind(int kind) {
    LinkSettings& link = main_.settings().link;
    kind_->setCurrentIndex(kind);
    link.current.connectionKind = uint8_t(kind);
    if (kind == kLinkDirect) {
        panel_->hide();
        main_.secondBar()->hide();
        main_.thirdBar()->hide();
        address_->setEnabled(true);
        ShowSubscriberAddress(link.direct.address);
        Refresh();
        params_->setEnabled(true);
        connect_->setEnabled(true);
    } else {
        panel_->show();
        main_.secondBar()->show();
        main_.thirdBar()->show();
        address_->setEnabled(false);
        FillSubscribers();
    }
    adjustSize();
}

void TFormConnect::ShowSubscriberAddress(int address) {
    address_->setCurrentIndex(address >= 1 && address <= 255 ? address - 1 : -1);
    if (address < 1 || address > 255) address_->setEditText(QString::number(address));
}

// One item per stored subscriber, then "Новый абонент" while the list has room.
void TFormConnect::FillSubscribers() {
    LinkSettings& link = main_.settings().link;
    const bool phone = kindIndex() == kLinkPhone;
    const int count = phone ? link.phone.subscribers.count : link.ethernet.subscribers.count;
    const int selected = phone ? link.phone.subscribers.selected : link.ethernet.subscribers.selected;
    filling_ = true;
    subscriber_->clear();
    for (int i = 0; i < count; ++i)
        subscriber_->addItem(Text(phone ? TextOf(link.phone.subscribers.entries[size_t(i)].name)
                                        : TextOf(link.ethernet.subscribers.entries[size_t(i)].name)));
    if (count < kMaxSubscribers) subscriber_->addItem(QString::fromUtf8(kNewSubscriber));
    filling_ = false;
    if (count > 0) {
        ChooseSubscriber(selected < count ? selected : 0);
    } else {
        ChooseSubscriber(-1);
    }
}

void TFormConnect::ChooseSubscriber(int index) {
    LinkSettings& link = main_.settings().link;
    const bool phone = kindIndex() == kLinkPhone;
    const int count = phone ? link.phone.subscribers.count : link.ethernet.subscribers.count;
    if (index >= count && index >= 0) {  // "Новый абонент"
        if (!NewSubscriber()) ChooseSubscriber(chosen_ < count ? chosen_ : -1);
        return;
    }
    subscriber_->setCurrentIndex(index);
    chosen_ = index;
    if (index < 0) {
        params_->setEnabled(false);
        connect_->setEnabled(false);
        Refresh();
        return;
    }
    if (phone) {
        link.phone.subscribers.selected = uint8_t(index);
        ShowSubscriberAddress(link.phone.subscribers.entries[size_t(index)].address);
    } else {
        link.ethernet.subscribers.selected = uint8_t(index);
        ShowSubscriberAddress(link.ethernet.subscribers.entries[size_t(index)].address);
    }
    Refresh();
    params_->setEnabled(true);
    connect_->setEnabled(true);
}

// The subscriber editor on an empty entry at the end of the list.
bool TFormConnect::NewSubscriber() {
    LinkSettings& link = main_.settings().link;
    UserInterface& ui = *main_.ui();
    bool ok = false;
    if (kindIndex() == kLinkPhone) {
        auto& list = link.phone.subscribers;
        if (list.count >= kMaxSubscribers) return false;
        TelephoneSubscriber entry{};
        TFormAbonent editor(entry, true, ui, this);
        editor.exec();
        if ((ok = editor.accepted())) {
            list.entries[list.count] = entry;
            list.selected = list.count;
            ++list.count;
            SortSubscribers(list);
        }
    } else {
        auto& list = link.ethernet.subscribers;
        if (list.count >= kMaxSubscribers) return false;
        EthernetSubscriber entry{};
        TFormAbonent editor(entry, true, ui, this);
        editor.exec();
        if ((ok = editor.accepted())) {
            list.entries[list.count] = entry;
            list.selected = list.count;
            ++list.count;
            SortSubscribers(list);
        }
    }
    if (ok) {
        WriteSubscribers();
        FillSubscribers();
    }
    return ok;
}

void TFormConnect::WriteSubscribers() {
    ProgramSettings& s = main_.settings();
    Busy busy(*main_.ui());
    if (kindIndex() == kLinkPhone)
        s.WriteTelephoneSubscribers(s.TelephoneSubscribersIni());
    else
        s.WriteEthernetSubscribers(s.EthernetSubscribersIni());
}

void TFormConnect::EditList() {
    TFormAbonents_List editor(main_.settings().link, kindIndex(), *main_.ui(), this);
    editor.exec();
    if (editor.accepted()) {
        WriteSubscribers();
        FillSubscribers();
    }
    Refresh();
}

void TFormConnect::EditParams() {
    ProgramSettings& s = main_.settings();
    TFormConn_Par dialog(s.link, *main_.qrtbox(), *main_.ui(), this);
    dialog.exec();
    if (!dialog.accepted()) return;
    s.WriteLinkSettings(s.ZulIni());
    Refresh();
    if (kindIndex() == kLinkDirect) ShowSubscriberAddress(s.link.direct.address);
}

void TFormConnect::Connect() {
    ProgramSettings& s = main_.settings();
    LinkSettings& link = s.link;
    UserInterface& ui = *main_.ui();
    Qrtbox& box = *main_.qrtbox();
    const int kind = kindIndex();
    const QString text = address_->currentText().trimmed();
    if (kind < 0 || text.isEmpty()) {
        ui.ShowMessageBox(kMsgInputError, "Введены не все параметры", "");
        return;
    }
    bool number = false;
    const int address = text.toInt(&number);
    if (!number || address < 1 || address > 255) {
        ui.ShowMessageBox(kMsgInputError, "Адрес вне допустимого диапазона", "(1...255)");
        return;
    }
    if (box.PortOpen()) box.ClosePort();

    if (kind == kLinkEthernet) {
        const int count = link.ethernet.subscribers.count;
        if (chosen_ < 0 || chosen_ >= count) {
            link.ethernet.params.address = uint8_t(address);
            ui.ShowMessageBox(kMsgInputError, "Введены не все параметры", "");
            return;
        }
        if (!ConnectTcp(box, link.ethernet, address, ui)) return;
        s.WriteLinkSettings(s.ZulIni());
        Refresh();
        connected_ = true;
        accept();
        return;
    }

    Busy busy(ui);
    LinkParams* record = &link.direct;
    if (kind == kLinkPhone) {
        if (chosen_ < 0 || chosen_ >= link.phone.subscribers.count) {
            ui.ShowMessageBox(kMsgInputError, "Введены не все параметры", "");
            return;
        }
        record = &link.phone.params;
    }
    record->address = uint8_t(address);
    s.WriteLinkSettings(s.ZulIni());
    Refresh();
    const bool release = kind == kLinkDirect && link.current.releasePort;
    box.address = record->address;
    box.baudRate = int32_t(record->speed);
    box.portNumber = record->port;
    box.linkKind = uint8_t(kind);
    box.portWaitSeconds = uint32_t(std::max(link.current.portWait, 1));
    box.openPerExchange = release ? 1 : 0;
    box.replyTimeoutMs = record->replyWaitSeconds * 1000;
    box.interByteTimeoutMs = record->interByteTimeoutMs;
    box.preambleCount = record->preambles;
    box.attempts = record->attempts;
    // A released port is opened by every exchange, not here.
    if (!release) {
        if (!box.OpenPort()) {
            ui.ShowMessageBox(kMsgError,
                              "Коммуникационный порт СОМ" + std::to_string(record->port) + " недоступен", "");
            return;
        }
        if (box.port) box.port->SetReadTimeouts(0xFFFFFFFF, 0, 0);
    }
    QThread::msleep(300);
    connected_ = true;
    accept();
}

}  // namespace zul
