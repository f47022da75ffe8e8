// The moisture meter's tables as its viewers, `zul show` and the print show them:
// the cells of measurement and average records by status, status word and value,
// the headings of meter type 2, captions, and the pages of the printed table.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "link/Qrtbox.h"
#include "measurements/MoistPrint.h"
#include "measurements/MoistRecords.h"

namespace zul {
namespace {

std::vector<uint8_t> Record(ChromTableKind kind, uint8_t status, uint8_t word9, uint8_t word10,
                            std::vector<float> values, bool sealed = true, uint8_t endHour = 10) {
    const int size = ChromRecordSize(kind);
    std::vector<uint8_t> r(size_t(size), 0);
    const uint8_t when[6] = {24, 3, 15, 9, 0, 0};
    std::memcpy(r.data(), when, 6);
    const MoistLayout at = MoistRecordLayout(kind);
    r[size_t(at.statusAt)] = status;
    if (kind == kMoistMeasurement) {
        r[9] = word9;
        r[10] = word10;
    } else {
        r[6] = endHour;
    }
    for (size_t i = 0; i < values.size(); ++i) std::memcpy(r.data() + at.valuesAt + 4 * i, &values[i], 4);
    const uint16_t crc = Crc16(r.data(), uint16_t(size - 2));
    r[size_t(size - 2)] = uint8_t(crc & 0xFF);
    r[size_t(size - 1)] = uint8_t(crc >> 8 ^ (sealed ? 0 : 1));
    return r;
}

ArchiveFileHeader Header(uint8_t meterType) {
    ArchiveFileHeader h;
    h.bytes[47] = meterType;
    const uint8_t s[6] = {24, 3, 14, 22, 5, 0}, e[6] = {24, 3, 15, 2, 30, 0};
    std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodStart, s, 6);
    std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodEnd, e, 6);
    return h;
}

