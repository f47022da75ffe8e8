#include "shell/KeyFilters.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QCoreApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QRegularExpressionValidator>

#include "shell/Suplfunc.h"

namespace zul {

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Backspace) return false;
    const QString text = key->text();
    if (text.isEmpty()) return false;
    const std::u32string typed = text.toStdU32String();
    // Control characters (Ctrl+C, Enter, Tab, Esc) are commands, not input.
    if (typed.size() == 1 && (typed[0] < 0x20 || typed[0] == 0x7F)) return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;

    if (kind_ == kInteger) {
        for (char32_t c : typed)
            if (!IntegerKeyFilter(c)) return true;
        return false;
    }
    // Several characters at once (an input method) are decided one by one.
    QString current = edit->text();
    int caret = edit->cursorPosition();
    QString accepted;
    for (char32_t c : typed) {
        std::u32string t = current.toStdU32String();
        char32_t r = FloatKeyFilter(t, caret, c);
        if (!r) continue;
        const QString piece = QString::fromUcs4(&r, 1);
        current.insert(caret, piece);
        caret += piece.size();
        accepted += piece;
    }
    if (accepted == text) return false;  // let the box insert it as typed
    if (!accepted.isEmpty()) edit->insert(accepted);
    return true;
}

void InstallIntegerKeyFilter(QLineEdit* edit) {
    edit->installEventFilter(new KeyFilter(KeyFilter::kInteger, edit));
}

void InstallFloatKeyFilter(QLineEdit* edit) {
    edit->installEventFilter(new KeyFilter(KeyFilter::kFloat, edit));
}

QComboBox* EditableNumberList(int from, int to, QWidget* parent) {
    auto* list = new QComboBox(parent);
    for (int i = from; i <= to; ++i) list->addItem(QString::number(i));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);  // "3" stays 3, never the first item that begins with it
    QLineEdit* box = list->lineEdit();
    const int digits = int(QString::number(to).size());
    box->setMaxLength(digits);
    // The list hands its keys to the box directly, past the box's filters: the
    // validator holds whatever way the text comes in.
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    InstallIntegerKeyFilter(box);
    list->setCurrentIndex(-1);
    list->setEditText(QString());
    return list;
}

namespace {

// '.' in an octet box: on to the next box.
class OctetDotFilter : public QObject {
public:
    OctetDotFilter(QLineEdit* next, QObject* parent) : QObject(parent), next_(next) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text != QLatin1String(".") && text != QLatin1String(",")) return false;
        if (next_) {
            next_->setFocus(Qt::TabFocusReason);
            next_->selectAll();
        }
        return true;
    }

private:
    QLineEdit* next_;
};

}  // namespace

void ChainOctetBoxes(QLineEdit* const (&boxes)[4]) {
    // Installed after the digit filter, so it sees the key first.
    for (int k = 0; k < 4; ++k) boxes[k]->installEventFilter(new OctetDotFilter(k < 3 ? boxes[k + 1] : nullptr, boxes[k]));
}

namespace {

// The application's style with "*" as the mask character.
class StarMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void MakeMasked(QLineEdit* edit) {
    // One for the whole program, gone with the application object.
    static QPointer<StarMaskStyle> style;
    if (!style) {
        style = new StarMaskStyle;
        style->setParent(QCoreApplication::instance());
    }
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}

}  // namespace zul
