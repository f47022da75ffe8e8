// The one in-memory copy of all 45 tables, bytes as the controller sends them
// (the texts of table 5 in code page 1251).
#pragma once
#include <array>
#include <cstdint>

#include "tables/Stringi.h"

namespace zul {

class TableImage {
public:
    TableImage() { bytes_.fill(0); }
    // First byte of table t, or nullptr for a table without fields.
    uint8_t* Data(int t) {
        const TableDescriptor& d = Table(t);
        return d.offset < 0 ? nullptr : bytes_.data() + d.offset;
    }
    const uint8_t* Data(int t) const { return const_cast<TableImage*>(this)->Data(t); }
    // Field f of table t, or nullptr outside the table.
    uint8_t* Field(int t, int f) {
        const TableDescriptor& d = Table(t);
        if (d.offset < 0 || f < 0 || f >= d.fieldCount) return nullptr;
        return bytes_.data() + d.offset + f * d.fieldSize;
    }
    const uint8_t* Field(int t, int f) const { return const_cast<TableImage*>(this)->Field(t, f); }
    uint8_t Byte(int t, int f) const {
        const uint8_t* p = Field(t, f);
        return p ? *p : 0;
    }
    uint8_t* Bytes() { return bytes_.data(); }
    const uint8_t* Bytes() const { return bytes_.data(); }
    static constexpr int Size() { return kTableImageSize; }

    // True when the controller keeps the texts of table 5 in code page 866.
    bool NamesInCodePage866() const { return Byte(0, 12) == 0; }
    // Converts the three texts of table 5 after a read from / before a write to the controller.
    void NamesFromController();
    void NamesToController();

private:
    std::array<uint8_t, kTableImageSize> bytes_;
};

}  // namespace zul
