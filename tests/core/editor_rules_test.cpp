// What the table editors store and check: the time-change rules of table 6, IP
// octets, typed numbers, the limit ranges of tables 22-26, the data types of
// table 1, the flow-computer and constants records, the identification rows;
// and the editor flow against the simulated controller over loopback TCP.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/support/FakeUi.h"
#include "core/support/SimWrites.h"
#include "editors/EditFlow.h"
#include "editors/EditorRules.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/ConfigRecord.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {
namespace {

TEST(TimeChangeRule, ListsSetOnlyTheirOwnBits) {
    struct Case {
        uint8_t before;
        int method, day, ordinal, weekday;  // -1: list left alone
        uint8_t after;
    };
    const Case cases[] = {
        // Last Sunday: bit 7, bit 6, weekday 1, n = 1.
        {0x00, 1, -1, 4, 0, 0xC9},
        {0xC9, 0, -1, -1, -1, 0x49},      // method only: bit 7 cleared, the rest kept
        {0x49, -1, 24, -1, -1, 0x19},     // day of month 25 replaces bits 0-6
        {0x80, -1, -1, 3, 6, 0xFA},       // last but one Saturday: bit 6, n = 2, weekday 7
        {0xFA, -1, -1, 2, -1, 0xBB},      // third: bit 6 cleared, n = 3, weekday kept
        {0xBB, -1, -1, -1, 1, 0x93},      // Monday: bits 3-5 = 2
        {0x93, -1, 30, -1, -1, 0x9F},     // day list keeps bit 7
    };
    for (const Case& c : cases) {
        uint8_t b = c.before;
        if (c.method >= 0) b = DayByteWithMethod(b, c.method == 1);
        if (c.day >= 0) b = DayByteWithDayItem(b, c.day);
        if (c.ordinal >= 0) b = DayByteWithOrdinalItem(b, c.ordinal);
        if (c.weekday >= 0) b = DayByteWithWeekdayItem(b, c.weekday);
        EXPECT_EQ(int(b), int(c.after)) << "from " << int(c.before);
    }
}

TEST(TimeChangeRule, BytesBackToListItems) {
    struct Case {
        uint8_t byte;
        bool weekday;
        int day, ordinal, weekdayItem;
    };
    const Case cases[] = {
        {0xC9, true, -1, 4, 0}, {0x8A, true, 9, 1, 0},   {0xD2, true, -1, 3, 1}, {0xC3, true, -1, -1, -1},
        {0x1F, false, 30, -1, 2}, {0x00, false, -1, -1, -1}, {0x9C, true, 27, -1, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DayByteIsWeekday(c.byte), c.weekday) << int(c.byte);
        EXPECT_EQ(DayByteDayItem(c.byte), c.day) << int(c.byte);
        EXPECT_EQ(DayByteOrdinalItem(c.byte), c.ordinal) << int(c.byte);
        EXPECT_EQ(DayByteWeekdayItem(c.byte), c.weekdayItem) << int(c.byte);
    }
    // Every choice of the lists comes back as the same items.
    for (int o = 0; o < 5; ++o)
        for (int w = 0; w < 7; ++w) {
            const uint8_t b = DayByteWithWeekdayItem(DayByteWithOrdinalItem(0x80, o), w);
            EXPECT_EQ(DayByteOrdinalItem(b), o);
            EXPECT_EQ(DayByteWeekdayItem(b), w);
        }
}

TEST(TimeChangeRule, MonthsAndHoursOfBothLists) {
    struct Case {
        bool winter;
        int item, month, days;
    };
    const Case months[] = {{false, 0, 0, 0}, {false, 1, 2, 28}, {false, 2, 3, 31}, {false, 3, 4, 30},
                           {false, 4, 5, 31}, {true, 0, 0, 0},   {true, 1, 9, 30},  {true, 2, 10, 31},
                           {true, 3, 11, 30}, {true, 4, 12, 31}};
    for (const Case& c : months) {
        EXPECT_EQ(RuleMonthFromItem(c.winter, c.item), c.month);
        EXPECT_EQ(RuleItemFromMonth(c.winter, c.month), c.item);
        EXPECT_EQ(RuleDaysInMonth(c.month), c.days);
    }
    for (auto [winter, month] : {std::pair{false, 9}, {false, 1}, {true, 3}, {true, 8}, {false, 13}})
        EXPECT_EQ(RuleItemFromMonth(winter, month), -1) << month;
    EXPECT_EQ(RuleHourFromItem(false, 0), 0);
    EXPECT_EQ(RuleHourFromItem(false, 22), 22);
    EXPECT_EQ(RuleHourFromItem(true, 0), 1);
    EXPECT_EQ(RuleHourFromItem(true, 22), 23);
    EXPECT_EQ(RuleItemFromHour(false, 23), -1);
    EXPECT_EQ(RuleItemFromHour(true, 0), -1);
    EXPECT_EQ(RuleItemFromHour(true, 3), 2);
}

TEST(TypedNumbers, UnsignedFloatAndOctets) {
    struct U {
        const char* text;
        bool ok;
        uint64_t value;
    };
    const U unsignedCases[] = {{"0", true, 0},     {"254", true, 254},          {"", false, 0},
                               {"1a", false, 0},   {"-1", false, 0},            {"4294967296", true, 4294967296ull},
                               {"99999999999999999999999", true, UINT64_MAX}};
    for (const U& c : unsignedCases) {
        uint64_t v = 77;
        EXPECT_EQ(ParseUnsigned(c.text, &v), c.ok) << c.text;
        if (c.ok) EXPECT_EQ(v, c.value) << c.text;
    }
    struct F {
        const char* text;
        bool ok;
        float value;
    };
    const F floatCases[] = {{"0.6", true, 0.6f}, {"1,5", true, 1.5f}, {"", false, 0}, {".", false, 0},
                            {"1e-3", true, 0.001f}, {"2.5x", false, 0}, {" 3 ", true, 3.0f}};
    for (const F& c : floatCases) {
        float v = -1;
        EXPECT_EQ(ParseFloat(c.text, &v), c.ok) << c.text;
        if (c.ok) EXPECT_EQ(v, c.value) << c.text;
    }
    struct Fixed {
        double v;
        int decimals, sig;
        const char* text;
    };
    const Fixed fixedCases[] = {{0.6, 3, 10, "0.600"},         {290, 0, 10, "290"},
                                {0.0001, 4, 10, "0.0001"},     {123456789.5, 3, 10, "123456789.5"},
                                {12345678901.0, 2, 10, "12345678901"}, {97.26, 1, 10, "97.3"}};
    for (const Fixed& c : fixedCases) EXPECT_EQ(FormatFixed(c.v, c.decimals, c.sig), c.text) << c.v;
}

TEST(LimitRanges, BoundsAreWidenedByATolerance) {
    struct Case {
        int kind, row;
        float value;
        bool accepted;
    };
    const Case cases[] = {
        {1, 0, 0.6000099f, true}, {1, 0, 0.6001f, false}, {1, 0, 0.0f, true},     {1, 0, -0.00002f, false},
        {0, 0, 0.0001f, true},    {0, 0, 0.00008f, false}, {0, 0, 0.1f, true},     {0, 0, 0.2f, false},
        {4, 8, 40.0f, true},      {4, 8, 39.99f, false},   {2, 17, 350.0f, true},  {3, 17, 351.0f, false},
        {0, 19, 0.001f, true},    {0, 19, 0.0011f, false}, {1, 14, 0.997f, true},  {1, 14, 0.9969f, false},
        {2, 0, std::nanf(""), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LimitAccepts(c.kind, c.row, c.value), c.accepted) << c.kind << "/" << c.row << " " << c.value;
    // Decimals and defaults by kind.
    EXPECT_EQ(LimitRangeOf(0, 17).decimals, 2);
    EXPECT_EQ(LimitRangeOf(3, 15).decimals, 1);
    EXPECT_EQ(LimitRangeOf(2, 15).decimals, 0);
    EXPECT_EQ(LimitRangeOf(4, 14).defaultValue, 1.0f);
    EXPECT_EQ(LimitRangeOf(1, 8).defaultValue, 95.0f);
    EXPECT_EQ(LimitRangeOf(5, 0).max, 0.0f);  // no such kind
    // Every default, the editor's and a new configuration's, lies in its own range.
    ConfigurationRecord fresh;
    NewConfiguration(fresh);
    std::vector<std::pair<int, int>> outside;
    for (int k = 0; k < kLimitKinds; ++k)
        for (int r = 0; r < kGasParams; ++r)
            if (!LimitAccepts(k, r, LimitRangeOf(k, r).defaultValue) ||
                !LimitAccepts(k, r, GetFloat(fresh.TableAt(22 + k) + 4 * r)))
                outside.push_back({k, r});
    EXPECT_EQ(outside, (std::vector<std::pair<int, int>>{}));
}

TEST(ParameterTypes, UnitsOfferedAndStored) {
    struct Case {
        int type, unitCode, item;
    };
    const Case cases[] = {{0, 1, 0},  {1, 8, 0},  {2, 9, 0},  {2, 11, 2}, {2, 8, -1}, {3, 5, 1}, {5, 6, 2},
                          {6, 7, 0},  {7, 0, 0},  {8, 0, 0},  {8, 1, -1}, {4, 3, -1}, {9, 0, -1}};
    for (const Case& c : cases) EXPECT_EQ(UnitItemOf(c.type, c.unitCode), c.item) << c.type << "/" << c.unitCode;
    EXPECT_STREQ(DataType(6).text, "Плотность абс.");
    EXPECT_EQ(DataType(6).firstUnitCode, 7);
    EXPECT_STREQ(DataType(8).text, "Фактор сжим.  ");
    EXPECT_STREQ(DataType(2).units[1], "кПа");
}

TEST(FlowComputerRecords, ChecksAndImageRoundTrip) {
    struct Case {
        std::vector<std::array<uint8_t, 4>> records;  // address, type, mask, byte order
        const char* line1;
        const char* line2;
    };
    const Case cases[] = {
        {{{1, 0, 1, 0}, {2, 3, 0, 1}}, "", ""},
        {{{1, 0, 1, 0}, {0, 0, 0, 0}}, "Вычислитель № 2", "Неверно заданы параметры"},
        {{{255, 0, 1, 0}}, "Вычислитель № 1", "Неверно заданы параметры"},
        {{{1, 4, 1, 0}}, "Вычислитель № 1", "Неверно заданы параметры"},
        {{{1, 0, 1, 2}}, "Вычислитель № 1", "Неверно заданы параметры"},
        {{{5, 0, 1, 0}, {6, 0, 0, 0}, {5, 1, 0, 0}}, "Повтор адреса 5", ""},
        // A bad record ahead of a repeated address is reported first.
        {{{7, 9, 0, 0}, {7, 0, 0, 0}}, "Вычислитель № 1", "Неверно заданы параметры"},
    };
    for (const Case& c : cases) {
        FlowRecord r[kMaxFlowComputers] = {};
        for (size_t i = 0; i < c.records.size(); ++i) std::copy(c.records[i].begin(), c.records[i].end(), r[i].begin());
        std::string l1, l2;
        EXPECT_EQ(CheckFlowRecords(r, int(c.records.size()), &l1, &l2), *c.line1 == 0) << c.line1;
        EXPECT_EQ(l1, c.line1);
        EXPECT_EQ(l2, c.line2);
    }
    TableImage image;
    for (int i = 0; i < 16; ++i) {
        *image.Field(18, i) = uint8_t(10 + i);
        *image.Field(17, i) = uint8_t(i % 4);
        *image.Field(19, i) = uint8_t(0x11 * (i % 3));
        *image.Field(20, i) = uint8_t(i % 2);
    }
    FlowRecord r[kMaxFlowComputers] = {};
    FlowRecordsFromImage(image, 3, r);
    EXPECT_EQ(r[2][0], 12);
    EXPECT_EQ(r[2][1], 2);
    EXPECT_EQ(r[2][2], 0x22);
    EXPECT_EQ(r[2][3], 0);
    EXPECT_EQ(std::string(r[2].begin() + 4, r[2].end()), std::string(16, ' '));
    std::memcpy(r[1].data() + 4, "secret          ", 16);
    r[1][0] = 99;
    FlowRecordsToImage(image, 2, r);
    EXPECT_EQ(image.Byte(9, 0), 2);
    EXPECT_EQ(image.Byte(18, 1), 99);
    EXPECT_EQ(image.Byte(18, 2), 12);  // beyond the count: untouched
    EXPECT_EQ(std::memcmp(image.Field(13, 1), "secret          ", 16), 0);
    EXPECT_EQ(PipelinesOfType(1), 1);
    EXPECT_EQ(PipelinesOfType(0), 3);
}

TEST(ConstantsRecord, OnlyTheFirstNParametersMove) {
    TableImage image;
    for (int i = 0; i < 20; ++i) {
        *image.Field(43, i) = uint8_t(i & 1);
        PutFloat(image.Field(44, i), float(i) + 0.5f);
    }
    uint8_t rec[kConstRecordSize];
    ConstRecordFromImage(image, 5, rec);
    EXPECT_EQ(rec[1], 1);
    EXPECT_EQ(rec[5], 0);  // beyond n: zero
    EXPECT_EQ(GetFloat(rec + 20 + 4 * 4), 4.5f);
    EXPECT_EQ(GetFloat(rec + 20 + 4 * 5), 0.0f);
    rec[0] = 1;
    PutFloat(rec + 20, -2.0f);
    std::memset(rec + 5, 7, 15);  // garbage beyond n must stay out of the image
    ConstRecordToImage(image, 5, rec);
    EXPECT_EQ(image.Byte(43, 0), 1);
    EXPECT_EQ(GetFloat(image.Field(44, 0)), -2.0f);
    EXPECT_EQ(image.Byte(43, 6), 0);
    EXPECT_EQ(GetFloat(image.Field(44, 5)), 5.5f);
}

TEST(IdentificationView, RowsFromTableZero) {
    struct Case {
        std::array<uint8_t, 18> t0;
        bool display;
        int row;
        const char* value;
        bool alarm;
    };
    const Case cases[] = {
        {{0, 73, 3, 17, 23, 11, 15, 10, 30, 0, 1, 1, 0, 0, 1, 2, 0, 0}, true, 3, "15.11.23  10:30:00", false},
        {{7, 73, 3, 17, 100, 0, 32, 24, 60, 59, 1, 1, 0, 0, 1, 2, 0, 0}, true, 3, "**.**.**  **:**:59", false},
        {{7, 73, 3, 17, 23, 11, 15, 10, 30, 0, 1, 1, 0, 0, 1, 2, 0, 0}, true, 5, "Разрушена таблица 7", true},
        {{0, 73, 3, 17, 23, 11, 15, 10, 30, 0, 0, 0, 0, 9, 1, 2, 3, 0}, true, 4, "Мл. адрес - ст. байт", false},
        {{0, 73, 3, 17, 23, 11, 15, 10, 30, 0, 5, 0, 0, 9, 1, 2, 3, 0}, true, 4, " ? ", false},
        {{0, 73, 3, 17, 23, 11, 15, 10, 30, 0, 0, 0, 0, 9, 1, 2, 3, 0}, true, 6, "Нет", false},
        {{0, 73, 3, 17, 23, 11, 15, 10, 30, 0, 0, 0, 0, 9, 1, 2, 3, 0}, true, 7, "Нет. Адрес = 9", false},
        {{0, 73, 3, 17, 23, 11, 15, 10, 30, 0, 0, 0, 0, 9, 1, 2, 3, 0}, true, 8, "1.2.3", false},
        {{7, 73, 3, 17, 23, 11, 15, 10, 30, 0, 0, 0, 0, 9, 1, 2, 3, 0}, false, 5, "", false},
        {{7, 73, 3, 14, 23, 11, 15, 10, 30, 0, 0, 0, 0, 9, 1, 2, 3, 0}, false, 2, "14", false},
    };
    for (const Case& c : cases) {
        IdentRow rows[kIdentRows];
        IdentRows(c.t0.data(), c.display, rows);
        EXPECT_EQ(rows[c.row].value, c.value) << c.row;
        EXPECT_EQ(rows[c.row].alarm, c.alarm) << c.row;
    }
}

// --- the flow against the simulated controller -----------------------------------

class EditFlowOnSim : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::ConnectToSim(box, sim, &ui, &writes)); }
    void TearDown() override {
        if (box.sock > 0) TcpClose(box.sock);
    }
    sim::Qrtsim sim;
    test::FakeUi ui;
    Qrtbox box{1};
    TableImage image;
    TableIo io{box, image, ui};
    MemoryStatusBar bar;
    test::WriteLog writes;
};

