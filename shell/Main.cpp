#include "shell/Main.h"

#include <clocale>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "link/Connectmodem.h"
#include "link/TcpSocket.h"
#include "shell/About.h"
#include "shell/Folders.h"
#include "shell/LinkStatus.h"
#include "shell/MainModem.h"
#include "shell/MainTraffic.h"
#include "shell/MainStart.h"
#include "shell/MessageBox.h"
#include "shell/Wait.h"
#include "tables/Conffun.h"

namespace zul {

namespace {
constexpr int kMainPanel0Width = 170;
constexpr int kMainPanel1Width = 200;
constexpr int kMainPanel3Width = 55;
constexpr int kStartDelayMs = 100;
constexpr int kMessageDelayMs = 3000;

}  // namespace

TFormMain::TFormMain(const std::string& programFolder, QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), image_(std::make_unique<TableImage>()) {
    setObjectName("FormMain");
    setWindowTitle(QStringLiteral("Программа обслуживания контроллера  ЗУЛ_QRT_510"));

    // Numbers are written and read with '.' whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());

    BuildMenus();
    BuildStatusBars();

    // The link engine, its "Обмен..." panel and its event processing.
    qrtbox_ = std::make_unique<Qrtbox>(0);
    qrtbox_->statusPanel = mainBar_;
    qrtbox_->statusPanelIndex = 3;
    escHook_ = new EscHook(this);
    ui_.SetWindow(this);
    ui_.SetEscHook(escHook_);
    ui_.beginRead = [this](int max) { BeginArchiveRead(max); };
    ui_.endRead = [this] { EndArchiveRead(); };
    ui_.messageTimer = [this] { StartMessageTimer(); };
    qrtbox_->ui = &ui_;
    traffic_ = std::make_unique<TrafficTools>(*this);

    // Program folder, working folders, settings.
    SetProgramFolder(programFolder_);
    CreateWorkFolders(programFolder_);
    settings_ = std::make_unique<ProgramSettings>(WorkFolderPath(programFolder_, kFolderIni));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        settings_->screenWidth = screen->geometry().width();
        settings_->screenHeight = screen->geometry().height();
    }
    settings_->ui = &ui_;
    settings_->Load();

    HideTopLevelMenus();
    modemConnected = false;
    modemPanel_ = new TModemPanel(*this);
    secondBar_->hide();
    thirdBar_->hide();

    const CurrentSettings& cur = settings_->link.current;
    resize(cur.windowWidth, cur.windowHeight);
    move(cur.windowLeft, cur.windowTop);

    // The Esc hook watches the application's key messages.
    qApp->installEventFilter(escHook_);

    timerStart_ = new QTimer(this);
    timerStart_->setObjectName("TimerStart");
    timerStart_->setSingleShot(true);
    timerStart_->setInterval(kStartDelayMs);
    connect(timerStart_, &QTimer::timeout, this, &TFormMain::TimerStartTimer);
    timerMessage_ = new QTimer(this);
    timerMessage_->setObjectName("TimerMessage");
    timerMessage_->setInterval(kMessageDelayMs);
    connect(timerMessage_, &QTimer::timeout, this, &TFormMain::TimerMessageTimer);
    timerStart_->start();
}

TFormMain::~TFormMain() {
    if (qApp) qApp->removeEventFilter(escHook_);
    wait_.reset();
    traffic_.reset();
    if (qrtbox_) qrtbox_->statusPanel = nullptr;
    qrtbox_.reset();
    image_.reset();
}

std::string TFormMain::workFolder(int folder) const {
    return WorkFolderPath(programFolder_, WorkFolder(folder));
}

// ---------------------------------------------------------------------------
// Menus

namespace {
QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
    QMenu* m = bar->addMenu(QString::fromUtf8(caption));
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}
QMenu* AddSubmenu(QMenu* parent, const char* name, const char* caption) {
    QMenu* m = parent->addMenu(QString::fromUtf8(caption));
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}
}  // namespace

