// A controller whose tables are all damaged, restored end to end from a
// configuration file through the main window over a pseudo-terminal: connect,
// log in, tick the tables, choose the file, correct one field, write, and connect
// again to find nothing damaged.
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "editors/Config.h"
#include "editors/EditorDialog.h"
#include "editors/Shortuspass.h"
#include "link/Comportfunctions.h"
#include "link/Connect.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "shell/Tableinfo.h"
#include "shell/Wait.h"
#include "sim/Qrtsim.h"
#include "support/ModalHelper.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigRecord.h"
#include "tables/Conffun.h"

using namespace zul;

namespace {

constexpr int kPort = 43;

// The configuration the engineer brings: the defaults, a commissioning engineer
// and the engineer who logs in.
std::string WriteSiteFile(const QString& folder) {
    ConfigurationRecord r;
    NewConfiguration(r);
    uint8_t* u = r.TableAt(4);
    std::memcpy(u, "NAL ", 4);
    u[4] = 1;
    std::memcpy(u + 6, "111111      ", 12);
    std::memcpy(u + 18, "1111", 4);
    std::memcpy(u + 44, "ENG ", 4);
    u[44 + 4] = 3;
    std::memcpy(u + 44 + 6, "333333      ", 12);
    std::memcpy(u + 44 + 18, "3333", 4);
    const std::string path = folder.toStdString() + "/site.cnf";
    struct : UserInterface {
        bool ShowMessageBox(int, const std::string&, const std::string&) override { return false; }
    } quiet;
    WriteConfigurationFile(path, r, quiet, false);
    return path;
}

// Answers the windows of a start sequence as the engineer would.
struct Engineer {
    std::string file;
    QStringList seen, messages;
    int tableInfos = 0;
    bool done = false;
    zultest::ModalPoll poll;  // re-armed after each window
    void Arm() {
        poll.Arm(
            [this](QWidget* m) {
                seen << m->objectName();
                if (auto* box = qobject_cast<TFormMessage*>(m)) {
                    messages << box->lineLabel(0)->text();
                    if (box->yesButton() && box->yesButton()->isVisible()) box->yesButton()->click();
                    else box->closeButton()->click();
                } else if (auto* c = qobject_cast<TFormConnect*>(m)) {
                    c->BtnConnect->click();
                } else if (auto* l = qobject_cast<TFormShortUsPass*>(m)) {
                    l->EdCode->setText("3333");
                    l->EdPassword->setText("333333");
                    l->BtnAccept->click();
                } else if (auto* t = qobject_cast<TFormTableInfo*>(m)) {
                    ++tableInfos;
                    t->writeSelectedButton()->click();
                } else if (auto* f = qobject_cast<QFileDialog*>(m)) {
                    zultest::ChooseFile(f, QString::fromStdString(file));
                } else if (auto* cfg = qobject_cast<TFormConfig*>(m)) {
                    // One field corrected: the upper level's preambles.
                    zultest::OnDialog<TFormEditor>([](TFormEditor* e) {
                        e->findChild<QLineEdit*>("EdPreambles")->setText("4");
                        e->BtnAccept->click();
                    });
                    cfg->button("BtnConVU")->click();
                    cfg->BtnAccept->click();
                } else if (!qobject_cast<TFormWait*>(m)) {
                    if (auto* d = qobject_cast<QDialog*>(m)) d->reject();
                }
                if (!done) Arm();
            },
            20000);
    }
};

}  // namespace

class ConfigRestoreTest : public QObject {
    Q_OBJECT

private slots:
    void damagedControllerRestoredFromAFile() {
        QTemporaryDir dir;
        sim::Qrtsim sim;
        QVERIFY(sim.StartPty());
        SetPortDevicePath(kPort, sim.ptyPath());
        sim.SetByte(0, 3, 14);
        for (uint8_t t : kConfigurationTables) sim.DamageTable(t);

        TFormMain w(dir.path().toStdString() + "/");
        LinkSettings& link = w.settings().link;
        link.current.connectionKind = kLinkDirect;
        link.direct = LinkParams{kPort, 1, 115200, 0, 1, 100, 2};
        Engineer e;
        e.file = WriteSiteFile(dir.path());
        e.Arm();
        QSignalSpy done(&w, &TFormMain::startSequenceDone);
        w.show();
        QVERIFY(done.wait(60000));
        QVERIFY2(e.seen.contains("FormConfig"), qPrintable(e.seen.join(",")));
        QVERIFY2(e.messages == QStringList{QString::fromUtf8("В контроллер будет записано время ЭВМ.")},
                 qPrintable(e.messages.join(" / ")));
        QVERIFY(w.linkEstablished);
        for (uint8_t t : kConfigurationTables)
            QVERIFY2(sim.Field(7, t) == std::vector<uint8_t>{0}, qPrintable(QString("table %1").arg(t)));
        QCOMPARE(sim.Field(3, 2), std::vector<uint8_t>{4});  // the corrected field
        QCOMPARE(sim.TableBytes(4)[44], uint8_t('E'));

        // Connected again (the controller now runs version 17): nothing damaged.
        sim.SetByte(0, 3, 17);
        e.tableInfos = 0;
        w.TimerStart()->start();
        QVERIFY(done.wait(60000));
        QCOMPARE(e.tableInfos, 0);
        QVERIFY(w.linkEstablished);
        QCOMPARE(int(sim.Field(0, 0)[0]), 0);
        e.done = true;
        QTest::qWait(50);
        SetPortDevicePath(kPort, "");
    }
};

QTEST_MAIN(ConfigRestoreTest)
#include "config_restore_test.moc"
