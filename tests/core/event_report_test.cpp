// The event report laid out as data: pages, title texts, the rows taken, and the
// organisation name kept in title.ini.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "events/EventReport.h"
#include "tables/Stringi.h"

namespace zul {
namespace {

std::array<uint8_t, 905> Header(uint32_t count) {
    std::array<uint8_t, 905> h{};
    std::memcpy(&h[0], "AUD", 3);
    const std::string name = Utf8ToCp1251("  Узел-7 ");
    std::memset(&h[4], ' ', 20);
    std::memcpy(&h[4], name.data(), name.size());
    h[44] = 5;
    h[45] = 17;
    const uint8_t made[6] = {26, 12, 9, 8, 30, 1}, first[6] = {21, 3, 3, 0, 5, 9}, last[6] = {21, 3, 4, 23, 59, 58};
    std::memcpy(&h[873], made, 6);
    std::memcpy(&h[879], first, 6);
    std::memcpy(&h[885], last, 6);
    std::memcpy(&h[891], &count, 4);
    return h;
}

std::vector<EventRow> Rows(int n) {
    std::vector<EventRow> rows{size_t(n)};
    for (int i = 0; i < n; ++i) rows[size_t(i)][2] = "row " + std::to_string(i);
    return rows;
}

TEST(EventReport, RowsPerPage) {
    struct {
        int kind, rows;
        std::vector<int> perPage;
    } const cases[] = {
        {3, 0, {0}},          {3, 1, {1}},           {3, 58, {58}},          {3, 59, {58, 1}},
        {3, 123, {58, 65}},   {3, 124, {58, 65, 1}}, {4, 57, {57}},          {4, 58, {57, 1}},
        {4, 126, {57, 69}},   {4, 127, {57, 69, 1}}, {4, 195, {57, 69, 69}},
    };
    for (const auto& c : cases) {
        const auto h = Header(uint32_t(c.rows));
        const ReportDocument doc = BuildEventReport(c.kind, h.data(), Rows(c.rows), "");
        std::vector<int> got;
        int next = 0;
        for (const PageSpan& p : doc.pages) {
            EXPECT_EQ(p.firstRow, next);
            next += p.rowCount;
            got.push_back(p.rowCount);
        }
        EXPECT_EQ(got, c.perPage) << "kind " << c.kind << " rows " << c.rows;
        EXPECT_EQ(next, c.rows);
    }
    const auto pages = PaginateRows(10000, 58, 65);
    EXPECT_EQ(pages.size(), 1u + (10000 - 58 + 64) / 65);
    EXPECT_EQ(pages.back().firstRow + pages.back().rowCount, 10000);
    EXPECT_EQ(SheetFooter(3, 154), "Лист 3 из 154");
}

TEST(EventReport, InterventionReportTakesTheHeaderCountButNeverMoreRowsThanThere) {
    struct {
        uint32_t count;
        int rows;
        int taken;
    } const cases[] = {{10, 10, 10}, {4, 10, 4}, {0xFFFFFFFF, 10, 10}, {0, 3, 0}};
    for (const auto& c : cases) {
        const auto h = Header(c.count);
        EXPECT_EQ(int(BuildEventReport(4, h.data(), Rows(c.rows), "").rows.size()), c.taken) << c.count;
        EXPECT_EQ(int(BuildEventReport(3, h.data(), Rows(c.rows), "").rows.size()), c.rows) << c.count;
    }
}

TEST(EventReport, TitleTexts) {
    const auto h = Header(2);
    struct {
        int kind;
        const char* lines[3];
    } const cases[] = {
        {3, {"Перечень диагностических сообщений", "контроллерa ЗУЛ_QRT510",
             "за период  с  03.03.21  00:05:09  по  04.03.21  23:59:58"}},
        {4, {"Перечень сообщений о вмешательствах оператора", "в работу контроллерa ЗУЛ_QRT510",
             "за период  с  03.03.21  00:05:09  по  04.03.21  23:59:58"}},
        {6, {"Часовые измерительные данные влагомера", "контроллерa ЗУЛ_QRT510",
             "за период  с  03.03.21  00ч  по  04.03.21  23ч"}},
        {7, {"Суточные измерительные данные влагомера", "контроллерa ЗУЛ_QRT510",
             "за период  с  03.03.21  по  04.03.21"}},
        {8, {"Измерительные данные влагомера", "контроллерa ЗУЛ_QRT510",
             "за период  с  03.03.21  00:05:09  по  04.03.21  23:59:58"}},
        {5, {"", "", ""}},
    };
    for (const auto& c : cases) {
        const auto lines = PrintTitleLines(c.kind, h.data());
        for (int i = 0; i < 3; ++i) EXPECT_EQ(lines[size_t(i)], c.lines[i]) << c.kind << " " << i;
    }
    const ReportDocument doc = BuildEventReport(4, h.data(), Rows(1), "ООО Газ");
    std::vector<std::string> title;
    for (const ReportText& t : doc.title.texts) title.push_back(t.text);
    const std::vector<std::string> expected = {
        "ООО Газ",
        "Контроллер \"Узел-7\"  (адрес 5)",
        "Перечень сообщений о вмешательствах оператора",
        "в работу контроллерa ЗУЛ_QRT510",
        "За период  с  03.03.21 00:05:09  по 04.03.21 23:59:58",
        "Составлен программой zul_17  09.12.26 08:30:01",
    };
    EXPECT_EQ(title, expected);
    EXPECT_EQ(doc.pageHeader, "Узел-7");
    EXPECT_EQ(doc.marginRightMm, 10);
    EXPECT_EQ(BuildEventReport(3, h.data(), Rows(1), "").marginRightMm, 9);
    EXPECT_EQ(doc.table.columns[2].heading, std::vector<std::string>{"Наименование  параметра"});
    EXPECT_EQ(doc.rows[0][2], "row 0");
}

TEST(EventReport, OrganisationNameInTitleIni) {
    char tmpl[] = "/tmp/zul_title_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string path = TitleIniPath(tmpl);
    EXPECT_EQ(ReadOrganisationName(path), "");  // no file yet
    // The same (empty) name: nothing is written.
    EXPECT_TRUE(StoreOrganisationName(path, "", ""));
    struct stat st;
    EXPECT_NE(stat(path.c_str(), &st), 0);

    const std::string forty = Utf8ToCp1251(std::string("Объединение ") + std::string(28, 'X'));
    ASSERT_EQ(forty.size(), 40u);
    struct {
        std::string name;
        std::string stored;
    } const cases[] = {{forty, forty}, {forty + "YZ", forty}, {"АБВ", "АБВ"}, {"", ""}};
    std::string previous;
    for (const auto& c : cases) {
        ASSERT_TRUE(StoreOrganisationName(path, c.name, previous));
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(bytes.size(), 40u);
        EXPECT_EQ(ReadOrganisationName(path), c.stored);
        previous = ReadOrganisationName(path);
    }
    // Unchanged: the file keeps its inode (an atomic rewrite would replace it).
    ASSERT_TRUE(StoreOrganisationName(path, "Газ", ""));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const ino_t inode = st.st_ino;
    ASSERT_TRUE(StoreOrganisationName(path, "Газ", ReadOrganisationName(path)));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, inode);
    // A folder that cannot take the file: false, nothing else.
    EXPECT_FALSE(StoreOrganisationName(std::string(tmpl) + "/missing/title.ini", "Газ", ""));
    unlink(path.c_str());
    rmdir(tmpl);
}

}  // namespace
}  // namespace zul
