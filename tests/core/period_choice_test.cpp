// The period dialog's rules: what each choice presets and the checks of "Принять".
#include <gtest/gtest.h>

#include <string>

#include "events/PeriodChoice.h"

namespace zul::test {
namespace {

double At(const PackedDateTime& p) { return FromPacked(p.data()); }

struct PresetCase {
    const char* what;
    int choice;
    PackedDateTime now;
    PackedDateTime start, end;
    bool editable;
};

TEST(PeriodChoice, Presets) {
    ArchiveSettings s;
    s.savedPeriodStart = At({25, 12, 31, 8, 9, 10});
    s.savedPeriodEnd = At({26, 1, 2, 11, 12, 13});
    const PresetCase cases[] = {
        {"last hour after midnight: back into a leap day", 0, {24, 3, 1, 0, 20, 5}, {24, 2, 29, 23, 20, 5},
         {24, 3, 1, 0, 20, 5}, false},
        {"last hour in the day", 0, {26, 7, 15, 14, 0, 59}, {26, 7, 15, 13, 0, 59}, {26, 7, 15, 14, 0, 59}, false},
        {"last hour on New Year's night", 0, {26, 1, 1, 0, 0, 0}, {25, 12, 31, 23, 0, 0}, {26, 1, 1, 0, 0, 0}, false},
        {"last day", 1, {24, 3, 1, 10, 11, 12}, {24, 2, 29, 10, 11, 12}, {24, 3, 1, 10, 11, 12}, false},
        {"last day over a year's end", 1, {26, 1, 1, 23, 59, 59}, {25, 12, 31, 23, 59, 59}, {26, 1, 1, 23, 59, 59},
         false},
        {"given period: the remembered one", 2, {26, 7, 15, 14, 0, 0}, {25, 12, 31, 8, 9, 10}, {26, 1, 2, 11, 12, 13},
         true},
        {"a stored choice beyond the group", 7, {26, 7, 15, 14, 0, 0}, {25, 12, 31, 8, 9, 10}, {26, 1, 2, 11, 12, 13},
         true},
    };
    for (const PresetCase& c : cases) {
        const PeriodPreset p = PresetPeriod(c.choice, At(c.now), s);
        EXPECT_EQ(p.start, c.start) << c.what;
        EXPECT_EQ(p.end, c.end) << c.what;
        EXPECT_EQ(p.editable, c.editable) << c.what;
    }
}

struct CheckCase {
    const char* what;
    PeriodInput in;
    bool ok;
    std::string line1, line2;
};

TEST(PeriodChoice, Checks) {
    const CalDate d1{2026, 3, 1}, d2{2026, 3, 2};
    const std::string range = "вне допустимого диапазона";
    const CheckCase cases[] = {
        {"a plain period", {d1, "0", "0", "0", d2, "23", "59", "59"}, true, "", ""},
        {"start equal to end", {d1, "5", "6", "7", d1, "5", "6", "7"}, true, "", ""},
        {"end a second before the start", {d1, "5", "6", "7", d1, "5", "6", "6"}, false,
         "Дата и время конца опроса должны быть", "больше даты и времени начала опроса"},
        {"end a day before", {d2, "0", "0", "0", d1, "0", "0", "0"}, false, "Дата и время конца опроса должны быть",
         "больше даты и времени начала опроса"},
        {"start hour 24", {d1, "24", "0", "0", d2, "0", "0", "0"}, false, "Значение часа начала диапазона", range},
        {"start minute 60", {d1, "0", "60", "0", d2, "0", "0", "0"}, false, "Значение минут начала диапазона", range},
        {"start second 99", {d1, "0", "0", "99", d2, "0", "0", "0"}, false, "Значение секунд начала диапазона", range},
        {"end hour 30", {d1, "0", "0", "0", d2, "30", "0", "0"}, false, "Значение часа конца диапазона", range},
        {"end minute 75", {d1, "0", "0", "0", d2, "0", "75", "0"}, false, "Значение минут конца диапазона", range},
        {"end second 60", {d1, "0", "0", "0", d2, "0", "0", "60"}, false, "Значение секунд конца диапазона", range},
        {"the first failure in order wins", {d2, "0", "0", "0", d1, "99", "99", "99"}, false,
         "Значение часа конца диапазона", range},
        {"empty start hour", {d1, "", "0", "0", d2, "0", "0", "0"}, false, "Значение часа начала диапазона", range},
        {"a huge number", {d1, "0", "0", "0", d2, "0", "99999999999", "0"}, false, "Значение минут конца диапазона",
         range},
        {"leading zeros", {d1, "07", "08", "09", d2, "0", "0", "0"}, true, "", ""},
    };
    for (const CheckCase& c : cases) {
        const PeriodCheck r = CheckPeriod(c.in);
        EXPECT_EQ(r.ok, c.ok) << c.what;
        EXPECT_EQ(r.line1, c.line1) << c.what;
        EXPECT_EQ(r.line2, c.line2) << c.what;
    }
    const PeriodCheck ok = CheckPeriod({d1, "7", "8", "9", d2, "10", "11", "12"});
    EXPECT_EQ(ok.start, (PackedDateTime{26, 3, 1, 7, 8, 9}));
    EXPECT_EQ(ok.end, (PackedDateTime{26, 3, 2, 10, 11, 12}));
    ArchiveSettings s;
    RememberPeriod(ok, s);
    EXPECT_EQ(ToPacked(s.savedPeriodStart), ok.start);
    EXPECT_EQ(ToPacked(s.savedPeriodEnd), ok.end);
}

}  // namespace
}  // namespace zul::test
