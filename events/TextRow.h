// The text rows of the event files: fixed fields of cp1251 text, each padded with
// zero bytes. A text longer than its field is stored cut so that a zero byte
// remains; the viewer still shows it whole.
#pragma once
#include <cstdint>
#include <string>

namespace zul {

struct TextField {
    int offset, width;
};

// `cells[i]` (UTF-8) into field i of the zeroed `rowSize`-byte row.
void PackTextRow(const std::string* cells, const TextField* fields, int count, int rowSize, uint8_t* row);
// Field i up to its first zero byte into `cells[i]` (UTF-8).
void UnpackTextRow(const uint8_t* row, const TextField* fields, int count, std::string* cells);

}  // namespace zul
