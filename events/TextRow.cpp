#include "events/TextRow.h"

#include <algorithm>
#include <cstring>

#include "tables/Stringi.h"

namespace zul {

void PackTextRow(const std::string* cells, const TextField* fields, int count, int rowSize, uint8_t* row) {
    std::memset(row, 0, size_t(rowSize));
    for (int i = 0; i < count; ++i) {
        const std::string bytes = Utf8ToCp1251(cells[i]);
        std::memcpy(row + fields[i].offset, bytes.data(), std::min(bytes.size(), size_t(fields[i].width - 1)));
    }
}

void UnpackTextRow(const uint8_t* row, const TextField* fields, int count, std::string* cells) {
    for (int i = 0; i < count; ++i) {
        const char* p = reinterpret_cast<const char*>(row + fields[i].offset);
        cells[i] = Cp1251ToUtf8(std::string(p, strnlen(p, size_t(fields[i].width))));
    }
}

}  // namespace zul
