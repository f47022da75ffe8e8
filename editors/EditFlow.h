// The flow every table editor runs in device mode: read the listed runs of
// fields, keep a saved copy, let a dialog edit the table image's bytes in place,
// then write back only the fields that differ from the saved copy. No window
// code: the dialog is a callback, the hourglass goes through the UI port.
//
// A simple editor is one call (the dialog returns its accepted flag):
//
//   EditFlow flow(io, bar);
//   EditResult r = EditTable(flow, {{15, 0, 8}}, {15, 0, 8}, [&](uint8_t* bytes) {
//       TFormConWMT d(bytes, kDeviceMode, &io.ui(), parent);
//       d.exec();
//       return d.accepted();
//   });
//   if (r == EditResult::kWritten) { /* follow-up */ }
//
// Editors with several tables or a follow-up between writes use the pieces:
//   flow.Read({{43, 0, n}, {44, 0, n}});  flow.Keep(43);  ...  flow.WriteChanged({44, 0, n});
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

namespace zul {

class TableIo;
class TableImage;
class StatusBar;
class UserInterface;

// A run of fields: table, first field, field count.
struct FieldRun {
    int table = 0;
    int first = 0;
    int count = 0;
};

enum class EditResult {
    kStopped,      // a read failed or the dialog was not accepted: nothing written
    kWriteFailed,  // the write was refused or failed; the image keeps the edited values
    kWritten,      // the changed fields were written (or nothing had changed)
};

class EditFlow {
public:
    EditFlow(TableIo& io, StatusBar* bar) : io_(io), bar_(bar) {}

    // Reads the runs in order under the hourglass (a long run in pieces that fit
    // a reply), each with its progress in the bar; false at the first failure
    // (the reader has shown its message).
    bool Read(std::initializer_list<FieldRun> runs);
    // Keeps the table's current bytes as its saved copy.
    void Keep(int table);
    // The saved copy of a table (all of its bytes), or nullptr when none was kept.
    const uint8_t* Kept(int table) const;
    // Writes the fields of the run that differ from the saved copy of its table.
    bool WriteChanged(const FieldRun& run);
    // Writes every field of the run (one or more frames), without comparing.
    bool Write(const FieldRun& run);

    TableIo& io() { return io_; }
    TableImage& image();
    UserInterface& ui();
    StatusBar* bar() const { return bar_; }

private:
    TableIo& io_;
    StatusBar* bar_;
    std::map<int, std::vector<uint8_t>> kept_;
};

// The common case: read `reads`, keep the edited table, run the dialog on the
// table's bytes in the image, write the changed fields of `edited`.
EditResult EditTable(EditFlow& flow, std::initializer_list<FieldRun> reads, const FieldRun& edited,
                     const std::function<bool(uint8_t* tableBytes)>& dialog);

}  // namespace zul
