// The chromatograph tables: the text of every kind of cell, the headings, the
// averages and which values take part in them, checked on records sealed with the
// engine's check bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "link/Qrtbox.h"
#include "measurements/ChromRecords.h"

namespace zul {
namespace {

using Rec = std::vector<uint8_t>;

void Seal(Rec& r) {
    const uint16_t c = Crc16(r.data(), uint16_t(r.size() - 2));
    r[r.size() - 2] = uint8_t(c & 0xFF);
    r[r.size() - 1] = uint8_t(c >> 8);
}

uint32_t Bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, 4);
    return b;
}

void PutBits(Rec& r, int p, uint32_t bits) {
    for (int i = 0; i < 4; ++i) r[size_t(12 + 4 * p + i)] = uint8_t(bits >> (8 * i));
}

// A header with the given parameters: name, unit code, decimals.
struct Param {
    const char* nameCp1251;
    uint8_t unit;
    uint8_t decimals;
};
std::vector<uint8_t> Header(const std::vector<Param>& params) {
    std::vector<uint8_t> h(kChromHeaderBytes, 0);
    h[44] = 5;
    h[52] = uint8_t(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        uint8_t* slot = h.data() + 79 + 41 * i;
        std::memcpy(slot, params[i].nameCp1251, std::min<size_t>(10, std::strlen(params[i].nameCp1251)));
        slot[11] = params[i].unit;
        slot[12] = params[i].decimals;
    }
    const uint8_t start[6] = {21, 3, 3, 5, 6, 7}, end[6] = {21, 3, 4, 8, 9, 10};
    std::memcpy(h.data() + 879, start, 6);
    std::memcpy(h.data() + 885, end, 6);
    return h;
}

Rec Measurement(uint8_t status, std::vector<uint32_t> values) {
    Rec r(kChromRecordSize, 0);
    const uint8_t when[6] = {21, 3, 3, 12, 34, 56};
    std::memcpy(r.data(), when, 6);
    r[7] = status;
    for (size_t p = 0; p < values.size(); ++p) PutBits(r, int(p), values[p]);
    Seal(r);
    return r;
}

TEST(ChromTables, MeasurementValueCells) {
    const uint32_t v1235 = Bits(12.35f) & ~3u;
    struct Case {
        const char* what;
        uint8_t status;
        uint32_t bits;
        uint8_t decimals;
        const char* cell;
    } cases[] = {
        {"plain value", 0x00, v1235, 2, " 12.35  "},
        {"warning flag", 0x00, v1235 | 1, 2, " 12.35 *"},
        {"alarm flag", 0x00, v1235 | 2, 2, " 12.35 #"},
        {"both flags: alarm wins", 0x00, v1235 | 3, 2, " 12.35 #"},
        {"calibration mark", 0x80, v1235, 2, " 12.35 \""},
        {"warning during calibration", 0x80, v1235 | 1, 2, " 12.35 *"},
        {"controller off", 0x02, v1235, 2, " 0"},
        {"off wins over no link", 0x22, v1235, 2, " 0"},
        {"no link with the chromatograph", 0x20, v1235, 2, " "},
        {"NaN", 0x00, 0x7FC00000u, 2, "  NAN"},
        {"infinity", 0x08, 0xFF800000u, 2, "  NAN"},
        {"NaN with flags in its low bits", 0x00, 0x7FC00003u, 2, "  NAN"},
        {"other status bits mark nothing", 0x04, v1235, 3, " 12.350  "},
        {"no decimals", 0x00, Bits(96.5f) & ~3u, 0, " 96  "},  // 96.49999... after the flags are cleared
        {"huge value in the general form", 0x00, Bits(1.5e12f) & ~3u, 2, " 1.500000027E12  "},
    };
    for (const auto& c : cases) {
        const auto h = Header({{"CH4", 1, c.decimals}});
        const Rec r = Measurement(c.status, {c.bits});
        ChromTable t(kChromMeasurement, h.data(), r.data(), 1);
        EXPECT_EQ(t.Cell(2, 2), c.cell) << c.what;
        EXPECT_EQ(t.Cell(2, 0), " 03.03.21") << c.what;
        EXPECT_EQ(t.Cell(2, 1), " 12:34:56") << c.what;
    }
}

