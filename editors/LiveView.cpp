#include "editors/LiveView.h"

#include <QBoxLayout>
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QPushButton>
#include <QTimer>

#include "link/Qrtbox.h"
#include "shell/QtUserInterface.h"
#include "tables/Conffun.h"

namespace zul {

namespace {
const char* const kStopText = "Не обновлять данные";
const char* const kResumeText = "Обновлять данные";
}  // namespace

TLiveView::TLiveView(TableIo& io, StatusBar* bar, int periodMs, bool oneShot, QWidget* parent)
    : QDialog(parent), io_(io), bar_(bar), timer_(new QTimer(this)), oneShot_(oneShot) {
    setModal(true);
    setProperty(kKeepsInputDuringExchange, true);  // its buttons wait for the poll (WhenIdle)
    timer_->setObjectName("TimerPoll");
    timer_->setInterval(periodMs);
    timer_->setSingleShot(oneShot);
    connect(timer_, &QTimer::timeout, this, &TLiveView::TimerTick);
    BtnToggle = new QPushButton(QString::fromUtf8(kStopText), this);
    BtnToggle->setObjectName("BtnToggle");
    BtnExit = new QPushButton(QStringLiteral("Выход"), this);
    BtnExit->setObjectName("BtnExit");
    BtnToggle->setAutoDefault(false);
    BtnExit->setAutoDefault(false);
    connect(BtnToggle, &QPushButton::clicked, this, &TLiveView::ToggleClick);
    connect(BtnExit, &QPushButton::clicked, this, &QDialog::reject);
}

TLiveView::~TLiveView() { timer_->stop(); }

void TLiveView::AddButtons(QBoxLayout* row) {
    row->addStretch();
    row->addWidget(BtnToggle);
    row->addWidget(BtnExit);
}

bool TLiveView::ExchangeRunning() const {
    if (inPoll_ || buttonRead_) return true;
    const auto* qt = dynamic_cast<const QtUserInterface*>(&io_.ui());
    return qt && qt->InsideProcessEvents();
}

void TLiveView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    closed_ = false;
    if (oneShot_) {
        timer_->start();
    } else {
        timer_->start();
        QTimer::singleShot(0, this, &TLiveView::TimerTick);  // the first poll at once
    }
}

void TLiveView::done(int result) {
    closed_ = true;
    timer_->stop();
    QDialog::done(result);
}

void TLiveView::ToggleClick() {
    if (polling_) {
        polling_ = false;
        timer_->stop();
        BtnToggle->setText(QString::fromUtf8(kResumeText));
    } else {
        polling_ = true;
        // The next poll after a full period; a one-shot view waits for a running poll to restart it.
        if (!oneShot_ || !inPoll_) timer_->start();
        BtnToggle->setText(QString::fromUtf8(kStopText));
    }
}

void TLiveView::TimerTick() {
    if (closed_ || !polling_) return;
    if (ExchangeRunning()) {
        ++skipped_;
        return;
    }
    inPoll_ = true;
    if (oneShot_) timer_->stop();
    Poll();
    ++polls_;
    inPoll_ = false;
    if (pending_) {
        auto action = std::move(pending_);
        pending_ = nullptr;
        if (!closed_) action();
        return;
    }
    if (oneShot_ && StillPolling() && !buttonRead_) timer_->start();
}

void TLiveView::WhenIdle(std::function<void()> action) {
    if (buttonRead_) return;
    if (inPoll_) {
        pending_ = std::move(action);
        return;
    }
    action();
}

void TLiveView::ReportPoll(bool ok) {
    if (!bar_) return;
    if (!ok) {
        failureShown_ = io_.box().ErrorText();
        bar_->SetPanelText(2, failureShown_);
    } else if (!failureShown_.empty()) {
        if (bar_->PanelText(2) == failureShown_) bar_->SetPanelText(2, "");
        failureShown_.clear();
    } else {
        return;
    }
    bar_->Repaint();
}

void TLiveView::BeginButtonRead() {
    buttonRead_ = true;
    timer_->stop();
    BtnToggle->setEnabled(false);
    BtnExit->setEnabled(false);
}

void TLiveView::EndButtonRead() {
    buttonRead_ = false;
    BtnToggle->setEnabled(true);
    BtnExit->setEnabled(true);
    if (StillPolling()) timer_->start();
}

}  // namespace zul
