// The main window driven offscreen: caption, menu tree and its start state,
// status bars, working folders, the Esc hook, closing, and a screenshot.
#include <fstream>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "link/Connect.h"
#include "shell/About.h"
#include "shell/Folders.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "shell/Wait.h"
#include "support/ModalHelper.h"

using namespace zul;

namespace {
struct Item {
    const char* path;     // captions from the menu bar down, separated by '|'
    const char* name;
    const char* handler;  // empty for a submenu
};

// The whole menu tree, captions byte for byte.
const Item kTree[] = {
    {"Файл", "NFile", ""},
    {"Файл|Файлы  конфигурации          ", "NCnfFiles", ""},
    {"Файл|Файлы  конфигурации          |Создание нового файла конфигурации", "NNewCnf", "NParCnfClick"},
    {"Файл|Файлы  конфигурации          |Просмотр/Корректировка файла конфигурации", "NEditCnf", "NParCnfClick"},
    {"Файл|Сохранение параметров конфигурации в файле", "Nrdcnf", "NrdcnfClick"},
    {"Файл|Выход", "Nexit", "NexitClick"},
    {"Параметры", "NWorkPar", ""},
    {"Параметры|Параметры идентификации", "Nident", "NidentClick"},
    {"Параметры|Наименования", "NContrName", "NContrNameClick"},
    {"Параметры|Параметры связи", "NConnPar", ""},
    {"Параметры|Параметры связи|С верхним уровнем", "NConVU", "NConVUClick"},
    {"Параметры|Параметры связи|С вычислителем расхода газа", "NVrgConn", "NVrgConnClick"},
    {"Параметры|Параметры связи|C хроматографом", "NConQRT", "NConQRTClick"},
    {"Параметры|Параметры связи|С влагомером", "NConnWMT", "NConnWMTClick"},
    {"Параметры|Параметры связи|Параметры связи по Ethernet", "N_Ethernet", "N_EthernetClick"},
    {"Параметры|Системные параметры", "Nsys", "NsysClick"},
    {"Параметры|Синхронизация времени", "NSinhr", "NSinhrClick"},
    {"Параметры|Параметры вычислителей", "NCurrVich", "NCurrVichClick"},
    {"Параметры|Зона нечувствительности изменений параметров газа", "NInsens", "NInsensClick"},
    {"Параметры|Нижняя предупредительная уставка параметра газа", "NLowAttent", "NLowAttentClick"},
    {"Параметры|Верхняя предупредительная уставка параметра газа", "NUpAttent", "NUpAttentClick"},
    {"Параметры|Нижний предел значения параметра газа, допускаемого к записи в ВРГ", "NLowLimit", "NLowLimitClick"},
    {"Параметры|Верхний предел значения параметра газа, допускаемого к записи в ВРГ", "NUpperLimit",
     "NUpperLimitClick"},
    {"Параметры|Необходимость записи значений параметров газа в ВРГ", "NDistr", "NDistrClick"},
    {"Параметры|Период записи средних за час значений параметров газа в ВРГ", "Ndistrpar", "NdistrparClick"},
    {"Параметры|Константы параметров газа", "N_Const", "N_ConstClick"},
    {"Параметры|Доступ пользователей к таблицам параметров", "NPass", "NPassClick"},
    {"Данные", "NData", ""},
    {"Данные|MAC-адрес контроллера", "NMac_Adr", "NMac_AdrClick"},
    {"Данные|Дата и время", "NContrDt", "NContrDtClick"},
    {"Данные|Сообщения о вмешательствах оператора    ", "NAud", ""},
    {"Данные|Сообщения о вмешательствах оператора    |Запрос по индексу", "NAudInd", "NArhIndClick"},
    {"Данные|Сообщения о вмешательствах оператора    |Запрос за период", "NAudPer", "NArhPerClick"},
    {"Данные|Сообщения о вмешательствах оператора    |Просмотр/Печать из файла", "NAudPrn", "NAudPrnClick"},
    {"Данные|Диагностические сообщения   ", "NAla", ""},
    {"Данные|Диагностические сообщения   |Запрос по индексу", "NAlaInd", "NArhIndClick"},
    {"Данные|Диагностические сообщения   |Запрос за период", "NAlaPer", "NArhPerClick"},
    {"Данные|Диагностические сообщения   |Просмотр/Печать из файла", "NAlaPrn", "NAlaPrnClick"},
    {"Данные|Текущее состояние контроллера", "NSit", "NSitClick"},
    {"Данные|Данные  хроматографа", "NChrom_Data", ""},
    {"Данные|Данные  хроматографа|Мгновенные данные хроматографа, зоны параметров газа    ", "NChrom_Mom",
     "NChrom_MomDataClick"},
    {"Данные|Данные  хроматографа|Измерительные данные", "NChrom_Meas", ""},
    {"Данные|Данные  хроматографа|Измерительные данные|Чтение архива контроллера    ", "NChrom_RdMeas",
     "NChrom_RdMeasClick"},
    {"Данные|Данные  хроматографа|Измерительные данные|Просмотр/Печать из файла", "NChrom_ViewMeas",
     "NChrom_ViewMeasClick"},
    {"Данные|Данные  хроматографа|Часовые  данные", "NChrom_Hour", ""},
    {"Данные|Данные  хроматографа|Часовые  данные|Чтение архива контроллера    ", "NChrom_RdHour",
     "NChrom_RdHourClick"},
    {"Данные|Данные  хроматографа|Часовые  данные|Просмотр/Печать из файла", "NChrom_ViewHour",
     "NChrom_ViewHourClick"},
    {"Данные|Данные  хроматографа|Суточные  данные", "NChrom_Day", ""},
    {"Данные|Данные  хроматографа|Суточные  данные|Чтение архива контроллера    ", "NChrom_RdDay",
     "NChrom_RdDayClick"},
    {"Данные|Данные  хроматографа|Суточные  данные|Просмотр/Печать из файла", "NChrom_ViewDay",
     "NChrom_ViewDayClick"},
    {"Данные|Данные  хроматографа|Калибровочные данные      ", "NChrom_Clb", ""},
    {"Данные|Данные  хроматографа|Калибровочные данные      |Чтение архива контроллера    ", "NChrom_RdClb",
     "NChrom_RdClbClick"},
    {"Данные|Данные  хроматографа|Калибровочные данные      |Просмотр/Печать из файла", "NChrom_ViewClb",
     "NChrom_ViewClbClick"},
    {"Данные|Данные влагомера", "NWmt_Data", ""},
    {"Данные|Данные влагомера|Мгновенные данные влагомера", "NWmt_MomData", "NWmt_MomDataClick"},
    {"Данные|Данные влагомера|Измерительные данные", "NWmt_Meas", ""},
    {"Данные|Данные влагомера|Измерительные данные|Чтение архива контроллера", "NWmt_RdMeas", "NWmt_RdMeasClick"},
    {"Данные|Данные влагомера|Измерительные данные|Просмотр/Печать из файла", "NWmt_ViewMeas",
     "NWmt_ViewMeasClick"},
    {"Данные|Данные влагомера|Часовые  данные", "NWmt_Hour", ""},
    {"Данные|Данные влагомера|Часовые  данные|Чтение архива контроллера", "NWmt_ReadHour", "NWmt_ReadHourClick"},
    {"Данные|Данные влагомера|Часовые  данные|Просмотр/Печать из файла", "NWmt_ViewHour", "NWmt_ViewHourClick"},
    {"Данные|Данные влагомера|Суточные  данные", "NWmt_Day", ""},
    {"Данные|Данные влагомера|Суточные  данные|Чтение архива контроллера", "NWmt_ReadDay", "NWmt_ReadDayClick"},
    {"Данные|Данные влагомера|Суточные  данные|Просмотр/Печать из файла", "NWmt_ViewDay", "NWmt_ViewDayClick"},
    {"Данные|Хранилище архивов", "NStore", "NStoreClick"},
    {"Отчеты", "Nexcreport", ""},
    {"Отчеты|Паспорт ЗУЛ показателей за сутки   ", "NExcDay", "NExcDayClick"},
    {"Отчеты|Паспорт ЗУЛ показателей за месяц   ", "NExcMon", "NExcMonClick"},
    {"Связь с другим устройством", "Nconnect", "NconnectClick"},
    {"Версия", "NVersion", ""},
    {"Версия|Идентификация пользователя программы", "NUser", "NUserClick"},
    {"Версия|О программе", "Nabout", "NaboutClick"},
    {"Версия|Монитор обмена", "NMonitor", "NMonitorClick"},
    {"Версия|Записывать обмен в файл", "NCapture", "NCaptureClick"},
};

// Hidden without a link.
const char* const kNeedLink[] = {"NWorkPar", "NMac_Adr", "NContrDt", "Nexcreport", "NSit", "NChrom_Mom",
                                 "NChrom_RdMeas", "NChrom_RdHour", "NChrom_RdDay", "NChrom_RdClb", "NWmt_MomData",
                                 "NWmt_RdMeas", "NWmt_ReadHour", "NWmt_ReadDay", "NAudInd", "NAudPer", "NAlaInd",
                                 "NAlaPer", "Nrdcnf"};

// Follows the captions from the menu bar down; null when a caption is missing.
QAction* FindByPath(QMenuBar* bar, const QString& path) {
    const QStringList parts = path.split('|');
    QList<QAction*> level = bar->actions();
    QAction* found = nullptr;
    for (const QString& caption : parts) {
        found = nullptr;
        for (QAction* a : level)
            if (a->text() == caption) found = a;
        if (!found) return nullptr;
        level = found->menu() ? found->menu()->actions() : QList<QAction*>();
    }
    return found;
}

bool Visible(TFormMain& w, const char* name) {
    QAction* a = w.menuItem(name);
    return a && a->isVisible();
}

void Touch(const QString& path) { std::ofstream(path.toStdString()) << "x"; }
}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    QTimer connectDialogCloser_;
private slots:
    // The start timer opens the connection dialog; these tests leave it with "Выход".
    void initTestCase() {
        connectDialogCloser_.setInterval(20);
        connect(&connectDialogCloser_, &QTimer::timeout, this, [] {
            if (auto* d = qobject_cast<TFormConnect*>(QApplication::activeModalWidget())) d->BtnExit->click();
        });
        connectDialogCloser_.start();
    }
    // A fresh program folder for every test.
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
    }

    void captionOwnershipAndFolders() {
        TFormMain w(home());
        QCOMPARE(w.windowTitle(), QStringLiteral("Программа обслуживания контроллера  ЗУЛ_QRT_510"));
        // One engine at address 0, its "Обмен..." panel on main panel 3, events through the Qt port.
        QVERIFY(w.qrtbox());
        QCOMPARE(int(w.qrtbox()->address), 0);
        QCOMPARE(w.qrtbox()->statusPanel, static_cast<StatusBar*>(w.mainBar()));
        QCOMPARE(w.qrtbox()->statusPanelIndex, 3);
        QCOMPARE(w.qrtbox()->ui, static_cast<UserInterface*>(w.ui()));
        QVERIFY(w.image());
        for (const char* f : {"CONFIG", "ALAFILES", "AUDFILES", "CALIBRARHIV", "MOMDATA", "HOURDATA", "DAYDATA",
                              "REPORT", "INI"})
            QVERIFY2(QDir(home_->path() + "/" + f).exists(), f);
        QCOMPARE(QString::fromStdString(ProgramFolder()), home_->path() + "/");
        QCOMPARE(QString::fromStdString(w.workFolder(kFolderIni)), home_->path() + "/INI");
        // Without zul.ini: 1000 x 680.
        QCOMPARE(w.size(), QSize(1000, 680));
        // The engine's "Обмен..." lands in the visible panel 3.
        w.qrtbox()->statusPanel->SetPanelText(3, "Обмен...");
        QCOMPARE(w.mainBar()->text(3), QStringLiteral("Обмен..."));
    }

    void menuTreeCaptionsNamesAndHandlers() {
        TFormMain w(home());
        int items = 0;
        for (const Item& it : kTree) {
            QAction* a = FindByPath(w.menuBar(), QString::fromUtf8(it.path));
            QVERIFY2(a, it.path);
            QCOMPARE(a->objectName(), QString::fromUtf8(it.name));
            QCOMPARE(w.menuItem(it.name), a);
            if (*it.handler) {
                QVERIFY2(!a->menu(), it.path);
                QCOMPARE(a->property("handler").toString(), QString::fromUtf8(it.handler));
                const QByteArray slot = QByteArray(it.handler) + "()";
                QVERIFY2(w.metaObject()->indexOfSlot(slot.constData()) >= 0, it.handler);
                ++items;
            } else {
                QVERIFY2(a->menu(), it.path);
            }
        }
        // Nothing beyond the tree: count the commands the window carries.
        int total = 0;
        for (QAction* a : w.findChildren<QAction*>())
            if (!a->property("handler").isNull()) ++total;
        QCOMPARE(total, items);
        QCOMPARE(w.menuBar()->actions().size(), 6);
    }

    void startStateAndSetupMenusWithoutALink() {
        TFormMain w(home());
        // Right after creation: every top-level item hidden, the link bars hidden.
        for (QAction* a : w.menuBar()->actions()) QVERIFY2(!a->isVisible(), qPrintable(a->text()));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.secondBar()->isHidden());
        QVERIFY(w.thirdBar()->isHidden());
        QVERIFY(w.mainBar()->isVisible());
        // The start timer (100 ms) ends without a link: the reduced menus.
        QVERIFY(w.TimerStart()->isSingleShot());
        QCOMPARE(w.TimerStart()->interval(), 100);
        QTRY_VERIFY(Visible(w, "NFile"));
        for (const char* name : {"NFile", "NData", "Nconnect", "NVersion", "NCnfFiles", "Nexit", "NAud", "NAudPrn",
                                 "NAla", "NAlaPrn", "NChrom_Data", "NChrom_ViewMeas", "NChrom_ViewClb", "NWmt_Data",
                                 "NWmt_ViewDay", "NStore", "NUser", "Nabout"})
            QVERIFY2(Visible(w, name), name);
        for (const char* name : kNeedLink) QVERIFY2(!Visible(w, name), name);
        QVERIFY(!w.linkEstablished);
        QCOMPARE(w.mainBar()->text(0), QString());
        QCOMPARE(w.mainBar()->text(1), QString());
    }

    void setupMenusWithALinkFollowsTable6() {
        TFormMain w(home());
        w.TimerStart()->stop();
        w.linkEstablished = true;
        w.image()->Field(6, 8)[0] = 1;
        w.image()->Field(6, 9)[0] = 1;
        w.SetupMenus();
        for (const Item& it : kTree) QVERIFY2(Visible(w, it.name), it.name);
        // No moisture meter, no flow computers.
        w.image()->Field(6, 8)[0] = 0;
        w.image()->Field(6, 9)[0] = 0;
        w.SetupMenus();
        for (const char* name : {"NConnWMT", "NWmt_Data", "NCurrVich", "NVrgConn", "NDistr", "Ndistrpar"})
            QVERIFY2(!Visible(w, name), name);
        for (const char* name : {"NWorkPar", "NConQRT", "NChrom_Data", "NSit", "Nrdcnf", "NAudInd"})
            QVERIFY2(Visible(w, name), name);
        // Losing the link again hides the controller items and shows the rest.
        w.linkEstablished = false;
        w.SetupMenus();
        QVERIFY(Visible(w, "NWmt_Data"));
        QVERIFY(!Visible(w, "NWorkPar"));
    }

    void connectItemRerunsTheStartSequence() {
        TFormMain w(home());
        QTRY_VERIFY(Visible(w, "Nconnect"));
        QVERIFY(!w.TimerStart()->isActive());
        w.menuItem("Nconnect")->trigger();
        QVERIFY(w.TimerStart()->isActive());
        QTRY_VERIFY(!w.TimerStart()->isActive());
        QVERIFY(Visible(w, "NFile"));
    }

    // A report whose template is nowhere to be found says so before it reads anything.
    void reportWithoutItsTemplateSaysSo() {
        TFormMain w(home());
        w.TimerStart()->stop();
        w.SetupMenus();
        QString line1, line2;
        zultest::OnModal([&](QWidget* m) {
            if (auto* box = qobject_cast<TFormMessage*>(m)) {
                line1 = box->lineLabel(0)->text();
                line2 = box->lineLabel(1)->text();
                QTest::mouseClick(box->closeButton(), Qt::LeftButton);
            } else {
                m->close();
            }
        });
        w.menuItem("NExcMon")->trigger();
        QCOMPARE(line1, QStringLiteral("В рабочем каталоге отсутствует файл mon_report_title.xlsx"));
        QCOMPARE(line2, QStringLiteral("Обратитесь к разработчику программного обеспечения"));
    }

    void aboutBox() {
        TFormMain w(home());
        QStringList texts;
        zultest::OnModal([&](QWidget* m) {
            for (QLabel* l : m->findChildren<QLabel*>()) texts << l->text();
            if (auto* ok = m->findChild<QPushButton*>()) QTest::mouseClick(ok, Qt::LeftButton);
            else m->close();
        });
        w.menuItem("Nabout")->trigger();
        QVERIFY(texts.contains(QStringLiteral("zul_QRT_510")));
        QVERIFY(texts.contains(QStringLiteral("Версия    17.01")));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void linkStatusPanels() {
        TFormMain w(home());
        w.TimerStart()->stop();
        LinkSettings& s = w.settings().link;
        s.current.connectionKind = 0;
        w.RefreshLinkStatus(w.mainBar());
        QCOMPARE(w.mainBar()->text(0), QStringLiteral(" COM1,   38400 бит/с"));
        QCOMPARE(w.mainBar()->text(1), QStringLiteral(" Адр. 1"));
        QCOMPARE(w.secondBar()->text(0), QString());

        s.current.connectionKind = 1;
        s.phone.params.port = 3;
        s.phone.params.speed = 9600;
        s.phone.subscribers.count = 2;
        s.phone.subscribers.selected = 1;
        SetText(s.phone.subscribers.entries[1].name, "\xCA\xD1 \xB9" "5");  // "КС №5" in cp1251
        SetText(s.phone.subscribers.entries[1].phone, "+79001234567");
        s.phone.subscribers.entries[1].address = 7;
        w.RefreshLinkStatus(w.mainBar());
        QCOMPARE(w.mainBar()->text(0), QStringLiteral(" COM3,   9600 бит/с"));
        QCOMPARE(w.mainBar()->text(1), QStringLiteral(" Адр. 7"));
        QCOMPARE(w.secondBar()->text(0), QStringLiteral(" КС №5 (тел. +79001234567)"));

        s.current.connectionKind = 2;
        s.ethernet.subscribers.count = 1;
        s.ethernet.subscribers.selected = 0;
        SetText(s.ethernet.subscribers.entries[0].name, "GRS");
        s.ethernet.subscribers.entries[0].SetIpValue(0xC0A8010Au);  // 192.168.1.10
        s.ethernet.subscribers.entries[0].address = 12;
        w.RefreshLinkStatus(w.mainBar());
        QCOMPARE(w.mainBar()->text(0), QString());
        QCOMPARE(w.mainBar()->text(1), QStringLiteral(" Адр. 12"));
        QCOMPARE(w.secondBar()->text(0), QStringLiteral(" GRS (IP-адр. 192.168.1.10)"));

        // A kind without subscribers leaves the panels empty.
        s.ethernet.subscribers.count = 0;
        w.RefreshLinkStatus(w.mainBar());
        QCOMPARE(w.mainBar()->text(1), QString());
        QCOMPARE(w.secondBar()->text(0), QString());
    }

    void panelWidthsAndTheMessageTimer() {
        TFormMain w(home());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TPanelBar* bar = w.mainBar();
        QCOMPARE(bar->panelWidth(2), bar->width() - bar->panelWidth(0) - bar->panelWidth(1) - 55);
        w.resize(800, 500);
        QTRY_COMPARE(bar->panelWidth(2), bar->width() - bar->panelWidth(0) - bar->panelWidth(1) - 55);

        w.ShowTransientStatus(QStringLiteral("Команда 8.  Нет ответа"));
        QCOMPARE(bar->text(2), QStringLiteral("Команда 8.  Нет ответа"));
        QVERIFY(w.TimerMessage()->isActive());
        QCOMPARE(w.TimerMessage()->interval(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(bar->text(2).isEmpty(), 6000);
        QVERIFY(!w.TimerMessage()->isActive());  // it stopped itself
    }

    void escDuringAnArchiveReadSetsTheStopRequest() {
        TFormMain w(home());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // No read running: Esc changes nothing.
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.escHook()->stopRequest);
        QVERIFY(!w.ui()->StopRequested());

        w.BeginArchiveRead(40);
        TFormWait* wait = w.waitWindow();
        QVERIFY(wait && wait->isVisible());
        QCOMPARE(wait->lineLabel(1)->text(), QStringLiteral("Выполняется чтение данных"));
        QVERIFY(!w.menuBar()->isEnabled());
        QVERIFY(wait->isEnabled());
        // The core's progress reaches the wait window's bar.
        w.ui()->SetProgress(12, 40);
        QCOMPARE(wait->progressBar()->maximum(), 40);
        QCOMPARE(wait->progressBar()->value(), 12);
        QVERIFY(!w.ui()->StopRequested());
        QTest::keyClick(wait, Qt::Key_Escape);
        QVERIFY(w.escHook()->stopRequest);
        QVERIFY(w.ui()->StopRequested());
        QVERIFY(wait->isVisible());  // Esc stops the read, not the window
        w.EndArchiveRead();
        QVERIFY(!w.waitWindow());
        QVERIFY(w.menuBar()->isEnabled());
        QVERIFY(w.centralWidget()->isEnabled());
        // The next read starts with the request cleared.
        w.BeginArchiveRead(1);
        QVERIFY(!w.ui()->StopRequested());
        w.EndArchiveRead();
        w.escHook()->stopRequest = false;
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.ui()->StopRequested());
    }

    void closingDeletesScratchFilesAndKeepsZulIniUntouched() {
        const QString h = home_->path();
        {
            TFormMain w(home());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            for (const char* f : {"datafile.aud", "datafile.ala", "datafile.msd", "datafile.clb", "datafile.hdm",
                                  "datafile.vrf"})
                Touch(h + "/" + f);
            Touch(h + "/datafile.keep");
            QSignalSpy closed(&w, &TFormMain::closed);
            w.menuItem("Nexit")->trigger();
            QCOMPARE(closed.count(), 1);
            QVERIFY(!w.isVisible());
            QVERIFY(!w.qrtbox());
        }
        for (const char* f : {"datafile.aud", "datafile.ala", "datafile.msd", "datafile.clb", "datafile.hdm",
                              "datafile.vrf"})
            QVERIFY2(!QFile::exists(h + "/" + f), f);
        QVERIFY(QFile::exists(h + "/datafile.keep"));
        // Nothing changed: zul.ini is not written, rd_arh.ini is.
        QVERIFY(!QFile::exists(h + "/INI/zul.ini"));
        QCOMPARE(QFileInfo(h + "/INI/rd_arh.ini").size(), 74);
    }

    void closeRequestedDuringAnExchangeWaitsForIt() {
        TFormMain w(home());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy closed(&w, &TFormMain::closed);
        // The close arrives while the engine lets events through.
        QMetaObject::invokeMethod(&w, "close", Qt::QueuedConnection);
        w.ui()->ProcessEvents();
        QCOMPARE(closed.count(), 0);
        QVERIFY(w.qrtbox());
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!w.qrtbox());
    }

    void screenshot() {
        TFormMain w(home());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(Visible(w, "NFile"));
        w.mainBar()->setText(2, QStringLiteral("Чтение из таблицы 5 (поля 0-2)"));
        w.mainBar()->setText(3, QStringLiteral("Обмен..."));
        w.RefreshLinkStatus(w.mainBar());
        // The menu bar lays itself out again after the start sequence has shown its items.
        auto menuColours = [&w] {
            QImage bar = w.menuBar()->grab().toImage();
            QSet<QRgb> colours;
            for (int x = 0; x < bar.width(); x += 2) colours.insert(bar.pixel(x, bar.height() / 2));
            return colours.size();
        };
        QTRY_VERIFY(menuColours() > 2);
        QPixmap shot = w.grab();
        QVERIFY(!shot.isNull());
        const QString dir = qEnvironmentVariable("ZUL_TEST_ARTIFACTS", QDir::tempPath());
        QDir().mkpath(dir);
        QVERIFY(shot.save(dir + "/main_window.png"));
    }

private:
    std::string home() const { return home_->path().toStdString() + "/"; }
    std::unique_ptr<QTemporaryDir> home_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
