// The workbook of "Сохранить в формате Excel", read back by an independent reader
// (openpyxl under /usr/bin/python3): cell texts, fonts, fill, borders, the text
// number format, row heights, column widths and the average row at N + 5; and a
// workbook that cannot be written leaves an existing one intact.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/support/FakeUi.h"
#include "core/support/Unprivileged.h"
#include "link/Qrtbox.h"
#include "measurements/ChromRecords.h"
#include "measurements/XlsxExport.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

// Every non-empty or formatted cell as "ROW,COL" -> "value|font|size|color|fill|l|r|t|b|numfmt|align".
const char* const kReader = R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
def c(x):
    return x.rgb if x is not None and isinstance(x.rgb, str) else '-'
for row in ws.iter_rows():
    for x in row:
        f = x.font
        fill = c(x.fill.fgColor) if x.fill.fill_type == 'solid' else '-'
        b = x.border
        s = lambda e: e.style or '-'
        print('%d,%d\t%s|%s|%g|%s|%s|%s|%s|%s|%s|%s|%s' % (x.row, x.column, '' if x.value is None else x.value,
              f.name, f.sz, c(f.color), fill, s(b.left), s(b.right), s(b.top), s(b.bottom), x.number_format,
              x.alignment.horizontal or '-'))
for r in (1, 2, 3, 4):
    print('height %d\t%s' % (r, ws.row_dimensions[r].height))
print('width\t%s' % ','.join('%d-%d:%g' % (d.min, d.max, d.width) for d in ws.column_dimensions.values()))
print('merged\t%d' % len(ws.merged_cells.ranges))
print('max\t%d,%d' % (ws.max_row, ws.max_column))
)PY";

std::map<std::string, std::string> ReadBack(const std::string& book, const std::string& dir) {
    const std::string script = dir + "/reader.py";
    std::ofstream(script) << kReader;
    const std::string cmd = "/usr/bin/python3 " + script + " '" + book + "' 2>&1";
    std::map<std::string, std::string> cells;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return cells;
    char line[4096];
    while (std::fgets(line, sizeof line, p)) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        const size_t tab = s.find('\t');
        cells[s.substr(0, tab)] = tab == std::string::npos ? s : s.substr(tab + 1);
    }
    pclose(p);
    return cells;
}

void Seal(std::vector<uint8_t>& r) {
    const uint16_t c = Crc16(r.data(), uint16_t(r.size() - 2));
    r[r.size() - 2] = uint8_t(c & 0xFF);
    r[r.size() - 1] = uint8_t(c >> 8);
}

struct Fixture {
    Fixture() {
        dir = fs::temp_directory_path() / ("zul-xlsx-" + std::to_string(getpid()));
        fs::create_directories(dir);
        header.bytes[52] = 2;
        const char* names[2] = {"CH4", "N2"};
        for (int i = 0; i < 2; ++i) {
            std::memcpy(&header.bytes[size_t(79 + 41 * i)], names[i], std::strlen(names[i]));
            header.bytes[size_t(79 + 41 * i + 11)] = 1;
            header.bytes[size_t(79 + 41 * i + 12)] = uint8_t(2 + i);
        }
        const uint8_t s[6] = {21, 3, 3, 0, 0, 0}, e[6] = {21, 3, 3, 1, 0, 0};
        std::memcpy(&header.bytes[879], s, 6);
        std::memcpy(&header.bytes[885], e, 6);
    }
    ~Fixture() { fs::remove_all(dir); }
    // Measurement records: 12.35 in the warning zone and 1.5; then a NaN and a record off.
    std::vector<uint8_t> Measurements() {
        std::vector<uint8_t> all;
        const struct {
            uint8_t status;
            float a, b;
            uint32_t flagsA;
            bool nanB;
        } rows[] = {{0x08, 12.35f, 1.5f, 1, false}, {0x80, 11.65f, 2.5f, 0, true}, {0x02, 99.0f, 99.0f, 0, false}};
        for (const auto& x : rows) {
            std::vector<uint8_t> r(kChromRecordSize, 0);
            const uint8_t when[6] = {21, 3, 3, 0, 3, 0};
            std::memcpy(r.data(), when, 6);
            r[7] = x.status;
            uint32_t a, b;
            std::memcpy(&a, &x.a, 4);
            std::memcpy(&b, &x.b, 4);
            a = (a & ~3u) | x.flagsA;
            if (x.nanB) b = 0x7FC00000u;
            std::memcpy(&r[12], &a, 4);
            std::memcpy(&r[16], &b, 4);
            Seal(r);
            all.insert(all.end(), r.begin(), r.end());
        }
        return all;
    }
    fs::path dir;
    ArchiveFileHeader header;
};

