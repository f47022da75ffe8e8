// The About box: the program designation and its version.
#pragma once
#include <QDialog>

namespace zul {

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
};

}  // namespace zul
