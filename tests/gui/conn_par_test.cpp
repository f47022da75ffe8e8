// The link settings dialog driven offscreen: the checks of every kind, the port
// release box, and the address search against a controller on a pseudo-terminal.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>  // QtUserInterface.h keeps a QPointer to one
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "link/Comportfunctions.h"
#include "link/Conn_par.h"
#include "link/PortMap.h"
#include "link/Qrtbox.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"
#include "support/settings_fakes.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

constexpr int kPort = 201;  // a port number the default map leaves free

// The far end of a pseudo-terminal, answering command 1 as controller `address`
// (or staying silent when address is 0).
class PtyController {
public:
    explicit PtyController(uint8_t address) : address_(address) {
        char name[256];
        if (openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
        thread_ = std::thread([this] { Run(); });
    }
    ~PtyController() {
        stop_ = true;
        thread_.join();
        ::close(slave_);
        ::close(master_);
    }
    const std::string& path() const { return path_; }
    std::vector<uint8_t> request() {
        std::lock_guard<std::mutex> lock(mutex_);
        return request_;
    }

private:
    void Run() {
        std::vector<uint8_t> got;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
            uint8_t buf[512];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) continue;
            got.insert(got.end(), buf, buf + n);
            // Skip the preambles; a frame is 0xCC, address, length L, ...
            size_t start = 0;
            while (start < got.size() && got[start] != 0xCC) ++start;
            if (start + 3 > got.size() || got.size() - start < got[start + 2]) continue;
            std::vector<uint8_t> frame(got.begin() + long(start), got.begin() + long(start + got[start + 2]));
            got.clear();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                request_ = frame;
            }
            if (address_ == 0 || frame.size() < 8) continue;
            const int size = Table(0).fieldSize;
            std::vector<uint8_t> reply = {0x33, address_, uint8_t(10 + size), uint8_t(frame[3] | 0x80), 0,
                                          frame[5], frame[6], frame[7]};
            reply.resize(size_t(8 + size), 0x41);
            uint16_t crc = Crc16(reply.data(), uint16_t(reply.size()));
            reply.push_back(uint8_t(crc));
            reply.push_back(uint8_t(crc >> 8));
            if (::write(master_, reply.data(), reply.size()) < 0) break;
        }
    }
    int master_ = -1, slave_ = -1;
    std::string path_;
    uint8_t address_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<uint8_t> request_;
};

void Type(QLineEdit* e, const QString& text) {
    e->clear();
    QTest::keyClicks(e, text);
}

}  // namespace

class ConnParTest : public QObject {
    Q_OBJECT

    LinkSettings settings;
    Qrtbox engine{0};
    test::RecordingUi ui;

    void SaveShot(QWidget* w, const QString& name) {
        const QString dir = qEnvironmentVariable("ZUL_TEST_ARTIFACTS");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        QVERIFY(w->grab().save(dir + "/" + name + ".png"));
    }

    // "Принять" with one box changed; returns whether the dialog took it.
    bool AcceptWith(int kind, const char* box, const QString& value) {
        settings.current.connectionKind = uint8_t(kind);
        TFormConn_Par d(settings, engine, ui);
        d.show();
        auto* edit = d.findChild<QLineEdit*>(box);
        if (!edit) return false;
        Type(edit, value);
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        return d.accepted() && !d.isVisible();
    }

private slots:
    void init() {
        settings = LinkSettings{};
        settings.direct.port = kPort;
        settings.phone.params.port = kPort;
        ui.messages.clear();
        ui.answers.clear();
    }
    void cleanup() { SetPortDevicePath(kPort, ""); }

