// The configuration dialog offscreen: every area opens its editor in file mode on
// the record's bytes, the enable rules, caption, accepted and changed flags, and
// the menu commands that create, edit and save configuration files.
#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "support/settings_fakes.h"

#include "editors/Config.h"
#include "editors/EditorDialog.h"
#include "editors/Ident.h"
#include "shell/Folders.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "support/ModalHelper.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigRecord.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

// Answers every modal window until `stop`: editors and dialogs through `onDialog`,
// message boxes recorded and closed ("Да" when offered).
struct Driver {
    QStringList messages;
    QStringList dialogs;  // object names of the dialogs seen, in order
    std::function<void(QDialog*)> onDialog = [](QDialog* d) { d->reject(); };
    bool stop = false;
    zultest::ModalPoll poll;  // re-armed after each window
    void Arm() {
        poll.Arm(
            [this](QWidget* m) {
                if (auto* box = qobject_cast<TFormMessage*>(m)) {
                    messages << box->lineLabel(0)->text() + "|" + box->lineLabel(1)->text();
                    if (box->yesButton() && box->yesButton()->isVisible()) box->yesButton()->click();
                    else box->closeButton()->click();
                } else if (auto* d = qobject_cast<QDialog*>(m)) {
                    dialogs << d->objectName();
                    onDialog(d);
                } else {
                    m->close();
                }
                if (!stop) Arm();
            },
            5000);
    }
};

}  // namespace

