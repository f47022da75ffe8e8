// A status bar of numbered panels (sunken labels side by side), usable by the
// core through zul::StatusBar.
#pragma once
#include <QFrame>
#include <QVector>

#include "shell/UserInterface.h"

class QLabel;

namespace zul {

class TPanelBar : public QFrame, public StatusBar {
    Q_OBJECT
public:
    // Panels of the given widths; a width of 0 stretches the panel over the rest.
    TPanelBar(const QVector<int>& widths, QWidget* parent = nullptr);
    int panelCount() const { return panels_.size(); }
    QLabel* panel(int i) const { return i >= 0 && i < panels_.size() ? panels_[i] : nullptr; }
    void setPanelWidth(int i, int width);
    int panelWidth(int i) const;
    void setPanelVisible(int i, bool visible);

    // StatusBar (UTF-8 texts)
    void SetPanelText(int panel, const std::string& text) override;
    std::string PanelText(int panel) const override;
    void Repaint() override;
    // Qt texts
    void setText(int panel, const QString& text);
    QString text(int panel) const;

private:
    QVector<QLabel*> panels_;
};

}  // namespace zul
