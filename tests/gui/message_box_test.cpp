// The message box kinds, the wait window and the key filters, driven offscreen.
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "shell/KeyFilters.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"
#include "shell/Wait.h"
#include "support/ModalHelper.h"

using namespace zul;

namespace {
// What a shown message box looked like.
struct Seen {
    bool found = false;
    QString caption;
    QString lines[3];
    bool visible[3] = {};
    int width = 0, height = 0;
    bool hasYes = false, hasNo = false, hasClose = false;
    QRect yes, no, close;
    QWidget* focus = nullptr;
    QWidget* yesWidget = nullptr;
    QWidget* closeWidget = nullptr;
    bool textsFit = true;  // every shown line within its label
    QPixmap shot;
};

enum class Press { kYes, kNo, kClose, kEscape };

// Shows a box of `kind`, records it, and closes it with `press`.
bool Show(int kind, const QString& l1, const QString& l2, Press press, Seen* seen) {
    zultest::OnModal([=](QWidget* w) {
        auto* box = qobject_cast<TFormMessage*>(w);
        if (!box) {
            w->close();
            return;
        }
        seen->found = true;
        seen->caption = box->windowTitle();
        for (int i = 0; i < 3; ++i) {
            seen->lines[i] = box->lineLabel(i)->text();
            seen->visible[i] = box->lineLabel(i)->isVisible();
        }
        seen->width = box->width();
        seen->height = box->height();
        seen->hasYes = box->yesButton() != nullptr;
        seen->hasNo = box->noButton() != nullptr;
        seen->hasClose = box->closeButton() != nullptr;
        if (box->yesButton()) seen->yes = box->yesButton()->geometry();
        if (box->noButton()) seen->no = box->noButton()->geometry();
        if (box->closeButton()) seen->close = box->closeButton()->geometry();
        seen->focus = box->focusWidget();
        seen->yesWidget = box->yesButton();
        seen->closeWidget = box->closeButton();
        for (int i = 0; i < 3; ++i) {
            QLabel* l = box->lineLabel(i);
            if (l->isVisible() && l->fontMetrics().horizontalAdvance(l->text()) > l->contentsRect().width())
                seen->textsFit = false;
        }
        seen->shot = box->grab();
        switch (press) {
        case Press::kYes: QTest::mouseClick(box->yesButton(), Qt::LeftButton); break;
        case Press::kNo: QTest::mouseClick(box->noButton(), Qt::LeftButton); break;
        case Press::kClose: QTest::mouseClick(box->closeButton(), Qt::LeftButton); break;
        case Press::kEscape: QTest::keyClick(box, Qt::Key_Escape); break;
        }
    });
    return ShowMessageBox(kind, l1, l2);
}

// Types one character as the keyboard would (also non-ASCII ones).
void Type(QLineEdit* edit, QChar c) {
    QTest::sendKeyEvent(QTest::KeyAction::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
void TypeText(QLineEdit* edit, const QString& s) {
    for (QChar c : s) Type(edit, c);
}
}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT
private slots:
    void cyrillicGlyphsAreInTheFont() {
        QFontMetrics fm(QApplication::font());
        QVERIFY2(fm.inFontUcs4(U'Ж'), qPrintable(QApplication::font().family()));
        QVERIFY(fm.inFontUcs4(U'ы'));
        QVERIFY(fm.horizontalAdvance(QStringLiteral("Ошибка")) > 0);
    }

    void kindsCaptionsAndThirdLines_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("line3");
        QTest::addColumn<bool>("answer");
        QTest::newRow("1") << 1 << "Ошибка" << "" << false;
        QTest::newRow("2") << 2 << "Ошибка ввода параметров" << "" << false;
        QTest::newRow("3") << 3 << "" << "" << true;
        QTest::newRow("4") << 4 << "" << "(см. текущее состояние контроллера)" << false;
        QTest::newRow("5") << 5 << "Результат обмена с устройством" << "" << false;
        QTest::newRow("6") << 6 << "" << "" << false;
        QTest::newRow("7") << 7 << "" << "Повторить попытку?" << true;
        QTest::newRow("8") << 8 << "" << "Создавать суточный отчет?" << true;
        QTest::newRow("11") << 11 << "" << "Суточный сертификат не может быть создан" << false;
    }
    void kindsCaptionsAndThirdLines() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QString, line3);
        QFETCH(bool, answer);
        Seen s;
        Show(kind, "Первая строка", "Вторая", answer ? Press::kNo : Press::kClose, &s);
        QVERIFY(s.found);
        QCOMPARE(s.caption.trimmed(), caption);
        // Never an empty title: the window system would put the program's name there.
        QVERIFY(!s.caption.isEmpty());
        QCOMPARE(s.lines[0], QStringLiteral("Первая строка"));
        QCOMPARE(s.lines[1], QStringLiteral("Вторая"));
        QCOMPARE(s.lines[2], line3);
        QCOMPARE(s.visible[2], !line3.isEmpty());
        QCOMPARE(s.hasYes, answer);
        QCOMPARE(s.hasNo, answer);
        QCOMPARE(s.hasClose, !answer);
        // Focus on "Да" when it is there, otherwise on the single button.
        QCOMPARE(s.focus, answer ? s.yesWidget : s.closeWidget);
        QVERIFY(s.textsFit);
    }

    void retryQuestionSizeAndAnswers() {
        Seen s;
        QVERIFY(!Show(7, "Не выполнено чтение из таблицы 5.", "\" Наименования\"", Press::kNo, &s));
        QCOMPARE(AnswerFlag(), 0);
        QCOMPARE(s.height, 175);
        QCOMPARE(s.width, 10 * 33 + 20);
        QCOMPARE(s.lines[2], QStringLiteral("Повторить попытку?"));
        QVERIFY(s.textsFit);
        const QString dir = qEnvironmentVariable("ZUL_TEST_ARTIFACTS", QDir::tempPath());
        QDir().mkpath(dir);
        QVERIFY(s.shot.save(dir + "/message_box_kind7.png"));
        // "Нет" left of "Да", equal gaps.
        QVERIFY(s.no.right() < s.yes.left());
        QCOMPARE(s.no.left(), s.yes.left() - s.no.right() - 1);
        QVERIFY(qAbs((s.width - s.yes.right() - 1) - s.no.left()) <= 2);

        Seen y;
        QVERIFY(Show(7, "Не выполнено чтение из таблицы 5.", "\" Наименования\"", Press::kYes, &y));
        QCOMPARE(AnswerFlag(), 1);
        // Esc is no "Да".
        Seen e;
        QVERIFY(!Show(3, "Вы уверены?", "", Press::kEscape, &e));
        QCOMPARE(AnswerFlag(), 0);
    }

    void longCyrillicLinesFit() {
        // Wide letters throughout: the box grows rather than cut them.
        Seen s;
        Show(1, QString(40, QChar(0x0416)), QString(40, QChar(0x0428)), Press::kClose, &s);
        QVERIFY(s.width >= 10 * 40 + 20);
        QVERIFY(s.textsFit);
        QVERIFY(qAbs(s.close.left() - (s.width - s.close.right() - 1)) <= 1);
    }

    void heightsFollowTheEmptyLines() {
        Seen a, b, c, d;
        Show(6, "Нет данных за указанный период", "", Press::kClose, &a);
        QCOMPARE(a.height, 124);
        QVERIFY(!a.visible[1] && !a.visible[2]);
        Show(6, "Измерительные данные", "не прочитаны", Press::kClose, &b);
        QCOMPARE(b.height, 150);
        Show(4, "Внимание", "", Press::kClose, &c);
        QCOMPARE(c.height, 150);
        Show(4, "Внимание", "Ошибка хроматографа", Press::kClose, &d);
        QCOMPARE(d.height, 175);
        // The single button is centred; short texts keep room for two buttons.
        QVERIFY(qAbs(a.close.left() - (a.width - a.close.right() - 1)) <= 1);
        Seen s;
        Show(6, "Да", "", Press::kClose, &s);
        QCOMPARE(s.width, 2 * 75 + 60);
    }

    void archiveDateKinds() {
        Seen s;
        QVERIFY(Show(10, "Диагностические сообщения", "не показывается", Press::kYes, &s));
        QCOMPARE(s.lines[0], QStringLiteral("За время работы оператора изменились даты"));
        QCOMPARE(s.lines[1], QStringLiteral("самой старой  и последней записей в архиве."));
        QCOMPARE(s.lines[2], QStringLiteral("Диагностические сообщения"));
        Seen i;
        QVERIFY(!Show(9, "Диагностические сообщения", "", Press::kClose, &i));
        QVERIFY(i.hasClose && !i.hasYes);
    }

    void userInterfacePortSetsTheAnswerFlag() {
        QtUserInterface ui;
        zultest::OnModal([](QWidget* w) {
            if (auto* box = qobject_cast<TFormMessage*>(w)) QTest::mouseClick(box->yesButton(), Qt::LeftButton);
            else w->close();
        });
        QVERIFY(ui.ShowMessageBox(7, "Связь", "потеряна"));
        QVERIFY(ui.answerFlag);
        zultest::OnModal([](QWidget* w) {
            if (auto* box = qobject_cast<TFormMessage*>(w)) QTest::mouseClick(box->noButton(), Qt::LeftButton);
            else w->close();
        });
        QVERIFY(!ui.ShowMessageBox(7, "Связь", "потеряна"));
        QVERIFY(!ui.answerFlag);
        // Progress goes to the bar it was given; without one nothing happens.
        ui.SetProgress(3, 10);
        QProgressBar bar;
        ui.SetProgressBar(&bar);
        ui.SetProgress(3, 10);
        QCOMPARE(bar.maximum(), 10);
        QCOMPARE(bar.value(), 3);
        ui.SetProgress(30, 10);
        QCOMPARE(bar.value(), 10);
        QVERIFY(!ui.StopRequested());
    }

    void waitWindowKinds() {
        const char* line2[] = {"Выполняется проверка", "Выполняется чтение данных", "Выполняется запись параметров",
                               "Выполняется чтение", "Выполняется создание", "восстановления связи с контроллером"};
        for (int kind = 0; kind <= 5; ++kind) {
            TFormWait w(kind);
            w.show();
            QCOMPARE(w.size(), QSize(332, 138));
            QCOMPARE(w.windowTitle(), QStringLiteral("..."));
            QCOMPARE(w.lineLabel(1)->text(), QString::fromUtf8(line2[kind]));
            QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(!w.isModal());
            CloseWaitWindow(&w);
            QVERIFY(!w.isVisible());
        }
        TFormWait read(kWaitRead);
        QCOMPARE(read.lineLabel(0)->text(), QStringLiteral("Ожидайте..."));
        QCOMPARE(read.lineLabel(2)->text(), QStringLiteral("Esc - прервать чтение"));
        read.show();
        // Neither Esc nor the window system closes it; only its owner does.
        QTest::keyClick(&read, Qt::Key_Escape);
        QVERIFY(read.isVisible());
        read.close();
        QVERIFY(read.isVisible());
        read.SetProgress(7, 20);
        QCOMPARE(read.progressBar()->value(), 7);
        CloseWaitWindow(&read);
        QVERIFY(!read.isVisible());
        TFormWait restore(kWaitLinkRestore);
        QCOMPARE(restore.lineLabel(0)->text(), QStringLiteral("Команда передана. Выполняется проверка"));
        QCOMPARE(restore.lineLabel(2)->text(), QStringLiteral("Ожидайте..."));
    }

    void floatKeyFilterOnAnEditBox() {
        QLineEdit edit;
        InstallFloatKeyFilter(&edit);
        edit.show();
        TypeText(&edit, "1,5e-35");
        QCOMPARE(edit.text(), QStringLiteral("1.5e-35"));  // ',' stored as '.'
        Type(&edit, '7');
        QCOMPARE(edit.text(), QStringLiteral("1.5e-35"));  // the exponent is full
        // '+' anywhere but right after the 'e' is discarded.
        edit.setText("1.5e3");
        edit.setCursorPosition(1);
        Type(&edit, '+');
        edit.setCursorPosition(5);
        Type(&edit, '+');
        QCOMPARE(edit.text(), QStringLiteral("1.5e3"));
        edit.setText("1.5e");
        edit.end(false);
        Type(&edit, '+');
        QCOMPARE(edit.text(), QStringLiteral("1.5e+"));
        // Letters, Cyrillic ones included, are discarded; backspace and arrows work.
        edit.setText("2");
        edit.end(false);
        Type(&edit, 'x');
        Type(&edit, QChar(0x0416));
        QCOMPARE(edit.text(), QStringLiteral("2"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QString());
        edit.setText("12");
        QTest::keyClick(&edit, Qt::Key_Home);
        Type(&edit, '-');
        QCOMPARE(edit.text(), QStringLiteral("-12"));
        QTest::keyClick(&edit, Qt::Key_Right);
        Type(&edit, ',');
        QCOMPARE(edit.text(), QStringLiteral("-1.2"));
    }

    void integerKeyFilterOnAnEditBox() {
        QLineEdit edit;
        InstallIntegerKeyFilter(&edit);
        edit.show();
        TypeText(&edit, "1a2-3.4 ");
        Type(&edit, QChar(0x0436));
        QCOMPARE(edit.text(), QStringLiteral("1234"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("123"));
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.text(), QStringLiteral("12"));
    }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