    void directKindShowsItsPanelAndRecord() {
        PtyController line(0);
        SetPortDevicePath(kPort, line.path());
        settings.direct.speed = 19200;
        TFormConn_Par d(settings, engine, ui);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Параметры связи с устройством (непосредственная связь)"));
        QVERIFY(d.pn_dir->isVisible());
        QVERIFY(!d.pn_fon->isVisible());
        QVERIFY(!d.pn_ethr->isVisible());
        QVERIFY(d.BtnSearch->isVisible());
        QCOMPARE(d.CBPort->currentData().toInt(), kPort);
        QCOMPARE(d.CBPort->currentText(), QStringLiteral("COM201  (%1)").arg(QString::fromStdString(line.path())));
        QCOMPARE(d.CBRate->count(), 22);
        QCOMPARE(d.CBRate->currentText(), QStringLiteral("19200"));
        QCOMPARE(d.CBRepeat->currentText(), QStringLiteral(" 1"));
        QCOMPARE(d.EdWaitTime->text(), QStringLiteral("2"));
        QCOMPARE(d.EdTimeOut->text(), QStringLiteral("100"));
        QCOMPARE(d.EdTimeOut->maxLength(), 4);
        QCOMPARE(d.EdPreambles->maxLength(), 3);
        QVERIFY(!d.EdPortWait->isEnabled());
        QVERIFY(d.EdPortWait->text().isEmpty());
        QVERIFY(d.ChBClosePort->isEnabled());
        // The port-wait caption spells СОМ with Cyrillic letters.
        bool cyrillic = false;
        for (QLabel* l : d.pn_dir->findChildren<QLabel*>())
            if (l->text().contains(QString::fromUtf8("освобождения \xD0\xA1\xD0\x9E\xD0\x9C порта"))) cyrillic = true;
        QVERIFY(cyrillic);
        SaveShot(&d, "conn_par_direct");

        // A speed outside the list selects none, and "Принять" then says so.
        settings.direct.speed = 12345;
        TFormConn_Par other(settings, engine, ui);
        QCOMPARE(other.CBRate->currentIndex(), -1);
        QTest::mouseClick(other.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
        QVERIFY(!other.accepted());
    }

    void interByteTimeoutLimits() {
        PtyController line(0);
        SetPortDevicePath(kPort, line.path());
        QVERIFY(!AcceptWith(0, "EdTimeOut", "54"));
        QCOMPARE(ui.Last(), std::string("2|Время ожидания следующих байтов ответа|Параметр вне допустимого диапазона"));
        QVERIFY(!AcceptWith(0, "EdTimeOut", "5001"));
        QCOMPARE(ui.messages.size(), size_t(2));
        QCOMPARE(settings.direct.interByteTimeoutMs, 100u);  // nothing committed
        QVERIFY(AcceptWith(0, "EdTimeOut", "55"));
        QCOMPARE(settings.direct.interByteTimeoutMs, 55u);
        QVERIFY(AcceptWith(0, "EdTimeOut", "5000"));
        QCOMPARE(settings.direct.interByteTimeoutMs, 5000u);
        QCOMPARE(ui.messages.size(), size_t(2));
        // The key filter drops what is not a digit.
        QVERIFY(AcceptWith(0, "EdTimeOut", "7-x7"));
        QCOMPARE(settings.direct.interByteTimeoutMs, 77u);
    }

    void preamblesAndReplyWaitLimits() {
        PtyController line(0);
        SetPortDevicePath(kPort, line.path());
        QVERIFY(!AcceptWith(0, "EdPreambles", "256"));
        QCOMPARE(ui.Last(), std::string("2|Количество преамбул в запросе|Параметр вне допустимого диапазона"));
        QVERIFY(AcceptWith(0, "EdPreambles", "255"));
        QCOMPARE(settings.direct.preambles, uint8_t(255));
        QVERIFY(AcceptWith(0, "EdPreambles", "0"));
        QCOMPARE(settings.direct.preambles, uint8_t(0));
        QVERIFY(!AcceptWith(0, "EdWaitTime", "0"));
        QCOMPARE(ui.Last(), std::string("2|Время ожидания первого байта ответа|Параметр вне допустимого диапазона"));
        QVERIFY(!AcceptWith(0, "EdWaitTime", "121"));
        QVERIFY(AcceptWith(0, "EdWaitTime", "120"));
        QCOMPARE(settings.direct.replyWaitSeconds, 120u);
    }

    void emptyBoxIsReportedBeforeAnyRange() {
        PtyController line(0);
        SetPortDevicePath(kPort, line.path());
        TFormConn_Par d(settings, engine, ui);
        d.show();
        Type(d.EdTimeOut, "54");
        Type(d.EdPreambles, "999");
        d.EdWaitTime->clear();
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.messages, std::vector<std::string>{"2|Введены не все параметры|"});
        QVERIFY(d.isVisible());
        QCOMPARE(settings.direct, LinkParams({kPort, 1, 38400, 5, 1, 100, 2}));
    }

