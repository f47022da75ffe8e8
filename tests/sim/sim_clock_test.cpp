// The controller clock (table 2, command 12, table 42) and the live tables that
// change with it.
#include <cmath>
#include <cstring>

#include "sim/SimLink.h"
#include "tables/Dtfun.h"

namespace zul::test {
namespace {

using Bytes = std::vector<uint8_t>;

double At(int y, int mo, int d, int h, int mi, int s) {
    return sim::DateTimeFromSeconds(sim::SecondsFromFields(y, mo, d, h, mi, s));
}

bool Correct(SimLink& l, int16_t seconds) {
    return l.Exchange(12, {uint8_t(uint16_t(seconds) & 0xFF), uint8_t(uint16_t(seconds) >> 8)});
}

TEST(SimClock, Table2HoldsDateWeekdayAndSeason) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    ASSERT_TRUE(l.Read(2, 0, 8));
    // 15.03.2024 was a Friday, still winter time (summer from the last Sunday of March).
    EXPECT_EQ(Bytes(l.image.Data(2), l.image.Data(2) + 8), (Bytes{24, 3, 15, 12, 0, 0, 6, 0x80}));
    l.sim.SetClock(At(2024, 3, 31, 3, 0, 0));
    ASSERT_TRUE(l.Read(2, 0, 8));
    EXPECT_EQ(Bytes(l.image.Data(2), l.image.Data(2) + 8), (Bytes{24, 3, 31, 3, 0, 0, 1, 0}));
    ASSERT_TRUE(l.Read(42, 0, 6));
    EXPECT_EQ(Bytes(l.image.Data(42), l.image.Data(42) + 6), (Bytes{24, 3, 31, 2, 59, 56}));
    // A running clock runs.
    l.sim.SetClockRate(3600);
    ::usleep(30000);
    ASSERT_TRUE(l.Read(2, 0, 6));
    EXPECT_GT(sim::SecondsFromPacked(l.image.Data(2)), sim::SecondsFromFields(2024, 3, 31, 3, 0, 59));
}

TEST(SimClock, Command12MovesTheClockWithinItsHourOnly) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    l.sim.SetClock(At(2024, 3, 15, 10, 59, 50));
    l.Login("4444", "444444");
    ASSERT_TRUE(Correct(l, 10)) << l.box.ErrorText();
    EXPECT_EQ(l.box.reply[4], 10);
    ASSERT_TRUE(l.Read(2, 0, 6));
    EXPECT_EQ(Bytes(l.image.Data(2), l.image.Data(2) + 6), (Bytes{24, 3, 15, 11, 0, 0}));
    EXPECT_FALSE(Correct(l, -1));  // back into the hour before
    EXPECT_EQ(l.DeviceCode(), 10);
    EXPECT_EQ(l.box.ErrorText(), "Команда 12.  Неподходящий момент для коррекции времени");
    EXPECT_TRUE(Correct(l, 1));
    EXPECT_FALSE(Correct(l, -3601));
    EXPECT_EQ(l.DeviceCode(), 17);
    EXPECT_EQ(l.box.ErrorText(), "Команда 12.  Слишком большое время для коррекции");
    EXPECT_TRUE(Correct(l, 3599));  // forward to the start of the next hour, 12:00:00
    ASSERT_TRUE(l.Read(2, 0, 6));
    EXPECT_EQ(Bytes(l.image.Data(2), l.image.Data(2) + 6), (Bytes{24, 3, 15, 12, 0, 0}));

    l.Login("4444", "4");
    EXPECT_FALSE(Correct(l, 5));
    EXPECT_EQ(l.DeviceCode(), 3);
    l.Login("4444", "444444");
    l.sim.SetByte(6, 11, 0);  // no synchronisation with the computer's clock
    EXPECT_FALSE(Correct(l, 5));
    EXPECT_EQ(l.DeviceCode(), 6);
    // The correction left a diagnostic message.
    auto diag = l.sim.Diagnostics();
    ASSERT_FALSE(diag.empty());
    EXPECT_EQ(diag.back()[6], 39);
}

TEST(SimClock, LiveTablesChangeWithTheClock) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    auto snapshot = [&] {
        EXPECT_TRUE(l.Read(30, 0, 22));
        EXPECT_TRUE(l.Read(32, 0, 20));
        EXPECT_TRUE(l.Read(37, 0, 7));
        EXPECT_TRUE(l.Read(33, 0, 2));
        EXPECT_TRUE(l.Read(16, 0, 18));
        return Bytes(l.image.Bytes(), l.image.Bytes() + TableImage::Size());
    };
    const Bytes a = snapshot();
    const uint8_t* t30 = l.image.Data(30);
    EXPECT_EQ(Bytes(t30, t30 + 8), (Bytes{24, 3, 15, 0, 12, 0, 0, 0}));
    EXPECT_EQ(l.image.Byte(33, 0), 1);
    EXPECT_EQ(l.image.Byte(33, 1), 0);  // no moisture meter in a new configuration
    // Every zone of table 32 is the zone of its value in table 30 under tables 23..26.
    ASSERT_TRUE(l.io.ReadWholeTable(23, &l.bar) && l.io.ReadWholeTable(24, &l.bar) &&
                l.io.ReadWholeTable(25, &l.bar) && l.io.ReadWholeTable(26, &l.bar));
    for (int p = 0; p < 20; ++p) {
        float v, lw, hw, la, ha;
        std::memcpy(&v, t30 + 8 + 4 * p, 4);
        std::memcpy(&lw, l.image.Field(23, p), 4);
        std::memcpy(&hw, l.image.Field(24, p), 4);
        std::memcpy(&la, l.image.Field(25, p), 4);
        std::memcpy(&ha, l.image.Field(26, p), 4);
        const int zone = v < la ? 3 : v > ha ? 4 : v < lw ? 1 : v > hw ? 2 : 0;
        EXPECT_EQ(l.image.Byte(32, p), zone) << p;
    }
    l.sim.SetClock(At(2024, 3, 15, 14, 30, 0));
    const Bytes b = snapshot();
    EXPECT_NE(Bytes(a.begin() + Table(30).offset, a.begin() + Table(30).offset + 88),
              Bytes(b.begin() + Table(30).offset, b.begin() + Table(30).offset + 88));
    EXPECT_NE(Bytes(a.begin() + Table(37).offset, a.begin() + Table(37).offset + 28),
              Bytes(b.begin() + Table(37).offset, b.begin() + Table(37).offset + 28));
    EXPECT_EQ(Bytes(l.image.Data(30), l.image.Data(30) + 8), (Bytes{24, 3, 15, 0, 14, 30, 0, 0}));
}

TEST(SimClock, WritingTable2SetsTheClock) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    l.Login("3333", "333333");
    ASSERT_TRUE(l.Write(2, 0, {25, 1, 2, 3, 4, 5, 5, 0x80})) << l.box.ErrorText();
    ASSERT_TRUE(l.Read(2, 0, 8));
    EXPECT_EQ(Bytes(l.image.Data(2), l.image.Data(2) + 8), (Bytes{25, 1, 2, 3, 4, 5, 5, 0x80}));
    EXPECT_FALSE(l.Write(2, 3, {24}));
    EXPECT_EQ(l.DeviceCode(), 4);
}

}  // namespace
}  // namespace zul::test
