// The main window's commands of the measurement archives: the chromatograph's
// measurements, hourly and daily averages and calibrations, and the moisture
// meter's measurements, hourly and daily averages, each read from the controller
// or opened from a file.
#include "events/Period.h"
#include "link/Clock.h"
#include "measurements/ChromFetch.h"
#include "measurements/ChromView.h"
#include "measurements/MoistView.h"
#include "measurements/ShortDate.h"
#include "shell/Main.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"

namespace zul {

namespace {

void ShowFetched(TFormMain& main, ChromFetchResult& r) {
    if (IsMoistKind(r.kind)) {
        TMoistView view(r.kind, r.header, r.records, &main);
        view.exec();
        return;
    }
    TChromView view(r.kind, r.header, r.records, &main);
    view.exec();
}

}  // namespace

void TFormMain::ChromByPeriod(int k) {
    const auto kind = ChromTableKind(k);
    TableIo io(*qrtbox_, *image_, ui_);
    ChromFetch fetch(io, ui_, mainBar_, SystemClock::Instance(), programFolder_);
    if (!fetch.ReadClock()) return;
    TFormPeriod dialog(settings_->archive, SystemClock::Instance().LocalNow(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    ChromFetchResult r;
    if (fetch.ByPeriod(kind, dialog.start(), dialog.end(), r)) ShowFetched(*this, r);
}

void TFormMain::ChromByRange(int k) {
    const auto kind = ChromTableKind(k);
    const int unit = ChromTwin(kind) == kChromDaily ? kUnitDay : kUnitHour;
    TableIo io(*qrtbox_, *image_, ui_);
    AvailableRange range;
    {
        Hourglass h(ui_);
        if (!ReadAvailableRange(io, unit, range)) return;
    }
    TFormShortDate dialog(range, unit, image_->Data(2), settings_->archive, this);
    if (dialog.exec() != QDialog::Accepted) return;
    ChromFetch fetch(io, ui_, mainBar_, SystemClock::Instance(), programFolder_);
    ChromFetchResult r;
    if (!fetch.ByRange(kind, dialog.period(), r)) return;
    ShowFetched(*this, r);
}

void TFormMain::NChrom_RdMeasClick() { ChromByPeriod(kChromMeasurement); }
void TFormMain::NChrom_RdClbClick() { ChromByPeriod(kChromCalibration); }
void TFormMain::NChrom_RdHourClick() { ChromByRange(kChromHourly); }
void TFormMain::NChrom_RdDayClick() { ChromByRange(kChromDaily); }
void TFormMain::NChrom_ViewMeasClick() { OpenChromFile(kChromMeasurement, *image_, {}, this); }
void TFormMain::NChrom_ViewHourClick() { OpenChromFile(kChromHourly, *image_, {}, this); }
void TFormMain::NChrom_ViewDayClick() { OpenChromFile(kChromDaily, *image_, {}, this); }
void TFormMain::NChrom_ViewClbClick() { OpenChromFile(kChromCalibration, *image_, {}, this); }
void TFormMain::NWmt_RdMeasClick() { ChromByPeriod(kMoistMeasurement); }
void TFormMain::NWmt_ReadHourClick() { ChromByRange(kMoistHourly); }
void TFormMain::NWmt_ReadDayClick() { ChromByRange(kMoistDaily); }
void TFormMain::NWmt_ViewMeasClick() { OpenChromFile(kMoistMeasurement, *image_, {}, this); }
void TFormMain::NWmt_ViewHourClick() { OpenChromFile(kMoistHourly, *image_, {}, this); }
void TFormMain::NWmt_ViewDayClick() { OpenChromFile(kMoistDaily, *image_, {}, this); }

}  // namespace zul
