#include "editors/EditFlow.h"

#include <algorithm>

#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

namespace {
// The hourglass for the length of a scope.
struct Busy {
    explicit Busy(UserInterface& ui) : ui_(ui) { ui_.SetBusyCursor(true); }
    ~Busy() { ui_.SetBusyCursor(false); }
    UserInterface& ui_;
};
}  // namespace

TableImage& EditFlow::image() { return io_.image(); }
UserInterface& EditFlow::ui() { return io_.ui(); }

bool EditFlow::Read(std::initializer_list<FieldRun> runs) {
    Busy busy(ui());
    for (const FieldRun& r : runs) {
        // A run longer than one reply is read in pieces.
        const int size = Table(r.table).fieldSize;
        const int piece = size > 0 ? std::max(1, kMaxReadBytes / size) : 1;
        int f = r.first;
        do {
            const int count = std::max(0, std::min(piece, r.first + r.count - f));
            const uint8_t req[3] = {uint8_t(r.table), uint8_t(f), uint8_t(count)};
            if (!io_.ReadFields(req, bar_, true)) return false;  // refuses a run outside the table
            f += piece;
        } while (f < r.first + r.count);
    }
    return true;
}

void EditFlow::Keep(int table) {
    const uint8_t* p = image().Data(table);
    if (!p) return;
    kept_[table].assign(p, p + Table(table).Bytes());
}

const uint8_t* EditFlow::Kept(int table) const {
    auto it = kept_.find(table);
    return it == kept_.end() ? nullptr : it->second.data();
}

bool EditFlow::WriteChanged(const FieldRun& r) {
    const uint8_t* saved = Kept(r.table);
    const TableDescriptor& d = Table(r.table);
    if (!saved || r.first < 0 || r.count < 1 || r.first + r.count > d.fieldCount) return Write(r);
    Busy busy(ui());
    const uint8_t req[3] = {uint8_t(r.table), uint8_t(r.first), uint8_t(r.count)};
    return io_.WriteChangedFields(req, saved + r.first * d.fieldSize, bar_);
}

bool EditFlow::Write(const FieldRun& r) {
    Busy busy(ui());
    const TableDescriptor& d = Table(r.table);
    const int piece = d.fieldSize > 0 ? std::max(1, kMaxWriteBytes / d.fieldSize) : 1;
    uint8_t buf[3 + 255];
    int f = r.first;
    do {
        buf[0] = uint8_t(r.table);
        buf[1] = uint8_t(f);
        buf[2] = uint8_t(std::max(0, std::min(piece, r.first + r.count - f)));
        if (!io_.WriteFields(buf, bar_, true)) return false;  // refuses a run outside the table
        f += piece;
    } while (f < r.first + r.count);
    return true;
}

EditResult EditTable(EditFlow& flow, std::initializer_list<FieldRun> reads, const FieldRun& edited,
                     const std::function<bool(uint8_t*)>& dialog) {
    if (!flow.Read(reads)) return EditResult::kStopped;
    flow.Keep(edited.table);
    if (!dialog(flow.image().Data(edited.table))) return EditResult::kStopped;
    return flow.WriteChanged(edited) ? EditResult::kWritten : EditResult::kWriteFailed;
}

}  // namespace zul
