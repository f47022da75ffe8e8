#include "shell/Desktop.h"

#include <algorithm>
#include <map>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTextEdit>
#include <QTranslator>

namespace zul {

namespace {

// A title bar and borders, assumed while the window system has given none yet.
constexpr QSize kUsualFrame{8, 32};

bool IsEnter(const QKeyEvent* key) {
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// The widget a key event is meant for: the focus widget, or the window when
// nothing has the focus (the filter sees the event again on each parent).
bool IsKeyTarget(QObject* watched) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    QWidget* focus = QApplication::focusWidget();
    return focus ? w == focus : w->isWindow();
}

// A window of the program's own (not one of Qt's dialogs).
bool IsOwnWindow(const QWidget* w) { return QByteArray(w->metaObject()->className()).startsWith("zul::"); }

// The Russian layout's letter on the key of a Latin letter.
QChar RussianLetterOnKey(int key) {
    static const QString latin = QStringLiteral("QWERTYUIOP[]ASDFGHJKL;'ZXCVBNM,.");
    static const QString russian = QStringLiteral("ЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ");
    const int at = key < 0x80 ? latin.indexOf(QChar(key)) : -1;
    return at < 0 ? QChar() : russian[at];
}

// Opens the top-level menu of the main window whose caption begins with `letter`
// (an item without a menu is chosen); F10 (a null letter) opens the first.
bool OpenMenu(QMainWindow* window, QChar letter) {
    QMenuBar* bar = window->menuWidget() ? qobject_cast<QMenuBar*>(window->menuWidget()) : nullptr;
    if (!bar || !bar->isVisible()) return false;
    for (QAction* a : bar->actions()) {
        if (!a->isVisible() || !a->isEnabled() || a->isSeparator()) continue;
        const QString caption = a->text().trimmed();
        if (!letter.isNull() && (caption.isEmpty() || caption[0].toUpper() != letter.toUpper())) continue;
        if (a->menu()) bar->setActiveAction(a);
        else a->trigger();
        return true;
    }
    return false;
}

bool MenuKey(QObject* watched, QKeyEvent* key) {
    auto* w = qobject_cast<QWidget*>(watched);
    auto* window = w ? qobject_cast<QMainWindow*>(w->window()) : nullptr;
    if (!window || !IsKeyTarget(watched)) return false;
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) return OpenMenu(window, QChar());
    if (key->modifiers() != Qt::AltModifier) return false;
    QChar letter = RussianLetterOnKey(key->key());
    if (letter.isNull() && !key->text().isEmpty()) letter = key->text()[0];
    if (letter.isNull() && key->key() >= 0x400 && key->key() < 0x500) letter = QChar(key->key());
    return !letter.isNull() && OpenMenu(window, letter);
}

bool IsReadOnlyBox(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->isReadOnly();
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w)) return s->isReadOnly();
    if (auto* t = qobject_cast<const QTextEdit*>(w)) return t->isReadOnly();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return t->isReadOnly();
    return false;
}

void Collect(QLayout* layout, QList<QWidget*>& out);

void CollectWidget(QWidget* w, QList<QWidget*>& out) {
    if (!w || w->isWindow()) return;
    if (w->focusPolicy() != Qt::NoFocus || qobject_cast<QRadioButton*>(w)) out << w;
    if (auto* scroll = qobject_cast<QScrollArea*>(w)) {
        if (scroll->widget()) CollectWidget(scroll->widget(), out);
    } else if (w->layout() && !qobject_cast<QAbstractItemView*>(w)) {
        Collect(w->layout(), out);
    }
}

void CollectItem(QLayoutItem* item, QList<QWidget*>& out) {
    if (!item) return;
    if (item->widget()) CollectWidget(item->widget(), out);
    else if (item->layout()) Collect(item->layout(), out);
}

void Collect(QLayout* layout, QList<QWidget*>& out) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        std::multimap<std::pair<int, int>, QLayoutItem*> cells;
        for (int i = 0; i < grid->count(); ++i) {
            int row, column, rows, columns;
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            cells.emplace(std::make_pair(row, column), grid->itemAt(i));
        }
        for (auto& [at, item] : cells) CollectItem(item, out);
        return;
    }
    for (int i = 0; i < layout->count(); ++i) CollectItem(layout->itemAt(i), out);
}

