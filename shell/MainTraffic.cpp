#include "shell/MainTraffic.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>

#include "shell/Folders.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "shell/TrafficMonitor.h"
#include "tables/ArchiveFile.h"

namespace zul {

TrafficTools::TrafficTools(TFormMain& main) : main_(main) {
    if (main_.qrtbox()) main_.qrtbox()->observer = &observers_;
}

TrafficTools::~TrafficTools() {
    if (main_.qrtbox() && main_.qrtbox()->observer == &observers_) main_.qrtbox()->observer = nullptr;
    delete monitor_.data();
}

void TrafficTools::ShowMonitor() {
    if (!main_.qrtbox()) return;
    if (!monitor_) {
        monitor_ = new TFormMonitor(*main_.qrtbox(), &main_);
        monitor_->setAttribute(Qt::WA_DeleteOnClose);
        TFormMonitor* m = monitor_.data();
        observers_.Add(m);
        QObject::connect(m, &QObject::destroyed, [this, m] { observers_.Remove(m); });
    }
    monitor_->show();
    monitor_->raise();
}

void TrafficTools::ToggleCapture(QAction* item) {
    if (recorder_) return StopCapture(item);
    if (!main_.qrtbox()) return;
    const QString folder = QString::fromStdString(WorkFolderPath(kFolderIni));
    QFileDialog dialog(&main_, QStringLiteral("Введите имя файла для записи обмена"), folder,
                       QStringLiteral("Capture (*.cap)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(folder + "/exchange.cap");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        if (item) item->setChecked(false);
        return;
    }
    capturePath_ = QString::fromStdString(WithExtension(dialog.selectedFiles().first().toStdString(), ".cap"));
    // The file grows with every exchange, so that a session cut short keeps what it recorded.
    recorder_ = std::make_unique<ExchangeRecorder>(*main_.qrtbox(), capturePath_.toStdString());
    if (!recorder_->journalOk()) {
        recorder_.reset();
        if (item) item->setChecked(false);
        ShowMessageBox(kMsgError, QStringLiteral("Ошибка открытия файла"), QFileInfo(capturePath_).fileName(), &main_);
        return;
    }
    observers_.Add(recorder_.get());
    if (item) item->setChecked(true);
}

// Stops recording and writes the file; false (and the error shown) when it could not be written.
bool TrafficTools::SaveCapture() {
    observers_.Remove(recorder_.get());
    const bool ok = recorder_->Save(capturePath_.toStdString());
    recorder_.reset();
    if (!ok)
        ShowMessageBox(kMsgError, QStringLiteral("Ошибка открытия файла"), QFileInfo(capturePath_).fileName(), &main_);
    return ok;
}

void TrafficTools::StopCapture(QAction* item) {
    const bool ok = SaveCapture();
    if (item) item->setChecked(false);
    if (ok)
        ShowMessageBox(kMsgPlain, QStringLiteral("Обмен записан в файле %1.").arg(QFileInfo(capturePath_).fileName()),
                       QString(), &main_);
}

void TrafficTools::Finish() {
    // A file that cannot be written is said before the window goes; a written one is not.
    if (recorder_) SaveCapture();
    if (monitor_) monitor_->close();
}

}  // namespace zul

namespace zul {

void TFormMain::NMonitorClick() { traffic_->ShowMonitor(); }

void TFormMain::NCaptureClick() { traffic_->ToggleCapture(menuItem(QStringLiteral("NCapture"))); }

}  // namespace zul
