// The rules of the index dialog: what each choice fills in and the checks of
// "Принять".
//
//   IndexPreset p = PresetIndexes(kIndexLast100, oldest, newest);   // start 1900, count 100
//   IndexCheck c = CheckIndexes("1990", "50", oldest, newest, true);  // c.count 10 when newest is 1999
#pragma once
#include <cstdint>
#include <string>

namespace zul {

enum IndexChoice { kIndexAll = 0, kIndexLast100 = 1, kIndexLast50 = 2, kIndexLast10 = 3, kIndexGiven = 4 };

struct IndexPreset {
    bool editable = false;  // "Заданный диапазон данных": both boxes enabled and empty
    uint32_t start = 0;
    uint32_t count = 0;
};
IndexPreset PresetIndexes(int choice, uint32_t oldest, uint32_t newest);

struct IndexCheck {
    bool ok = false;
    std::string line1, line2;  // the input-error message when not ok
    bool countFailed = false;  // the count is at fault, not the start
    uint32_t start = 0;
    int count = 0;             // no further than the newest record
};
// A typed count (`typed`: "Заданный диапазон данных", `zul events --index`) is
// 1..255; a preset one ("Весь диапазон данных") may be any size: the read splits it.
IndexCheck CheckIndexes(const std::string& startText, const std::string& countText, uint32_t oldest,
                        uint32_t newest, bool typed);

}  // namespace zul