// The group a radio button belongs to: its button group, or its parent for
// auto-exclusive buttons.
QObject* RadioGroupOf(QRadioButton* r) {
    if (r->group()) return r->group();
    return r->autoExclusive() ? r->parentWidget() : nullptr;
}

// Only the checked button of a radio group (the first when none is) takes a Tab stop.
void FollowCheckedRadio(const QList<QRadioButton*>& group) {
    QRadioButton* stop = group.first();
    for (QRadioButton* r : group)
        if (r->isChecked()) stop = r;
    for (QRadioButton* r : group) r->setFocusPolicy(r == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace

bool DesktopKeys::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key) && IsKeyTarget(watched)) {
            if (auto* button = qobject_cast<QPushButton*>(watched); button && button->isEnabled()) {
                button->click();
                return true;
            }
            // The program's own grids (Qt's dialogs and list pop-ups keep their Enter).
            auto* view = qobject_cast<QAbstractItemView*>(watched);
            if (view && IsOwnWindow(view->window()) && view->currentIndex().isValid()) {
                emit view->doubleClicked(view->currentIndex());
                return true;
            }
        }
        if (MenuKey(watched, key)) return true;
        break;
    }
    case QEvent::Polish:
        // Tab goes on to the next control instead of walking the cells.
        if (auto* view = qobject_cast<QAbstractItemView*>(watched)) view->setTabKeyNavigation(false);
        break;
    case QEvent::Show: {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) break;
        if (qobject_cast<QDialog*>(w) && !w->property("zulTabsOrdered").toBool() && IsOwnWindow(w)) {
            w->setProperty("zulTabsOrdered", true);
            OrderTabs(w);
            if (w->property("zulFirstInput").toBool())
                if (QWidget* first = FirstInput(w)) first->setFocus(Qt::TabFocusReason);
        }
        FitToScreen(w);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void InstallDesktopKeys() {
    static QPointer<DesktopKeys> keys;
    if (keys || !qApp) return;
    keys = new DesktopKeys(qApp);
    qApp->installEventFilter(keys);
}

namespace {
QSize FrameOf(const QWidget* window) {
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    return frame.width() <= 0 && frame.height() <= 0 ? kUsualFrame : frame;
}
}  // namespace

bool LoadQtTranslations() {
    if (!qApp) return false;
    auto* t = new QTranslator(qApp);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (t->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        t->load(QStringLiteral("qtbase_ru"), folder)) {
        qApp->installTranslator(t);
        return true;
    }
    delete t;
    return false;
}

QSize RoomOnScreen(const QWidget* window) {
    const QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QSize avail = s ? s->availableGeometry().size() : QSize(1024, 768);
    return avail - FrameOf(window);
}

namespace {

bool HoldsPushButton(QLayoutItem* item) {
    if (!item) return false;
    if (qobject_cast<QPushButton*>(item->widget())) return true;
    if (QLayout* l = item->layout())
        for (int i = 0; i < l->count(); ++i)
            if (HoldsPushButton(l->itemAt(i))) return true;
    return false;
}

// Everything above the last row of buttons into a scroll area; false when the
// window's layout is not a column.
bool ScrollAboveButtons(QWidget* window) {
    auto* column = qobject_cast<QBoxLayout*>(window->layout());
    if (!column || column->direction() != QBoxLayout::TopToBottom) return false;
    if (window->findChild<QScrollArea*>(QStringLiteral("FitScroll"), Qt::FindDirectChildrenOnly)) return true;
    int keep = column->count();
    while (keep > 0 && !HoldsPushButton(column->itemAt(keep - 1))) --keep;
    if (keep > 0) --keep;  // the button row stays below
    if (keep == 0) keep = column->count();
    auto* inner = new QWidget;
    auto* innerColumn = new QVBoxLayout(inner);
    innerColumn->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < keep; ++i) {
        const int stretch = column->stretch(0);
        QLayoutItem* item = column->takeAt(0);
        if (QWidget* w = item->widget()) {
            innerColumn->addWidget(w, stretch);
            delete item;
        } else if (QLayout* l = item->layout()) {
            innerColumn->addLayout(l, stretch);
        } else {
            innerColumn->addItem(item);
        }
    }
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("FitScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // the Tab stops are its contents
    scroll->setWidgetResizable(true);
    scroll->setWidget(inner);
    column->insertWidget(0, scroll, 1);
    return true;
}

}  // namespace

