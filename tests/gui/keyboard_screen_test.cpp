// The keyboard and the screen, for every window at once: each editor opens with
// the focus in its first input, Tab walks the inputs and then the buttons, Enter
// presses the focused button; every window the menus open fits a 1024×768 screen
// with its buttons on it. The main window runs against the simulated controller
// over loopback TCP, on an offscreen screen of 1024×768.
#include <QAbstractItemView>
#include <QPointer>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "editors/Conneth.h"
#include "editors/Connqrt.h"
#include "editors/Connvu.h"
#include "editors/Connwmt.h"
#include "editors/EditorDialog.h"
#include "editors/limits.h"
#include "editors/Floulist.h"
#include "editors/Floupar.h"
#include "events/ArchiveView.h"
#include "events/Period.h"
#include "shell/MessageBox.h"
#include "shell/Desktop.h"
#include "sim/Qrtsim.h"
#include "support/ConnectedWindow.h"

using namespace zul;

namespace {

const QRect kScreen(0, 0, 1024, 768);

bool IsReadOnly(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->isReadOnly();
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w)) return s->isReadOnly();
    return false;
}

// "" when the window and each of its visible push buttons lie on the screen.
QString OffScreen(QWidget* window) {
    if (!kScreen.contains(window->frameGeometry()))
        return QStringLiteral("%1 at %2,%3 %4x%5")
            .arg(window->metaObject()->className())
            .arg(window->x())
            .arg(window->y())
            .arg(window->width())
            .arg(window->height());
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (!b->isVisibleTo(window) || b->window() != window) continue;
        bool scrolled = false;  // a button inside a scroll area is reached by scrolling
        for (QWidget* p = b->parentWidget(); p && p != window; p = p->parentWidget())
            scrolled = scrolled || qobject_cast<QScrollArea*>(p);
        if (scrolled) continue;
        const QRect at(b->mapTo(window, QPoint(0, 0)), b->size());
        // Inside the window and not scrolled away.
        if (!window->rect().contains(at) || b->visibleRegion().isEmpty())
            return QStringLiteral("%1: \"%2\" off screen").arg(window->metaObject()->className(), b->text());
    }
    return {};
}

}  // namespace

