#include "link/Connect.h"

#include <algorithm>

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/Abonent.h"
#include "editors/Abonents_list.h"
#include "link/Conn_par.h"
#include "link/Qrtbox.h"
#include "link/Rd_wr_ini.h"
#include "link/SubscriberLists.h"
#include "link/TcpSocket.h"
#include "link/Tcp_fun.h"
#include "shell/KeyFilters.h"
#include "shell/Main.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"
#include "shell/Desktop.h"

namespace zul {

namespace {

// "СОМ" with Cyrillic letters, as the program writes it in its messages.
const char* const kCyrillicCom = "\xD0\xA1\xD0\x9E\xD0\x9C";

template <class List>
void FillNames(QComboBox* box, const List& list) {
    for (int i = 0; i < list.count && i < kMaxSubscribers; ++i)
        box->addItem(QString::fromStdString(Cp1251ToUtf8(TextOf(list.entries[size_t(i)].name))));
}

// Appends `entry` to `list` as the selected subscriber and sorts the list.
template <class List, class Entry>
void Append(List& list, const Entry& entry) {
    list.entries[list.count] = entry;
    list.selected = list.count;
    ++list.count;
    SortSubscribers(list);
}

}  // namespace

const char* const TFormConnect::kKindNames[3] = {"Непосредственная связь", "Связь по телефону",
                                                  "Ethernet-интерфейс"};
const char* const TFormConnect::kNewSubscriber = "Новый абонент";

TFormConnect::TFormConnect(TFormMain& main)
    : TFormConnect(main.settings(), *main.qrtbox(), *main.ui(),
                   ConnectStatusHooks{[&main] { main.RefreshLinkStatus(main.mainBar()); },
                                      [&main](bool on) {
                                          main.secondBar()->setVisible(on);
                                          main.thirdBar()->setVisible(on);
                                      }},
                   &main) {}

TFormConnect::TFormConnect(ProgramSettings& settings, Qrtbox& engine, UserInterface& ui, ConnectStatusHooks hooks,
                           QWidget* parent)
    : QDialog(parent), settings_(settings), engine_(engine), ui_(ui), hooks_(std::move(hooks)) {
    setModal(true);
    setObjectName("FormConnect");
    setWindowTitle(QStringLiteral("Установка связи с устройством"));

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    CBConnType = new QComboBox(this);
    CBConnType->setObjectName("CBConnType");
    for (const char* name : kKindNames) CBConnType->addItem(QString::fromUtf8(name));
    CBConnType->setMinimumWidth(220);
    grid->addWidget(new QLabel(QStringLiteral("Тип связи"), this), 0, 0);
    grid->addWidget(CBConnType, 0, 1);

    CBAdr = EditableNumberList(1, 255, this);
    CBAdr->setObjectName("CBAdr");
    grid->addWidget(new QLabel(QStringLiteral("Адрес устройства"), this), 1, 0);
    grid->addWidget(CBAdr, 1, 1, Qt::AlignLeft);
    layout->addLayout(grid);

    pn_abonent = new QFrame(this);
    pn_abonent->setObjectName("pn_abonent");
    pn_abonent->setFrameShape(QFrame::StyledPanel);
    auto* sub = new QGridLayout(pn_abonent);
    CBAbonent = new QComboBox(pn_abonent);
    CBAbonent->setObjectName("CBAbonent");
    CBAbonent->setMinimumWidth(320);
    BtnAbonentsList = new QPushButton(QStringLiteral("Список абонентов"), pn_abonent);
    BtnAbonentsList->setObjectName("BtnAbonentsList");
    BtnAbonentsList->setAutoDefault(false);
    sub->addWidget(new QLabel(QStringLiteral("Абонент"), pn_abonent), 0, 0);
    sub->addWidget(CBAbonent, 0, 1);
    sub->addWidget(BtnAbonentsList, 1, 1, Qt::AlignRight);
    layout->addWidget(pn_abonent);

    auto* buttons = new QHBoxLayout;
    BtnConnect = new QPushButton(QStringLiteral("Связаться"), this);
    BtnConnect->setObjectName("BtnConnect");
    BtnConnPar = new QPushButton(QStringLiteral("Изменить параметры связи"), this);
    BtnConnPar->setObjectName("BtnConnPar");
    BtnConnPar->setAutoDefault(false);
    BtnExit = new QPushButton(QStringLiteral("Выход"), this);
    BtnExit->setObjectName("BtnExit");
    BtnExit->setAutoDefault(false);
    BtnConnect->setDefault(true);
    buttons->addWidget(BtnConnect);
    buttons->addWidget(BtnConnPar);
    buttons->addStretch();
    buttons->addWidget(BtnExit);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BtnConnect, &QPushButton::clicked, this, &TFormConnect::ConnectClick);
    connect(BtnConnPar, &QPushButton::clicked, this, &TFormConnect::ConnParClick);
    connect(BtnAbonentsList, &QPushButton::clicked, this, &TFormConnect::SubscribersListClick);
    connect(BtnExit, &QPushButton::clicked, this, &TFormConnect::reject);
    connect(CBAbonent, &QComboBox::currentIndexChanged, this, &TFormConnect::SubscriberChanged);

