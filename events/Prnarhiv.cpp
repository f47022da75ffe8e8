#include "events/Prnarhiv.h"

#include <cstdlib>

#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include "events/EventReport.h"
#include "events/Ques_prn.h"
#include "events/ReportPainter.h"
#include "shell/Folders.h"
#include "shell/UserInterface.h"

namespace zul {

TFormPrnArhiv::TFormPrnArhiv(int kind, const uint8_t* header, const std::vector<EventRow>& rows,
                             const std::string& organisation)
    : doc_(BuildEventReport(kind, header, rows, organisation)) {}

bool TFormPrnArhiv::Print(QPrinter& printer) const { return PaintReport(doc_, printer); }

bool TFormPrnArhiv::SavePdf(const std::string& path) const { return WriteReportPdf(doc_, path); }

bool PrinterConfigured() {
    if (std::getenv("ZUL_NO_PRINTER")) return false;
    return !QPrinterInfo::defaultPrinter().isNull();
}

namespace {

// The PDF the user names instead of a printer; empty when cancelled.
std::string AskPdfName(QWidget* parent, const std::string& folder) {
    QFileDialog dialog(parent, QStringLiteral("Принтер не настроен. Сохранить отчет в файле PDF"),
                       QString::fromStdString(folder), QStringLiteral("PDF (*.pdf)"));
    dialog.setObjectName("PdfSaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(QStringLiteral("report.pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

bool PrintEventReport(QWidget* parent, UserInterface& ui, int kind, const uint8_t* header,
                      const std::vector<EventRow>& rows, const std::string& pdfFolder) {
    TFormQues_Prn question(kind, header, TitleIniPath(WorkFolderPath(kFolderIni)), parent);
    question.exec();
    if (!question.accepted()) return false;

    ui.SetBusyCursor(true);
    const TFormPrnArhiv report(kind, header, rows, question.organisation());
    bool ok;
    if (PrinterConfigured()) {
        QPrinter printer(QPrinter::HighResolution);
        ok = report.Print(printer);
        ui.SetBusyCursor(false);
    } else {
        ui.SetBusyCursor(false);
        const std::string path = AskPdfName(parent, pdfFolder);
        if (path.empty()) return false;
        ui.SetBusyCursor(true);
        ok = report.SavePdf(path);
        ui.SetBusyCursor(false);
    }
    if (!ok) ui.ShowMessageBox(kMsgError, "Ошибка печати данных", "");
    return ok;
}

}  // namespace zul
