// The simulator's intervention archive, fetched with command 7 over loopback TCP
// and decoded by the program's decoder: every rendering kind is there, and a
// command 2 over several fields leaves one record per changed field.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "SimLink.h"
#include "events/InterventionDecoder.h"

namespace zul {
namespace {

using test::SimLink;
using test::Via;

// Records [first, first + count) of the intervention archive, by command 7.
std::vector<std::array<uint8_t, 24>> Fetch(SimLink& l, uint32_t first, int count) {
    std::vector<std::array<uint8_t, 24>> out;
    while (count > 0) {
        const int n = count < 10 ? count : 10;
        const std::vector<uint8_t> req = {0, 1, uint8_t(first), uint8_t(first >> 8), uint8_t(first >> 16),
                                          uint8_t(first >> 24), uint8_t(n)};
        if (!l.Exchange(7, req)) break;
        const int got = l.box.reply[10];
        if (got <= 0 || got > n) break;
        for (int i = 0; i < got; ++i) {
            std::array<uint8_t, 24> r;
            std::memcpy(r.data(), &l.box.reply[11 + 24 * i], 24);
            out.push_back(r);
        }
        first += uint32_t(got);
        count -= got;
    }
    return out;
}

TEST(SimInterventions, TheSettingUpShowsEveryKindOfValue) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    ASSERT_TRUE(l.Read(11, 0, 2));
    uint32_t oldest, newest;
    std::memcpy(&oldest, l.image.Field(11, 0), 4);
    std::memcpy(&newest, l.image.Field(11, 1), 4);
    const auto records = Fetch(l, oldest, 29);
    ASSERT_EQ(records.size(), 29u);
    ASSERT_LE(oldest + 29, newest + 1);

    std::set<ValueKind> kinds;
    int unlisted = 0;
    for (const auto& r : records) {
        bool bad = true;
        const EventRow row = DecodeIntervention(r.data(), l.image, &bad);
        ASSERT_FALSE(bad);
        SCOPED_TRACE(row[2]);
        const InterventionEntry* e = FindInterventionEntry(r[7], r[8]);
        if (!e) {
            ++unlisted;
            EXPECT_EQ(row[2], "Табл. " + std::to_string(r[7]) + ";  Поле " + std::to_string(r[8]));
            continue;
        }
        kinds.insert(e->kind);
        if (e->kind == ValueKind::None) {
            EXPECT_EQ(row[3] + row[4], "");
        } else {
            EXPECT_NE(row[3], "");
            EXPECT_NE(row[3], "?");
            EXPECT_NE(row[4], "?");
        }
    }
    EXPECT_EQ(unlisted, 1);
    for (ValueKind k : {ValueKind::None, ValueKind::TwoDigit, ValueKind::Decimal, ValueKind::Speed,
                        ValueKind::Hours, ValueKind::Hex14, ValueKind::Hex19, ValueKind::List, ValueKind::DaySpec,
                        ValueKind::NamePiece, ValueKind::IpAddress, ValueKind::U32, ValueKind::Float})
        EXPECT_TRUE(kinds.count(k)) << int(k);
}

TEST(SimInterventions, OneRecordPerChangedFieldOfAWrite) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    uint32_t first = 0;
    const size_t before = l.sim.Interventions(&first).size();
    ASSERT_TRUE(l.Read(14, 0, 16));
    const uint8_t oldMode = l.image.Byte(14, 2), oldTimeout = l.image.Byte(14, 4);
    l.Login("3333", "333333");
    // Fields 2..5: mode and timeout change, parity and failures stay.
    ASSERT_TRUE(l.Write(14, 2, {uint8_t(oldMode ^ 1), l.image.Byte(14, 3), uint8_t(oldTimeout + 7), l.image.Byte(14, 5)}))
        << l.box.ErrorText();
    const auto records = Fetch(l, first + uint32_t(before), 10);
    ASSERT_EQ(records.size(), 2u);
    const EventRow mode = DecodeIntervention(records[0].data(), l.image);
    EXPECT_EQ(mode[2], "Режим обмена MODBUS с хроматографом");
    EXPECT_EQ(mode[3], oldMode == 0 ? " ASCII" : " RTU");
    EXPECT_EQ(mode[4], oldMode == 0 ? " RTU" : " ASCII");
    EXPECT_EQ(mode[6], "ENG ");
    const EventRow timeout = DecodeIntervention(records[1].data(), l.image);
    EXPECT_EQ(timeout[2], "Таймаут ожидания ответа от хроматографа");
    EXPECT_EQ(timeout[3], std::to_string(oldTimeout));
    EXPECT_EQ(timeout[4], std::to_string(uint8_t(oldTimeout + 7)));
    EXPECT_EQ(l.sim.Interventions().size(), before + 2);
}

}  // namespace
}  // namespace zul