    // The stored kind and its layout; an unknown kind leaves none chosen.
    const int kind = settings_.link.current.connectionKind;
    CBConnType->setCurrentIndex(-1);
    connect(CBConnType, &QComboBox::currentIndexChanged, this, &TFormConnect::KindChanged);
    if (kind <= kLinkEthernet) {
        CBConnType->setCurrentIndex(kind);
    } else {
        pn_abonent->hide();
        BtnConnect->setEnabled(false);
        BtnConnPar->setEnabled(false);
    }
    if (CBConnType->currentIndex() < 0) CBConnType->setFocus();
    else if (BtnConnect->isEnabled()) BtnConnect->setFocus();
    else CBAbonent->setFocus();  // a subscriber has to be chosen first
}

// ---------------------------------------------------------------------------
// Kinds and subscribers

void TFormConnect::KindChanged(int index) {
    if (index < 0) return;
    settings_.link.current.connectionKind = uint8_t(index);
    if (index == kLinkDirect) {
        pn_abonent->hide();
        if (hooks_.showLinkBars) hooks_.showLinkBars(false);
        CBAdr->setEnabled(true);
        ShowAddress(settings_.link.direct.address);
        Refresh();
        BtnConnPar->setEnabled(true);
        BtnConnect->setEnabled(true);
        return;
    }
    pn_abonent->show();
    if (hooks_.showLinkBars) hooks_.showLinkBars(true);
    CBAdr->setEnabled(false);
    FillSubscribers();
}

int TFormConnect::SubscriberCount() const {
    const uint8_t kind = settings_.link.current.connectionKind;
    const int n = kind == kLinkPhone ? settings_.link.phone.subscribers.count
                                     : settings_.link.ethernet.subscribers.count;
    return std::min(n, kMaxSubscribers);
}

int TFormConnect::SubscriberAddress(int index) const {
    if (settings_.link.current.connectionKind == kLinkPhone)
        return settings_.link.phone.subscribers.entries[size_t(index)].address;
    return settings_.link.ethernet.subscribers.entries[size_t(index)].address;
}

void TFormConnect::FillSubscribers() {
    const bool phone = settings_.link.current.connectionKind == kLinkPhone;
    filling_ = true;
    CBAbonent->clear();
    if (phone) FillNames(CBAbonent, settings_.link.phone.subscribers);
    else FillNames(CBAbonent, settings_.link.ethernet.subscribers);
    const int count = SubscriberCount();
    if (count < kMaxSubscribers) CBAbonent->addItem(QString::fromUtf8(kNewSubscriber));
    const int selected = phone ? settings_.link.phone.subscribers.selected : settings_.link.ethernet.subscribers.selected;
    const int index = count > 0 && selected < count ? selected : -1;
    CBAbonent->setCurrentIndex(index);
    filling_ = false;
    ApplySubscriber(index);
}

void TFormConnect::SetSubscriberIndex(int index) {
    filling_ = true;
    CBAbonent->setCurrentIndex(index);
    filling_ = false;
}

void TFormConnect::ApplySubscriber(int index) {
    subscriberIndex_ = index;
    if (index < 0 || index >= SubscriberCount()) {
        BtnConnPar->setEnabled(false);
        BtnConnect->setEnabled(false);
        Refresh();
        return;
    }
    if (settings_.link.current.connectionKind == kLinkPhone) settings_.link.phone.subscribers.selected = uint8_t(index);
    else settings_.link.ethernet.subscribers.selected = uint8_t(index);
    ShowAddress(SubscriberAddress(index));
    Refresh();
    BtnConnPar->setEnabled(true);
    BtnConnect->setEnabled(true);
}

void TFormConnect::SubscriberChanged(int index) {
    if (filling_) return;
    if (index >= 0 && index == SubscriberCount()) NewSubscriber();
    else ApplySubscriber(index);
}

void TFormConnect::NewSubscriber() {
    // The editor fills a fresh entry; the list changes only when it is accepted.
    bool accepted = false;
    if (settings_.link.current.connectionKind == kLinkPhone) {
        TelephoneSubscriber entry;
        TFormAbonent editor(entry, true, ui_, this);
        editor.exec();
        accepted = editor.accepted();
        if (accepted) Append(settings_.link.phone.subscribers, entry);
    } else {
        EthernetSubscriber entry;
        TFormAbonent editor(entry, true, ui_, this);
        editor.exec();
        accepted = editor.accepted();
        if (accepted) Append(settings_.link.ethernet.subscribers, entry);
    }
    if (!accepted) {
        const int previous = SubscriberCount() > 0 ? subscriberIndex_ : -1;
        SetSubscriberIndex(previous);
        ApplySubscriber(previous);
        return;
    }
    WriteSubscribers();
    FillSubscribers();
}

