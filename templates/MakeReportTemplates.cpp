// Writes the two report templates, "day_report_title.xlsx" and
// "mon_report_title.xlsx", into the folder given as the only argument. The reports
// (measurements/ReportSheet.h) fill row 2 from column 7 (the object), row 4 from
// column 22 (the period), the value columns 2..27 of the data rows, and in the month
// template row 41 columns 15..20; here are the labels, the column headings, the
// number formats and the borders of those cells.
#include <xlsxwriter.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kLastColumn = 28;  // the title ranges end here (1-based)

struct Heading {
    int column;  // 1-based
    int width;   // columns
    const char* text;
};

// The parameter in each column of a data row, as the reports place them.
const Heading kHeadings[] = {
    {2, 1, "Параметр 8"},  {3, 1, "Параметр 10"}, {4, 1, "Параметр 1"},  {5, 1, "Параметр 2"},
    {6, 1, "Параметр 3"},  {7, 1, "Параметр 4"},  {8, 1, "Параметр 5"},  {9, 1, "Параметр 6"},
    {10, 1, "Параметр 0"}, {11, 1, ""},           {12, 1, "Параметр 7"}, {13, 1, "Параметр 9"},
    {14, 1, "Параметр 12"}, {15, 3, "Параметр 18"}, {18, 3, "Параметр 11"}, {21, 3, "Параметр 13"},
    {24, 1, "Т т.росы WDP, °С"}, {25, 1, "Прив. Т т.росы по воде, °С"}, {26, 1, "Т т.росы HDP, °С"},
    {27, 1, "Р изб. WDP, кгс/см2"},
};
const char* const kHeatUnits[3] = {"ккал/м3", "МДж/м3", "кВт*ч/м3"};

struct Formats {
    lxw_format *title, *label, *heading, *rowLabel, *value, *heat, *blank;
};

Formats MakeFormats(lxw_workbook* wb) {
    Formats f{};
    f.title = workbook_add_format(wb);
    format_set_bold(f.title);
    format_set_font_size(f.title, 14);
    format_set_align(f.title, LXW_ALIGN_CENTER);
    f.label = workbook_add_format(wb);
    format_set_bold(f.label);
    f.blank = workbook_add_format(wb);
    format_set_font_size(f.blank, 12);
    format_set_align(f.blank, LXW_ALIGN_LEFT);
    f.heading = workbook_add_format(wb);
    format_set_bold(f.heading);
    format_set_text_wrap(f.heading);
    format_set_align(f.heading, LXW_ALIGN_CENTER);
    format_set_align(f.heading, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(f.heading, LXW_BORDER_THIN);
    format_set_bg_color(f.heading, 0xD3D3D3);
    f.rowLabel = workbook_add_format(wb);
    format_set_border(f.rowLabel, LXW_BORDER_THIN);
    format_set_align(f.rowLabel, LXW_ALIGN_CENTER);
    f.value = workbook_add_format(wb);
    format_set_border(f.value, LXW_BORDER_THIN);
    format_set_num_format(f.value, "0.0000");
    format_set_align(f.value, LXW_ALIGN_CENTER);
    f.heat = workbook_add_format(wb);
    format_set_border(f.heat, LXW_BORDER_THIN);
    format_set_num_format(f.heat, "0.00");
    format_set_align(f.heat, LXW_ALIGN_CENTER);
    return f;
}

bool HeatColumn(int column) { return column >= 15 && column <= 23; }

// Title, object and period lines, the column headings of rows 6..8.
void Head(lxw_worksheet* ws, const Formats& f, const char* title) {
    worksheet_set_column(ws, 0, 0, 16, nullptr);
    worksheet_set_column(ws, 1, kLastColumn - 1, 11, nullptr);
    worksheet_set_row(ws, 5, 45, nullptr);
    worksheet_merge_range(ws, 0, 0, 0, kLastColumn - 1, title, f.title);
    worksheet_merge_range(ws, 1, 0, 1, 5, "Объект:", f.label);
    worksheet_write_blank(ws, 1, 6, f.blank);
    worksheet_merge_range(ws, 3, 16, 3, 20, "Период:", f.label);
    worksheet_write_blank(ws, 3, 21, f.blank);
    for (const Heading& h : kHeadings) {
        const int c = h.column - 1;
        if (h.width == 1) {
            worksheet_merge_range(ws, 5, c, 7, c, h.text, f.heading);
        } else {
            worksheet_merge_range(ws, 5, c, 5, c + h.width - 1, h.text, f.heading);
            for (int k = 0; k < 3; ++k) worksheet_merge_range(ws, 6, c + k, 7, c + k, kHeatUnits[k], f.heading);
        }
    }
}

// An empty data row: bordered cells with the number formats the values take.
void DataRow(lxw_worksheet* ws, const Formats& f, int row, const char* label) {
    if (label) worksheet_write_string(ws, row - 1, 0, label, f.rowLabel);
    else worksheet_write_blank(ws, row - 1, 0, f.rowLabel);
    for (int c = 2; c <= 27; ++c) worksheet_write_blank(ws, row - 1, c - 1, HeatColumn(c) ? f.heat : f.value);
}

bool Day(const std::string& path) {
    lxw_workbook* wb = workbook_new(path.c_str());
    if (!wb) return false;
    const Formats f = MakeFormats(wb);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Сутки");
    Head(ws, f, "Паспорт ЗУЛ показателей за сутки");
    worksheet_merge_range(ws, 5, 0, 7, 0, "Дата, час", f.heading);
    for (int row = 10; row <= 33; ++row) DataRow(ws, f, row, nullptr);
    DataRow(ws, f, 34, "За сутки");
    return workbook_close(wb) == LXW_NO_ERROR;
}

bool Month(const std::string& path) {
    lxw_workbook* wb = workbook_new(path.c_str());
    if (!wb) return false;
    const Formats f = MakeFormats(wb);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Месяц");
    Head(ws, f, "Паспорт ЗУЛ показателей за месяц");
    worksheet_merge_range(ws, 5, 0, 7, 0, "День", f.heading);
    for (int day = 1; day <= 31; ++day) DataRow(ws, f, 9 + day, std::to_string(day).c_str());
    worksheet_write_string(ws, 40, 0, "Среднее за месяц", f.rowLabel);
    for (int c = 15; c <= 20; ++c) worksheet_write_blank(ws, 40, c - 1, f.heat);
    return workbook_close(wb) == LXW_NO_ERROR;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_report_templates FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    if (!Day(folder + "day_report_title.xlsx") || !Month(folder + "mon_report_title.xlsx")) {
        std::fprintf(stderr, "make_report_templates: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