void FitToScreen(QWidget* window) {
    const QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QSize room = RoomOnScreen(window);
    QSize size = window->size();
    if (size.width() > room.width() || size.height() > room.height()) {
        const QSize wanted = size.boundedTo(room);
        QLayout* layout = window->layout();
        const QSize least = layout ? layout->totalMinimumSize() : window->minimumSizeHint();
        if ((least.width() > room.width() || least.height() > room.height()) && ScrollAboveButtons(window)) {
            layout->setSizeConstraint(QLayout::SetDefaultConstraint);
            window->setMinimumSize(0, 0);
            window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        } else if (layout && layout->sizeConstraint() == QLayout::SetFixedSize) {
            layout->setSizeConstraint(QLayout::SetDefaultConstraint);
            window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        window->setMinimumSize(window->minimumSize().boundedTo(room));
        window->resize(wanted);
        size = window->size();
    }
    // Inside the available area, frame included.
    const QRect avail = s->availableGeometry();
    const QSize outer = size + FrameOf(window);
    QPoint at = window->frameGeometry().topLeft();
    at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - outer.width())));
    at.setY(std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - outer.height())));
    if (at != window->frameGeometry().topLeft()) window->move(at);
}

QList<QWidget*> TabOrder(QWidget* dialog) {
    QList<QWidget*> all;
    if (dialog->layout()) Collect(dialog->layout(), all);
    QList<QWidget*> inputs, buttons;
    for (QWidget* w : all) {
        if (IsReadOnlyBox(w)) continue;
        if (auto* r = qobject_cast<QRadioButton*>(w); r && !(r->focusPolicy() & Qt::TabFocus)) continue;
        if (!(w->focusPolicy() & Qt::TabFocus)) continue;
        (qobject_cast<QPushButton*>(w) ? buttons : inputs) << w;
    }
    return inputs + buttons;
}

QWidget* FirstInput(QWidget* dialog) {
    for (QWidget* w : TabOrder(dialog))
        if (!qobject_cast<QPushButton*>(w) && w->isVisibleTo(dialog) && w->isEnabled()) return w;
    return nullptr;
}

void FocusFailedField(QWidget* dialog, QWidget* field) {
    const QList<QWidget*> order = TabOrder(dialog);
    for (auto it = order.begin(); !field && it != order.end(); ++it) {
        QWidget* w = *it;
        if (!w->isVisibleTo(dialog) || !w->isEnabled()) continue;
        auto* edit = qobject_cast<QLineEdit*>(w);
        auto* list = qobject_cast<QComboBox*>(w);
        if ((edit && edit->text().isEmpty()) || (list && list->currentText().isEmpty())) field = w;
    }
    if (!field) field = FirstInput(dialog);
    if (!field) return;
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    if (auto* list = qobject_cast<QComboBox*>(field); list && list->lineEdit()) list->lineEdit()->selectAll();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) spin->selectAll();
}

void OrderTabs(QWidget* dialog) {
    QList<QWidget*> all;
    if (dialog->layout()) Collect(dialog->layout(), all);
    // Read-only boxes: clicked into (to copy from), never tabbed to.
    std::map<QObject*, QList<QRadioButton*>> groups;
    QList<QPushButton*> pushButtons;
    for (QWidget* w : all) {
        if (IsReadOnlyBox(w)) w->setFocusPolicy(Qt::ClickFocus);
        if (auto* r = qobject_cast<QRadioButton*>(w))
            if (QObject* g = RadioGroupOf(r)) groups[g] << r;
        if (auto* b = qobject_cast<QPushButton*>(w)) pushButtons << b;
    }
    for (auto& [key, group] : groups) {
        FollowCheckedRadio(group);
        for (QRadioButton* r : group)
            QObject::connect(r, &QAbstractButton::toggled, dialog, [group](bool on) {
                if (on) FollowCheckedRadio(group);
            });
    }
    // All in reading order, inputs before buttons (the chain keeps the ones without a stop too).
    QList<QWidget*> inputs, buttons;
    for (QWidget* w : all) (qobject_cast<QPushButton*>(w) ? buttons : inputs) << w;
    const QList<QWidget*> order = inputs + buttons;
    for (int i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
    // Without a default button of the dialog's own, Enter in a box presses nothing.
    if (std::none_of(pushButtons.begin(), pushButtons.end(), [](QPushButton* b) { return b->isDefault(); }))
        for (QPushButton* b : pushButtons) b->setAutoDefault(false);
}

}  // namespace zul