void TFormConnect::WriteSubscribers() {
    if (settings_.link.current.connectionKind == kLinkPhone)
        settings_.WriteTelephoneSubscribers(settings_.TelephoneSubscribersIni());
    else
        settings_.WriteEthernetSubscribers(settings_.EthernetSubscribersIni());
}

void TFormConnect::SubscribersListClick() {
    const int kind = settings_.link.current.connectionKind;
    if (kind != kLinkPhone && kind != kLinkEthernet) return;
    TFormAbonents_List list(settings_.link, kind, ui_, this);
    list.exec();
    if (list.accepted()) {
        ui_.SetBusyCursor(true);
        WriteSubscribers();
        ui_.SetBusyCursor(false);
        FillSubscribers();
    }
    Refresh();
}

void TFormConnect::ConnParClick() {
    TFormConn_Par parameters(settings_.link, engine_, ui_, this);
    parameters.exec();
    if (!parameters.accepted()) return;
    settings_.WriteLinkSettings(settings_.ZulIni());
    Refresh();
    if (settings_.link.current.connectionKind == kLinkDirect) ShowAddress(settings_.link.direct.address);
}

bool TFormConnect::StoredSubscriberChosen() const {
    const int index = CBAbonent->currentIndex();
    return index >= 0 && index < SubscriberCount();
}

void TFormConnect::ShowAddress(int address) {
    if (address >= 1 && address <= 255) CBAdr->setCurrentIndex(address - 1);
    else CBAdr->setEditText(QString::number(address));
}

void TFormConnect::Refresh() {
    if (hooks_.refreshStatus) hooks_.refreshStatus();
}

void TFormConnect::NotAll() { ui_.ShowMessageBox(kMsgInputError, "Введены не все параметры", ""); }

// ---------------------------------------------------------------------------
// "Связаться"

void TFormConnect::ConnectClick() {
    const int kind = CBConnType->currentIndex();
    const QString text = CBAdr->currentText().trimmed();
    if (kind < 0 || text.isEmpty()) {
        NotAll();
        return;
    }
    bool number = false;
    const int address = text.toInt(&number);
    if (!number || address < 1 || address > 255) {
        ui_.ShowMessageBox(kMsgInputError, "Адрес вне допустимого диапазона", "(1...255)");
        FocusFailedField(this, CBAdr);
        return;
    }
    if (engine_.PortOpen()) engine_.ClosePort();
    // A socket left from an earlier link would be lost when the new one is stored.
    if (engine_.sock > 0) {
        TcpClose(engine_.sock);
        engine_.sock = 0;
    }

    if (kind == kLinkEthernet) {
        if (!StoredSubscriberChosen()) {
            settings_.link.ethernet.params.address = uint8_t(address);
            NotAll();
            return;
        }
        if (!ConnectTcp(engine_, settings_.link.ethernet, address, ui_)) return;
        settings_.WriteLinkSettings(settings_.ZulIni());
        Refresh();
        connected_ = true;
        accept();
        return;
    }
    if (kind == kLinkPhone && !StoredSubscriberChosen()) {
        NotAll();  // nothing stored: the refused address is not kept
        return;
    }
    ui_.SetBusyCursor(true);
    const bool opened = SetUpSerialLink(kind, address);
    ui_.SetBusyCursor(false);
    if (!opened) {
        ui_.ShowMessageBox(kMsgError,
                           "Коммуникационный порт " + std::string(kCyrillicCom) + std::to_string(engine_.portNumber) +
                               " недоступен",
                           engine_.PortOpenFailure());
        return;
    }
    connected_ = true;
    accept();
}

bool TFormConnect::SetUpSerialLink(int kind, int address) {
    LinkSettings& s = settings_.link;
    LinkParams& r = kind == kLinkPhone ? s.phone.params : s.direct;
    r.address = uint8_t(address);
    settings_.WriteLinkSettings(settings_.ZulIni());
    Refresh();

    const bool release = kind == kLinkDirect && s.current.releasePort != 0;
    engine_.address = r.address;
    engine_.baudRate = int32_t(r.speed);
    engine_.portNumber = r.port;
    engine_.portDevice = kind == kLinkPhone ? s.phone.device : s.directLine.device;
    engine_.rs485Mode = s.directLine.rs485Mode;
    engine_.rtsOnSend = s.directLine.rtsOnSend;
    engine_.linkKind = uint8_t(kind);
    engine_.portWaitSeconds = PortWaitSeconds(s.current.portWait);
    engine_.openPerExchange = release ? 1 : 0;
    engine_.replyTimeoutMs = r.replyWaitSeconds * 1000;
    engine_.interByteTimeoutMs = r.interByteTimeoutMs;
    engine_.preambleCount = r.preambles;
    engine_.attempts = r.attempts;

    // A released direct line is opened by every exchange, not here.
    if (!release && !engine_.OpenPort()) return false;
    if (engine_.PortOpen()) engine_.port->SetReadTimeouts(0xFFFFFFFF, 0, 0);  // reads return at once
    engine_.clock->WaitMs(300);
    return true;
}

}  // namespace zul