class ConfigDialogTest : public QObject {
    Q_OBJECT

private slots:
    void everyAreaOpensItsEditorInFileMode_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("editor");
        const char* const rows[][2] = {
            {"BtnNames", "FormContrName"},   {"BtnIdent", "FormIdent"},     {"BtnConVich", "FormConVich"},
            {"BtnConVU", "FormConVU"},       {"BtnConQRT", "FormConQRT"},   {"BtnConWMT", "FormConWMT"},
            {"BtnConEth", "FormConEth"},     {"BtnSys", "FormSys"},         {"BtnFlouList", "FormFlouList"},
            {"BtnPrzDistr", "FormPrzDistr"}, {"BtnDistr", "FormDistr"},     {"BtnConst1", "FormConst_Par"},
            {"BtnSinhr", "FormTime_Sinhr"},  {"BtnAccess", "FormAccess"},
        };
        for (auto& r : rows) QTest::newRow(r[0]) << QString(r[0]) << QString(r[1]);
    }
    void everyAreaOpensItsEditorInFileMode() {
        QFETCH(QString, button);
        QFETCH(QString, editor);
        ConfigurationRecord r;
        NewConfiguration(r);
        r.TableAt(6)[8] = 1;  // a moisture meter, so that its button is live
        std::memcpy(r.TableAt(4), "NAL \x01", 5);  // a maker, so that the users are accepted
        std::memcpy(r.TableAt(4) + 18, "1111", 4);
        const ConfigurationRecord before = r;
        TFormConfig d(&r, false, nullptr);
        d.show();
        Driver drv;
        bool fileMode = false;
        drv.onDialog = [&](QDialog* e) {
            if (auto* ed = qobject_cast<TFormEditor*>(e)) {
                fileMode = ed->mode() == kFileMode && !ed->BtnAccept->isHidden() && ed->BtnWrite->isHidden();
                ed->BtnAccept->click();  // untouched
                if (ed->isVisible()) ed->reject();
            } else {
                fileMode = true;  // the identification view only shows
                e->accept();
            }
            drv.stop = true;
        };
        drv.Arm();
        QPushButton* b = d.button(button.toLatin1().constData());
        QVERIFY(b && b->isEnabled());
        b->click();
        QCOMPARE(drv.dialogs, QStringList{editor});
        QVERIFY(fileMode);
        QVERIFY(drv.messages.isEmpty());
        d.BtnAccept->click();
        QVERIFY(d.accepted());
        QVERIFY2(!d.changed(), "an untouched editor changed the record");
        QVERIFY(r == before);
    }

    // Accepted, a change is flagged; "Отменить" or Esc after a change asks first:
    // "Нет" keeps the dialog and the edit, "Да" restores the record.
    void acceptedChangeIsFlaggedAndCancelRestores() {
        ConfigurationRecord r;
        NewConfiguration(r);
        enum { kAccept, kCancel, kEsc };
        for (int way : {kAccept, kCancel, kEsc}) {
            ConfigurationRecord work = r;
            test::RecordingUi ui;
            ui.answers = {false, true};
            TFormConfig d(&work, true, &ui);
            QCOMPARE(d.BtnAccept->text(), QString::fromUtf8("Записать в устройство"));
            QCOMPARE(d.windowTitle(), QString::fromUtf8("Параметры конфигурации контроллера \"Контроллер ЗУЛ_17\" "));
            d.show();
            Driver drv;
            drv.onDialog = [&](QDialog* e) {
                auto* ed = qobject_cast<TFormEditor*>(e);
                ed->findChild<QLineEdit*>("EdPreambles")->setText("7");
                ed->BtnAccept->click();
                drv.stop = true;
            };
            drv.Arm();
            d.button("BtnConVU")->click();
            QCOMPARE(work.TableAt(3)[2], 7);
            if (way == kAccept) {
                d.BtnAccept->click();
                QVERIFY(d.accepted() && d.changed());
                QVERIFY(ui.messages.empty());
                continue;
            }
            auto discard = [&] {
                if (way == kCancel) d.BtnCancel->click();
                else QTest::keyClick(&d, Qt::Key_Escape);
            };
            discard();  // "Нет"
            QVERIFY(d.isVisible());
            QCOMPARE(work.TableAt(3)[2], 7);
            discard();  // "Да"
            QVERIFY(!d.isVisible());
            QVERIFY(!d.accepted() && !d.changed());
            QVERIFY(work == r);
            QCOMPARE(ui.messages.size(), size_t(2));
            QCOMPARE(ui.messages.back(), std::string("3|Внесенные изменения будут потеряны.|Выйти без сохранения?"));
        }
    }

    void enableRulesFollowTheRecord() {
        struct Case {
            uint8_t moisture, flow;
        };
        for (Case c : {Case{0, 1}, Case{1, 0}, Case{1, 1}}) {
            ConfigurationRecord r;
            NewConfiguration(r);
            r.TableAt(6)[8] = c.moisture;
            r.TableAt(6)[9] = c.flow;
            r.TableAt(9)[0] = 3;
            TFormConfig d(&r, false, nullptr);
            QCOMPARE(d.BtnAccept->text(), QString::fromUtf8("Принять"));
            QCOMPARE(d.button("BtnConWMT")->isEnabled(), c.moisture != 0);
            QCOMPARE(d.button("BtnConVich")->isEnabled(), c.flow != 0);
            QCOMPARE(d.GbFlow->isEnabled(), c.flow != 0);
            QCOMPARE(int(r.TableAt(9)[0]), c.flow ? 3 : 0);
            QVERIFY(!d.button("BtnConst2")->isEnabled());
            QVERIFY(d.button("BtnConst1")->isEnabled());
        }
    }

    void newFileSavedEvenUnchangedAndAnOpenedOneOnlyWhenChanged() {
        QTemporaryDir dir;
        TFormMain w(dir.path().toStdString() + "/");
        const QString folder = QString::fromStdString(w.workFolder(kFolderConfig));
        QString saved;
        int saveDialogs = 0;
        Driver drv;
        drv.onDialog = [&](QDialog* d) {
            if (auto* f = qobject_cast<QFileDialog*>(d)) {
                if (f->acceptMode() == QFileDialog::AcceptSave) {
                    QCOMPARE(f->windowTitle(), QString::fromUtf8("Выбор файла для записи параметров конфигурации"));
                    saved = f->selectedFiles().value(0);
                    ++saveDialogs;
                } else {
                    QCOMPARE(f->windowTitle(), QString::fromUtf8("Выбор файла с параметрами конфигурации"));
                }
                zultest::ChooseFile(f, saved);
            } else if (auto* c = qobject_cast<TFormConfig*>(d)) {
                c->BtnAccept->click();
            } else {
                d->reject();
            }
        };
        drv.Arm();
        w.menuItem("NNewCnf")->trigger();
        QVERIFY2(saved.startsWith(folder + "/zul_17-"), qPrintable(saved));
        QVERIFY(saved.endsWith(".cnf"));
        QCOMPARE(QFileInfo(saved).size(), qint64(4335));
        QCOMPARE(drv.messages.size(), 1);
        QVERIFY(drv.messages[0].startsWith(QString::fromUtf8("Параметры конфигурации|сохранены в файле zul_17-")));

        QCOMPARE(saveDialogs, 1);
        drv.dialogs.clear();
        drv.messages.clear();
        w.menuItem("NEditCnf")->trigger();
        QVERIFY(drv.dialogs.contains("FormConfig"));
        QCOMPARE(saveDialogs, 1);  // no save dialog for an opened file accepted unchanged
        QVERIFY(drv.messages.isEmpty());
        drv.stop = true;
        QTest::qWait(50);
    }
};

QTEST_MAIN(ConfigDialogTest)
#include "config_dialog_test.moc"