TEST(ChromTables, HeadingsAndCaptions) {
    // Names in cp1251: "Метан" (5 characters) and a full ten-character name.
    const auto h = Header({{"\xCC\xE5\xF2\xE0\xED", 4, 2}, {"ABCDEFGHIJ", 8, 1}, {"CO2", 11, 3}, {"X", 12, 0}});
    ChromTable m(kChromMeasurement, h.data(), nullptr, 0);
    ASSERT_EQ(m.Columns(), 6);
    ASSERT_EQ(m.Rows(), 2);
    const char* row0[] = {"   Дата", "   Время", "  Метан", " ABCDEFGHIJ", "   CO2", "    X"};
    const char* row1[] = {"", "", "  МДж/м3", "    °C", "   МПа", "     "};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(m.Cell(0, c), row0[c]) << c;
        EXPECT_EQ(m.Cell(1, c), row1[c]) << c;
    }
    EXPECT_EQ(m.Caption(), "Измерительные данные хроматографа за период  с  03.03.21 05:06:07  по  04.03.21 08:09:10");

    ChromTable hourly(kChromHourly, h.data(), nullptr, 0);
    ASSERT_EQ(hourly.Columns(), 8);
    const char* avg0[] = {"   Дата", "   Время", "  Время", "Кол. ликв.", "  Метан"};
    const char* avg1[] = {"  начала", "  начала", "  конца", " данных", "  МДж/м3"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(hourly.Cell(0, c), avg0[c]);
        EXPECT_EQ(hourly.Cell(1, c), avg1[c]);
    }
    EXPECT_EQ(hourly.Caption(), "Часовые данные хроматографа за период с 03.03.21  05ч  по  04.03.21  08ч");
    ChromTable daily(kChromDaily, h.data(), nullptr, 0);
    EXPECT_EQ(daily.Caption(), "Суточные данные хроматографа за период с 03.03.21  по  04.03.21");
    ChromTable clb(kChromCalibration, h.data(), nullptr, 0);
    EXPECT_EQ(clb.Caption(), "Калибровочные данные хроматографа за период  с  03.03.21 05:06:07  по  04.03.21 08:09:10");
    EXPECT_EQ(clb.Rows(), 0);
    EXPECT_EQ(clb.Columns(), 4);

    // A parameter count outside 1..20 gives no parameter columns at all.
    auto bad = Header({});
    bad[52] = 21;
    EXPECT_EQ(ChromTable(kChromMeasurement, bad.data(), nullptr, 0).Columns(), 2);
}

TEST(ChromTables, AverageRecordCells) {
    struct Case {
        const char* what;
        ChromTableKind kind;
        uint8_t endHour;
        uint8_t status;
        uint32_t bits;
        const char* endCell;
        const char* valueCell;
        const char* statusCaptionEnd;
    } cases[] = {
        {"hourly", kChromHourly, 11, 0x00, Bits(0.9f), " 11:00:00", " 0.90  ", "по 11:00:00"},
        {"hourly flag bits are kept", kChromHourly, 11, 0x00, Bits(0.9f) | 3, " 11:00:00", " 0.90  ", "по 11:00:00"},
        {"daily with the flag", kChromDaily, 0x8A, 0x00, Bits(0.9f), " 10:00:00", " 0.90  ", "по 10:00:00*"},
        {"daily without the flag", kChromDaily, 0x0A, 0x00, Bits(0.9f), " 10:00:00*", " 0.90  ", "по 10:00:00 "},
        {"status bit 2 marks every value", kChromHourly, 11, 0x04, Bits(0.9f), " 11:00:00", " 0.90 \"", ""},
        {"controller off", kChromHourly, 11, 0x02, Bits(0.9f), " 11:00:00", " 0", ""},
        {"substitute values", kChromHourly, 11, 0x20, Bits(0.9f), " 11:00:00", " 0", ""},
        {"no value", kChromDaily, 0x8A, 0x40, 0x7F800001u, " 10:00:00", "  NAN", ""},
    };
    for (const auto& c : cases) {
        const auto h = Header({{"N2", 1, 2}});
        Rec r(kChromRecordSize, 0);
        const uint8_t when[6] = {21, 3, 3, 10, 0, 0};
        std::memcpy(r.data(), when, 6);
        r[6] = c.endHour;
        r[9] = c.status;
        r[10] = 0x2C;
        r[11] = 0x01;
        PutBits(r, 0, c.bits);
        Seal(r);
        ChromTable t(c.kind, h.data(), r.data(), 1);
        EXPECT_EQ(t.Cell(2, 0), " 03.03.21") << c.what;
        EXPECT_EQ(t.Cell(2, 1), " 10:00:00") << c.what;
        EXPECT_EQ(t.Cell(2, 2), c.endCell) << c.what;
        EXPECT_EQ(t.Cell(2, 3), " 300") << c.what;
        EXPECT_EQ(t.Cell(2, 4), c.valueCell) << c.what;
        const std::string cap = t.StatusCaption(0);
        EXPECT_EQ(cap.substr(cap.size() - std::strlen(c.statusCaptionEnd)), c.statusCaptionEnd) << c.what;
    }
}