#define ITEM(menu, name, caption, handler)                                   \
    do {                                                                     \
        QAction* a = (menu)->addAction(QString::fromUtf8(caption));          \
        a->setObjectName(name);                                              \
        a->setProperty("handler", #handler);                                 \
        connect(a, &QAction::triggered, this, &TFormMain::handler);          \
    } while (0)

void TFormMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);

    QMenu* file = AddMenu(bar, "NFile", "Файл");
    QMenu* cnf = AddSubmenu(file, "NCnfFiles", "Файлы  конфигурации          ");
    ITEM(cnf, "NNewCnf", "Создание нового файла конфигурации", NParCnfClick);
    ITEM(cnf, "NEditCnf", "Просмотр/Корректировка файла конфигурации", NParCnfClick);
    ITEM(file, "Nrdcnf", "Сохранение параметров конфигурации в файле", NrdcnfClick);
    ITEM(file, "Nexit", "Выход", NexitClick);

    QMenu* par = AddMenu(bar, "NWorkPar", "Параметры");
    ITEM(par, "Nident", "Параметры идентификации", NidentClick);
    ITEM(par, "NContrName", "Наименования", NContrNameClick);
    QMenu* conn = AddSubmenu(par, "NConnPar", "Параметры связи");
    ITEM(conn, "NConVU", "С верхним уровнем", NConVUClick);
    ITEM(conn, "NVrgConn", "С вычислителем расхода газа", NVrgConnClick);
    ITEM(conn, "NConQRT", "C хроматографом", NConQRTClick);
    ITEM(conn, "NConnWMT", "С влагомером", NConnWMTClick);
    ITEM(conn, "N_Ethernet", "Параметры связи по Ethernet", N_EthernetClick);
    ITEM(par, "Nsys", "Системные параметры", NsysClick);
    ITEM(par, "NSinhr", "Синхронизация времени", NSinhrClick);
    ITEM(par, "NCurrVich", "Параметры вычислителей", NCurrVichClick);
    ITEM(par, "NInsens", "Зона нечувствительности изменений параметров газа", NInsensClick);
    ITEM(par, "NLowAttent", "Нижняя предупредительная уставка параметра газа", NLowAttentClick);
    ITEM(par, "NUpAttent", "Верхняя предупредительная уставка параметра газа", NUpAttentClick);
    ITEM(par, "NLowLimit", "Нижний предел значения параметра газа, допускаемого к записи в ВРГ", NLowLimitClick);
    ITEM(par, "NUpperLimit", "Верхний предел значения параметра газа, допускаемого к записи в ВРГ",
         NUpperLimitClick);
    ITEM(par, "NDistr", "Необходимость записи значений параметров газа в ВРГ", NDistrClick);
    ITEM(par, "Ndistrpar", "Период записи средних за час значений параметров газа в ВРГ", NdistrparClick);
    ITEM(par, "N_Const", "Константы параметров газа", N_ConstClick);
    ITEM(par, "NPass", "Доступ пользователей к таблицам параметров", NPassClick);

    QMenu* data = AddMenu(bar, "NData", "Данные");
    ITEM(data, "NMac_Adr", "MAC-адрес контроллера", NMac_AdrClick);
    ITEM(data, "NContrDt", "Дата и время", NContrDtClick);
    QMenu* aud = AddSubmenu(data, "NAud", "Сообщения о вмешательствах оператора    ");
    ITEM(aud, "NAudInd", "Запрос по индексу", NArhIndClick);
    ITEM(aud, "NAudPer", "Запрос за период", NArhPerClick);
    ITEM(aud, "NAudPrn", "Просмотр/Печать из файла", NAudPrnClick);
    QMenu* ala = AddSubmenu(data, "NAla", "Диагностические сообщения   ");
    ITEM(ala, "NAlaInd", "Запрос по индексу", NArhIndClick);
    ITEM(ala, "NAlaPer", "Запрос за период", NArhPerClick);
    ITEM(ala, "NAlaPrn", "Просмотр/Печать из файла", NAlaPrnClick);
    ITEM(data, "NSit", "Текущее состояние контроллера", NSitClick);

    QMenu* chrom = AddSubmenu(data, "NChrom_Data", "Данные  хроматографа");
    ITEM(chrom, "NChrom_Mom", "Мгновенные данные хроматографа, зоны параметров газа    ", NChrom_MomDataClick);
    QMenu* chMeas = AddSubmenu(chrom, "NChrom_Meas", "Измерительные данные");
    ITEM(chMeas, "NChrom_RdMeas", "Чтение архива контроллера    ", NChrom_RdMeasClick);
    ITEM(chMeas, "NChrom_ViewMeas", "Просмотр/Печать из файла", NChrom_ViewMeasClick);
    QMenu* chHour = AddSubmenu(chrom, "NChrom_Hour", "Часовые  данные");
    ITEM(chHour, "NChrom_RdHour", "Чтение архива контроллера    ", NChrom_RdHourClick);
    ITEM(chHour, "NChrom_ViewHour", "Просмотр/Печать из файла", NChrom_ViewHourClick);
    QMenu* chDay = AddSubmenu(chrom, "NChrom_Day", "Суточные  данные");
    ITEM(chDay, "NChrom_RdDay", "Чтение архива контроллера    ", NChrom_RdDayClick);
    ITEM(chDay, "NChrom_ViewDay", "Просмотр/Печать из файла", NChrom_ViewDayClick);
    QMenu* chClb = AddSubmenu(chrom, "NChrom_Clb", "Калибровочные данные      ");
    ITEM(chClb, "NChrom_RdClb", "Чтение архива контроллера    ", NChrom_RdClbClick);
    ITEM(chClb, "NChrom_ViewClb", "Просмотр/Печать из файла", NChrom_ViewClbClick);

    QMenu* wmt = AddSubmenu(data, "NWmt_Data", "Данные влагомера");
    ITEM(wmt, "NWmt_MomData", "Мгновенные данные влагомера", NWmt_MomDataClick);
    QMenu* wmMeas = AddSubmenu(wmt, "NWmt_Meas", "Измерительные данные");
    ITEM(wmMeas, "NWmt_RdMeas", "Чтение архива контроллера", NWmt_RdMeasClick);
    ITEM(wmMeas, "NWmt_ViewMeas", "Просмотр/Печать из файла", NWmt_ViewMeasClick);
    QMenu* wmHour = AddSubmenu(wmt, "NWmt_Hour", "Часовые  данные");
    ITEM(wmHour, "NWmt_ReadHour", "Чтение архива контроллера", NWmt_ReadHourClick);
    ITEM(wmHour, "NWmt_ViewHour", "Просмотр/Печать из файла", NWmt_ViewHourClick);
    QMenu* wmDay = AddSubmenu(wmt, "NWmt_Day", "Суточные  данные");
    ITEM(wmDay, "NWmt_ReadDay", "Чтение архива контроллера", NWmt_ReadDayClick);
    ITEM(wmDay, "NWmt_ViewDay", "Просмотр/Печать из файла", NWmt_ViewDayClick);
    ITEM(data, "NStore", "Хранилище архивов", NStoreClick);

    QMenu* rep = AddMenu(bar, "Nexcreport", "Отчеты");
    ITEM(rep, "NExcDay", "Паспорт ЗУЛ показателей за сутки   ", NExcDayClick);
    ITEM(rep, "NExcMon", "Паспорт ЗУЛ показателей за месяц   ", NExcMonClick);

    QAction* other = bar->addAction(QStringLiteral("Связь с другим устройством"));
    other->setObjectName("Nconnect");
    other->setProperty("handler", "NconnectClick");
    connect(other, &QAction::triggered, this, &TFormMain::NconnectClick);

    QMenu* ver = AddMenu(bar, "NVersion", "Версия");
    ITEM(ver, "NUser", "Идентификация пользователя программы", NUserClick);
    ITEM(ver, "Nabout", "О программе", NaboutClick);
    ITEM(ver, "NMonitor", "Монитор обмена", NMonitorClick);
    ITEM(ver, "NCapture", "Записывать обмен в файл", NCaptureClick);
    menuItem("NCapture")->setCheckable(true);
}