    void releaseBoxActsAtOnceAndGuardsThePortWait() {
        PtyController line(0);
        SetPortDevicePath(kPort, line.path());
        settings.current.portWait = 3;
        {
            TFormConn_Par d(settings, engine, ui);
            d.show();
            d.ChBClosePort->click();
            QCOMPARE(settings.current.releasePort, uint8_t(1));  // before any "Принять"
            QVERIFY(d.EdPortWait->isEnabled());
            QCOMPARE(d.EdPortWait->text(), QStringLiteral("3"));
            Type(d.EdPortWait, "21");
            QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
            QCOMPARE(ui.Last(), std::string("2|Время ожидания освобождения \xD0\xA1\xD0\x9E\xD0\x9C порта|"
                                            "Параметр вне допустимого диапазона"));
            d.EdPortWait->clear();
            QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
            QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
            Type(d.EdPortWait, "20");
            QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
            QVERIFY(d.accepted());
            QCOMPARE(settings.current.portWait, 20);
        }
        {
            TFormConn_Par d(settings, engine, ui);
            d.show();
            QVERIFY(d.ChBClosePort->isChecked());
            QCOMPARE(d.EdPortWait->text(), QStringLiteral("20"));
            d.ChBClosePort->click();
            QVERIFY(!d.EdPortWait->isEnabled());
            QVERIFY(d.EdPortWait->text().isEmpty());
            QTest::mouseClick(d.BtnExit, Qt::LeftButton);
            QVERIFY(!d.accepted());
            QCOMPARE(settings.current.releasePort, uint8_t(0));  // kept although "Выход"
            QCOMPARE(settings.current.portWait, 20);
        }
    }

    // The transmitter's switching and an adapter under its stable name are kept as
    // chosen; an adapter chosen but not plugged in stays on the list.
    void serialLineChoices() {
        PtyController line(0), stick(0);
        SetPortDevicePath(kPort, line.path());
        QTemporaryDir dir;
        const QString byId = dir.path() + "/by-id";
        QVERIFY(QDir().mkpath(byId));
        const QString name = byId + "/usb-Maker_RS485_Stick_42-if00-port0";
        QVERIFY(QFile::link(QString::fromStdString(stick.path()), name));
        // The stick's terminal sits under a USB device that names its maker and model.
        const QString usb = dir.path() + "/sys/devices/usb1/1-2", tty = QString::fromStdString(stick.path()).section('/', -1);
        QVERIFY(QDir().mkpath(usb + "/1-2:1.0") && QDir().mkpath(dir.path() + "/sys/class/tty/" + tty));
        QVERIFY(QFile::link(usb + "/1-2:1.0", dir.path() + "/sys/class/tty/" + tty + "/device"));
        for (const char* f : {"manufacturer", "product"}) {
            QFile file(usb + "/" + f);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(f[0] == 'm' ? "Maker Inc.\n" : "USB-RS485 Stick\n");
        }
        SetNamedPortFolders(byId.toStdString(), (dir.path() + "/sys").toStdString());
        {
            TFormConn_Par d(settings, engine, ui);
            d.show();
            QVERIFY(d.CBRs485 && d.CBRs485->isVisible());
            QCOMPARE(d.CBRs485->count(), 4);
            QCOMPARE(d.CBRs485->currentIndex(), int(kRs485Auto));
            QVERIFY(d.ChBRtsOnSend->isChecked());
            const int named = d.CBPort->findData(name, TFormConn_Par::kDeviceRole);
            QVERIFY(named >= 0);
            QCOMPARE(d.CBPort->itemText(named),
                     QStringLiteral("usb-Maker_RS485_Stick_42-if00-port0  (Maker Inc. USB-RS485 Stick, %1)")
                         .arg(QString::fromStdString(stick.path())));
            d.CBPort->setCurrentIndex(named);
            d.CBRs485->setCurrentIndex(kRs485Adapter);
            QVERIFY(!d.ChBRtsOnSend->isEnabled());
            d.CBRs485->setCurrentIndex(kRs485Program);
            QVERIFY(d.ChBRtsOnSend->isEnabled());
            d.ChBRtsOnSend->setChecked(false);
            QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
            QVERIFY(d.accepted());
        }
        QCOMPARE(settings.directLine.device, name.toStdString());
        QCOMPARE(settings.directLine.rs485Mode, uint8_t(kRs485Program));
        QCOMPARE(settings.directLine.rtsOnSend, uint8_t(0));
        QCOMPARE(settings.direct.port, uint8_t(kPort));  // a name without a number keeps the old one
        QVERIFY(QFile::remove(name));
        {
            TFormConn_Par d(settings, engine, ui);
            QCOMPARE(d.CBPort->currentData(TFormConn_Par::kDeviceRole).toString(), name);
            QCOMPARE(d.CBPort->currentText(), QStringLiteral("usb-Maker_RS485_Stick_42-if00-port0  (не подключён)"));
            QCOMPARE(d.CBRs485->currentIndex(), int(kRs485Program));
            QVERIFY(!d.ChBRtsOnSend->isChecked());
            // Back to a numbered port: the stable name is dropped.
            d.CBPort->setCurrentIndex(d.CBPort->findData(kPort));
            QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
            QVERIFY(d.accepted());
        }
        SetNamedPortFolders("", "");
        QCOMPARE(settings.directLine.device, std::string());
        // A modem line has no transmitter to switch.
        settings.current.connectionKind = kLinkPhone;
        TFormConn_Par phone(settings, engine, ui);
        QVERIFY(phone.CBRs485 == nullptr);
    }

