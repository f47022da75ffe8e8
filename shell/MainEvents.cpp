// The main window's commands of the event archives: "Запрос по индексу",
// "Запрос за период" (both archives; the item's name tells which) and the
// "Просмотр/Печать из файла" of both.
#include <QAction>

#include "events/EventFetch.h"
#include "events/Iniala.h"
#include "events/Iniaud.h"
#include "events/Period.h"
#include "events/Readindex.h"
#include "link/Clock.h"
#include "shell/Folders.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "tables/Conffun.h"

namespace zul {

namespace {

EventArchive ArchiveOf(QObject* item) {
    auto* a = qobject_cast<QAction*>(item);
    return a && a->objectName().startsWith(QStringLiteral("NAud")) ? kEventsIntervention : kEventsDiagnostic;
}

// The records fetched go to the viewer of their archive.
void ShowFetched(TFormMain& main, EventFetchResult& r) {
    if (r.archive == kEventsIntervention) {
        InterventionView view = InterventionViewFromRecords(r.mode, r.header, r.records.data(), r.firstIndex, *main.image());
        view.requested = r.requested;
        TFormAud form(std::move(view), QString::fromStdString(main.workFolder(kFolderAudFiles)), &main);
        form.exec();
        return;
    }
    DiagnosticView view = DiagnosticViewFromRecords(r.mode, r.header, r.records.data(), r.firstIndex, *main.image());
    view.requested = r.requested;
    TFormAla form(std::move(view), QString::fromStdString(main.workFolder(kFolderAlaFiles)), &main);
    form.exec();
}

}  // namespace

void TFormMain::NArhIndClick() {
    const EventArchive archive = ArchiveOf(sender());
    TableIo io(*qrtbox_, *image_, ui_);
    EventFetch fetch(io, ui_, mainBar_, SystemClock::Instance(), programFolder_);
    uint32_t oldest = 0, newest = 0;
    if (!fetch.ReadIndexes(archive, oldest, newest)) return;
    TFormIndex dialog(archive, oldest, newest, settings_->archive, this);
    if (dialog.exec() != QDialog::Accepted) return;
    EventFetchResult r;
    if (fetch.ByIndex(archive, dialog.first(), dialog.count(), r)) ShowFetched(*this, r);
}

void TFormMain::NArhPerClick() {
    const EventArchive archive = ArchiveOf(sender());
    TableIo io(*qrtbox_, *image_, ui_);
    EventFetch fetch(io, ui_, mainBar_, SystemClock::Instance(), programFolder_);
    if (!fetch.ReadClock()) return;
    TFormPeriod dialog(settings_->archive, SystemClock::Instance().LocalNow(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    EventFetchResult r;
    if (fetch.ByPeriod(archive, dialog.start(), dialog.end(), r)) ShowFetched(*this, r);
}

void TFormMain::NAudPrnClick() {
    OpenInterventionFile(*image_, QString::fromStdString(workFolder(kFolderAudFiles)), this);
}

void TFormMain::NAlaPrnClick() {
    OpenDiagnosticFile(*image_, QString::fromStdString(workFolder(kFolderAlaFiles)), this);
}

}  // namespace zul