#undef ITEM

QAction* TFormMain::menuItem(const QString& name) const { return findChild<QAction*>(name); }

void TFormMain::HideItem(const char* name) {
    if (QAction* a = menuItem(QString::fromUtf8(name))) a->setVisible(false);
}

void TFormMain::HideTopLevelMenus() {
    for (QAction* a : menuBar()->actions()) a->setVisible(false);
}

void TFormMain::SetupMenus() {
    // Every item visible, to any depth.
    for (QAction* a : menuBar()->actions()) a->setVisible(true);
    for (QMenu* m : menuBar()->findChildren<QMenu*>())
        for (QAction* a : m->actions()) a->setVisible(true);

    if (linkEstablished) {
        if (image_->Byte(6, 8) == 0) {  // no moisture meter
            HideItem("NConnWMT");
            HideItem("NWmt_Data");
        }
        if (image_->Byte(6, 9) == 0) {  // no flow computers
            HideItem("NCurrVich");
            HideItem("NVrgConn");
            HideItem("NDistr");
            HideItem("Ndistrpar");
        }
    } else {
        for (const char* name : {"NWorkPar", "NMac_Adr", "NContrDt", "Nexcreport", "NSit", "NChrom_Mom",
                                 "NChrom_RdMeas", "NChrom_RdHour", "NChrom_RdDay", "NChrom_RdClb",
                                 "NWmt_MomData", "NWmt_RdMeas", "NWmt_ReadHour", "NWmt_ReadDay", "NAudInd",
                                 "NAudPer", "NAlaInd", "NAlaPer", "Nrdcnf"})
            HideItem(name);
        mainBar_->setText(0, QString());
        mainBar_->setText(1, QString());
    }
}