    void telephoneKind() {
        PtyController line(0);
        SetPortDevicePath(kPort, line.path());
        settings.current.connectionKind = kLinkPhone;
        TFormConn_Par d(settings, engine, ui);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Параметры связи с устройством (связь по телефону)"));
        QVERIFY(d.pn_dir->isVisible());
        QVERIFY(d.pn_fon->isVisible());
        QVERIFY(!d.BtnSearch->isVisible());
        QVERIFY(!d.ChBClosePort->isEnabled());
        QVERIFY(!d.EdPortWait->isEnabled());
        QVERIFY(d.EdPortWait->text().isEmpty());
        QCOMPARE(d.EdWaitTime->text(), QStringLiteral("6"));
        QCOMPARE(d.EdFonConnWait->text(), QStringLiteral("50"));
        QCOMPARE(d.EdCommand->maxLength(), 199);
        SaveShot(&d, "conn_par_phone");
        Type(d.EdFonConnWait, "361");
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Ожидание соединения|Параметр вне допустимого диапазона"));
        Type(d.EdFonConnWait, "360");
        Type(d.EdFonConnRepeat, "11");
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Количество попыток соединения|Параметр вне допустимого диапазона"));
        d.EdFonConnRepeat->clear();
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
        QCOMPARE(settings.phone.connectWait, 50);
        Type(d.EdFonConnRepeat, "10");
        d.EdCommand->setText(QStringLiteral("ATZ; модем №2"));
        d.CBRepeat->setCurrentIndex(2);
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QVERIFY(d.accepted());
        QCOMPARE(settings.phone.connectWait, 360);
        QCOMPARE(settings.phone.connectAttempts, 10);
        QCOMPARE(settings.phone.params.attempts, uint8_t(3));
        QCOMPARE(TextOf(settings.phone.modemCommand), Utf8ToCp1251("ATZ; модем №2"));
        QCOMPARE(settings.direct, LinkParams({kPort, 1, 38400, 5, 1, 100, 2}));  // other kinds untouched
    }

    void ethernetKind() {
        settings.current.connectionKind = kLinkEthernet;
        TFormConn_Par d(settings, engine, ui);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Параметры связи с устройством (Ethernet-интерфейс)"));
        QVERIFY(!d.pn_dir->isVisible());
        QVERIFY(d.pn_ethr->isVisible());
        QVERIFY(!d.BtnSearch->isVisible());
        QCOMPARE(d.EdEthTimeOut->text(), QStringLiteral("300"));
        QCOMPARE(d.EdEthWaitTime->text(), QStringLiteral("5"));
        QCOMPARE(d.EdEthConnWait->text(), QStringLiteral("10"));
        SaveShot(&d, "conn_par_ethernet");
        const struct {
            const char* box;
            const char* value;
            const char* message;
        } refused[] = {
            {"EdEthTimeOut", "54", "2|Время ожидания следующих байтов ответа|Параметр вне допустимого диапазона"},
            {"EdEthTimeOut", "5001", "2|Время ожидания следующих байтов ответа|Параметр вне допустимого диапазона"},
            {"EdEthPreambles", "256", "2|Количество преамбул в запросе|Параметр вне допустимого диапазона"},
            {"EdEthConnWait", "0", "2|Ожидание соединения|Параметр вне допустимого диапазона"},
            {"EdEthConnRepeat", "11", "2|Количество попыток соединения|Параметр вне допустимого диапазона"},
            {"EdEthConnWait", "", "2|Введены не все параметры|"},
        };
        for (const auto& r : refused) {
            QVERIFY(!AcceptWith(kLinkEthernet, r.box, r.value));
            QCOMPARE(ui.Last(), std::string(r.message));
        }
        QCOMPARE(settings.ethernet.params.interByteTimeoutMs, 300u);
        QVERIFY(AcceptWith(kLinkEthernet, "EdEthTimeOut", "55"));
        QCOMPARE(settings.ethernet.params.interByteTimeoutMs, 55u);
        QVERIFY(AcceptWith(kLinkEthernet, "EdEthTimeOut", "5000"));
        QVERIFY(AcceptWith(kLinkEthernet, "EdEthConnRepeat", "10"));
        QCOMPARE(settings.ethernet.connectAttempts, 10);
        QCOMPARE(settings.ethernet.params.interByteTimeoutMs, 5000u);
    }

