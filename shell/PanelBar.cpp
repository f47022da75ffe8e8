#include "shell/PanelBar.h"

#include <QHBoxLayout>
#include <QLabel>

namespace zul {

TPanelBar::TPanelBar(const QVector<int>& widths, QWidget* parent) : QFrame(parent) {
    // The small status-bar face, so that "Обмен..." fits its 55 pixels.
    QFont small = font();
    small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
    setFont(small);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 1, 0, 1);
    row->setSpacing(0);
    for (int w : widths) {
        auto* label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(1);
        label->setIndent(3);
        if (w > 0) {
            label->setFixedWidth(w);
            row->addWidget(label);
        } else {
            row->addWidget(label, 1);
        }
        panels_.push_back(label);
    }
    setFixedHeight(fontMetrics().height() + 8);
}

void TPanelBar::setPanelWidth(int i, int width) {
    if (QLabel* p = panel(i)) p->setFixedWidth(std::max(width, 1));
}

int TPanelBar::panelWidth(int i) const {
    QLabel* p = panel(i);
    return p ? p->width() : 0;
}

void TPanelBar::setPanelVisible(int i, bool visible) {
    if (QLabel* p = panel(i)) p->setVisible(visible);
}

void TPanelBar::SetPanelText(int i, const std::string& text) { setText(i, QString::fromStdString(text)); }

std::string TPanelBar::PanelText(int i) const { return text(i).toStdString(); }

void TPanelBar::Repaint() {
    if (isVisible()) repaint();
}

void TPanelBar::setText(int i, const QString& text) {
    if (QLabel* p = panel(i)) p->setText(text);
}

QString TPanelBar::text(int i) const {
    QLabel* p = panel(i);
    return p ? p->text() : QString();
}

}  // namespace zul
