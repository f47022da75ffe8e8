// The main window's reports: "Паспорт ЗУЛ показателей за сутки" and "... за месяц",
// read from the controller and filled into the templates, saved in REPORT.
#include <cstring>

#include <QApplication>

#include "measurements/ExcRep_Date.h"
#include "measurements/ReportRead.h"
#include "shell/Folders.h"
#include "shell/Main.h"
#include "shell/Suplfunc.h"
#include "shell/Wait.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"

namespace zul {

void TFormMain::ExcReport(bool month) {
    const char* name = month ? kMonthTemplate : kDayTemplate;
    const std::string templatePath = FindDataFile(name);
    if (templatePath.empty()) {
        ShowMissingTemplate(ui_, name);
        return;
    }
    TableIo io(*qrtbox_, *image_, ui_);
    AvailableRange days;
    {
        Hourglass h(ui_);
        if (!ReadAvailableRange(io, kUnitDay, days)) return;
    }
    TFormExcRep_Date dialog(days, month, *settings_, ui_, this);
    dialog.exec();
    if (!dialog.accepted()) return;
    uint8_t date[4];
    std::memcpy(date, dialog.date(), 3);
    date[3] = image_->Byte(6, 6);  // the contract hour
    ReportFetch fetch(io, ui_, mainBar_, programFolder_);
    ReportSheet sheet;
    std::string file;
    if (month) {
        MonthReportData d;
        const bool ok = fetch.ReadMonth(date, days, d);
        ui_.StartMessageTimer();
        if (!ok) return;
        sheet = MonthReportCells(d, fetch.Units(), dialog.object());
        file = MonthReportName(dialog.object(), date);
    } else {
        DayReportData d;
        const bool ok = fetch.ReadDay(date, d);
        ui_.StartMessageTimer();
        if (!ok) return;
        sheet = DayReportCells(d, fetch.Units(), dialog.object());
        file = DayReportName(dialog.object(), date);
    }
    TFormWait wait(kWaitReport, this);
    wait.show();
    QApplication::processEvents();
    ProduceReport(ui_, templatePath, sheet, WorkFolderPath(kFolderReport) + "/" + file);
    CloseWaitWindow(&wait);
}

void TFormMain::NExcDayClick() { ExcReport(false); }
void TFormMain::NExcMonClick() { ExcReport(true); }

}  // namespace zul