TEST(MoistTable, CellsFollowStatusWordAndMagnitude) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        ChromTableKind kind;
        uint8_t status, word9, word10;
        std::vector<float> values;
        bool sealed;
        uint8_t endHour;
        std::vector<const char*> cells;  // columns 0..7
    } cases[] = {
        {"measurement in order", kMoistMeasurement, 0, 0, 0, {0.00123f, 123.4f, 45.678f, nan}, true, 0,
         {"  15.03.24", "  09:00:00", "  Норма", "  Норма", "  0.0012", "  123.4", "  45.68", "  NAN"}},
        {"status word shown high byte first", kMoistMeasurement, 0, 0x34, 0x12, {1, 2, 3, 4}, true, 0,
         {"  15.03.24", "  09:00:00", "  Норма", "  0x1234", "  1.00", "  2.00", "  3.00", "  4.00"}},
        {"off and no link: off wins, column 3 empty", kMoistMeasurement, 0x06, 0x34, 0x12, {1, 2, 3, 4}, true, 0,
         {"  15.03.24", "  09:00:00", "  0x06", "", "  Выкл.", "  Выкл.", "  Выкл.", "  Выкл."}},
        {"no link with the meter", kMoistMeasurement, 0x04, 0, 0, {1, 2, 3, 4}, true, 0,
         {"  15.03.24", "  09:00:00", "  0x04", " Нет связи", "       0", "       0", "       0", "       0"}},
        {"damaged measurement", kMoistMeasurement, 0, 0, 0, {1, 2, 3, 4}, false, 0,
         {"     Данные", " недостов.", "", "", "", "", "", ""}},
        {"hourly in order", kMoistHourly, 0, 0, 0, {-15.25f, 0.0000005f, 1234.5f, 0}, true, 10,
         {"  15.03.24", "  09:00:00", "   10:00:00", "  Норма", "  -15.25", "  5.00e-07", "  1234", "  0"}},
        {"daily with the flag: hour in bits 0..6, no star", kMoistDaily, 0, 0, 0, {1, 1, 1, 1}, true, 0x8A,
         {"  15.03.24", "  09:00:00", "   10:00:00", "  Норма", "  1.00", "  1.00", "  1.00", "  1.00"}},
        {"daily without the flag: star", kMoistDaily, 0, 0, 0, {1, 1, 1, 1}, true, 0x0A,
         {"  15.03.24", "  09:00:00", "   10:00:00*", "  Норма", "  1.00", "  1.00", "  1.00", "  1.00"}},
        {"hour with the controller off", kMoistHourly, 0x02, 0, 0, {1, 1, 1, 1}, true, 10,
         {"  15.03.24", "  09:00:00", "   10:00:00", "  0x02", "  Выкл.", "  Выкл.", "  Выкл.", "  Выкл."}},
        {"hour without the meter", kMoistHourly, 0x04, 0, 0, {1, 1, 1, 1}, true, 10,
         {"  15.03.24", "  09:00:00", "   10:00:00", "  0x04", "       0", "       0", "       0", "       0"}},
        {"damaged hour", kMoistHourly, 0, 0, 0, {1, 1, 1, 1}, false, 10,
         {"     Данные", " недостов.", "", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rec = Record(c.kind, c.status, c.word9, c.word10, c.values, c.sealed, c.endHour);
        const ArchiveFileHeader h = Header(1);
        const MoistTable t(c.kind, h, rec.data(), 1);
        for (int col = 0; col < kMoistColumns; ++col) EXPECT_EQ(t.Cell(0, col), c.cells[size_t(col)]) << col;
    }
}

TEST(MoistTable, CaptionsAndHeadingsByKindAndMeterType) {
    struct Case {
        ChromTableKind kind;
        uint8_t type;
        const char* caption;
        std::vector<std::string> col3, col6;
    } cases[] = {
        {kMoistMeasurement, 1, "Мгновенные данные влагомера за период  с  14.03.24 22:05:00  по  15.03.24 02:30:00",
         {" Признаки ", "состояния", "влагомера"}, {"Р изб.", "WDP", "", "bar"}},
        {kMoistHourly, 2, "Часовые данные влагомера за период с 14.03.24  22ч  по  15.03.24  02ч",
         {"Статус", "контроллера"}, {"Давление", " ", " ", "bar"}},
        {kMoistDaily, 0, "Суточные данные влагомера за период с 14.03.24  по  15.03.24", {"Статус", "контроллера"},
         {"Р изб.", "WDP", "", "bar"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const ArchiveFileHeader h = Header(c.type);
        const MoistTable t(c.kind, h, nullptr, 0);
        EXPECT_EQ(t.Caption(), c.caption);
        EXPECT_EQ(t.Heading(3), c.col3);
        EXPECT_EQ(t.Heading(6), c.col6);
        EXPECT_EQ(t.Heading(7), (std::vector<std::string>{"Прив. Т т.росы", "по воде", "к Р абс.", "°С"}));
    }
}

TEST(MoistPrint, PagesTitleAndCells) {
    struct Case {
        int rows;
        std::vector<int> pageRows;
    } cases[] = {
        {0, {0}}, {52, {52}}, {53, {52, 1}}, {111, {52, 59}}, {112, {52, 59, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        std::vector<uint8_t> records;
        for (int i = 0; i < c.rows; ++i) {
            const auto r = Record(kMoistHourly, 0, 0, 0, {-15.25f, 1, 2, 3}, true, 10);
            records.insert(records.end(), r.begin(), r.end());
        }
        ArchiveFileHeader h = Header(2);
        std::memcpy(h.bytes.data() + 4, "  KC-5    ", 10);
        const MoistTable t(kMoistHourly, h, records.data(), size_t(c.rows));
        const ReportDocument doc = BuildMoistReport(t, "ООО Газ");
        std::vector<int> got;
        for (const PageSpan& p : doc.pages) got.push_back(p.rowCount);
        EXPECT_EQ(got, c.pageRows);
        ASSERT_EQ(doc.title.texts.size(), 5u);
        EXPECT_EQ(doc.title.texts[0].text, "ООО Газ");
        EXPECT_EQ(doc.title.texts[1].text, "Контроллер \"KC-5\"  (адрес 0)");
        EXPECT_EQ(doc.pageHeader, "KC-5");
        EXPECT_EQ(doc.title.texts[2].text, "Часовые измерительные данные влагомера");
        EXPECT_EQ(doc.title.texts[3].text, "за период  с  14.03.24  22ч  по  15.03.24  02ч");
        EXPECT_EQ(doc.table.columns[6].heading, (std::vector<std::string>{"Давление", " ", " ", "bar"}));
        if (c.rows) {
            EXPECT_EQ(doc.rows[0], (std::vector<std::string>{"15.03.24", "09:00:00", "10:00:00", "Норма", "-15.25",
                                                             "1.00", "2.00", "3.00"}));
        }
    }
}

}  // namespace
}  // namespace zul
