#include "link/Conn_par.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/Comportfunctions.h"
#include "link/PortMap.h"
#include "link/Qrtbox.h"
#include "shell/KeyFilters.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"
#include "shell/Desktop.h"

namespace zul {

namespace {

// "СОМ" with Cyrillic letters, as the program has always written it in its texts.
const char* const kCyrillicCom = "\xD0\xA1\xD0\x9E\xD0\x9C";

const char* const kNotAll = "Введены не все параметры";
const char* const kOutOfRange = "Параметр вне допустимого диапазона";

QLineEdit* NumberEdit(int maxChars, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setMaxLength(maxChars);
    e->setFixedWidth(60);
    InstallIntegerKeyFilter(e);
    return e;
}

QComboBox* AttemptsList(QWidget* parent) {
    auto* c = new QComboBox(parent);
    for (int i = 1; i <= 5; ++i) c->addItem(QStringLiteral(" %1").arg(i));
    return c;
}

QLabel* Caption(const QString& text, QWidget* parent) { return new QLabel(text, parent); }

// The number in an edit box; -1 when the text is no number (it then fails any range).
long long Number(const QLineEdit* e) {
    bool ok = false;
    long long v = e->text().trimmed().toLongLong(&ok);
    return ok ? v : -1;
}

// The ways of switching the RS-485 transmitter, in the order of Rs485Mode.
const char* const kRs485Modes[] = {
    "Автоматически (режим RS-485 драйвера, если он есть)",
    "Адаптер сам (RTS не переключается)",
    "Режим RS-485 драйвера (ядро Linux)",
    "RTS переключает программа",
};

QString NamedPortText(const NamedPort& p) {
    QString about = QString::fromStdString(p.maker);
    if (!p.model.empty()) about += (about.isEmpty() ? "" : " ") + QString::fromStdString(p.model);
    if (!about.isEmpty()) about += ", ";
    return QStringLiteral("%1  (%2%3)")
        .arg(QString::fromStdString(p.path.substr(p.path.rfind('/') + 1)), about, QString::fromStdString(p.device));
}

}  // namespace

QString TFormConn_Par::PortItemText(int n) {
    return QStringLiteral("COM%1  (%2)").arg(n).arg(QString::fromStdString(PortDevicePath(n)));
}

TFormConn_Par::TFormConn_Par(LinkSettings& settings, Qrtbox& engine, UserInterface& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), engine_(engine), ui_(ui), kind_(settings.current.connectionKind) {
    setModal(true);
    setObjectName("FormConn_Par");
    switch (kind_) {
    case kLinkPhone:
        setWindowTitle(QStringLiteral("Параметры связи с устройством (связь по телефону)"));
        scratch_ = settings_.phone.params;
        break;
    case kLinkEthernet:
        setWindowTitle(QStringLiteral("Параметры связи с устройством (Ethernet-интерфейс)"));
        scratch_ = settings_.ethernet.params;
        break;
    default:
        setWindowTitle(QStringLiteral("Параметры связи с устройством (непосредственная связь)"));
        scratch_ = settings_.direct;
        break;
    }

    auto* layout = new QVBoxLayout(this);
    BuildDirectPanel();
    BuildPhonePanel();
    BuildEthernetPanel();
    layout->addWidget(pn_dir);
    layout->addWidget(pn_fon);
    layout->addWidget(pn_ethr);

    auto* buttons = new QHBoxLayout;
    BtnSearch = new QPushButton(QStringLiteral("Поиск адреса устройства"), this);
    BtnSearch->setObjectName("BtnSearch");
    BtnAccept = new QPushButton(QStringLiteral("Принять"), this);
    BtnAccept->setObjectName("BtnAccept");
    BtnExit = new QPushButton(QStringLiteral("Выход"), this);
    BtnExit->setObjectName("BtnExit");
    buttons->addWidget(BtnSearch);
    buttons->addStretch();
    buttons->addWidget(BtnAccept);
    buttons->addWidget(BtnExit);
    layout->addLayout(buttons);
    BtnAccept->setDefault(true);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormConn_Par::AcceptClick);
    connect(BtnSearch, &QPushButton::clicked, this, &TFormConn_Par::SearchClick);
    connect(BtnExit, &QPushButton::clicked, this, &TFormConn_Par::reject);