TEST_F(EditFlowOnSim, OnlyChangedFieldsAreWrittenAndOnlyWhenAccepted) {
    struct Case {
        const char* what;
        bool accept;
        std::vector<std::pair<int, uint8_t>> edits;  // field, value in table 15
        std::vector<std::array<int, 3>> expected;
        EditResult result;
    };
    const Case cases[] = {
        {"cancelled", false, {{0, 9}}, {}, EditResult::kStopped},
        {"unchanged", true, {}, {}, EditResult::kWritten},
        {"one field", true, {{4, 200}}, {{15, 4, 1}}, EditResult::kWritten},
        {"two apart", true, {{0, 7}, {6, 2}}, {{15, 0, 7}}, EditResult::kWritten},
        {"neighbours", true, {{4, 100}, {5, 3}}, {{15, 4, 2}}, EditResult::kWritten},
    };
    for (const Case& c : cases) {
        writes.runs.clear();
        EditFlow flow(io, &bar);
        const std::vector<uint8_t> before = sim.TableBytes(15);
        EditResult r = EditTable(flow, {{15, 0, 8}}, {15, 0, 8}, [&](uint8_t* bytes) {
            EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 8), before) << c.what;  // read afresh
            for (auto [f, v] : c.edits) bytes[f] = v;
            return c.accept;
        });
        EXPECT_EQ(r, c.result) << c.what;
        EXPECT_EQ(writes.runs, c.expected) << c.what;
        std::vector<uint8_t> after = before;
        if (c.accept)
            for (auto [f, v] : c.edits) after[size_t(f)] = v;
        EXPECT_EQ(sim.TableBytes(15), after) << c.what;
    }
}

