// The connection dialog driven offscreen: kinds, subscriber panel, the checks of
// "Связаться", and links set up to the simulated controller over a
// pseudo-terminal (direct line, telephone line) and over loopback TCP (Ethernet).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>  // QtUserInterface.h keeps a QPointer to one
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "support/ModalHelper.h"

#include "editors/Abonent.h"
#include "editors/Abonents_list.h"
#include "link/Comportfunctions.h"
#include "link/Conn_par.h"
#include "link/Connect.h"
#include "link/Qrtbox.h"
#include "link/Rd_wr_ini.h"
#include "link/SubscriberLists.h"
#include "link/TcpSocket.h"
#include "shell/LinkStatus.h"
#include "shell/Main.h"
#include "shell/Wait.h"
#include "shell/MessageBox.h"
#include "sim/Qrtsim.h"
#include "support/settings_fakes.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

constexpr int kPort = 202;  // a port number the default map leaves free

// A user interface that records messages and lets Qt run while the engine waits.
class TestUi : public test::RecordingUi {
public:
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void SetBusyCursor(bool busy) override { busy ? ++busyDepth : --busyDepth; }
    int busyDepth = 0;
};

template <class Entry>
Entry Subscriber(const char* utf8Name, uint8_t address) {
    Entry e;
    SetText(e.name, Utf8ToCp1251(utf8Name));
    e.address = address;
    return e;
}

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The value of `key` in `section` of an INI file, read line by line.
std::string IniValue(const QString& path, const std::string& section, const std::string& key) {
    std::istringstream in(ReadFile(path));
    std::string line, current;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.front() == '[') current = line.substr(1, line.size() - 2);
        else if (current == section && line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

// A loopback port nobody listens on (bound for a moment, then let go); 0 when none was had.
uint16_t UnservedLoopbackPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    const bool ok = ::bind(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                    ::getsockname(probe, reinterpret_cast<sockaddr*>(&a), &len) == 0;
    ::close(probe);
    return ok ? ntohs(a.sin_port) : 0;
}

QStringList Items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

}  // namespace

class ConnectTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ProgramSettings> settings;
    std::unique_ptr<Qrtbox> engine;
    TestUi ui;
    MemoryStatusBar bar;
    int refreshes = 0;
    int barsShown = -1;  // -1: never told

    ConnectStatusHooks Hooks() {
        return {[this] {
                    const LinkStatusTexts t = LinkStatusFor(settings->link);
                    bar.SetPanelText(0, t.panel0);
                    bar.SetPanelText(1, t.panel1);
                    bar.SetPanelText(5, t.second);
                    ++refreshes;
                },
                [this](bool on) { barsShown = on ? 1 : 0; }};
    }
    std::unique_ptr<TFormConnect> Dialog() {
        auto d = std::make_unique<TFormConnect>(*settings, *engine, ui, Hooks());
        d->show();
        return d;
    }
    QString Ini(const char* name) const { return dir->path() + "/" + name; }
    void SaveShot(QWidget* w, const QString& name) {
        const QString out = qEnvironmentVariable("ZUL_TEST_ARTIFACTS");
        if (out.isEmpty()) return;
        QDir().mkpath(out);
        QVERIFY(w->grab().save(out + "/" + name + ".png"));
    }
    // A direct record to the simulator's pseudo-terminal at kPort.
    void DirectTo(sim::Qrtsim& sim) {
        QVERIFY(sim.StartPty());
        SetPortDevicePath(kPort, sim.ptyPath());
        settings->link.direct = LinkParams{kPort, 1, 115200, 0, 1, 100, 1};
    }
    bool ReadTable0() {
        const uint8_t req[3] = {0, 0, 1};
        return engine->Exchange(1, req, 3, 0);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        settings = std::make_unique<ProgramSettings>(dir->path().toStdString());
        settings->ui = &ui;
        settings->TakeSavedCopy();
        engine = std::make_unique<Qrtbox>(0);
        engine->ui = &ui;
        ui.messages.clear();
        ui.answers.clear();
        ui.busyDepth = 0;
        bar = MemoryStatusBar{};
        refreshes = 0;
        barsShown = -1;
    }
    void cleanup() {
        if (engine && engine->sock > 0) TcpClose(engine->sock);
        if (engine) engine->sock = 0;
        engine.reset();
        SetPortDevicePath(kPort, "");
        QCOMPARE(ui.busyDepth, 0);  // every hourglass was taken back
    }

    void layoutAndKinds() {
        settings->link.direct.address = 17;
        auto d = Dialog();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QCOMPARE(d->windowTitle(), QStringLiteral("Установка связи с устройством"));
        QCOMPARE(Items(d->CBConnType), (QStringList{QStringLiteral("Непосредственная связь"),
                                                    QStringLiteral("Связь по телефону"),
                                                    QStringLiteral("Ethernet-интерфейс")}));
        QCOMPARE(d->CBAdr->count(), 255);
        QCOMPARE(d->CBAdr->itemText(0), QStringLiteral("1"));
        QCOMPARE(d->CBAdr->itemText(254), QStringLiteral("255"));
        QVERIFY(d->CBAdr->isEditable());
        QCOMPARE(d->BtnConnect->text(), QStringLiteral("Связаться"));
        QCOMPARE(d->BtnConnPar->text(), QStringLiteral("Изменить параметры связи"));
        QCOMPARE(d->BtnExit->text(), QStringLiteral("Выход"));
        QCOMPARE(d->BtnAbonentsList->text(), QStringLiteral("Список абонентов"));
        // The direct line: no subscriber panel, no extra bars, the direct address.
        QCOMPARE(d->CBConnType->currentIndex(), 0);
        QVERIFY(!d->pn_abonent->isVisible());
        QCOMPARE(barsShown, 0);
        QVERIFY(d->CBAdr->isEnabled());
        QCOMPARE(d->CBAdr->currentText(), QStringLiteral("17"));
        QVERIFY(d->BtnConnect->isEnabled() && d->BtnConnPar->isEnabled());
        QCOMPARE(d->focusWidget(), static_cast<QWidget*>(d->BtnConnect));
        QCOMPARE(QString::fromStdString(bar.PanelText(1)), QStringLiteral(" Адр. 17"));
        SaveShot(d.get(), "connect_direct");

        // Ethernet: the kind is stored at once, the panel and the bars come up.
        auto& eth = settings->link.ethernet.subscribers;
        eth.entries[0] = Subscriber<EthernetSubscriber>("Узел", 42);
        eth.entries[0].ip = {10, 1, 168, 192};  // last octet first: 192.168.1.10
        eth.count = 1;
        d->CBConnType->setCurrentIndex(kLinkEthernet);
        QCOMPARE(int(settings->link.current.connectionKind), int(kLinkEthernet));
        QVERIFY(d->pn_abonent->isVisible());
        QCOMPARE(barsShown, 1);
        QVERIFY(!d->CBAdr->isEnabled());
        QCOMPARE(Items(d->CBAbonent), (QStringList{QStringLiteral("Узел"), QStringLiteral("Новый абонент")}));
        QCOMPARE(d->CBAbonent->currentIndex(), 0);
        QCOMPARE(d->CBAdr->currentText(), QStringLiteral("42"));
        QCOMPARE(QString::fromStdString(bar.PanelText(5)), QStringLiteral(" Узел (IP-адр. 192.168.1.10)"));
        QCOMPARE(QString::fromStdString(bar.PanelText(1)), QStringLiteral(" Адр. 42"));
        SaveShot(d.get(), "connect_ethernet");

        // Telephone without subscribers: nothing chosen, nothing to press.
        d->CBConnType->setCurrentIndex(kLinkPhone);
        QCOMPARE(int(settings->link.current.connectionKind), int(kLinkPhone));
        QCOMPARE(Items(d->CBAbonent), QStringList{QStringLiteral("Новый абонент")});
        QCOMPARE(d->CBAbonent->currentIndex(), -1);
        QVERIFY(!d->BtnConnect->isEnabled());
        QVERIFY(!d->BtnConnPar->isEnabled());

        // Back to the direct line.
        d->CBConnType->setCurrentIndex(kLinkDirect);
        QVERIFY(!d->pn_abonent->isVisible());
        QCOMPARE(barsShown, 0);
        QVERIFY(d->CBAdr->isEnabled());
        QCOMPARE(d->CBAdr->currentText(), QStringLiteral("17"));
        QVERIFY(d->BtnConnect->isEnabled());
        QTest::mouseClick(d->BtnExit, Qt::LeftButton);
        QVERIFY(!d->connected());
        QVERIFY(!d->isVisible());
    }

    void focusAndFullLists() {
        settings->link.current.connectionKind = 7;  // no such kind: none chosen
        {
            auto d = Dialog();
            QCOMPARE(d->CBConnType->currentIndex(), -1);
            QCOMPARE(d->focusWidget(), static_cast<QWidget*>(d->CBConnType));
            d->ConnectClick();
            QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
            QVERIFY(d->isVisible());
        }
        // 200 subscribers: no room for a new one.
        settings->link.current.connectionKind = kLinkPhone;
        auto& list = settings->link.phone.subscribers;
        for (int i = 0; i < kMaxSubscribers; ++i)
            list.entries[size_t(i)] = Subscriber<TelephoneSubscriber>(("A" + std::to_string(i)).c_str(), 3);
        list.count = kMaxSubscribers;
        list.selected = 199;
        auto d = Dialog();
        QCOMPARE(d->CBAbonent->count(), 200);
        QCOMPARE(d->CBAbonent->currentIndex(), 199);
        QVERIFY(!Items(d->CBAbonent).contains(QStringLiteral("Новый абонент")));
        QCOMPARE(d->focusWidget(), static_cast<QWidget*>(d->BtnConnect));
    }

    void addressOutsideOneTo255IsRefused() {
        sim::Qrtsim sim;
        DirectTo(sim);
        auto d = Dialog();
        for (const char* text : {"0", "256"}) {
            d->CBAdr->lineEdit()->clear();
            QTest::keyClicks(d->CBAdr->lineEdit(), text);
            QCOMPARE(d->CBAdr->currentText(), QString::fromLatin1(text));
            QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
            QCOMPARE(ui.Last(), std::string("2|Адрес вне допустимого диапазона|(1...255)"));
            QVERIFY(d->isVisible());
            QVERIFY(!d->connected());
        }
        d->CBAdr->lineEdit()->clear();
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
        QCOMPARE(ui.messages.size(), size_t(3));
        QVERIFY(!engine->PortOpen());
        QCOMPARE(int(settings->link.direct.address), 1);  // nothing stored

        // 255, the broadcast address, is accepted and answered by the controller.
        QTest::keyClicks(d->CBAdr->lineEdit(), "255");
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        QCOMPARE(ui.messages.size(), size_t(3));
        QVERIFY(d->connected());
        QVERIFY(!d->isVisible());
        QCOMPARE(int(engine->address), 255);
        QCOMPARE(int(settings->link.direct.address), 255);
        QCOMPARE(IniValue(Ini("zul.ini"), "DIR_CONN_PAR", "Adr"), std::string("255"));
        QVERIFY(ReadTable0());
        QCOMPARE(int(engine->address), 1);  // the controller's own address answered
    }

    void directLineOverAPseudoTerminal() {
        sim::SimSettings s;
        s.address = 9;
        sim::Qrtsim sim(s);
        DirectTo(sim);
        settings->link.direct = LinkParams{kPort, 9, 57600, 3, 2, 150, 4};
        settings->link.current.portWait = 2;
        auto d = Dialog();
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        QVERIFY2(d->connected(), ui.Last().c_str());
        QVERIFY(ui.messages.empty());
        QVERIFY(engine->PortOpen());
        QCOMPARE(int(engine->address), 9);
        QCOMPARE(engine->baudRate, 57600);
        QCOMPARE(int(engine->portNumber), kPort);
        QCOMPARE(int(engine->linkKind), int(kLinkDirect));
        QCOMPARE(engine->portWaitSeconds, 2u);
        QCOMPARE(int(engine->openPerExchange), 0);
        QCOMPARE(engine->replyTimeoutMs, 4000u);
        QCOMPARE(engine->interByteTimeoutMs, 150u);
        QCOMPARE(int(engine->preambleCount), 3);
        QCOMPARE(int(engine->attempts), 2);
        QVERIFY(refreshes > 0);
        QCOMPARE(QString::fromStdString(bar.PanelText(0)), QStringLiteral(" COM202,   57600 бит/с"));
        // The open port carries exchanges.
        QVERIFY2(ReadTable0(), engine->ErrorText().c_str());
        QCOMPARE(int(engine->reply[1]), 9);
        QCOMPARE(IniValue(Ini("zul.ini"), "DIR_CONN_PAR", "Rate"), std::string("57600"));
        // Connecting again closes the open port first and opens it anew.
        TFormConnect again(*settings, *engine, ui, Hooks());
        again.show();
        QTest::mouseClick(again.BtnConnect, Qt::LeftButton);
        QVERIFY(again.connected());
        QVERIFY(ReadTable0());
    }

    void busyPortIsReportedAndKeepsTheDialog() {
        sim::Qrtsim sim;
        DirectTo(sim);
        PosixSerialPort holder;
        QVERIFY(holder.OpenComPort(kPort, 9600, 8, 0, 0, 0, 0, false, false));
        auto d = Dialog();
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        // "СОМ" in Cyrillic letters.
        // The second line says why: busy, and held by this very test.
        const std::string busy = "1|Коммуникационный порт \xD0\xA1\xD0\x9E\xD0\x9C" "202 недоступен|Порт ";
        QVERIFY2(ui.Last().rfind(busy, 0) == 0, ui.Last().c_str());
        QVERIFY2(ui.Last().find(" занят программ") != std::string::npos, ui.Last().c_str());
        QVERIFY2(ui.Last().find("(PID " + std::to_string(::getpid()) + ")") != std::string::npos, ui.Last().c_str());
        QVERIFY(d->isVisible());
        QVERIFY(!d->connected());
        QVERIFY(!engine->PortOpen());
        QCOMPARE(ui.busyDepth, 0);

        // Released ports are not opened by "Связаться": it succeeds although the
        // port is busy, and the first exchange waits for the port.
        settings->link.current.releasePort = 1;
        settings->link.current.portWait = 3;
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        QVERIFY(d->connected());
        QCOMPARE(ui.messages.size(), size_t(1));
        QVERIFY(!engine->PortOpen());
        QCOMPARE(int(engine->openPerExchange), 1);
        QCOMPARE(engine->portWaitSeconds, 3u);
        QTimer::singleShot(400, [&holder] { holder.Close(); });
        QElapsedTimer t;
        t.start();
        QVERIFY2(ReadTable0(), engine->ErrorText().c_str());
        QVERIFY(t.elapsed() >= 300);  // it had to wait for the holder
        QVERIFY(!engine->PortOpen());  // and released the port afterwards
    }

    void telephoneNeedsAStoredSubscriber() {
        settings->link.current.connectionKind = kLinkPhone;
        {
            auto d = Dialog();  // an empty list: nothing chosen
            QVERIFY(!d->BtnConnect->isEnabled());
            d->ConnectClick();
            QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
            QVERIFY(d->isVisible());
        }
        auto& list = settings->link.phone.subscribers;
        list.entries[0] = Subscriber<TelephoneSubscriber>("Станция", 5);
        list.count = 1;
        auto d = Dialog();
        QCOMPARE(d->CBAbonent->currentIndex(), 0);
        // "Новый абонент" left chosen (only reachable while its editor is open).
        {
            QSignalBlocker block(d->CBAbonent);
            d->CBAbonent->setCurrentIndex(1);
        }
        ui.messages.clear();
        const uint8_t storedAddress = settings->link.phone.params.address;
        d->CBAdr->setEditText("77");
        d->ConnectClick();
        QCOMPARE(ui.messages, std::vector<std::string>{"2|Введены не все параметры|"});
        QVERIFY(!d->connected());
        QVERIFY(!engine->PortOpen());
        QCOMPARE(settings->link.phone.params.address, storedAddress);  // a refused press stores nothing
    }

    void telephoneLineOpensThePortForTheModem() {
        sim::Qrtsim sim;
        DirectTo(sim);
        settings->link.current.connectionKind = kLinkPhone;
        settings->link.current.releasePort = 1;  // plays no part for the telephone
        settings->link.phone.params = LinkParams{kPort, 1, 19200, 2, 3, 200, 6};
        auto& list = settings->link.phone.subscribers;
        list.entries[0] = Subscriber<TelephoneSubscriber>("Первая", 1);
        list.entries[1] = Subscriber<TelephoneSubscriber>("Вторая", 33);
        SetText(list.entries[1].phone, "8123");
        list.count = 2;
        auto d = Dialog();
        d->CBAbonent->setCurrentIndex(1);
        QCOMPARE(int(list.selected), 1);
        QCOMPARE(d->CBAdr->currentText(), QStringLiteral("33"));
        QCOMPARE(QString::fromStdString(bar.PanelText(5)), QStringLiteral(" Вторая (тел. 8123)"));
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        QVERIFY2(d->connected(), ui.Last().c_str());
        QVERIFY(engine->PortOpen());
        QCOMPARE(int(engine->linkKind), int(kLinkPhone));
        QCOMPARE(int(engine->openPerExchange), 0);
        QCOMPARE(int(engine->address), 33);
        QCOMPARE(engine->baudRate, 19200);
        QCOMPARE(engine->replyTimeoutMs, 6000u);
        QCOMPARE(int(engine->attempts), 3);
        QCOMPARE(int(settings->link.phone.params.address), 33);
        // The choice reaches zul.ini, the subscriber file stays as it was.
        QCOMPARE(IniValue(Ini("zul.ini"), "FON_CONN_PAR", "Adr"), std::string("33"));
        QCOMPARE(IniValue(Ini("zul.ini"), "CURR_PAR", "Conn_Prz"), std::string("1"));
        QVERIFY(!QFile::exists(Ini("fon_abonents.ini")));
    }

    void newSubscriberIsAddedSortedAndSaved() {
        settings->link.current.connectionKind = kLinkPhone;
        auto& list = settings->link.phone.subscribers;
        list.entries[0] = Subscriber<TelephoneSubscriber>("А", 1);
        list.entries[1] = Subscriber<TelephoneSubscriber>("В", 2);
        list.entries[2] = Subscriber<TelephoneSubscriber>("stale entry", 99);  // beyond the count
        list.count = 2;
        settings->TakeSavedCopy();
        auto d = Dialog();
        QCOMPARE(d->CBAbonent->currentIndex(), 0);

        // Cancelled: the previous choice comes back, nothing is written.
        zultest::OnDialog<TFormAbonent>([](TFormAbonent* e) { QTest::mouseClick(e->BtnCancel, Qt::LeftButton); });
        d->CBAbonent->setCurrentIndex(2);
        QCOMPARE(d->CBAbonent->currentIndex(), 0);
        QCOMPARE(int(list.count), 2);
        QVERIFY(d->BtnConnect->isEnabled());
        QVERIFY(!QFile::exists(Ini("fon_abonents.ini")));

        zultest::OnDialog<TFormAbonent>([](TFormAbonent* e) {
            QVERIFY(e->EdName->text().isEmpty());  // a new entry starts empty
            e->EdName->setText(QStringLiteral("Б"));
            e->CBAdr->setEditText(QStringLiteral("77"));
            e->EdPhone->setText(QStringLiteral("555"));
            QTest::mouseClick(e->BtnAccept, Qt::LeftButton);
        });
        d->CBAbonent->setCurrentIndex(2);
        QCOMPARE(int(list.count), 3);
        QCOMPARE(Items(d->CBAbonent), (QStringList{QStringLiteral("А"), QStringLiteral("Б"), QStringLiteral("В"),
                                                   QStringLiteral("Новый абонент")}));
        QCOMPARE(d->CBAbonent->currentIndex(), 1);
        QCOMPARE(int(list.selected), 1);
        QCOMPARE(int(list.entries[1].address), 77);
        QCOMPARE(int(list.entries[1].modbusAddress), 0);  // nothing of the stale entry
        QCOMPARE(d->CBAdr->currentText(), QStringLiteral("77"));
        QVERIFY(d->BtnConnect->isEnabled());
        QCOMPARE(IniValue(Ini("fon_abonents.ini"), "FON_CONN_PAR", "users_num"), std::string("3"));
        QCOMPARE(IniValue(Ini("fon_abonents.ini"), "FON_CONN_PAR", "user_index"), std::string("1"));
        QCOMPARE(IniValue(Ini("fon_abonents.ini"), "FON_ABONENT_2", "user_name"), Utf8ToCp1251("Б"));
        QCOMPARE(IniValue(Ini("fon_abonents.ini"), "FON_ABONENT_2", "phone_code"), std::string("555"));
    }

    void firstEthernetSubscriberFromAnEmptyList() {
        settings->link.current.connectionKind = kLinkEthernet;
        auto d = Dialog();
        QCOMPARE(d->CBAbonent->currentIndex(), -1);
        zultest::OnDialog<TFormAbonent>([](TFormAbonent* e) { QTest::mouseClick(e->BtnCancel, Qt::LeftButton); });
        d->CBAbonent->setCurrentIndex(0);
        QCOMPARE(d->CBAbonent->currentIndex(), -1);  // none again
        QVERIFY(!d->BtnConnect->isEnabled());

        zultest::OnDialog<TFormAbonent>([](TFormAbonent* e) {
            e->EdName->setText(QStringLiteral("Сервер"));
            e->CBAdr->setEditText(QStringLiteral("4"));
            const char* octets[4] = {"192", "168", "1", "10"};
            for (int i = 0; i < 4; ++i) e->EdIp[i]->setText(QString::fromLatin1(octets[i]));
            e->EdPort->setText(QStringLiteral("502"));
            QTest::mouseClick(e->BtnAccept, Qt::LeftButton);
        });
        d->CBAbonent->setCurrentIndex(0);
        const auto& list = settings->link.ethernet.subscribers;
        QCOMPARE(int(list.count), 1);
        QCOMPARE(d->CBAbonent->currentIndex(), 0);
        QVERIFY(list.entries[0].ip == (std::array<uint8_t, 4>{10, 1, 168, 192}));
        QCOMPARE(IniValue(Ini("ethr_abonents.ini"), "ETHERNET_ABONENT_1", "ip_adr"), std::string("-1062731510"));
        QCOMPARE(QString::fromStdString(bar.PanelText(5)), QStringLiteral(" Сервер (IP-адр. 192.168.1.10)"));
        QVERIFY(d->BtnConnect->isEnabled());
    }

    void subscriberListDialog() {
        settings->link.current.connectionKind = kLinkPhone;
        auto& list = settings->link.phone.subscribers;
        list.entries[0] = Subscriber<TelephoneSubscriber>("Один", 1);
        list.entries[1] = Subscriber<TelephoneSubscriber>("Два", 2);
        list.count = 2;
        SortSubscribers(list);  // "Два", "Один" (still selected)
        QCOMPARE(int(list.selected), 1);
        settings->TakeSavedCopy();
        auto d = Dialog();
        // Cancelled: nothing written.
        zultest::OnDialog<TFormAbonents_List>([](TFormAbonents_List* l) { QTest::mouseClick(l->BtnCancel, Qt::LeftButton); });
        const int before = refreshes;
        QTest::mouseClick(d->BtnAbonentsList, Qt::LeftButton);
        QVERIFY(refreshes > before);
        QVERIFY(!QFile::exists(Ini("fon_abonents.ini")));
        // The selected one deleted and accepted: file written, list refilled.
        ui.answers = {true};
        zultest::OnDialog<TFormAbonents_List>([](TFormAbonents_List* l) {
            QTest::mouseClick(l->BtnDelete, Qt::LeftButton);
            QTest::mouseClick(l->BtnAccept, Qt::LeftButton);
        });
        QTest::mouseClick(d->BtnAbonentsList, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("3|Вы действительно хотите|удалить этот абонент?"));
        QCOMPARE(int(list.count), 1);
        QCOMPARE(Items(d->CBAbonent), (QStringList{QStringLiteral("Два"), QStringLiteral("Новый абонент")}));
        QCOMPARE(d->CBAbonent->currentIndex(), 0);
        QCOMPARE(d->CBAdr->currentText(), QStringLiteral("2"));
        QCOMPARE(IniValue(Ini("fon_abonents.ini"), "FON_CONN_PAR", "users_num"), std::string("1"));
    }

    void linkSettingsButtonWritesZulIni() {
        sim::SimSettings s;
        s.address = 12;
        sim::Qrtsim sim(s);
        DirectTo(sim);
        settings->TakeSavedCopy();
        auto d = Dialog();
        // Cancelled: nothing written.
        zultest::OnDialog<TFormConn_Par>([](TFormConn_Par* p) { QTest::mouseClick(p->BtnExit, Qt::LeftButton); });
        QTest::mouseClick(d->BtnConnPar, Qt::LeftButton);
        QVERIFY(!QFile::exists(Ini("zul.ini")));
        // The address search finds the controller; the dialog then shows its address.
        zultest::OnDialog<TFormConn_Par>([](TFormConn_Par* p) { QTest::mouseClick(p->BtnSearch, Qt::LeftButton); });
        QTest::mouseClick(d->BtnConnPar, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("5|Адрес устройства установлен|(адрес = 12)."));
        QCOMPARE(int(settings->link.direct.address), 12);
        QCOMPARE(d->CBAdr->currentText(), QStringLiteral("12"));
        QCOMPARE(IniValue(Ini("zul.ini"), "DIR_CONN_PAR", "Adr"), std::string("12"));
        QCOMPARE(QString::fromStdString(bar.PanelText(1)), QStringLiteral(" Адр. 12"));
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        QVERIFY(d->connected());
        QVERIFY(ReadTable0());
    }

    void ethernetToTheSimulatorOverLoopback() {
        sim::SimSettings s;
        s.address = 6;
        sim::Qrtsim sim(s);
        QVERIFY(sim.StartTcp());
        settings->link.current.connectionKind = kLinkEthernet;
        settings->link.ethernet.params = LinkParams{0, 1, 0, 2, 3, 250, 7};
        settings->link.ethernet.sendPauseMs = 0;
        auto& list = settings->link.ethernet.subscribers;
        list.entries[0] = Subscriber<EthernetSubscriber>("Loopback", 6);
        list.entries[0].ip = {1, 0, 0, 127};  // 127.0.0.1, last octet first
        list.entries[0].port = sim.tcpPort();
        list.count = 1;
        auto d = Dialog();
        QTest::mouseClick(d->BtnConnect, Qt::LeftButton);
        QVERIFY2(d->connected(), ui.Last().c_str());
        QVERIFY(engine->sock > 0);
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        QCOMPARE(::getpeername(engine->sock, reinterpret_cast<sockaddr*>(&peer), &len), 0);
        QCOMPARE(ntohs(peer.sin_port), sim.tcpPort());
        QCOMPARE(ntohl(peer.sin_addr.s_addr), uint32_t(INADDR_LOOPBACK));
        QCOMPARE(int(engine->linkKind), int(kLinkEthernet));
        QCOMPARE(int(engine->address), 6);
        QCOMPARE(int(engine->openPerExchange), 0);
        QCOMPARE(engine->replyTimeoutMs, 7000u);
        QCOMPARE(engine->interByteTimeoutMs, 250u);
        QCOMPARE(engine->tcpSendPauseMs, 0u);
        QVERIFY(!engine->PortOpen());
        QVERIFY2(ReadTable0(), engine->ErrorText().c_str());
        QCOMPARE(int(engine->reply[1]), 6);
        QCOMPARE(IniValue(Ini("zul.ini"), "CURR_PAR", "Conn_Prz"), std::string("2"));
        QCOMPARE(IniValue(Ini("zul.ini"), "ETHERNET_CONN_PAR", "Adr"), std::string("6"));
    }

    // A port nobody listens on: every connect is refused until the connection wait
    // has passed, or until Esc in the wait window (the longest wait); either way the
    // attempt fails with the program's message, the dialog stays open, no socket is
    // kept and nothing is stored.
    void ethernetPeerThatNeverAccepts_data() {
        QTest::addColumn<int>("wait");
        QTest::addColumn<bool>("esc");
        QTest::newRow("wait passes") << 1 << false;
        QTest::newRow("Esc") << 360 << true;
    }
    void ethernetPeerThatNeverAccepts() {
        QFETCH(int, wait);
        QFETCH(bool, esc);
        const uint16_t port = UnservedLoopbackPort();
        QVERIFY(port != 0);
        QTemporaryDir home;
        TFormMain w(home.path().toStdString() + "/");
        w.TimerStart()->stop();
        w.settings().link.current.connectionKind = kLinkEthernet;
        w.settings().link.ethernet.connectWait = wait;
        auto& list = w.settings().link.ethernet.subscribers;
        list.entries[0] = Subscriber<EthernetSubscriber>("Никто", 3);
        list.entries[0].ip = {1, 0, 0, 127};
        list.entries[0].port = port;
        list.count = 1;
        w.show();
        TFormConnect d(w);
        d.setModal(true);
        d.show();
        int progressMax = 0;
        QString message;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, [&] {
            if (TFormWait* waitWindow = w.waitWindow(); waitWindow && waitWindow->isVisible() && !progressMax) {
                progressMax = waitWindow->progressBar()->maximum();
                if (esc) QTest::keyClick(waitWindow, Qt::Key_Escape);
            }
            if (auto* box = qobject_cast<TFormMessage*>(QApplication::activeModalWidget())) {
                message = box->lineLabel(0)->text();
                box->closeButton()->click();
            }
        });
        poll.start();
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(d.BtnConnect, Qt::LeftButton);
        poll.stop();
        if (!esc) QVERIFY(t.elapsed() >= 900);
        QCOMPARE(progressMax, wait * 10);  // tenths of the wait
        QCOMPARE(message, QStringLiteral("Превышено время ожидания соединения сервер/клиент"));
        QVERIFY(!w.waitWindow() || !w.waitWindow()->isVisible());
        QVERIFY(!d.connected());
        QVERIFY(d.isVisible());  // Esc closed nothing else
        QCOMPARE(w.qrtbox()->sock, 0);
        QVERIFY(!QFile::exists(QString::fromStdString(w.settings().ZulIni())));
    }

    void overTheMainWindow() {
        QTemporaryDir home;
        TFormMain w(home.path().toStdString() + "/");
        w.TimerStart()->stop();
        w.settings().link.current.connectionKind = kLinkEthernet;
        auto& list = w.settings().link.ethernet.subscribers;
        list.entries[0] = Subscriber<EthernetSubscriber>("Узел", 8);
        list.entries[0].ip = {10, 1, 168, 192};
        list.count = 1;
        TFormConnect d(w);
        QVERIFY(!w.secondBar()->isHidden());
        QVERIFY(!w.thirdBar()->isHidden());
        QCOMPARE(w.secondBar()->text(0), QStringLiteral(" Узел (IP-адр. 192.168.1.10)"));
        QCOMPARE(w.mainBar()->text(1), QStringLiteral(" Адр. 8"));
        d.CBConnType->setCurrentIndex(kLinkDirect);
        QVERIFY(w.secondBar()->isHidden());
        QVERIFY(w.thirdBar()->isHidden());
        QCOMPARE(w.mainBar()->text(0), QStringLiteral(" COM1,   38400 бит/с"));
    }
};

QTEST_MAIN(ConnectTest)
#include "connect_test.moc"