    pn_dir->setVisible(kind_ != kLinkEthernet);
    pn_fon->setVisible(kind_ == kLinkPhone);
    pn_ethr->setVisible(kind_ == kLinkEthernet);
    BtnSearch->setVisible(kind_ == kLinkDirect);
    ShowRecord();
    if (kind_ != kLinkEthernet) CBPort->setFocus();
    else EdEthConnWait->setFocus();
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormConn_Par::BuildDirectPanel() {
    pn_dir = new QFrame(this);
    pn_dir->setObjectName("pn_dir");
    pn_dir->setFrameShape(QFrame::StyledPanel);
    auto* g = new QGridLayout(pn_dir);
    int row = 0;
    CBPort = new QComboBox(pn_dir);
    CBPort->setObjectName("CBPort");
    for (int n = 1; n <= kMaxPortNumber; ++n)
        if (PortExists(n)) CBPort->addItem(PortItemText(n), n);
    // Adapters under their stable names too: the name stays when the adapter moves
    // to another socket, where its number would not.
    for (const NamedPort& p : ListNamedPorts()) {
        CBPort->addItem(NamedPortText(p), p.portNumber);
        CBPort->setItemData(CBPort->count() - 1, QString::fromStdString(p.path), kDeviceRole);
        CBPort->setItemData(CBPort->count() - 1, QString::fromStdString(p.path), Qt::ToolTipRole);
    }
    g->addWidget(Caption(QStringLiteral("Порт подключения"), pn_dir), row, 0);
    g->addWidget(CBPort, row++, 1, 1, 2);

    CBRate = new QComboBox(pn_dir);
    CBRate->setObjectName("CBRate");
    for (int speed : kSpeedCodes) CBRate->addItem(QString::number(speed), speed);
    g->addWidget(Caption(QStringLiteral("Скорость обмена"), pn_dir), row, 0);
    g->addWidget(CBRate, row, 1);
    g->addWidget(Caption(QStringLiteral("бит/с"), pn_dir), row++, 2);

    EdWaitTime = NumberEdit(3, pn_dir);
    EdWaitTime->setObjectName("EdWaitTime");
    g->addWidget(Caption(QStringLiteral("Время ожидания первого\nбайта ответа (1...120)"), pn_dir), row, 0);
    g->addWidget(EdWaitTime, row, 1);
    g->addWidget(Caption(QStringLiteral("c"), pn_dir), row++, 2);

    EdTimeOut = NumberEdit(4, pn_dir);
    EdTimeOut->setObjectName("EdTimeOut");
    g->addWidget(Caption(QStringLiteral("Время ожидания след.\nбайтов ответа (55...5000)"), pn_dir), row, 0);
    g->addWidget(EdTimeOut, row, 1);
    g->addWidget(Caption(QStringLiteral("мс"), pn_dir), row++, 2);

    EdPreambles = NumberEdit(3, pn_dir);
    EdPreambles->setObjectName("EdPreambles");
    g->addWidget(Caption(QStringLiteral("Количество преамбул\nв запросе (0...255)"), pn_dir), row, 0);
    g->addWidget(EdPreambles, row++, 1);

    CBRepeat = AttemptsList(pn_dir);
    CBRepeat->setObjectName("CBRepeat");
    g->addWidget(Caption(QStringLiteral("Кол. попыток обмена"), pn_dir), row, 0);
    g->addWidget(CBRepeat, row++, 1);

    EdPortWait = NumberEdit(3, pn_dir);
    EdPortWait->setObjectName("EdPortWait");
    portWaitLabel_ = Caption(QStringLiteral("Время ожидания\nосвобождения %1 порта\n (1...20)")
                                 .arg(QString::fromUtf8(kCyrillicCom)),
                             pn_dir);
    portWaitUnit_ = Caption(QStringLiteral("c"), pn_dir);
    g->addWidget(portWaitLabel_, row, 0);
    g->addWidget(EdPortWait, row, 1);
    g->addWidget(portWaitUnit_, row++, 2);

    ChBClosePort = new QCheckBox(QStringLiteral("Освобождать порт после\nкаждого сеанса связи"), pn_dir);
    ChBClosePort->setObjectName("ChBClosePort");
    g->addWidget(ChBClosePort, row++, 0, 1, 3);

    if (kind_ != kLinkDirect) return;  // a modem line has no transmitter to switch
    CBRs485 = new QComboBox(pn_dir);
    CBRs485->setObjectName("CBRs485");
    for (const char* mode : kRs485Modes) CBRs485->addItem(QString::fromUtf8(mode));
    g->addWidget(Caption(QStringLiteral("Управление передатчиком RS-485"), pn_dir), row, 0);
    g->addWidget(CBRs485, row++, 1, 1, 2);
    ChBRtsOnSend = new QCheckBox(QStringLiteral("RTS включён на время передачи"), pn_dir);
    ChBRtsOnSend->setObjectName("ChBRtsOnSend");
    g->addWidget(ChBRtsOnSend, row++, 0, 1, 3);
    connect(CBRs485, &QComboBox::currentIndexChanged, this,
            [this](int mode) { ChBRtsOnSend->setEnabled(mode != kRs485Adapter); });
}

void TFormConn_Par::ShowPort(const LinkParams& r, const std::string& device) {
    int index = -1;
    if (!device.empty()) {
        index = CBPort->findData(QString::fromStdString(device), kDeviceRole);
        if (index < 0) {
            // The adapter chosen is not plugged in now: the choice stays on the list.
            CBPort->addItem(QStringLiteral("%1  (не подключён)")
                                .arg(QString::fromStdString(device.substr(device.rfind('/') + 1))),
                            0);
            index = CBPort->count() - 1;
            CBPort->setItemData(index, QString::fromStdString(device), kDeviceRole);
            CBPort->setItemData(index, QString::fromStdString(device), Qt::ToolTipRole);
        }
    } else {
        for (int i = 0; i < CBPort->count() && index < 0; ++i)
            if (CBPort->itemData(i, kDeviceRole).toString().isEmpty() && CBPort->itemData(i).toInt() == int(r.port))
                index = i;
    }
    CBPort->setCurrentIndex(index >= 0 ? index : (CBPort->count() > 0 ? 0 : -1));
}

void TFormConn_Par::BuildPhonePanel() {
    pn_fon = new QFrame(this);
    pn_fon->setObjectName("pn_fon");
    pn_fon->setFrameShape(QFrame::StyledPanel);
    auto* g = new QGridLayout(pn_fon);
    EdCommand = new QLineEdit(pn_fon);
    EdCommand->setObjectName("EdCommand");
    EdCommand->setMaxLength(kModemCommandMax);
    g->addWidget(Caption(QStringLiteral("Команда модему"), pn_fon), 0, 0);
    g->addWidget(EdCommand, 0, 1, 1, 2);
    EdFonConnWait = NumberEdit(3, pn_fon);
    EdFonConnWait->setObjectName("EdFonConnWait");
    g->addWidget(Caption(QStringLiteral("Ожидание соединения (1...360)"), pn_fon), 1, 0);
    g->addWidget(EdFonConnWait, 1, 1);
    g->addWidget(Caption(QStringLiteral("c"), pn_fon), 1, 2);
    EdFonConnRepeat = NumberEdit(3, pn_fon);
    EdFonConnRepeat->setObjectName("EdFonConnRepeat");
    g->addWidget(Caption(QStringLiteral("Кол. попыток соединения (1...10)"), pn_fon), 2, 0);
    g->addWidget(EdFonConnRepeat, 2, 1);
}

void TFormConn_Par::BuildEthernetPanel() {
    pn_ethr = new QFrame(this);
    pn_ethr->setObjectName("pn_ethr");
    auto* v = new QVBoxLayout(pn_ethr);
    v->setContentsMargins(0, 0, 0, 0);

    auto* server = new QGroupBox(QStringLiteral("Соединение \"Клиент-сервер\""), pn_ethr);
    auto* gs = new QGridLayout(server);
    EdEthConnWait = NumberEdit(3, server);
    EdEthConnWait->setObjectName("EdEthConnWait");
    gs->addWidget(Caption(QStringLiteral("Время ожидания\nсоединения(1...360)"), server), 0, 0);
    gs->addWidget(EdEthConnWait, 0, 1);
    gs->addWidget(Caption(QStringLiteral("c"), server), 0, 2);
    EdEthConnRepeat = NumberEdit(3, server);
    EdEthConnRepeat->setObjectName("EdEthConnRepeat");
    gs->addWidget(Caption(QStringLiteral("Кол. попыток соединения (1...10)"), server), 1, 0);
    gs->addWidget(EdEthConnRepeat, 1, 1);
    v->addWidget(server);

    auto* exchange = new QGroupBox(QStringLiteral("Обмен с контроллером"), pn_ethr);
    auto* ge = new QGridLayout(exchange);
    EdEthWaitTime = NumberEdit(3, exchange);
    EdEthWaitTime->setObjectName("EdEthWaitTime");
    ge->addWidget(Caption(QStringLiteral("Время ожидания первого\nбайта ответа (1...120)"), exchange), 0, 0);
    ge->addWidget(EdEthWaitTime, 0, 1);
    ge->addWidget(Caption(QStringLiteral("c"), exchange), 0, 2);
    EdEthTimeOut = NumberEdit(4, exchange);
    EdEthTimeOut->setObjectName("EdEthTimeOut");
    ge->addWidget(Caption(QStringLiteral("Время ожидания следующих\nбайтов ответа (55...5000)"), exchange), 1, 0);
    ge->addWidget(EdEthTimeOut, 1, 1);
    ge->addWidget(Caption(QStringLiteral("мс"), exchange), 1, 2);
    EdEthPreambles = NumberEdit(3, exchange);
    EdEthPreambles->setObjectName("EdEthPreambles");
    ge->addWidget(Caption(QStringLiteral("Количество преамбул\nв запросе (0...255)"), exchange), 2, 0);
    ge->addWidget(EdEthPreambles, 2, 1);
    CBEthRepeat = AttemptsList(exchange);
    CBEthRepeat->setObjectName("CBEthRepeat");
    ge->addWidget(Caption(QStringLiteral("Кол. попыток обмена"), exchange), 3, 0);
    ge->addWidget(CBEthRepeat, 3, 1);
    v->addWidget(exchange);
}

void TFormConn_Par::ShowRecord() {
    const LinkParams& r = scratch_;
    const int attemptsIndex = r.attempts >= 1 && r.attempts <= 5 ? r.attempts - 1 : -1;
    if (kind_ == kLinkEthernet) {
        EdEthConnWait->setText(QString::number(settings_.ethernet.connectWait));
        EdEthConnRepeat->setText(QString::number(settings_.ethernet.connectAttempts));
        EdEthWaitTime->setText(QString::number(r.replyWaitSeconds));
        EdEthTimeOut->setText(QString::number(r.interByteTimeoutMs));
        EdEthPreambles->setText(QString::number(r.preambles));
        CBEthRepeat->setCurrentIndex(attemptsIndex);
        return;
    }
    ShowPort(r, kind_ == kLinkPhone ? settings_.phone.device : settings_.directLine.device);
    if (CBRs485) {
        CBRs485->setCurrentIndex(settings_.directLine.rs485Mode <= kRs485Program ? settings_.directLine.rs485Mode : 0);
        ChBRtsOnSend->setChecked(settings_.directLine.rtsOnSend != 0);
        ChBRtsOnSend->setEnabled(CBRs485->currentIndex() != kRs485Adapter);
    }
    CBRate->setCurrentIndex(CBRate->findData(int(r.speed)));
    EdWaitTime->setText(QString::number(r.replyWaitSeconds));
    EdTimeOut->setText(QString::number(r.interByteTimeoutMs));
    EdPreambles->setText(QString::number(r.preambles));
    CBRepeat->setCurrentIndex(attemptsIndex);
    if (kind_ == kLinkDirect) {
        ChBClosePort->setChecked(settings_.current.releasePort != 0);
        ShowPortWait(settings_.current.releasePort != 0);
        connect(ChBClosePort, &QCheckBox::toggled, this, &TFormConn_Par::ClosePortToggled);
    } else {
        ChBClosePort->setEnabled(false);
        ShowPortWait(false);
        EdCommand->setText(QString::fromStdString(Cp1251ToUtf8(TextOf(settings_.phone.modemCommand))));
        EdFonConnWait->setText(QString::number(settings_.phone.connectWait));
        EdFonConnRepeat->setText(QString::number(settings_.phone.connectAttempts));
    }
}

void TFormConn_Par::ShowPortWait(bool enabled) {
    EdPortWait->setEnabled(enabled);
    portWaitLabel_->setEnabled(enabled);
    portWaitUnit_->setEnabled(enabled);
    EdPortWait->setText(enabled ? QString::number(settings_.current.portWait) : QString());
}

void TFormConn_Par::ClosePortToggled(bool on) {
    // Takes effect at once, also when the dialog is then left with "Выход".
    settings_.current.releasePort = on ? 1 : 0;
    ShowPortWait(on);
}

bool TFormConn_Par::NotAll() {
    ui_.ShowMessageBox(kMsgInputError, kNotAll, "");
    FocusFailedField(this);
    return false;
}

bool TFormConn_Par::OutOfRange(QLineEdit* box, const char* field) {
    ui_.ShowMessageBox(kMsgInputError, field, kOutOfRange);
    FocusFailedField(this, box);
    return false;
}

bool TFormConn_Par::Commit() {
    LinkParams& r = scratch_;
    if (kind_ == kLinkDirect || kind_ == kLinkPhone) {
        if (CBPort->currentIndex() < 0 || CBRate->currentIndex() < 0 || CBRepeat->currentIndex() < 0 ||
            EdWaitTime->text().isEmpty() || EdTimeOut->text().isEmpty() || EdPreambles->text().isEmpty())
            return NotAll();
        // A stable name keeps the number of the device it stands for now (none: the old one).
        if (CBPort->currentData().toInt() > 0) r.port = uint8_t(CBPort->currentData().toInt());
        r.attempts = uint8_t(CBRepeat->currentIndex() + 1);
        const long long preambles = Number(EdPreambles);
        if (preambles < 0 || preambles > 255) return OutOfRange(EdPreambles, "Количество преамбул в запросе");
        r.preambles = uint8_t(preambles);
        r.speed = uint32_t(CBRate->currentData().toInt());
        const long long wait = Number(EdWaitTime);
        if (wait < 1 || wait > 120) return OutOfRange(EdWaitTime, "Время ожидания первого байта ответа");
        r.replyWaitSeconds = uint32_t(wait);
        const long long timeout = Number(EdTimeOut);
        if (timeout < 55 || timeout > 5000) return OutOfRange(EdTimeOut, "Время ожидания следующих байтов ответа");
        r.interByteTimeoutMs = uint32_t(timeout);
    }
    LinkSettings work = settings_;
    if (kind_ == kLinkDirect) {
        if (settings_.current.releasePort) {
            if (EdPortWait->text().isEmpty()) return NotAll();
            const long long portWait = Number(EdPortWait);
            if (portWait < 1 || portWait > 20) return OutOfRange(EdPortWait, "Время ожидания освобождения СОМ порта");
            work.current.portWait = int32_t(portWait);
        }
        work.direct = r;
        work.directLine.device = CBPort->currentData(kDeviceRole).toString().toStdString();
        work.directLine.rs485Mode = uint8_t(std::max(CBRs485->currentIndex(), 0));
        work.directLine.rtsOnSend = ChBRtsOnSend->isChecked() ? 1 : 0;
    } else if (kind_ == kLinkPhone) {
        work.phone.params = r;
        work.phone.device = CBPort->currentData(kDeviceRole).toString().toStdString();
        SetText(work.phone.modemCommand, Utf8ToCp1251(EdCommand->text().toStdString()), kModemCommandMax);
        // Empty boxes are reported like the others rather than taken as some number.
        if (EdFonConnWait->text().isEmpty() || EdFonConnRepeat->text().isEmpty()) return NotAll();
        const long long connectWait = Number(EdFonConnWait);
        if (connectWait < 1 || connectWait > 360) return OutOfRange(EdFonConnWait, "Ожидание соединения");
        work.phone.connectWait = int32_t(connectWait);
        const long long connectAttempts = Number(EdFonConnRepeat);
        if (connectAttempts < 1 || connectAttempts > 10) return OutOfRange(EdFonConnRepeat, "Количество попыток соединения");
        work.phone.connectAttempts = int32_t(connectAttempts);
    } else {
        if (CBEthRepeat->currentIndex() < 0 || EdEthConnWait->text().isEmpty() ||
            EdEthConnRepeat->text().isEmpty() || EdEthWaitTime->text().isEmpty() ||
            EdEthTimeOut->text().isEmpty() || EdEthPreambles->text().isEmpty())
            return NotAll();
        r.attempts = uint8_t(CBEthRepeat->currentIndex() + 1);
        const long long preambles = Number(EdEthPreambles);
        if (preambles < 0 || preambles > 255) return OutOfRange(EdEthPreambles, "Количество преамбул в запросе");
        r.preambles = uint8_t(preambles);
        const long long wait = Number(EdEthWaitTime);
        if (wait < 1 || wait > 120) return OutOfRange(EdEthWaitTime, "Время ожидания первого байта ответа");
        r.replyWaitSeconds = uint32_t(wait);
        const long long timeout = Number(EdEthTimeOut);
        if (timeout < 55 || timeout > 5000) return OutOfRange(EdEthTimeOut, "Время ожидания следующих байтов ответа");
        r.interByteTimeoutMs = uint32_t(timeout);
        work.ethernet.params = r;
        const long long connectWait = Number(EdEthConnWait);
        if (connectWait < 1 || connectWait > 360) return OutOfRange(EdEthConnWait, "Ожидание соединения");
        work.ethernet.connectWait = int32_t(connectWait);
        const long long connectAttempts = Number(EdEthConnRepeat);
        if (connectAttempts < 1 || connectAttempts > 10) return OutOfRange(EdEthConnRepeat, "Количество попыток соединения");
        work.ethernet.connectAttempts = int32_t(connectAttempts);
    }
    settings_ = work;
    return true;
}

void TFormConn_Par::AcceptClick() {
    if (searching_ || !Commit()) return;
    accepted_ = true;
    accept();
}

void TFormConn_Par::SearchClick() {
    if (searching_ || kind_ != kLinkDirect || !Commit()) return;
    searching_ = true;
    BtnSearch->setEnabled(false);
    BtnExit->setEnabled(false);
    BtnAccept->setEnabled(false);  // no second exchange and no closing while it runs
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto finish = [this] {
        QApplication::restoreOverrideCursor();
        BtnSearch->setEnabled(true);
        BtnExit->setEnabled(true);
        BtnAccept->setEnabled(true);
        searching_ = false;
    };

    const LinkParams& d = settings_.direct;
    engine_.address = 255;
    engine_.baudRate = int32_t(d.speed);
    engine_.portNumber = d.port;
    engine_.portDevice = settings_.directLine.device;
    engine_.rs485Mode = settings_.directLine.rs485Mode;
    engine_.rtsOnSend = settings_.directLine.rtsOnSend;
    engine_.linkKind = settings_.current.connectionKind;
    engine_.portWaitSeconds = PortWaitSeconds(settings_.current.portWait);
    engine_.openPerExchange = 0;
    engine_.replyTimeoutMs = d.replyWaitSeconds * 1000;
    engine_.interByteTimeoutMs = d.interByteTimeoutMs;
    engine_.preambleCount = d.preambles;
    engine_.attempts = d.attempts;
    if (engine_.PortOpen()) engine_.ClosePort();

    if (!engine_.OpenPort()) {
        finish();
        ui_.ShowMessageBox(kMsgPlain,
                           "Коммуникационный порт " + std::string(kCyrillicCom) + std::to_string(d.port) +
                               " недоступен",
                           engine_.PortOpenFailure());
        return;
    }
    const uint8_t request[3] = {0, 0, 1};  // table 0, field 0, one field
    const bool found = engine_.Exchange(1, request, 3, 0);
    engine_.ClosePort();
    finish();
    if (!found) {
        ui_.ShowMessageBox(kMsgExchangeResult, "Устройство не обнаружено", "");
        return;
    }
    settings_.direct.address = engine_.address;
    ui_.ShowMessageBox(kMsgExchangeResult, "Адрес устройства установлен",
                       "(адрес = " + std::to_string(engine_.address) + ").");
    accepted_ = true;
    accept();
}

void TFormConn_Par::reject() {
    if (searching_) return;  // Esc or the window's close while the search runs
    QDialog::reject();
}

}  // namespace zul