TEST(XlsxExport, ValueTexts) {
    struct Case {
        const char* cell;
        int decimals;
        const char* out;
    } cases[] = {
        {" 12.35 *", 2, "12.35"}, {" 0", 2, "0.00"},     {"  NAN", 2, "NAN"},    {" ", 2, ""},
        {" 1.5 \"", 3, "1.500"},  {" -0.25 #", 1, "-0.2"}, {"  Данные", 2, "Данные"}, {" 1.5E12  ", 0, "1.5E12"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExportValueText(c.cell, c.decimals), c.out) << c.cell;
}

TEST(XlsxExport, MeasurementWorkbookReadBack) {
    Fixture f;
    const auto recs = f.Measurements();
    ChromTable t(kChromMeasurement, f.header, recs.data(), 3);
    const std::string book = (f.dir / "m.xlsx").string();
    test::FakeUi ui;
    ASSERT_TRUE(ExportChromTable(t, book, ui));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].line1, "Данные сохранены в файле m.xlsx");
    auto cells = ReadBack(book, f.dir.string());
    ASSERT_FALSE(cells.empty());
    const std::string title = "Arial|12|FF000080|-|";
    const std::string head = "Arial|9|-|FFD3D3D3|thin|";
    const std::string body = "Courier New|9|-|-|-|-|-|-|@|center";
    struct Expect {
        const char* at;
        std::string want;
    } expects[] = {
        {"1,1", "|" + title + "-|-|thin|thin|General|-"},
        {"1,2", t.Caption() + "|" + title + "-|-|thin|thin|General|-"},
        {"1,4", "|" + title + "-|-|thin|thin|General|-"},
        {"2,1", "Дата|" + head + "-|thin|-|General|center"},
        {"2,3", "CH4|" + head + "-|thin|-|General|center"},
        {"2,4", "N2|" + head + "thin|thin|-|General|center"},
        {"3,1", "|" + head + "-|-|thin|General|center"},
        {"3,3", "%|" + head + "-|-|thin|General|center"},
        {"3,4", "%|" + head + "thin|-|thin|General|center"},
        {"4,1", "03.03.21|" + body},
        {"4,2", "00:03:00|" + body},
        {"4,3", "12.35|" + body},
        {"4,4", "1.500|" + body},
        {"5,4", "NAN|" + body},
        {"6,3", "0.00|" + body},
        {"6,4", "0.000|" + body},
        {"8,1", "Среднее значение|Arial|12|FF000080|-|-|-|-|-|@|-"},
        {"8,3", "12.00|" + body},
        {"8,4", "1.500|" + body},
        {"height 1", "22.0"},
        {"height 2", "13.0"},
        {"height 3", "13.0"},
        {"width", "1-4:9.71094"},  // 9 characters and the cell padding
        {"merged", "0"},
        {"max", "8,4"},
    };
    for (const auto& e : expects) EXPECT_EQ(cells[e.at], e.want) << e.at;
}

TEST(XlsxExport, AverageWorkbooksPutTheLabelInColumnTwo) {
    Fixture f;
    std::vector<uint8_t> r(kChromRecordSize, 0);
    const uint8_t when[9] = {21, 3, 3, 9, 0, 0, 0x89, 0, 0};
    std::memcpy(r.data(), when, 9);
    const float a = 0.9f, b = 2.25f;
    std::memcpy(&r[12], &a, 4);
    std::memcpy(&r[16], &b, 4);
    r[10] = 20;
    Seal(r);
    for (ChromTableKind kind : {kChromHourly, kChromDaily}) {
        ChromTable t(kind, f.header, r.data(), 1);
        const std::string book = (f.dir / "a.xlsx").string();
        ASSERT_TRUE(WriteChromWorkbook(t, book, nullptr));
        auto cells = ReadBack(book, f.dir.string());
        EXPECT_EQ(cells["max"], "6,6");
        EXPECT_EQ(cells["2,4"].substr(0, cells["2,4"].find('|')), "Кол. ликв.");
        EXPECT_EQ(cells["3,4"].substr(0, cells["3,4"].find('|')), "данных");
        EXPECT_EQ(cells["4,3"].substr(0, cells["4,3"].find('|')), kind == kChromDaily ? "09:00:00" : "137:00:00");
        EXPECT_EQ(cells["4,4"].substr(0, cells["4,4"].find('|')), "20");
        EXPECT_EQ(cells["4,5"].substr(0, cells["4,5"].find('|')), "0.90");
        EXPECT_EQ(cells["6,2"].substr(0, cells["6,2"].find('|')), "   Среднее значение");
        EXPECT_EQ(cells["6,6"].substr(0, cells["6,6"].find('|')), "2.250");
        EXPECT_EQ(cells.count("6,1") ? cells["6,1"].substr(0, 1) : "|", "|");
    }
}

TEST(XlsxExport, AnUnwritableFolderGivesTheFileErrorAndKeepsTheOldWorkbook) {
    Fixture f;
    const auto recs = f.Measurements();
    ChromTable t(kChromMeasurement, f.header, recs.data(), 3);
    // A folder that is no folder at all (a plain file stands in its place).
    std::ofstream(f.dir / "plain") << "x";
    const fs::path locked = f.dir / "locked";
    fs::create_directories(locked);
    std::ofstream(locked / "old.xlsx") << "old workbook";
    chmod(f.dir.c_str(), 0755);
    chmod(locked.c_str(), 0555);
    // Exit 0: refused with the file error, as the one message shown.
    auto refused = [&t](const std::string& book) {
        test::FakeUi ui;
        if (ExportChromTable(t, book, ui)) return 1;
        if (ui.shown.size() != 1 || ui.shown[0].kind != 1 || ui.shown[0].line1 != "Ошибка работы с файлом!") return 2;
        return 0;
    };
    EXPECT_EQ(refused((f.dir / "plain" / "new.xlsx").string()), 0);
    // Root writes into the locked folder: the case runs as an unprivileged user.
    const int r = test::RunUnprivileged([&] { return refused((locked / "old.xlsx").string()); });
    chmod(locked.c_str(), 0755);
    if (r == test::kCannotDropPrivileges) GTEST_SKIP() << "cannot drop to an unprivileged user here";
    EXPECT_EQ(r, 0);
    std::ifstream in(locked / "old.xlsx");
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "old workbook");
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::exists(f.dir / "plain" / "new.xlsx"));
}

}  // namespace
}  // namespace zul
