#include "editors/MomWmt.h"

#include <cstring>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

TFormMomWmt::TFormMomWmt(TableIo& io, StatusBar* bar, QWidget* parent)
    : TLiveView(io, bar, kMoistPollMs, false, parent) {
    setObjectName("FormMomWmt");
    setWindowTitle(QStringLiteral(" Мгновенные данные влагомера"));
    const TableImage& image = io.image();
    rows_ = MoistRowCount(image);

    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Дата и время, к которым относятся данные"), this));
    EdTime = new QLineEdit(this);
    EdTime->setObjectName("EdTime");
    EdTime->setReadOnly(true);
    EdTime->setFixedWidth(160);
    top->addWidget(EdTime);
    top->addStretch();
    v->addLayout(top);
    auto* grid = new QGridLayout;
    for (int r = 0; r < kMoistRows; ++r) {
        LblValue[r] = new QLabel(QString::fromStdString(MoistRowLabel(image, r)), this);
        LblValue[r]->setObjectName(QString("LblValue%1").arg(r + 1));
        EdValue[r] = new QLineEdit(this);
        EdValue[r]->setObjectName(QString("EdValue%1").arg(r + 1));
        EdValue[r]->setReadOnly(true);
        EdValue[r]->setFocusPolicy(Qt::NoFocus);
        EdValue[r]->setFixedWidth(120);
        grid->addWidget(LblValue[r], r, 0);
        grid->addWidget(EdValue[r], r, 1);
        LblValue[r]->setVisible(r < rows_);
        EdValue[r]->setVisible(r < rows_);
    }
    v->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    AddButtons(buttons);
    v->addLayout(buttons);
    v->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormMomWmt::Poll() {
    UserInterface& ui = io_.ui();
    ui.SetBusyCursor(true);
    const bool ok = PollMoist(io_);
    ReportPoll(ok);
    if (ok) {
        std::memcpy(values_.data(), io_.image().Data(37), values_.size());
        EdTime->setText(QString::fromStdString(MeasurementTimeText(values_.data())));
        for (int r = 0; r < rows_; ++r) EdValue[r]->setText(QString::fromStdString(MoistValueText(values_.data(), r)));
    }
    ui.SetBusyCursor(false);
}

}  // namespace zul
