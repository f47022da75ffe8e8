// A whole configuration between the controller and the table image: reading every
// configuration table (to save it in a file) and writing the tables marked for
// restoring, in the order the controller needs them.
//
//   TableIo io(box, image, ui);
//   if (ReadConfiguration(io, bar)) { NewConfiguration(rec); ConfigurationFromImage(rec, image); }
//   ...
//   uint8_t marks[kTableCount] = {};  marks[9] = marks[17] = 1;     // 1 = write this table
//   ConfigWriteOptions w;  w.settings = &linkSettings;  w.linkMoved = [&] { RefreshLinkStatus(); };
//   WriteMarkedTables(io, marks, bar, w);                          // the marks of written tables clear
#pragma once
#include <cstdint>
#include <functional>

namespace zul {

class TableIo;
class StatusBar;
struct LinkSettings;

// Reads every configuration table but 13 (the flow-computer passwords are never
// read), with progress through the UI port and the controller name in panel 1;
// false at the first failed read. `finalPauseMs` keeps the full progress in view.
bool ReadConfiguration(TableIo& io, StatusBar* bar, int finalPauseMs = 500);

struct ConfigWriteOptions {
    // Set while every table is rewritten: the link is dropped afterwards, so the
    // engine keeps its address and speed after table 3.
    bool writeAll = false;
    // The settings of the current connection kind take the new address and speed.
    LinkSettings* settings = nullptr;
    // Called after the engine has moved to a new address and speed.
    std::function<void()> linkMoved;
    int finalPauseMs = 500;
};

// Table 4 in two frames with blank credentials (a damaged access table is
// rewritten without them); the engine's own credentials are back afterwards.
bool WriteAccessTable(TableIo& io, StatusBar* bar);

// Writes the marked tables: 9, then 17..20 and 13 (only the connected flow
// computers), then the others in table order. A written table's mark is
// cleared; the first failure returns false and the tables before it stay written.
bool WriteMarkedTables(TableIo& io, uint8_t* marks, StatusBar* bar, const ConfigWriteOptions& options = {});

}  // namespace zul