class KeyboardScreenTest : public QObject {
    Q_OBJECT
    sim::Qrtsim sim_{[] {
        sim::SimSettings s;
        s.moistureMeter = true;
        return s;
    }()};
    zultest::ConnectedWindow cw_;

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), kScreen);
        QVERIFY(sim_.StartTcp());
        QVERIFY(cw_.Connect(sim_));
        cw_.window->image()->Field(6, 9)[0] = 1;  // flow computers connected
        cw_.window->SetupMenus();
    }
    void cleanupTestCase() {
        cw_.window.reset();
        sim_.Stop();
    }

    // Every editor of the menus: focus in the first input, Tab through the inputs
    // and then the buttons (read-only boxes skipped), Enter on the focused
    // "Отменить" closes it with nothing written.
    void editorsTakeTheKeyboard_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("enterKey");
        const char* items[] = {"NContrName", "NConVU",     "NVrgConn",  "NConQRT",    "NConnWMT",
                               "N_Ethernet", "Nsys",       "NCurrVich", "NInsens",    "NLowAttent",
                               "NUpAttent",  "NLowLimit",  "NUpperLimit", "NDistr",   "Ndistrpar",
                               "N_Const",    "NPass"};
        int k = 0;
        for (const char* item : items)
            QTest::newRow(item) << QString::fromLatin1(item) << int(k++ % 2 ? Qt::Key_Enter : Qt::Key_Return);
    }
    void editorsTakeTheKeyboard() {
        QFETCH(QString, item);
        QFETCH(int, enterKey);
        const size_t writesBefore = sim_.Interventions().size();  // each write leaves a record
        QString firstFocus, walk, fault, fit;
        bool seen = false, closedByEnter = false;
        zultest::OnIdleDialog<TFormEditor>(*cw_.window, [&](TFormEditor* d) {
            seen = true;
            QApplication::setActiveWindow(d);
            QWidget* first = QApplication::focusWidget();
            firstFocus = first ? QString(first->metaObject()->className()) : QStringLiteral("none");
            if (!first || qobject_cast<QPushButton*>(first) || first->window() != d) fault = "focus not in an input";
            // Tab round the dialog once.
            QWidget* at = first;
            bool buttons = false;
            QSet<QWidget*> visited;
            for (int step = 0; at && step < 200 && fault.isEmpty(); ++step) {
                visited << at;
                const bool button = qobject_cast<QPushButton*>(at) != nullptr;
                walk += button ? "B" : "i";
                if (IsReadOnly(at)) fault = "a read-only box takes a Tab stop";
                if (buttons && !button && at != first) fault = "an input after the buttons";
                buttons = buttons || button;
                QTest::keyClick(at, Qt::Key_Tab);
                at = QApplication::focusWidget();
                if (at == first) break;
            }
            if (fault.isEmpty() && at != first) fault = "Tab does not come round";
            for (QPushButton* b : d->findChildren<QPushButton*>())
                if (fault.isEmpty() && b->isVisibleTo(d) && b->isEnabled() && b->window() == d && !visited.contains(b))
                    fault = "\"" + b->text() + "\" not reached by Tab";
            fit = OffScreen(d);
            d->BtnCancel->setFocus();
            QTest::keyClick(d->BtnCancel, Qt::Key(enterKey), enterKey == Qt::Key_Enter ? Qt::KeypadModifier
                                                                                         : Qt::NoModifier);
            closedByEnter = !d->isVisible();
            if (!closedByEnter) d->reject();
        });
        // A list editor opens its item editor on top: the test looks at the first.
        cw_.window->menuItem(item)->trigger();
        QVERIFY2(seen, qPrintable(item));
        QVERIFY2(fault.isEmpty(), qPrintable(item + ": " + fault + " (" + firstFocus + ", " + walk + ")"));
        QVERIFY2(walk.startsWith("i") && walk.contains("B"), qPrintable(walk));
        QVERIFY2(fit.isEmpty(), qPrintable(fit));
        QVERIFY2(closedByEnter, qPrintable(item));
        QCOMPARE(sim_.Interventions().size(), writesBefore);
    }

    // After "Ошибка ввода параметров" the focus is back in the field that failed,
    // whichever field of the dialog that is.
    void inputErrorFocusesTheFailedField() {
        using Pick = QWidget* (*)(QDialog*);
        struct Row {
            const char* item;
            Pick field;
            const char* text;
        } rows[] = {
            {"NConVU", [](QDialog* d) -> QWidget* { return static_cast<TFormConVU*>(d)->CbAddress; }, "255"},
            {"NConVU", [](QDialog* d) -> QWidget* { return static_cast<TFormConVU*>(d)->EdPreambles; }, "300"},
            {"NConQRT", [](QDialog* d) -> QWidget* { return static_cast<TFormConQRT*>(d)->EdCycle; }, "5"},
            {"NConnWMT", [](QDialog* d) -> QWidget* { return static_cast<TFormConWMT*>(d)->CbTimeout; }, "300"},
            {"N_Ethernet", [](QDialog* d) -> QWidget* { return static_cast<TFormConEth*>(d)->IpMask->octet[2]; },
             "300"},
            {"N_Ethernet", [](QDialog* d) -> QWidget* { return static_cast<TFormConEth*>(d)->EdPort[3]; },
             "9999999999"},
            {"NLowLimit", [](QDialog* d) -> QWidget* { return static_cast<TFormLimits*>(d)->EdValue[2]; }, "x"},
            {"NAlaPer", [](QDialog* d) -> QWidget* { return static_cast<TFormPeriod*>(d)->minuteList(true); }, "61"},
        };
        for (const Row& r : rows) {
            QString box, focus;
            bool seen = false, focused = false;
            zultest::OnIdleDialog<QDialog>(*cw_.window, [&](QDialog* d) {
                seen = true;
                if (auto* period = qobject_cast<TFormPeriod*>(d)) period->Choose(kPeriodGiven);
                QWidget* field = r.field(d);
                if (auto* list = qobject_cast<QComboBox*>(field)) list->setEditText(r.text);
                else static_cast<QLineEdit*>(field)->setText(r.text);
                d->findChild<QPushButton*>()->setFocus();  // the focus away from the field
                zultest::AnswerNextBox(&box);
                QPushButton* accept = nullptr;
                for (QPushButton* b : d->findChildren<QPushButton*>())
                    if (b->isVisible() && (b->text() == "Принять" || b->text().startsWith("Записать"))) accept = b;
                QTest::mouseClick(accept, Qt::LeftButton);
                focused = d->focusWidget() == field;
                focus = d->focusWidget() ? d->focusWidget()->metaObject()->className() : "none";
                d->reject();
            });
            cw_.window->menuItem(r.item)->trigger();
            QVERIFY2(seen, r.item);
            QVERIFY2(!box.isEmpty(), qPrintable(QString(r.item) + ": no input error"));
            QVERIFY2(focused, qPrintable(QString(r.item) + ": focus in " + focus + " after " + box));
        }
    }

    // A grid: Tab goes on to the next control, Enter on a row opens it as a double-click does.
    void gridTabLeavesAndEnterOpensTheRow() {
        bool tabLeft = false;
        QString opened;
        zultest::OnIdleDialog<TFormFlouList>(*cw_.window, [&](TFormFlouList* d) {
            QApplication::setActiveWindow(d);
            d->Grid->setFocus();
            d->Grid->setCurrentCell(0, 0);
            QTest::keyClick(d->Grid, Qt::Key_Tab);
            tabLeft = QApplication::focusWidget() != d->Grid;
            d->Grid->setFocus();
            zultest::OnDialog<TFormFlouPar>([&](TFormFlouPar* f) {
                opened = f->windowTitle();
                f->reject();
            });
            QTest::keyClick(d->Grid, Qt::Key_Return);
            d->reject();
        });
        cw_.window->menuItem("NCurrVich")->trigger();
        QVERIFY(tabLeft);
        QVERIFY2(!opened.isEmpty(), "Enter on a row opened nothing");
    }

    // Every window a menu item opens, and those its buttons open in turn (`through`:
    // the button pressed in the first, second... window, by object name or text),
    // fits the screen with its buttons on it; the main window too.
    void windowsFitTheScreen_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("through");
        QTest::addColumn<int>("windows");  // at least
        struct Row { const char* item; QStringList through; int windows; };
        const Row rows[] = {
            {"NSit", {"BtnTables"}, 2},                 // controller state, table states
            {"NAlaInd", {"Принять"}, 2},                // index choice, diagnostic viewer
            {"NAudInd", {"Принять"}, 2},                // index choice, intervention viewer
            {"NAlaPer", {"Принять"}, 2},                // period choice, diagnostic viewer
            {"NChrom_RdMeas", {"Принять"}, 2},          // period choice, measurement viewer
            {"NChrom_RdClb", {"Принять"}, 2},           // period choice, calibration viewer
            {"NWmt_RdMeas", {"Принять"}, 2},            // period choice, moisture viewer
            {"NChrom_Mom", {}, 1},                      // live chromatograph view
            {"NWmt_MomData", {}, 1},                    // live moisture view
            {"NExcDay", {}, 1},                         // report dates
            {"NExcMon", {}, 1},
            {"Nident", {}, 1},
            {"NContrDt", {}, 1},
            {"NMac_Adr", {}, 1},
            {"NCurrVich", {"BtnChange"}, 2},            // flow computers, one of them
            {"NUser", {}, 1},
            {"Nabout", {}, 1},
        };
        for (const Row& r : rows) QTest::newRow(r.item) << QString::fromLatin1(r.item) << r.through << r.windows;
    }
    void windowsFitTheScreen() {
        QFETCH(QString, item);
        QFETCH(QStringList, through);
        QFETCH(int, windows);
        QStringList seen, faults;
        QList<QPointer<QWidget>> handled;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, [&] {
            QWidget* m = QApplication::activeModalWidget();
            if (!m || !m->isVisible() || cw_.window->ui()->InsideProcessEvents()) return;
            const bool again = handled.contains(QPointer<QWidget>(m));
            QPushButton* next = nullptr;
            if (!again) {
                handled << m;
                seen << m->metaObject()->className();
                if (const QString f = OffScreen(m); !f.isEmpty()) faults << f;
                // A viewer short of the screen shows every row.
                if (auto* v = qobject_cast<TArchiveView*>(m); v && v->height() < 600 &&
                                                             v->grid()->verticalScrollBar()->maximum() > 0)
                    faults << QStringLiteral("%1 rows in %2 px").arg(v->model()->rowCount()).arg(v->height());
                // No heading cut.
                if (auto* v = qobject_cast<TArchiveView*>(m)) {
                    const QFontMetrics fm(v->grid()->horizontalHeader()->font());
                    for (int c = 0; c < v->model()->columnCount(); ++c)
                        for (const QString& line :
                             v->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().split('\n'))
                            if (fm.horizontalAdvance(line) + 6 > v->grid()->columnWidth(c))
                                faults << QStringLiteral("heading \"%1\" cut").arg(line);
                }
                const int step = int(handled.size()) - 1;
                if (step < through.size())
                    for (QPushButton* b : m->findChildren<QPushButton*>())
                        if (b->isVisible() && (b->objectName() == through[step] || b->text() == through[step])) next = b;
            }
            if (next) QMetaObject::invokeMethod(next, &QPushButton::click, Qt::QueuedConnection);  // it may run a dialog
            else if (auto* d = qobject_cast<QDialog*>(m)) d->reject();
            else m->close();
        });
        poll.start();
        cw_.window->menuItem(item)->trigger();
        poll.stop();
        QVERIFY2(seen.size() >= windows, qPrintable(seen.join(", ")));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
        QVERIFY2(OffScreen(cw_.window.get()).isEmpty(), qPrintable(OffScreen(cw_.window.get())));
    }
};

int main(int argc, char** argv) {
    // One 1024×768 screen.
    QTemporaryDir dir;
    const QString config = dir.filePath("screen.json");
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write(R"({"screens":[{"name":"laptop","x":0,"y":0,"width":1024,"height":768,)"
            R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication app(argc, argv);
    InstallDesktopKeys();
    KeyboardScreenTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "keyboard_screen_test.moc"