    void addressSearchFindsTheController() {
        PtyController controller(7);
        SetPortDevicePath(kPort, controller.path());
        TFormConn_Par d(settings, engine, ui);
        d.show();
        Type(d.EdWaitTime, "1");
        QTest::mouseClick(d.BtnSearch, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("5|Адрес устройства установлен|(адрес = 7)."));
        QVERIFY(d.accepted());
        QVERIFY(!d.isVisible());
        QCOMPARE(settings.direct.address, uint8_t(7));
        QCOMPARE(settings.direct.replyWaitSeconds, 1u);
        const std::vector<uint8_t> req = controller.request();
        QVERIFY(req.size() >= 10);
        QCOMPARE(int(req[1]), 255);  // broadcast
        QCOMPARE(int(req[3]), 1);    // read fields
        QCOMPARE(int(req[5]), 0);    // table 0, field 0, one field
        QCOMPARE(int(req[6]), 0);
        QCOMPARE(int(req[7]), 1);
        QVERIFY(!engine.PortOpen());
        QCOMPARE(int(engine.openPerExchange), 0);
        QCOMPARE(engine.replyTimeoutMs, 1000u);
    }

    void failedSearchKeepsTheDialogAndTheCommittedValues() {
        PtyController silent(0);
        SetPortDevicePath(kPort, silent.path());
        TFormConn_Par d(settings, engine, ui);
        d.show();
        Type(d.EdWaitTime, "1");
        Type(d.EdTimeOut, "150");
        QTest::mouseClick(d.BtnSearch, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("5|Устройство не обнаружено|"));
        QVERIFY(d.isVisible());
        QVERIFY(!d.accepted());
        QVERIFY(d.BtnSearch->isEnabled());
        QVERIFY(d.BtnExit->isEnabled());
        QVERIFY(d.BtnAccept->isEnabled());
        QCOMPARE(settings.direct.interByteTimeoutMs, 150u);  // committed before the search
        QCOMPARE(settings.direct.address, uint8_t(1));
        QVERIFY(!engine.PortOpen());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // A port held by another program: "недоступен" after the port wait.
        PosixSerialPort holder;
        QVERIFY(holder.OpenComPort(kPort, 9600, 8, 0, 0, 0, 0, false, false));
        QTest::mouseClick(d.BtnSearch, Qt::LeftButton);
        // The second line says who holds it: this very test.
        const std::string busy = "6|Коммуникационный порт \xD0\xA1\xD0\x9E\xD0\x9C" "201 недоступен|Порт " +
                                 silent.path() + " занят программ";
        QVERIFY2(ui.Last().rfind(busy, 0) == 0, ui.Last().c_str());
        QVERIFY2(ui.Last().find("(PID " + std::to_string(::getpid()) + ")") != std::string::npos, ui.Last().c_str());
        QVERIFY(d.isVisible());
        QVERIFY(d.BtnSearch->isEnabled());
        QVERIFY(d.BtnExit->isEnabled());
    }

    void realMessageBoxShowsTheInputError() {
        PtyController line(0);
        SetPortDevicePath(kPort, line.path());
        QtUserInterface qtUi;
        TFormConn_Par d(settings, engine, qtUi);
        d.show();
        Type(d.EdPreambles, "256");
        QString caption, line1, line2;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TFormMessage*>(QApplication::activeModalWidget());
            for (int i = 0; i < 100 && !box; ++i) {
                QTest::qWait(10);
                box = qobject_cast<TFormMessage*>(QApplication::activeModalWidget());
            }
            if (!box) return;
            caption = box->windowTitle();
            line1 = box->lineLabel(0)->text();
            line2 = box->lineLabel(1)->text();
            box->closeButton()->click();
        });
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("Ошибка ввода параметров"));
        QCOMPARE(line1, QStringLiteral("Количество преамбул в запросе"));
        QCOMPARE(line2, QStringLiteral("Параметр вне допустимого диапазона"));
        QVERIFY(d.isVisible());
    }
};

QTEST_MAIN(ConnParTest)
#include "conn_par_test.moc"