TEST(ChromTables, BadChecksAndCalibrationCells) {
    const auto h = Header({{"A", 1, 2}, {"B", 1, 2}});
    Rec m = Measurement(0, {Bits(1.0f), Bits(2.0f)});
    m[20] ^= 1;
    ChromTable mt(kChromMeasurement, h.data(), m.data(), 1);
    const char* mRow[] = {"", "", "  Данные", " недостов."};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(mt.Cell(2, c), mRow[c]);

    // With one parameter the second text has no column: it is left out, not written past the row.
    const auto h1 = Header({{"A", 1, 2}});
    ChromTable mt1(kChromMeasurement, h1.data(), m.data(), 1);
    EXPECT_EQ(mt1.Columns(), 3);
    EXPECT_EQ(mt1.Cell(2, 2), "  Данные");
    EXPECT_EQ(mt1.Cell(2, 3), "");

    Rec a(kChromRecordSize, 0);
    Seal(a);
    a[0] ^= 1;
    ChromTable at(kChromHourly, h.data(), a.data(), 1);
    const char* aRow[] = {"", "     Данные", "недостов.", "", "", ""};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(at.Cell(2, c), aRow[c]);

    struct Cal {
        uint8_t low, high;
        bool damaged;
        const char* row[4];
    } cals[] = {
        {0x01, 0x20, false, {" 03.03.21", " 05:12:03", "   Неудачная", "20 01"}},
        {0x00, 0x00, false, {" 03.03.21", " 05:12:03", "   Норма", "00 00"}},
        {0xFE, 0xAB, false, {" 03.03.21", " 05:12:03", "   Норма", "AB FE"}},
        {0x01, 0x20, true, {" Данные", "недостов.", "", ""}},
    };
    for (const auto& c : cals) {
        Rec r = {21, 3, 3, 5, 12, 3, c.low, c.high, 0, 0};
        Seal(r);
        if (c.damaged) r[9] ^= 0x40;
        ChromTable t(kChromCalibration, h.data(), r.data(), 1);
        for (int col = 0; col < 4; ++col) EXPECT_EQ(t.Cell(0, col), c.row[col]) << int(c.low) << " " << col;
        if (!c.damaged) EXPECT_EQ(t.StatusCaption(0), "Статус калибровки   03.03.21   05:12:03");
    }
}

TEST(ChromTables, WhichValuesMakeTheAverages) {
    const auto h = Header({{"A", 1, 3}, {"B", 1, 3}, {"C", 1, 3}});
    std::vector<Rec> recs = {
        Measurement(0x00, {Bits(1.0f), Bits(10.0f) | 1, 0x7FC00000u}),   // counts, flags cleared
        Measurement(0x80, {Bits(3.0f), Bits(20.0f) | 2, 0x7FC00000u}),   // calibration marks count
        Measurement(0x02, {Bits(100.0f), Bits(100.0f), Bits(100.0f)}),   // off: not counted
        Measurement(0x20, {Bits(100.0f), Bits(100.0f), Bits(100.0f)}),   // no link: not counted
        Measurement(0x00, {Bits(100.0f), Bits(100.0f), Bits(100.0f)}),   // damaged below: not counted
    };
    recs[4][30] ^= 0xFF;
    std::vector<uint8_t> all;
    for (auto& r : recs) all.insert(all.end(), r.begin(), r.end());
    ChromTable t(kChromMeasurement, h.data(), all.data(), recs.size());
    EXPECT_FLOAT_EQ(t.Average(0), 2.0f);
    EXPECT_FLOAT_EQ(t.Average(1), 15.0f);
    EXPECT_FLOAT_EQ(t.Average(2), 0.0f);  // never a valid value
    EXPECT_EQ(t.Decimals(1), 3);
    EXPECT_EQ(t.Rows(), 7);

    // Averaged records: their low bits are part of the number.
    Rec a(kChromRecordSize, 0), b(kChromRecordSize, 0);
    PutBits(a, 0, 0x3F800003u);
    PutBits(b, 0, 0x3F800001u);
    b[9] = 0x08;  // marked, still counted
    Seal(a);
    Seal(b);
    std::vector<uint8_t> ab(a);
    ab.insert(ab.end(), b.begin(), b.end());
    float fa, fb;
    uint32_t ba = 0x3F800003u, bb = 0x3F800001u;
    std::memcpy(&fa, &ba, 4);
    std::memcpy(&fb, &bb, 4);
    ChromTable ht(kChromDaily, h.data(), ab.data(), 2);
    EXPECT_FLOAT_EQ(ht.Average(0), float((double(fa) + double(fb)) / 2));
}

TEST(ChromTables, FileAndWorkbookNames) {
    const uint8_t first[6] = {21, 3, 3, 5, 12, 3};
    EXPECT_EQ(ChromFileName(kChromMeasurement, 5, first), "zul17_005_210303.mch");
    EXPECT_EQ(ChromFileName(kChromHourly, 255, first), "zul17_255_210303.hch");
    EXPECT_EQ(ChromFileName(kChromDaily, 1, first), "zul17_001_210303.dch");
    EXPECT_EQ(ChromFileName(kChromCalibration, 5, first), "zul17_005_210303-051203.clb");
    EXPECT_EQ(ChromFileName(kChromMeasurement, 5, nullptr), "zul17_005_000000.mch");
    EXPECT_EQ(ChromWorkbookName(kChromMeasurement, 5, first), "zul17_005_210303_mom.xlsx");
    EXPECT_EQ(ChromWorkbookName(kChromHourly, 5, first), "zul17_005_210303_hou.xlsx");
    EXPECT_EQ(ChromWorkbookName(kChromDaily, 5, first), "zul17_005_210303_day.xlsx");
}

}  // namespace
}  // namespace zul