TEST_F(EditFlowOnSim, ARefusedWriteKeepsTheEditInTheImageAndNamesTheReason) {
    sim::Faults f;
    f.refuse = {1, 0, 2};
    f.refuseCode = 26;
    sim.SetFaults(f);
    EditFlow flow(io, &bar);
    EditResult r = EditTable(flow, {{29, 0, 7}}, {29, 0, 7}, [&](uint8_t* bytes) {
        bytes[0] = 99;
        return true;
    });
    EXPECT_EQ(r, EditResult::kWriteFailed);
    EXPECT_EQ(image.Byte(29, 0), 99);
    EXPECT_NE(sim.Field(29, 0)[0], 99);
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().kind, kMsgRetry);
    EXPECT_EQ(ui.shown.back().line1, "Не выполнена запись в таблицу 29.");
    EXPECT_NE(box.ErrorText().find("Команда 2."), std::string::npos);
}

TEST_F(EditFlowOnSim, AFailedReadOpensNoDialog) {
    sim::Faults f;
    f.silence = {-1, 0, 1};
    sim.SetFaults(f);
    box.replyTimeoutMs = 100;
    EditFlow flow(io, &bar);
    bool opened = false;
    EXPECT_EQ(EditTable(flow, {{6, 0, 12}}, {6, 0, 12}, [&](uint8_t*) { return opened = true; }),
              EditResult::kStopped);
    EXPECT_FALSE(opened);
    EXPECT_EQ(ui.shown.back().line1, "Не выполнено чтение из таблицы 6.");
}

}  // namespace
}  // namespace zul