// ---------------------------------------------------------------------------
// Status bars

void TFormMain::BuildStatusBars() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* client = new QWidget(central);
    client->setObjectName("ClientArea");
    column->addWidget(client, 1);
    thirdBar_ = new TPanelBar({0}, central);
    thirdBar_->setObjectName("StatusBar3");
    secondBar_ = new TPanelBar({0}, central);
    secondBar_->setObjectName("StatusBar2");
    mainBar_ = new TPanelBar({kMainPanel0Width, kMainPanel1Width, 200, 0}, central);
    mainBar_->setObjectName("StatusBar1");
    column->addWidget(thirdBar_);
    column->addWidget(secondBar_);
    column->addWidget(mainBar_);
    setCentralWidget(central);
}

void TFormMain::LayoutMainPanels() {
    const int w = mainBar_->width() - mainBar_->panelWidth(0) - mainBar_->panelWidth(1) - kMainPanel3Width;
    mainBar_->setPanelWidth(2, w);
}

void TFormMain::RefreshLinkStatus(TPanelBar* bar) {
    if (!bar) bar = mainBar_;
    const LinkStatusTexts t = LinkStatusFor(settings_->link);
    bar->SetPanelText(0, t.panel0);
    bar->SetPanelText(1, t.panel1);
    secondBar_->SetPanelText(0, t.second);
    bar->Repaint();
}

void TFormMain::ShowTransientStatus(const QString& text) {
    mainBar_->setText(2, text);
    mainBar_->Repaint();
    StartMessageTimer();
}

void TFormMain::StartMessageTimer() { timerMessage_->start(); }

