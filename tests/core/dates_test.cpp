// Packed dates and calendar helpers against the standard library's civil calendar.
#include <gtest/gtest.h>

#include <chrono>

#include "tables/Dtfun.h"

namespace zul {
namespace {

using namespace std::chrono;

CalDate Cal(year_month_day d) { return CalDate{int(d.year()), int(unsigned(d.month())), int(unsigned(d.day()))}; }
PackedDateTime Packed(year_month_day d, int h = 0, int mi = 0, int s = 0) {
    return PackedDateTime{uint8_t(int(d.year()) - 2000), uint8_t(unsigned(d.month())),
                          uint8_t(unsigned(d.day())), uint8_t(h), uint8_t(mi), uint8_t(s)};
}
const sys_days kEpoch = sys_days(year(1899) / December / 30);

TEST(Dates, EveryDayOfTheCenturyAgainstTheCivilCalendar) {
    const sys_days first = sys_days(year(2000) / January / 1);
    const sys_days lastDay = sys_days(year(2099) / December / 31);
    const sys_days sunday = sys_days(year(2002) / January / 6);
    int checked = 0;
    for (sys_days d = first; d <= lastDay; d += days(1)) {
        year_month_day ymd(d);
        CalDate c = Cal(ymd);
        const int serial = int((d - kEpoch).count());
        const int h = checked % 24, mi = (checked * 7) % 60, s = (checked * 13) % 60;
        PackedDateTime p = Packed(ymd, h, mi, s);
        const double v = FromPacked(p.data());
        ASSERT_DOUBLE_EQ(v, serial + (h * 3600 + mi * 60 + s) / 86400.0) << serial;
        ASSERT_EQ(ToPacked(v), p) << serial;
        ASSERT_TRUE(IsValidPacked(p.data()));
        const int doy = int((d - sys_days(ymd.year() / January / 1)).count()) + 1;
        ASSERT_EQ(DayOfYear(c), doy);
        ASSERT_EQ(DaysLeftInYear(c), DaysInYear(c.year) - doy);
        ASSERT_EQ(DaysInMonth(c.year, c.month), int(unsigned(year_month_day_last(ymd.year() / ymd.month() / last).day())));
        if (d >= sunday) ASSERT_EQ(WeekDay(c), int(weekday(d).c_encoding()) + 1) << serial;

        // One day forward and one hour back, as the archives step.
        PackedDateTime fwd = p;
        StepForward(fwd.data(), kUnitDay);
        year_month_day next(d + days(1));
        ASSERT_EQ(fwd[2], unsigned(next.day()));
        ASSERT_EQ(fwd[1], unsigned(next.month()));
        PackedDateTime back = Packed(ymd, 0);
        StepBack(back.data(), kUnitHour);
        year_month_day prev(d - days(1));
        ASSERT_EQ(back[3], 23);
        ASSERT_EQ(back[2], unsigned(prev.day()));
        ASSERT_EQ(back[1], unsigned(prev.month()));
        ASSERT_EQ(back[0], uint8_t(int(prev.year()) - 2000));
        ++checked;
    }
    EXPECT_EQ(checked, 36525);
}

TEST(Dates, FixedValues) {
    const uint8_t y2000[6] = {0, 1, 1, 0, 0, 0};
    const uint8_t noon[6] = {1, 12, 31, 12, 0, 0};
    EXPECT_DOUBLE_EQ(FromPacked(y2000), 36526.0);
    EXPECT_DOUBLE_EQ(FromPacked(noon), 37256.5);
    EXPECT_EQ(WeekDay({2002, 1, 6}), 1);
    EXPECT_EQ(WeekDay({2024, 1, 1}), 2);
    EXPECT_EQ(DaysInMonth(2024, 13), 0);
    EXPECT_EQ(DaysBetween({2023, 12, 31}, {2024, 1, 1}), 1);
    EXPECT_EQ(DaysBetween({2024, 3, 1}, {2024, 2, 1}), -29);
    // Milliseconds are dropped, not rounded up into the next second.
    EXPECT_EQ(ToPacked(36526.0 + 59.9994 / 86400.0)[5], 59);
}

TEST(Dates, ValidityTestsFebruaryButNotThirtyDayMonths) {
    const uint8_t april31[6] = {24, 4, 31, 0, 0, 0};
    const uint8_t feb29_2023[6] = {23, 2, 29, 0, 0, 0};
    const uint8_t feb29_2024[6] = {24, 2, 29, 23, 59, 59};
    const uint8_t badHour[6] = {24, 1, 1, 24, 0, 0};
    const uint8_t month0[6] = {24, 0, 1, 0, 0, 0};
    EXPECT_TRUE(IsValidPacked(april31));
    EXPECT_FALSE(IsValidPacked(feb29_2023));
    EXPECT_TRUE(IsValidPacked(feb29_2024));
    EXPECT_FALSE(IsValidPacked(badHour));
    EXPECT_FALSE(IsValidPacked(month0));
}

TEST(Dates, TimeChangeRulesAgainstTheCivilCalendar) {
    for (int y = 2002; y <= 2099; ++y) {
        auto doyOf = [&](sys_days d) { return int((d - sys_days(year(y) / January / 1)).count()) + 1; };
        // Last Sunday of March and of October (from the end, Sunday, n = 1).
        EXPECT_EQ(RuleDayOfYear(y - 2000, 3, 0xC9), doyOf(sys_days(year(y) / March / Sunday[last])));
        EXPECT_EQ(RuleDayOfYear(y - 2000, 10, 0xC9), doyOf(sys_days(year(y) / October / Sunday[last])));
        // The one before the last Saturday of February (n = 2).
        EXPECT_EQ(RuleDayOfYear(y - 2000, 2, 0xC0 | (7 << 3) | 2),
                  doyOf(sys_days(year(y) / February / Saturday[last]) - days(7)));
        // First, second and third Monday of November (from the start).
        for (unsigned n = 1; n <= 3; ++n)
            EXPECT_EQ(RuleDayOfYear(y - 2000, 11, uint8_t(0x80 | (2 << 3) | n)),
                      doyOf(sys_days(year(y) / November / Monday[n])));
        // A plain day of the month.
        EXPECT_EQ(RuleDayOfYear(y - 2000, 6, 15), doyOf(sys_days(year(y) / June / 15)));
    }
    EXPECT_EQ(RuleDayOfYear(24, 3, 0xC9), 91);
}

TEST(Dates, WinterTimeFlagAroundBothChanges) {
    const uint8_t summer[3] = {3, 0xC9, 2};   // last Sunday of March, 2 h
    const uint8_t winter[3] = {10, 0xC9, 3};  // last Sunday of October, 3 h
    auto flag = [&](int m, int d, int h) {
        uint8_t p[4] = {24, uint8_t(m), uint8_t(d), uint8_t(h)};
        return WinterTimeFlag(p, summer, winter);
    };
    EXPECT_EQ(flag(1, 15, 12), 0x80);
    EXPECT_EQ(flag(3, 31, 1), 0x80);  // the change day, before the hour
    EXPECT_EQ(flag(3, 31, 2), 0);     // from the hour on
    EXPECT_EQ(flag(7, 1, 0), 0);
    EXPECT_EQ(flag(10, 27, 2), 0);
    EXPECT_EQ(flag(10, 27, 3), 0x80);
    EXPECT_EQ(flag(12, 31, 23), 0x80);
}

TEST(Dates, StepsAcrossMonthAndYearEnds) {
    uint8_t a[5] = {24, 3, 1, 0, 0};
    StepBack(a, kUnitHour);
    EXPECT_EQ((std::array<uint8_t, 4>{a[0], a[1], a[2], a[3]}), (std::array<uint8_t, 4>{24, 2, 29, 23}));
    uint8_t b[4] = {23, 2, 28, 5};
    StepForward(b, kUnitDay);
    EXPECT_EQ(b[1], 3);
    EXPECT_EQ(b[2], 1);
    uint8_t c[4] = {23, 12, 31, 23};
    StepForward(c, kUnitHour);
    EXPECT_EQ((std::array<uint8_t, 4>{c[0], c[1], c[2], c[3]}), (std::array<uint8_t, 4>{24, 1, 1, 0}));
    uint8_t d[4] = {24, 1, 31, 7};
    StepBack(d, kUnitMonth);  // a month step alone leaves the day
    EXPECT_EQ((std::array<uint8_t, 4>{d[0], d[1], d[2], d[3]}), (std::array<uint8_t, 4>{23, 12, 31, 7}));
    uint8_t m[5] = {24, 12, 31, 23, 57};
    StepForwardMinutes(m, 3);
    EXPECT_EQ((std::array<uint8_t, 5>{m[0], m[1], m[2], m[3], m[4]}), (std::array<uint8_t, 5>{25, 1, 1, 0, 0}));
    uint8_t m2[5] = {24, 5, 5, 5, 54};
    StepForwardMinutes(m2, 3);
    EXPECT_EQ(m2[4], 57);
    StepForwardMinutes(m2, 7);  // any other step does nothing
    EXPECT_EQ(m2[4], 57);
}

TEST(Dates, CountsBetweenDates) {
    const uint8_t a[4] = {24, 2, 28, 22}, b[4] = {24, 3, 1, 1};
    EXPECT_EQ(HoursBetween(a, b), 27);
    EXPECT_EQ(UnitsBetween(a, b, kUnitHour), 27);
    EXPECT_EQ(UnitsBetween(b, a, kUnitHour), -27);
    EXPECT_EQ(UnitsBetween(a, a, kUnitHour), 0);
    EXPECT_EQ(UnitsBetween(a, a, kUnitDay), 1);
    EXPECT_EQ(UnitsBetween(a, b, kUnitDay), 2);
    const uint8_t c[4] = {24, 5, 10, 0};
    EXPECT_EQ(UnitsBetween(a, c, kUnitMonth), 72 / 30);
    EXPECT_EQ(CompareToUnit(a, b, kUnitMonth), -1);
    const uint8_t a2[4] = {24, 2, 28, 3};
    EXPECT_EQ(CompareToUnit(a, a2, kUnitDay), 0);
    EXPECT_EQ(CompareToUnit(a, a2, kUnitHour), 1);
}

TEST(Dates, ArchiveRanges) {
    // Daily archive at 10.05.2024 05 h with contract hour 10 ends on 08.05.2024.
    const uint8_t first[4] = {24, 1, 15, 10};
    const uint8_t now[4] = {24, 5, 10, 5};
    uint8_t s[5], e[5];
    EXPECT_TRUE(PeriodArchiveRange(first, now, kUnitDay, false, 10, s, e));
    EXPECT_EQ((std::array<uint8_t, 5>{e[0], e[1], e[2], e[3], e[4]}), (std::array<uint8_t, 5>{24, 5, 8, 5, 0}));
    EXPECT_EQ((std::array<uint8_t, 3>{s[0], s[1], s[2]}), (std::array<uint8_t, 3>{24, 1, 15}));
    // With the flag the start steps back to the gas day that began the day before.
    EXPECT_TRUE(PeriodArchiveRange(first, now, kUnitDay, true, 10, s, e));
    EXPECT_EQ(s[2], 14);
    // An hourly archive keeps one year: an old first record does not widen the range.
    const uint8_t old[4] = {20, 1, 1, 0};
    const uint8_t at[4] = {24, 6, 15, 12};
    EXPECT_TRUE(PeriodArchiveRange(old, at, kUnitHour, false, 10, s, e));
    EXPECT_EQ((std::array<uint8_t, 4>{e[0], e[1], e[2], e[3]}), (std::array<uint8_t, 4>{24, 6, 15, 11}));
    EXPECT_EQ((std::array<uint8_t, 4>{s[0], s[1], s[2], s[3]}), (std::array<uint8_t, 4>{23, 6, 15, 12}));
    // A first record after "now": nothing to read.
    const uint8_t future[4] = {24, 7, 1, 0};
    EXPECT_FALSE(PeriodArchiveRange(future, at, kUnitHour, false, 10, s, e));

    // The 3-minute archive: two months back, minutes on the 3-minute grid.
    const uint8_t mfirst[5] = {23, 1, 1, 0, 0};
    const uint8_t mnow[5] = {24, 4, 30, 10, 44};
    EXPECT_TRUE(MinuteArchiveRange(mfirst, mnow, s, e));
    EXPECT_EQ((std::array<uint8_t, 5>{e[0], e[1], e[2], e[3], e[4]}), (std::array<uint8_t, 5>{24, 4, 30, 10, 42}));
    EXPECT_EQ((std::array<uint8_t, 5>{s[0], s[1], s[2], s[3], s[4]}), (std::array<uint8_t, 5>{24, 3, 1, 10, 45}))
        << "30 February is past the month's end";
}

}  // namespace
}  // namespace zul
