// The main window's "Хранилище архивов": the store in the program folder, its
// collection from the connected controller through the window's progress and Esc,
// and a period of it opened in the viewer of its kind.
#include "events/EventFetch.h"
#include "events/DiagnosticFile.h"
#include "events/Iniala.h"
#include "events/Iniaud.h"
#include "events/InterventionFile.h"
#include "link/Clock.h"
#include "measurements/ChromFetch.h"
#include "measurements/ChromView.h"
#include "measurements/MoistView.h"
#include "shell/ConnectionStart.h"
#include "shell/Folders.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "store/Collector.h"
#include "store/StoreView.h"
#include "tables/Conffun.h"

namespace zul {

void TFormMain::NStoreClick() {
    std::string why;
    std::unique_ptr<ArchiveStore> store = OpenArchiveStore(DefaultStorePath(programFolder_), why);
    if (!store) {
        ShowMessageBox(kMsgPlain, QStringLiteral("Ошибка открытия хранилища архивов"), QString::fromStdString(why),
                       this);
        return;
    }
    TFormStore::Collect collect;
    if (linkEstablished)
        collect = [this](ArchiveStore& s) {
            TableIo io(*qrtbox_, *image_, ui_);
            Collector collector(io, ui_, mainBar_, SystemClock::Instance(), programFolder_, s);
            if (!collector.Begin()) return;
            for (ArchiveKind kind : collector.KindsOfController()) {
                CollectedKind r;
                collector.Collect(kind, r);
                if (r.end == ReadEnd::kStopped || !r.ok) break;  // Esc, or a failure already told
            }
        };
    auto open = [this](StoredPeriod& p) {
        if (p.kind == kArchAla) {
            TFormAla form(DiagnosticViewFromRecords(kViewByPeriod, p.header, p.records.data(), 0, p.image),
                          QString::fromStdString(workFolder(kFolderAlaFiles)), this);
            form.exec();
        } else if (p.kind == kArchAud) {
            TFormAud form(InterventionViewFromRecords(kViewByPeriod, p.header, p.records.data(), 0, p.image),
                          QString::fromStdString(workFolder(kFolderAudFiles)), this);
            form.exec();
        } else if (IsMoistKind(ChromKindOfArchive(p.kind))) {
            TMoistView view(ChromKindOfArchive(p.kind), p.header, p.records, this);
            view.exec();
        } else {
            TChromView view(ChromKindOfArchive(p.kind), p.header, p.records, this);
            view.exec();
        }
    };
    TFormStore form(*store, collect, open, settings_->archive, this);
    form.exec();
}

}  // namespace zul