void TFormMain::TimerMessageTimer() {
    timerMessage_->stop();
    mainBar_->setText(2, QString());
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    LayoutMainPanels();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutMainPanels();
}

// ---------------------------------------------------------------------------
// Wait window and archive reads

TFormWait* TFormMain::BeginWait(int kind, int progressMax) {
    wait_ = std::make_unique<TFormWait>(kind, this);
    wait_->SetProgress(0, progressMax);
    ui_.SetProgressBar(wait_->progressBar());
    // Over the middle of the main window.
    const QRect g = frameGeometry();
    wait_->move(g.center() - QPoint(TFormWait::kWidth / 2, TFormWait::kHeight / 2));
    wait_->show();
    wait_->raise();
    wait_->activateWindow();
    // The menu and the client area take no input meanwhile; the window itself
    // stays enabled so that its wait window (a child) keeps the keyboard.
    menuBar()->setEnabled(false);
    centralWidget()->setEnabled(false);
    QCoreApplication::processEvents();
    return wait_.get();
}

void TFormMain::EndWait() {
    ui_.SetProgressBar(nullptr);
    if (wait_) CloseWaitWindow(wait_.get());
    wait_.reset();
    menuBar()->setEnabled(true);
    centralWidget()->setEnabled(true);
    // In front again, unless a modal window (a viewer, the connection dialog) is
    // still open over it: that one stays in front.
    QWidget* front = QApplication::activeModalWidget();
    if (!front) front = this;
    front->raise();
    front->activateWindow();
}

void TFormMain::BeginArchiveRead(int progressMax) {
    BeginWait(kWaitRead, progressMax);
    escHook_->BeginRead();
}

void TFormMain::EndArchiveRead() {
    escHook_->EndRead();
    EndWait();
}

// ---------------------------------------------------------------------------
// Link, start and closing

void TFormMain::CloseLink() {
    if (!qrtbox_) return;
    if (qrtbox_->sock > 0) {
        TcpClose(qrtbox_->sock);
        qrtbox_->sock = 0;
    } else if (modemConnected) {
        if (qrtbox_->PortOpen()) Connectmodem(*qrtbox_->port, &ui_).HangUp();
        modemConnected = false;
    }
    if (qrtbox_->PortOpen()) qrtbox_->ClosePort();
    modemPanel_->EndCall();
    secondBar_->hide();
    thirdBar_->hide();
    mainBar_->setText(1, QString());
    linkEstablished = false;
}

void TFormMain::TimerStartTimer() {
    timerStart_->stop();
    MainStartHost host(*this);
    host.connectWithoutDialog = connectWithoutDialogOnce_;
    connectWithoutDialogOnce_ = false;
    TableIo io(*qrtbox_, *image_, ui_);
    ConnectionStart start(*qrtbox_, *image_, io, ui_, settings_->link, mainBar_, host, SystemClock::Instance());
    start.modemConnected = modemConnected;
    host.start = &start;
    start.TimerStartTimer();
    linkEstablished = start.linkEstablished;
    writeAll = start.writeAll;
    modemConnected = start.modemConnected;
    emit startSequenceDone();
}

void TFormMain::NconnectClick() { timerStart_->start(); }

void TFormMain::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    // Inside an exchange the engine is on the stack: close once it has returned.
    if (ui_.InsideProcessEvents()) {
        event->ignore();
        QTimer::singleShot(50, this, &QWidget::close);
        return;
    }
    {
        Hourglass h(ui_);
        timerStart_->stop();
        timerMessage_->stop();
        CloseLink();
        traffic_->Finish();
        qrtbox_.reset();
        settings_->SaveSettings();
        DeleteScratchFiles(programFolder_);
    }
    closed_ = true;
    event->accept();
    emit closed();
}

void TFormMain::NexitClick() { close(); }

void TFormMain::NaboutClick() {
    TFormAbout about(this);
    about.exec();
}

}  // namespace zul
