#include "events/Chromerr.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace zul {

namespace {

constexpr int kLeft = 8;
constexpr int kHeadingHeight = 20;

QListWidget* MakeList(const std::vector<std::string>& lines, int lineHeight, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const std::string& l : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(l), list);
        item->setSizeHint(QSize(0, lineHeight));
    }
    return list;
}

}  // namespace

TFormChromError::TFormChromError(int mode, uint8_t statusByte, uint8_t lo, uint8_t hi, const QString& caption,
                                 QWidget* parent)
    : QDialog(parent), texts_(ChromStatusView(mode, statusByte, lo, hi)) {
    setObjectName("FormChromError");
    setWindowTitle(caption);
    const int width = kWidth - 2 * kLeft;
    int y = 8;
    int bottom = y;  // of the last list shown
    controllerHeading_ = new QLabel(QString::fromStdString(texts_.controllerHeading), this);
    controllerList_ = MakeList(texts_.controllerLines, texts_.controllerLineHeight, this);
    chromHeading_ = new QLabel(QString::fromStdString(texts_.chromHeading), this);
    chromList_ = MakeList(texts_.chromLines, 15, this);
    controllerHeading_->setVisible(texts_.showController);
    controllerList_->setVisible(texts_.showController);
    chromHeading_->setVisible(texts_.showChrom);
    chromList_->setVisible(texts_.showChrom);
    // The controller list has five lines, the chromatograph list sixteen; a list
    // grows when more bits are set than it has lines, so that no set bit goes unseen.
    if (texts_.showController) {
        controllerHeading_->setGeometry(kLeft, y, width, kHeadingHeight);
        y += kHeadingHeight;
        const int lines = std::max<int>(5, int(texts_.controllerLines.size()));
        const int h = texts_.controllerLineHeight * lines + 8;
        controllerList_->setGeometry(kLeft, y, width, h);
        bottom = y + h;
        y = bottom + 8;
    }
    if (texts_.showChrom) {
        chromHeading_->setGeometry(kLeft, y, width, kHeadingHeight);
        y += kHeadingHeight;
        const int h = 15 * 16 + 8;
        chromList_->setGeometry(kLeft, y, width, h);
        bottom = y + h;
    }
    auto* exit = new QPushButton(QStringLiteral("Выход"), this);
    exit->setObjectName("exit");
    exit->setGeometry((kWidth - 75) / 2, bottom + 40, 75, 25);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(kWidth, bottom + 96);
}

}  // namespace zul
