#include "link/SubscriberLists.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zul {

uint8_t Cp1251Upper(uint8_t c) {
    if (c >= 'a' && c <= 'z') return uint8_t(c - 'a' + 'A');
    if (c >= 0xE0) return uint8_t(c - 0x20);  // а..я -> А..Я
    switch (c) {
    case 0xB8: return 0xA8;  // ё
    case 0x90: return 0x80;  // ђ
    case 0x83: return 0x81;  // ѓ
    case 0x9A: return 0x8A;  // љ
    case 0x9C: return 0x8C;  // њ
    case 0x9D: return 0x8D;  // ќ
    case 0x9E: return 0x8E;  // ћ
    case 0x9F: return 0x8F;  // џ
    case 0xA2: return 0xA1;  // ў
    case 0xB3: return 0xB2;  // і
    case 0xB4: return 0xA5;  // ґ
    case 0xBA: return 0xAA;  // є
    case 0xBC: return 0xA3;  // ј
    case 0xBE: return 0xBD;  // ѕ
    case 0xBF: return 0xAF;  // ї
    default: return c;
    }
}

int CompareTextsUpper(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        uint8_t x = Cp1251Upper(uint8_t(a[i])), y = Cp1251Upper(uint8_t(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

// Sorts entries[0..count) by `less` (stable: equal keys keep their order) and
// moves the selection to the entry that carries the selected name.
template <class Entry, size_t N, class Less>
void SortEntries(std::array<Entry, N>& entries, uint8_t count, uint8_t& selected, Less less) {
    if (count < 2) return;
    const size_t n = std::min<size_t>(count, N);
    const auto selectedName = entries[std::min<size_t>(selected, N - 1)].name;
    std::vector<Entry> sorted(entries.begin(), entries.begin() + long(n));
    std::stable_sort(sorted.begin(), sorted.end(), less);
    std::copy(sorted.begin(), sorted.end(), entries.begin());
    for (size_t i = 0; i < n; ++i)
        if (entries[i].name == selectedName) selected = uint8_t(i);
}

template <class Entry, size_t N>
bool DeleteEntry(std::array<Entry, N>& entries, uint8_t& count, uint8_t& selected) {
    if (count == 0) return false;
    const size_t n = std::min<size_t>(count, N);
    const size_t at = std::min<size_t>(selected, n - 1);
    for (size_t i = at; i + 1 < n; ++i) entries[i] = entries[i + 1];
    entries[n - 1] = Entry{};
    if (selected > 0) --selected;
    count = uint8_t(n - 1);
    return true;
}

}  // namespace

void SortSubscribers(TelephoneSubscriberList& list) {
    const bool byNumber = list.sortMode == kSortByNumber;
    SortEntries(list.entries, list.count, list.selected,
                [byNumber](const TelephoneSubscriber& a, const TelephoneSubscriber& b) {
                    return byNumber ? CompareTextsUpper(TextOf(a.phone), TextOf(b.phone)) < 0
                                    : CompareTextsUpper(TextOf(a.name), TextOf(b.name)) < 0;
                });
}

void SortSubscribers(EthernetSubscriberList& list) {
    const bool byNumber = list.sortMode == kSortByNumber;
    SortEntries(list.entries, list.count, list.selected,
                [byNumber](const EthernetSubscriber& a, const EthernetSubscriber& b) {
                    return byNumber ? a.IpValue() < b.IpValue()
                                    : CompareTextsUpper(TextOf(a.name), TextOf(b.name)) < 0;
                });
}

void SortObjects(ObjectList& list) {
    SortEntries(list.entries, list.count, list.selected, [](const ObjectEntry& a, const ObjectEntry& b) {
        return CompareTextsUpper(TextOf(a.name), TextOf(b.name)) < 0;
    });
}

bool DeleteSelected(TelephoneSubscriberList& list) {
    return DeleteEntry(list.entries, list.count, list.selected);
}
bool DeleteSelected(EthernetSubscriberList& list) {
    return DeleteEntry(list.entries, list.count, list.selected);
}
bool DeleteSelected(ObjectList& list) { return DeleteEntry(list.entries, list.count, list.selected); }

std::string DottedIp(const EthernetSubscriber& s) {
    return std::to_string(s.ip[3]) + "." + std::to_string(s.ip[2]) + "." + std::to_string(s.ip[1]) +
           "." + std::to_string(s.ip[0]);
}

std::string IpPortText(const EthernetSubscriber& s) {
    // The port prints as a signed number, as the list always showed it.
    return DottedIp(s) + ":" + std::to_string(int32_t(s.port));
}

}  // namespace zul
