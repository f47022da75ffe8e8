// "Хранилище архивов" of the main window against the simulated controller over
// loopback TCP: empty at first, filled by "Собрать" with one row per archive kind
// the controller has, and a chosen period opened in the kind's own viewer.
#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "events/Period.h"
#include "measurements/ChromView.h"
#include "shell/Main.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "store/StoreView.h"
#include "support/ConnectedWindow.h"
#include "support/ModalHelper.h"
#include "tables/Dtfun.h"

using namespace zul;

namespace {

template <class T, class F>
void OnDialogLong(F fn, int timeoutMs = 60000) {
    zultest::OnDialog<T>(std::function<void(T*)>(fn), timeoutMs);
}

}  // namespace

class StoreWindowTest : public QObject {
    Q_OBJECT

private slots:
    void collectsListsAndOpensAPeriod() {
        sim::SimSettings s;
        s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 12, 0, 0));
        s.rate = 0;
        s.spanDays = 2;
        sim::Qrtsim controller(s);
        QVERIFY(controller.StartTcp());
        zultest::ConnectedWindow connected;
        QVERIFY(connected.Connect(controller));
        TFormMain& w = *connected.window;
        ArchiveSettings& a = w.settings().archive;
        a.periodChoice = 2;
        const PackedDateTime from{24, 3, 15, 10, 0, 0}, to{24, 3, 15, 10, 59, 59};
        a.savedPeriodStart = FromPacked(from.data());
        a.savedPeriodEnd = FromPacked(to.data());

        int rowsBefore = -1, rowsAfter = -1;
        QStringList kinds;
        QString measHeld, measLast, caption;
        size_t viewRecords = 0;
        OnDialogLong<TFormStore>([&](TFormStore* f) {
            rowsBefore = f->table()->rowCount();
            f->collectButton()->click();
            rowsAfter = f->table()->rowCount();
            for (int row = 0; row < rowsAfter; ++row) {
                kinds << f->table()->item(row, 2)->text();
                if (kinds.back() != QStringLiteral("Измерительные данные хроматографа")) continue;
                measHeld = f->table()->item(row, 3)->text();
                measLast = f->table()->item(row, 5)->text();
                f->table()->selectRow(row);
            }
            OnDialogLong<TFormPeriod>([&](TFormPeriod* d) {
                OnDialogLong<TChromView>([&](TChromView* v) {
                    caption = v->windowTitle();
                    viewRecords = v->table().RecordCount();
                    v->reject();
                });
                d->acceptButton()->click();
            });
            f->openButton()->click();
            f->exitButton()->click();
        });
        w.menuItem("NStore")->trigger();
        QCOMPARE(rowsBefore, 0);
        QCOMPARE(kinds, QStringList({"Диагностические сообщения", "Сообщения о вмешательствах оператора",
                                     "Измерительные данные хроматографа", "Часовые данные хроматографа",
                                     "Суточные данные хроматографа", "Калибровочные данные хроматографа"}));
        QCOMPARE(measHeld, QStringLiteral("961"));
        QCOMPARE(measLast, QStringLiteral("15.03.2024 12:00:00"));
        QCOMPARE(caption, QStringLiteral(
                              "Измерительные данные хроматографа за период  с  15.03.24 10:00:00  по  15.03.24 10:59:59"));
        QCOMPARE(viewRecords, size_t(20));
    }
};

QTEST_MAIN(StoreWindowTest)
#include "store_window_test.moc"
