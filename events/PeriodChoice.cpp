#include "events/PeriodChoice.h"

#include <cstdlib>

namespace zul {

namespace {

// The date of the moment one day before `p`, the time of `p` kept.
PackedDateTime DayBefore(const PackedDateTime& p) {
    PackedDateTime d = ToPacked(FromPacked(p.data()) - 1.0);
    for (int i = 3; i < 6; ++i) d[size_t(i)] = p[size_t(i)];
    return d;
}

// A list text as a number: digits only, at most three of them; -1 otherwise.
int ListNumber(const std::string& text) {
    if (text.empty() || text.size() > 3) return -1;
    for (char c : text)
        if (c < '0' || c > '9') return -1;
    return std::atoi(text.c_str());
}

}  // namespace

PeriodPreset PresetPeriod(int choice, double now, const ArchiveSettings& settings) {
    PeriodPreset p;
    if (choice >= kPeriodGiven) {
        p.start = ToPacked(settings.savedPeriodStart);
        p.end = ToPacked(settings.savedPeriodEnd);
        p.editable = true;
        return p;
    }
    p.end = ToPacked(now);
    if (choice <= kPeriodLastHour) {
        p.start = p.end;
        if (p.end[3] > 0) {
            p.start[3] = uint8_t(p.end[3] - 1);
        } else {
            p.start = DayBefore(p.end);
            p.start[3] = 23;
        }
    } else {
        p.start = DayBefore(p.end);
    }
    return p;
}

PeriodCheck CheckPeriod(const PeriodInput& in) {
    PeriodCheck c;
    struct Part {
        const std::string* text;
        int max;
        const char* name;
    };
    const Part parts[6] = {
        {&in.startHour, 23, "Значение часа начала диапазона"},
        {&in.startMinute, 59, "Значение минут начала диапазона"},
        {&in.startSecond, 59, "Значение секунд начала диапазона"},
        {&in.endHour, 23, "Значение часа конца диапазона"},
        {&in.endMinute, 59, "Значение минут конца диапазона"},
        {&in.endSecond, 59, "Значение секунд конца диапазона"},
    };
    int v[6];
    for (int i = 0; i < 6; ++i) {
        v[i] = ListNumber(*parts[i].text);
        // An empty or unreadable text is out of range as well.
        if (v[i] < 0 || v[i] > parts[i].max) {
            c.line1 = parts[i].name;
            c.line2 = "вне допустимого диапазона";
            c.field = i;
            return c;
        }
    }
    auto pack = [](const CalDate& d, const int* t) {
        return PackedDateTime{uint8_t(d.year - 2000), uint8_t(d.month), uint8_t(d.day),
                              uint8_t(t[0]), uint8_t(t[1]), uint8_t(t[2])};
    };
    c.start = pack(in.startDate, v);
    c.end = pack(in.endDate, v + 3);
    if (ComparePacked(c.end.data(), c.start.data()) < 0) {
        c.line1 = "Дата и время конца опроса должны быть";
        c.line2 = "больше даты и времени начала опроса";
        c.field = 6;
        return c;
    }
    c.ok = true;
    return c;
}

void RememberPeriod(const PeriodCheck& c, ArchiveSettings& s) {
    s.savedPeriodStart = FromPacked(c.start.data());
    s.savedPeriodEnd = FromPacked(c.end.data());
}

}  // namespace zul
