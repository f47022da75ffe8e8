#include "shell/MessageBox.h"

#include <algorithm>

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "shell/UserInterface.h"

namespace zul {

namespace {
int g_answerFlag = 0;
constexpr int kLineTop = 12;
constexpr int kLineStep = 24;
constexpr int kButtonBottomGap = 12;
constexpr int kLabelMargin = 4;
}  // namespace

TFormMessage::TFormMessage(int kind, const QString& line1, const QString& line2, QWidget* parent)
    : QDialog(parent) {
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    layout_ = LayoutMessageBox(kind, line1.toStdString(), line2.toStdString());
    // An empty title makes the window system show the program's name instead:
    // a blank keeps the caption of these kinds empty.
    setWindowTitle(layout_.caption.empty() ? QStringLiteral(" ") : QString::fromStdString(layout_.caption));
    const std::string* texts[3] = {&layout_.line1, &layout_.line2, &layout_.line3};
    // Our face may be wider than 10 pixels a character: never cut a line.
    int widest = 0;
    for (const std::string* t : texts)
        widest = std::max(widest, fontMetrics().horizontalAdvance(QString::fromStdString(*t)));
    WidenMessageBox(layout_, widest + 2 * kLabelMargin + 8);
    setFixedSize(layout_.width, layout_.height);

    for (int i = 0; i < 3; ++i) {
        lines_[i] = new QLabel(QString::fromStdString(*texts[i]), this);
        lines_[i]->setObjectName(QString("Label%1").arg(i + 1));
        lines_[i]->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        lines_[i]->setGeometry(kLabelMargin, kLineTop + i * kLineStep, layout_.width - 2 * kLabelMargin,
                               kLineStep - 4);
        lines_[i]->setVisible(!texts[i]->empty());
    }
    const int bw = MessageBoxLayout::kButtonWidth, bh = MessageBoxLayout::kButtonHeight;
    const int top = layout_.height - bh - kButtonBottomGap;
    if (layout_.answerButtons) {
        no_ = new QPushButton(QStringLiteral("Нет"), this);
        no_->setObjectName("NoButton");
        no_->setGeometry(layout_.noButtonLeft, top, bw, bh);
        yes_ = new QPushButton(QStringLiteral("Да"), this);
        yes_->setObjectName("YesButton");
        yes_->setGeometry(layout_.yesButtonLeft, top, bw, bh);
        yes_->setDefault(true);
        connect(yes_, &QPushButton::clicked, this, [this] { answer_ = 1; accept(); });
        connect(no_, &QPushButton::clicked, this, [this] { answer_ = 0; reject(); });
    } else {
        close_ = new QPushButton(QStringLiteral("OK"), this);
        close_->setObjectName("CloseButton");
        close_->setGeometry(layout_.singleButtonLeft, top, bw, bh);
        close_->setDefault(true);
        connect(close_, &QPushButton::clicked, this, [this] { answer_ = 0; accept(); });
    }
}

void TFormMessage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (yes_) yes_->setFocus();
    else close_->setFocus();
}

bool ShowMessageBox(int kind, const QString& line1, const QString& line2, QWidget* parent) {
    if (!parent) parent = QApplication::activeWindow();
    g_answerFlag = 0;
    TFormMessage box(kind, line1, line2, parent);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
    g_answerFlag = box.answer();
    return g_answerFlag == 1;
}

int AnswerFlag() { return g_answerFlag; }

}  // namespace zul
