#include "shell/Wait.h"

#include <algorithm>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

#include "shell/Suplfunc.h"

namespace zul {

TFormWait::TFormWait(int kind, QWidget* parent) : QDialog(parent), kind_(kind) {
    setModal(false);
    // A title and nothing else: no close, minimise or maximise buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("..."));
    setFixedSize(kWidth, kHeight);
    const WaitTexts t = WaitWindowTexts(kind);
    const char* texts[3] = {t.line1, t.line2, t.line3};
    for (int i = 0; i < 3; ++i) {
        lines_[i] = new QLabel(QString::fromUtf8(texts[i]), this);
        lines_[i]->setAlignment(Qt::AlignCenter);
        lines_[i]->setGeometry(8, 8 + i * 22, kWidth - 16, 20);
    }
    progress_ = new QProgressBar(this);
    progress_->setGeometry(16, 8 + 3 * 22 + 14, kWidth - 32, 18);
    progress_->setTextVisible(false);
    progress_->setRange(0, 1);
    progress_->setValue(0);
}

void TFormWait::SetProgress(int value, int max) {
    if (max <= 0) {
        progress_->setRange(0, 1);
        progress_->setValue(0);
        return;
    }
    progress_->setRange(0, max);
    progress_->setValue(std::min(std::max(value, 0), max));
}

void TFormWait::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();  // the Esc hook sees it; the window stays
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormWait::closeEvent(QCloseEvent* event) {
    if (closing_) QDialog::closeEvent(event);
    else event->ignore();
}

void CloseWaitWindow(TFormWait* wait) {
    if (!wait) return;
    wait->closing_ = true;
    wait->close();
    wait->closing_ = false;
}

}  // namespace zul
