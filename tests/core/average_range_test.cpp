// The range of the hourly and daily archives, the short period dialog's choices
// and checks, and the expected-time cursor of their reads.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "measurements/AverageRange.h"
#include "tables/Dtfun.h"

namespace zul {
namespace {

using B6 = std::array<uint8_t, 6>;
using B4 = std::array<uint8_t, 4>;

B4 Head(const uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }

TEST(AverageRange, EveryRule) {
    struct Case {
        const char* what;
        int unit;
        B6 field;
        B6 clock;
        int contractHour;
        RangeOutcome outcome;
        B4 oldest, latest;  // days: byte 3 is 0
    } cases[] = {
        {"empty hourly archive", kUnitHour, {1, 1, 1, 0, 0, 0}, {24, 3, 1, 10, 0, 0}, 0, kRangeEmpty, {}, {}},
        {"empty daily archive, flag set", kUnitDay, {1, 1, 1, 0, 0, 0x80}, {24, 3, 1, 10, 0, 0}, 0, kRangeEmpty, {}, {}},
        {"no such date", kUnitHour, {23, 2, 29, 0, 0, 0}, {24, 3, 1, 10, 0, 0}, 0, kRangeBadDate, {}, {}},
        {"hour 24", kUnitHour, {24, 2, 1, 24, 0, 0}, {24, 3, 1, 10, 0, 0}, 0, kRangeBadDate, {}, {}},
        {"clock is no date", kUnitHour, {24, 2, 1, 0, 0, 0}, {24, 13, 1, 10, 0, 0}, 0, kRangeBadClock, {}, {}},
        {"hours: first record is the oldest", kUnitHour, {24, 1, 10, 5, 0, 0}, {24, 3, 1, 10, 20, 0}, 0, kRangeOk,
         {24, 1, 10, 5}, {24, 3, 1, 9}},
        {"hours: one year deep", kUnitHour, {20, 1, 1, 0, 0, 0}, {24, 3, 1, 10, 20, 0}, 0, kRangeOk, {23, 3, 1, 10},
         {24, 3, 1, 9}},
        {"hours: clock year 1 keeps the first record", kUnitHour, {1, 1, 2, 0, 0, 0}, {1, 1, 5, 10, 0, 0}, 0,
         kRangeOk, {1, 1, 2, 0}, {1, 1, 5, 9}},
        {"hours: nothing complete yet", kUnitHour, {24, 3, 1, 10, 0, 0}, {24, 3, 1, 10, 30, 0}, 0, kRangeNotYet, {},
         {}},
        {"days: before the contract hour", kUnitDay, {24, 1, 1, 12, 0, 0}, {24, 3, 10, 10, 0, 0}, 12, kRangeOk,
         {24, 1, 1, 0}, {24, 3, 8, 0}},
        {"days: after the contract hour", kUnitDay, {24, 1, 1, 12, 0, 0}, {24, 3, 10, 13, 0, 0}, 12, kRangeOk,
         {24, 1, 1, 0}, {24, 3, 9, 0}},
        {"days: the flag takes one day more", kUnitDay, {24, 3, 1, 12, 0, 0x80}, {24, 3, 10, 13, 0, 0}, 12, kRangeOk,
         {24, 2, 29, 0}, {24, 3, 9, 0}},
        {"days: four years deep", kUnitDay, {15, 1, 1, 0, 0, 0}, {24, 3, 10, 13, 0, 0}, 0, kRangeOk, {20, 3, 10, 0},
         {24, 3, 9, 0}},
    };
    for (const auto& c : cases) {
        B6 field = c.field;
        AvailableRange r;
        ASSERT_EQ(ComputeAvailableRange(field.data(), c.clock.data(), c.contractHour, c.unit, r), c.outcome) << c.what;
        if (c.outcome != kRangeOk) continue;
        B4 oldest = Head(r.oldest), latest = Head(r.latest);
        if (c.unit == kUnitDay) oldest[3] = latest[3] = 0;
        EXPECT_EQ(oldest, c.oldest) << c.what;
        EXPECT_EQ(latest, c.latest) << c.what;
        EXPECT_EQ(field[5] & 0x80, 0) << c.what;
    }
    const uint8_t month13[6] = {24, 13, 1, 10, 0, 0};  // the whole line, date and all
    EXPECT_EQ(BadDateLine(month13), "Прочитанные параметры даты и времени (01.13.24 10:00:00)");
}

TEST(AverageRange, ShortDateChoicesAndChecks) {
    struct MonthCase {
        B4 from, to;
    } months[] = {
        {{24, 3, 31}, {24, 3, 2}},   // leap February
        {{23, 3, 31}, {23, 3, 3}},
        {{24, 1, 15}, {23, 12, 15}},
        {{24, 5, 31}, {24, 5, 1}},   // 30 days in April
        {{24, 12, 31}, {24, 12, 1}},
    };
    for (const auto& m : months) {
        uint8_t d[5] = {m.from[0], m.from[1], m.from[2], 0, 0};
        MonthBack(d);
        EXPECT_EQ((B4{d[0], d[1], d[2], 0}), m.to) << int(m.from[1]) << "/" << int(m.from[2]);
    }

    AvailableRange hours;
    const uint8_t ho[5] = {24, 1, 10, 5, 0}, hl[5] = {24, 3, 1, 9, 0};
    std::memcpy(hours.oldest, ho, 5);
    std::memcpy(hours.latest, hl, 5);
    ShortPeriod p = ShortDatePreset(hours, kUnitHour);
    EXPECT_EQ(Head(p.start), (B4{24, 2, 29, 9}));
    EXPECT_EQ(Head(p.end), (B4{24, 3, 1, 9}));
    AvailableRange shortRange = hours;
    const uint8_t so[5] = {24, 3, 1, 2, 0};
    std::memcpy(shortRange.oldest, so, 5);
    EXPECT_EQ(Head(ShortDatePreset(shortRange, kUnitHour).start), (B4{24, 3, 1, 2}));

    AvailableRange days;
    const uint8_t dl[5] = {24, 3, 31, 0, 0}, dold[5] = {24, 3, 20, 0, 0};
    std::memcpy(days.latest, dl, 5);
    std::memcpy(days.oldest, ho, 5);
    EXPECT_EQ(Head(ShortDatePreset(days, kUnitDay).start)[2], 2);
    std::memcpy(days.oldest, dold, 5);
    EXPECT_EQ(Head(ShortDatePreset(days, kUnitDay).start)[2], 20);

    const uint8_t midnight[6] = {24, 3, 1, 0, 20, 5};
    p = ShortDateLastChoice(midnight, kUnitHour);
    EXPECT_EQ(Head(p.start), (B4{24, 2, 29, 0}));
    EXPECT_EQ(Head(p.end), (B4{24, 2, 29, 23}));
    const uint8_t lastOfMarch[6] = {24, 3, 31, 10, 0, 0};
    p = ShortDateLastChoice(lastOfMarch, kUnitDay);
    EXPECT_EQ((B4{p.start[0], p.start[1], p.start[2], 0}), (B4{24, 3, 1, 0}));
    EXPECT_EQ((B4{p.end[0], p.end[1], p.end[2], 0}), (B4{24, 3, 30, 0}));

    struct AcceptCase {
        const char* what;
        B4 start, end;
        ShortDateCheck check;
        B4 clippedStart, clippedEnd;
    } accepts[] = {
        {"end before start", {24, 2, 1, 5}, {24, 2, 1, 4}, kShortDateEndBeforeStart, {}, {}},
        {"both before the oldest", {24, 1, 1, 0}, {24, 1, 10, 4}, kShortDateOutside, {}, {}},
        {"both after the latest", {24, 3, 1, 10}, {24, 3, 2, 0}, kShortDateOutside, {}, {}},
        {"over the whole archive", {24, 1, 1, 0}, {24, 3, 5, 0}, kShortDateOk, {24, 1, 10, 5}, {24, 3, 1, 9}},
        {"touching the oldest", {24, 1, 1, 0}, {24, 1, 10, 5}, kShortDateOk, {24, 1, 10, 5}, {24, 1, 10, 5}},
        {"one hour inside", {24, 2, 1, 7}, {24, 2, 1, 7}, kShortDateOk, {24, 2, 1, 7}, {24, 2, 1, 7}},
    };
    for (const auto& a : accepts) {
        ShortPeriod q;
        std::memcpy(q.start, a.start.data(), 4);
        std::memcpy(q.end, a.end.data(), 4);
        ASSERT_EQ(ShortDateAccept(hours, kUnitHour, q), a.check) << a.what;
        if (a.check != kShortDateOk) continue;
        EXPECT_EQ(Head(q.start), a.clippedStart) << a.what;
        EXPECT_EQ(Head(q.end), a.clippedEnd) << a.what;
    }
    EXPECT_STREQ(ShortDateCheckLine(kShortDateOutside, 1), "(см. период имеющихся в архиве данных)");
}

TEST(AverageRange, OrderCheckCursor) {
    struct Case {
        const char* what;
        int unit;
        B4 start, end;
        std::vector<B4> records;
        std::vector<bool> questioned;
        bool moreAfter;
    } cases[] = {
        {"hours in order", kUnitHour, {24, 3, 1, 22}, {24, 3, 2, 1},
         {{24, 3, 1, 22}, {24, 3, 1, 23}, {24, 3, 2, 0}, {24, 3, 2, 1}}, {false, false, false, false}, false},
        {"an hour before the cursor", kUnitHour, {24, 3, 1, 10}, {24, 3, 1, 13}, {{24, 3, 1, 9}}, {true}, true},
        {"an hour after the end", kUnitHour, {24, 3, 1, 10}, {24, 3, 1, 13}, {{24, 3, 1, 14}}, {true}, true},
        {"two hours swapped", kUnitHour, {24, 3, 1, 10}, {24, 3, 1, 13}, {{24, 3, 1, 11}, {24, 3, 1, 10}},
         {false, true}, true},
        {"a gap is not questioned", kUnitHour, {24, 3, 1, 10}, {24, 3, 1, 13}, {{24, 3, 1, 12}, {24, 3, 1, 13}},
         {false, false}, true},
        {"a day before the cursor is slack", kUnitDay, {24, 3, 1}, {24, 3, 5}, {{24, 2, 29}}, {false}, true},
        {"two days before is not", kUnitDay, {24, 3, 1}, {24, 3, 5}, {{24, 2, 28}}, {true}, true},
        {"a day after the end is slack", kUnitDay, {24, 3, 4}, {24, 3, 5}, {{24, 3, 6}, {24, 3, 6}}, {false, false},
         false},
        {"two days after the end is not", kUnitDay, {24, 3, 4}, {24, 3, 5}, {{24, 3, 7}}, {true}, true},
        {"over the year's end", kUnitDay, {23, 12, 31}, {24, 1, 1}, {{23, 12, 31}, {24, 1, 1}}, {false, false}, false},
    };
    for (const auto& c : cases) {
        uint8_t s[5] = {c.start[0], c.start[1], c.start[2], c.start[3], 0};
        uint8_t e[5] = {c.end[0], c.end[1], c.end[2], c.end[3], 0};
        AverageOrderCheck check(c.unit, s, e);
        for (size_t i = 0; i < c.records.size(); ++i) {
            uint8_t rec[6] = {c.records[i][0], c.records[i][1], c.records[i][2], c.records[i][3], 0, 0};
            EXPECT_EQ(check.OutOfOrder(rec), c.questioned[i]) << c.what << " record " << i;
            check.Advance();
        }
        EXPECT_EQ(check.MoreWanted(), c.moreAfter) << c.what;
    }
    // Once checking is off nothing is questioned.
    const uint8_t s[5] = {24, 3, 1, 10, 0}, late[6] = {25, 1, 1, 0, 0, 0};
    AverageOrderCheck check(kUnitHour, s, s);
    EXPECT_TRUE(check.OutOfOrder(late));
    check.StopChecking();
    EXPECT_FALSE(check.OutOfOrder(late));
}

}  // namespace
}  // namespace zul
