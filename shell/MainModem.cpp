#include "shell/MainModem.h"

#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "link/Clock.h"
#include "link/Connectmodem.h"
#include "shell/Main.h"

namespace zul {

namespace {
constexpr int kTickMs = 1000;
constexpr int kSecondsPerDay = 86400;
}  // namespace

QString CallDurationText(double callStart, double now) {
    long long seconds = std::llround((now - callStart) * kSecondsPerDay);
    seconds = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;  // time-of-day part
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

TModemPanel::TModemPanel(TFormMain& main) : QFrame(main.centralWidget()), main_(main) {
    setObjectName("PanelModem");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    auto* column = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Продолжительность связи по телефону"), this);
    caption->setAlignment(Qt::AlignCenter);
    LDuration = new QLabel(QStringLiteral("00:00:00"), this);
    LDuration->setObjectName("LDuration");
    LDuration->setAlignment(Qt::AlignCenter);
    QFont big = LDuration->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    LDuration->setFont(big);
    BtnDisconnect = new QPushButton(QStringLiteral("Отключить связь"), this);
    BtnDisconnect->setObjectName("BtnDisconnect");
    column->addWidget(caption);
    column->addWidget(LDuration);
    column->addWidget(BtnDisconnect);
    adjustSize();
    TimerMoney = new QTimer(this);
    TimerMoney->setObjectName("TimerMoney");
    TimerMoney->setInterval(kTickMs);
    connect(TimerMoney, &QTimer::timeout, this, &TModemPanel::TimerMoneyTimer);
    connect(BtnDisconnect, &QPushButton::clicked, this, &TModemPanel::DisconnectClick);
    hide();
}

void TModemPanel::StartCall(double callStart) {
    callStart_ = callStart;
    LDuration->setText(QStringLiteral("00:00:00"));
    TimerMoney->start();
    QWidget* client = parentWidget();
    const int bars = main_.mainBar()->height() + main_.secondBar()->height() + main_.thirdBar()->height();
    move(client->width() - width() - 4, client->height() - bars - height() - 8);
    show();
    raise();
}

void TModemPanel::EndCall() {
    TimerMoney->stop();
    hide();
}

void TModemPanel::TimerMoneyTimer() {
    LDuration->setText(CallDurationText(callStart_, SystemClock::Instance().LocalNow()));
}

void TModemPanel::DisconnectClick() {
    main_.ui()->SetBusyCursor(true);
    main_.CloseLink();
    main_.ui()->SetBusyCursor(false);
    main_.SetupMenus();
}

bool DialSubscriber(TFormMain& main) {
    Qrtbox& box = *main.qrtbox();
    const TelephoneSettings& phone = main.settings().link.phone;
    const auto& list = phone.subscribers;
    const std::string number = list.count > 0 ? TextOf(list.entries[list.selected].phone) : std::string();
    const std::string commands = TextOf(phone.modemCommand);
    UserInterface& ui = *main.ui();
    int code;
    for (;;) {
        ui.SetBusyCursor(true);
        main.escHook()->BeginDial();
        Connectmodem modem(*box.port, &ui);
        code = modem.DialModem(number, commands, main.thirdBar(), phone.connectAttempts, phone.connectWait);
        main.escHook()->EndDial();
        ui.SetBusyCursor(false);
        if (code == kModemConnected) {
            main.modemPanel()->StartCall(SystemClock::Instance().LocalNow());
            break;
        }
        if (!ui.ShowMessageBox(kMsgQuestion, ModemResultText(code), "Повторить попытку соединения?")) break;
    }
    main.thirdBar()->SetPanelText(0, "");
    main.repaint();
    return code == kModemConnected;
}

}  // namespace zul
