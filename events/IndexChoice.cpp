#include "events/IndexChoice.h"

#include <algorithm>

namespace zul {

namespace {

// Digits as an unsigned number, saturating far above any index; false for an
// empty text or one with anything else in it.
bool Number(const std::string& text, uint64_t& value) {
    std::string t = text;
    t.erase(0, t.find_first_not_of(' '));
    t.erase(t.find_last_not_of(' ') + 1);
    if (t.empty()) return false;
    value = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return false;
        value = std::min<uint64_t>(value * 10 + uint64_t(c - '0'), uint64_t(1) << 40);
    }
    return true;
}

}  // namespace

IndexPreset PresetIndexes(int choice, uint32_t oldest, uint32_t newest) {
    IndexPreset p;
    const uint32_t total = newest - oldest + 1;
    if (choice >= kIndexGiven) {
        p.editable = true;
        return p;
    }
    const uint32_t n = choice == kIndexLast100 ? 100 : choice == kIndexLast50 ? 50 : choice == kIndexLast10 ? 10 : 0;
    if (n == 0 || total < n) {
        p.start = oldest;
        p.count = total;
    } else {
        p.start = newest - (n - 1);
        p.count = n;
    }
    return p;
}

IndexCheck CheckIndexes(const std::string& startText, const std::string& countText, uint32_t oldest,
                        uint32_t newest, bool typed) {
    IndexCheck c;
    uint64_t start = 0, count = 0;
    const bool hasStart = Number(startText, start);
    const bool hasCount = Number(countText, count);
    if (startText.find_first_not_of(' ') == std::string::npos) {
        c.line1 = "Не введен индекс записи начала чтения";
    } else if (!hasStart || start < oldest || start > newest) {
        c.line1 = "Нелогичное значение индекса записи начала чтения";
        c.line2 = "(см. значения индексов начала и конца архива).";
    } else if (countText.find_first_not_of(' ') == std::string::npos) {
        c.line1 = "Не введено количество записей для чтения";
        c.countFailed = true;
    } else if (!hasCount || count == 0) {
        c.line1 = "Нелогичное значение количества записей для чтения";
        c.countFailed = true;
    } else if (typed && count > 255) {
        c.line1 = "Количество записей для чтения.";
        c.line2 = "Значение вне диапазона";
        c.countFailed = true;
    } else {
        c.ok = true;
        c.start = uint32_t(start);
        c.count = int(std::min<uint64_t>({count, uint64_t(newest) - start + 1, uint64_t(INT32_MAX)}));
    }
    return c;
}

}  // namespace zul
