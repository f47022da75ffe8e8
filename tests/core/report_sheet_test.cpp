// The cells of the day and month reports: the column map, the "--" rows, the three
// heat-value columns by unit code, the moisture columns, the rows of a month that
// starts late, the month averages; and the filled template: a damaged template or
// an unwritable report leaves the earlier report as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "measurements/ChromRecords.h"
#include "measurements/ReportRead.h"
#include "measurements/ReportSheet.h"
#include "support/FakeUi.h"

namespace zul {
namespace {

namespace fs = std::filesystem;
const float kNan = std::numeric_limits<float>::quiet_NaN();

std::vector<uint8_t> Chrom(uint8_t day, uint8_t hour, uint8_t status, std::map<int, float> values) {
    std::vector<uint8_t> r(kChromRecordSize, 0);
    r[0] = 24, r[1] = 3, r[2] = day, r[3] = hour, r[9] = status;
    for (int p = 0; p < 20; ++p) {
        const float v = values.count(p) ? values[p] : float(p) + 0.5f;
        std::memcpy(r.data() + 12 + 4 * p, &v, 4);
    }
    return r;
}

std::vector<uint8_t> Moist(uint8_t day, uint8_t hour, uint8_t status) {
    std::vector<uint8_t> r(kMoistAverageSize, 0);
    r[0] = 24, r[1] = 3, r[2] = day, r[3] = hour, r[9] = status;
    const float v[4] = {-15, -5, 45, -12};
    std::memcpy(r.data() + 10, v, 16);
    return r;
}

// The cells of one row, by column: numbers as text "%g", texts as they are.
std::map<int, std::string> Row(const ReportSheet& s, int row) {
    std::map<int, std::string> out;
    for (const SheetCell& c : s.cells) {
        if (c.row != row) continue;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", double(c.number));
        out[c.column] = c.isText ? c.text : buf;
    }
    return out;
}

ParameterUnits Units(uint8_t heat) {
    ParameterUnits u{};
    u[11] = u[13] = u[18] = heat;
    return u;
}

TEST(ReportSheet, HeatValueColumnsByUnit) {
    struct Case {
        float value;
        uint8_t unit;
        bool ok;
        std::array<float, 3> out;
    } cases[] = {
        {8000, 5, true, {8000, 33.4616f, 9.2952f}},
        {35, 4, true, {float(35 * 239.0800200827217L), 35, float(35 * 0.277778L)}},
        {10, 6, true, {float(10 * 860.6592649969876L), float(10 * 3.5999971200023038L), 10}},
        {10, 7, false, {}},
    };
    for (const Case& c : cases) {
        std::array<float, 3> got{};
        EXPECT_EQ(HeatValueColumns(c.value, c.unit, got), c.ok) << int(c.unit);
        if (c.ok) EXPECT_EQ(got, c.out) << int(c.unit);
    }
}

TEST(ReportSheet, ChromatographAndMoistureRows) {
    struct Case {
        const char* what;
        std::vector<uint8_t> chrom, moist;
        uint8_t heatUnit;
        std::map<int, std::string> row;  // the row's cells, column 1 excluded
    } cases[] = {
        {"values in the map's order", Chrom(14, 9, 0, {{8, 96.5f}, {18, 8000}}), Moist(14, 9, 0), 5,
         {{2, "96.5"}, {3, "10.5"}, {4, "1.5"}, {5, "2.5"}, {6, "3.5"}, {7, "4.5"}, {8, "5.5"}, {9, "6.5"},
          {10, "0.5"}, {12, "7.5"}, {13, "9.5"}, {14, "12.5"}, {15, "8000"}, {16, "33.4616"}, {17, "9.2952"},
          {18, "11.5"}, {19, "0.048101"}, {20, "0.0133618"}, {21, "13.5"}, {22, "0.0564664"}, {23, "0.0156856"},
          {24, "-15"}, {25, "-12"}, {26, "-5"}, {27, "45.8872"}}},
        {"parameter 8 zero: a row of --", Chrom(14, 9, 0, {{8, 0}}), Moist(14, 9, 4), 5,
         {{2, "--"}, {3, "--"}, {4, "--"}, {5, "--"}, {6, "--"}, {7, "--"}, {8, "--"}, {9, "--"}, {10, "--"},
          {12, "--"}, {13, "--"}, {14, "--"}, {15, "--"}, {16, "--"}, {17, "--"}, {18, "--"}, {19, "--"},
          {20, "--"}, {21, "--"}, {22, "--"}, {23, "--"}, {24, "--"}, {25, "--"}, {26, "--"}, {27, "--"}}},
        {"no link with the chromatograph, a missing value, an unknown heat unit", Chrom(14, 9, 0, {{10, kNan}}),
         Moist(14, 9, 2), 9,
         {{2, "8.5"}, {3, " NAN"}, {4, "1.5"}, {5, "2.5"}, {6, "3.5"}, {7, "4.5"}, {8, "5.5"}, {9, "6.5"},
          {10, "0.5"}, {12, "7.5"}, {13, "9.5"}, {14, "12.5"}, {24, "--"}, {25, "--"}, {26, "--"}, {27, "--"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DayReportData d;
        d.chromHours = c.chrom;
        d.moistHours = c.moist;
        d.chromDay = c.chrom;
        d.moistDay = c.moist;
        d.moisture = true;
        const ReportSheet s = DayReportCells(d, Units(c.heatUnit), "Узел");
        auto row = Row(s, 10);
        EXPECT_EQ(row[1], "14.03.24  09:00");
        row.erase(1);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(Row(s, 34), c.row);  // the day's record, without the date
        EXPECT_EQ(Row(s, 4)[22], "За період з 14.03.24 09:00  по  14.03.24 09:00");
    }
    // Without a moisture meter columns 24..27 stay as the template has them.
    DayReportData d;
    d.chromHours = Chrom(14, 9, 0, {});
    const auto row = Row(DayReportCells(d, Units(5), "Узел"), 10);
    EXPECT_EQ(row.count(24) + row.count(27), 0u);
}

TEST(ReportSheet, MonthRowsAndAverages) {
    struct Case {
        uint8_t firstDay;
        int days;
        int firstRow, lastRow;
    } cases[] = {{1, 30, 10, 39}, {5, 27, 14, 40}, {1, 31, 10, 40}};
    for (const Case& c : cases) {
        MonthReportData d;
        for (int i = 0; i < c.days; ++i) {
            // Day 2 does not count (parameter 2 below 0.001), day 3 has no parameter 11.
            const int day = c.firstDay + i;
            const auto r = Chrom(uint8_t(day), 9, 0,
                                 {{2, day == 2 ? 0.0f : 1.0f}, {11, day == 3 ? kNan : float(day)}, {18, 100.0f * day}});
            d.chromDays.insert(d.chromDays.end(), r.begin(), r.end());
        }
        MonthAverages(d.chromDays, d.average11, d.average18);
        double sum11 = 0, sum18 = 0;
        int n11 = 0, n18 = 0;
        for (int day = c.firstDay; day < c.firstDay + c.days; ++day) {
            if (day == 2) continue;
            sum18 += 100.0 * day, ++n18;
            if (day != 3) sum11 += day, ++n11;
        }
        EXPECT_FLOAT_EQ(d.average11, float(sum11 / n11));
        EXPECT_FLOAT_EQ(d.average18, float(sum18 / n18));
        const ReportSheet s = MonthReportCells(d, Units(4), "Узел");
        EXPECT_TRUE(Row(s, c.firstRow - 1).empty());
        EXPECT_EQ(Row(s, c.firstRow)[2], "8.5");
        EXPECT_EQ(Row(s, c.lastRow)[2], "8.5");
        EXPECT_EQ(Row(s, c.lastRow + 1).count(2), 0u);
        const auto averages = Row(s, 41);
        EXPECT_EQ(averages.size(), 6u);
        EXPECT_EQ(averages.at(16), Row(MonthReportCells(MonthReportData{{}, {}, false, d.average18, 0}, Units(4), ""), 41).at(16));
    }
}

TEST(ReportSheet, AReportIsWrittenWholeOrNotAtAll) {
    const fs::path dir = fs::temp_directory_path() / ("zul-report-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "notzip.xlsx") << "plain text";
    std::ofstream(dir / "old.xlsx") << "the earlier report";
    struct Case {
        std::string templ, out;
        std::vector<bool> answers;
        bool saved;
        std::string line1;
    } cases[] = {
        {"notzip.xlsx", "old.xlsx", {true}, false, "Ошибка работы с файлом notzip.xlsx"},
        {"missing.xlsx", "new.xlsx", {}, false, "Ошибка работы с файлом missing.xlsx"},
        {"notzip.xlsx", "old.xlsx", {false}, false, "Файл отчета old.xlsx уже есть."},
    };
    for (const Case& c : cases) {
        test::FakeUi ui;
        for (bool a : c.answers) ui.answers.push_back(a);
        EXPECT_EQ(ProduceReport(ui, (dir / c.templ).string(), ReportSheet{}, (dir / c.out).string()), c.saved);
        ASSERT_FALSE(ui.shown.empty());
        EXPECT_EQ(ui.shown.back().line1, c.line1);
        EXPECT_FALSE(fs::exists(dir / "new.xlsx"));
        std::ifstream in(dir / "old.xlsx");
        std::string old((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(old, "the earlier report");
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zul
