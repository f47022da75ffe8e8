#include "measurements/XlsxExport.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <charconv>
#include <cstdio>

#include "editors/EditorRules.h"
#include "link/IniFile.h"
#include "measurements/ChromRecords.h"
#include "shell/Suplfunc.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr lxw_color_t kDarkBlue = 0x000080;   // 8388608 in the spreadsheet's blue-green-red order
constexpr lxw_color_t kLightGrey = 0xD3D3D3;  // 13882323
constexpr uint16_t kTextFormat = 49;          // the built-in number format "@"
constexpr double kColumnWidth = 9;

// The workbook being built; every call's result is kept, the first failure wins.
class Book {
public:
    explicit Book(const std::string& path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        book_ = workbook_new_opt(path.c_str(), &options);
        if (book_) sheet_ = workbook_add_worksheet(book_, nullptr);
        ok_ = book_ && sheet_;
    }
    ~Book() {
        if (book_) workbook_close(book_);
    }
    lxw_format* Format() {
        lxw_format* f = book_ ? workbook_add_format(book_) : nullptr;
        if (!f) ok_ = false;
        return f;
    }
    void Check(lxw_error e) {
        if (e != LXW_NO_ERROR) ok_ = false;
    }
    bool Close() {
        if (!book_) return false;
        const lxw_error e = workbook_close(book_);
        book_ = nullptr;
        return ok_ && e == LXW_NO_ERROR;
    }
    lxw_worksheet* sheet() const { return sheet_; }
    bool ok() const { return ok_; }

private:
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    bool ok_ = false;
};

// Whether the file can be made; the library would say so on stderr in its own words.
bool CanCreate(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace

std::string ExportValueText(const std::string& cell, int decimals) {
    const std::string t = TrimBlanks(cell);
    // Only a text that begins like a number is one ("NAN" is not).
    if (t.empty() || !(t[0] == '-' || t[0] == '.' || (t[0] >= '0' && t[0] <= '9'))) return t;
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc()) return t;
    return FormatFixed(v, decimals);
}

bool WriteChromWorkbook(const ChromTable& table, const std::string& path, UserInterface* ui) {
    const int w = table.Columns();
    const int n = int(table.RecordCount());
    const int v = table.FirstValueColumn();
    const int params = table.ParamCount();
    const int progressMax = n + 8;
    int progress = 0;
    auto stage = [&]() {
        if (ui) ui->SetProgress(++progress, progressMax);
    };
    // Built as ".NAME.part" beside the target and renamed into place, as every file
    // the program writes: nothing is left elsewhere, whichever way the export ends.
    const bool ok = WriteFileAtomicallyBy(path, [&](const std::string& part) {
        if (!CanCreate(part)) return false;
        Book book(part);
        if (!book.ok()) return false;
        lxw_worksheet* s = book.sheet();

        lxw_format* title = book.Format();
        lxw_format* head[2][2] = {{book.Format(), book.Format()}, {book.Format(), book.Format()}};  // [row][last column]
        lxw_format* body = book.Format();
        lxw_format* label = book.Format();
        if (!book.ok()) return false;
        format_set_top(title, LXW_BORDER_THIN);
        format_set_bottom(title, LXW_BORDER_THIN);
        format_set_font_name(title, "Arial");
        format_set_font_size(title, 12);
        format_set_font_color(title, kDarkBlue);
        for (int r = 0; r < 2; ++r) {
            for (int last = 0; last < 2; ++last) {
                lxw_format* f = head[r][last];
                format_set_pattern(f, LXW_PATTERN_SOLID);
                format_set_bg_color(f, kLightGrey);
                format_set_font_name(f, "Arial");
                format_set_font_size(f, 9);
                format_set_align(f, LXW_ALIGN_CENTER);
                format_set_left(f, LXW_BORDER_THIN);
                if (last) format_set_right(f, LXW_BORDER_THIN);
                if (r == 0) format_set_top(f, LXW_BORDER_THIN);
                else format_set_bottom(f, LXW_BORDER_THIN);
            }
        }
        format_set_font_name(body, "Courier New");
        format_set_font_size(body, 9);
        format_set_align(body, LXW_ALIGN_CENTER);
        format_set_num_format_index(body, kTextFormat);
        format_set_font_name(label, "Arial");
        format_set_font_size(label, 12);
        format_set_font_color(label, kDarkBlue);
        format_set_num_format_index(label, kTextFormat);

        book.Check(worksheet_set_column(s, 0, lxw_col_t(w - 1), kColumnWidth, nullptr));
        stage();
        // Row 1: the caption in column 2 on a band with lines above and below.
        book.Check(worksheet_set_row(s, 0, 22, nullptr));
        for (int c = 0; c < w; ++c) {
            if (c == 1) book.Check(worksheet_write_string(s, 0, 1, table.Caption().c_str(), title));
            else book.Check(worksheet_write_blank(s, 0, lxw_col_t(c), title));
        }
        stage();
        // Rows 2 and 3: names and units.
        for (int r = 0; r < 2; ++r) {
            book.Check(worksheet_set_row(s, lxw_row_t(1 + r), 13, nullptr));
            for (int c = 0; c < w; ++c) {
                const std::string text = TrimBlanks(table.Cell(r, c));
                lxw_format* f = head[r][c == w - 1];
                if (text.empty()) book.Check(worksheet_write_blank(s, lxw_row_t(1 + r), lxw_col_t(c), f));
                else book.Check(worksheet_write_string(s, lxw_row_t(1 + r), lxw_col_t(c), text.c_str(), f));
            }
        }
        stage();
        // Rows 4..N+3: the records; N+4 empty; N+5 the averages.
        for (int i = 0; i < n && book.ok(); ++i) {
            const lxw_row_t row = lxw_row_t(3 + i);
            book.Check(worksheet_set_row(s, row, LXW_DEF_ROW_HEIGHT, body));
            for (int c = 0; c < w; ++c) {
                const std::string cell = table.Cell(2 + i, c);
                const std::string text = c < v ? TrimBlanks(cell) : ExportValueText(cell, table.Decimals(c - v));
                if (!text.empty()) book.Check(worksheet_write_string(s, row, lxw_col_t(c), text.c_str(), body));
            }
            if (ui && (i & 255) == 255) {
                progress = 3 + i;
                stage();
            }
        }
        progress = n + 3;
        stage();
        book.Check(worksheet_set_row(s, lxw_row_t(n + 3), LXW_DEF_ROW_HEIGHT, body));
        const lxw_row_t avg = lxw_row_t(n + 4);
        book.Check(worksheet_set_row(s, avg, LXW_DEF_ROW_HEIGHT, body));
        const bool measurement = table.kind() == kChromMeasurement;
        const int labelColumn = measurement ? 0 : 1;
        for (int c = labelColumn; c < v + params; ++c) {
            if (c == labelColumn) {
                book.Check(worksheet_write_string(s, avg, lxw_col_t(c),
                                                  measurement ? "Среднее значение" : "   Среднее значение", label));
            } else if (c >= v) {
                const int p = c - v;
                book.Check(worksheet_write_string(s, avg, lxw_col_t(c),
                                                  FormatFixed(table.Average(p), table.Decimals(p)).c_str(), body));
            }
        }
        stage();
        return book.Close();
    });
    stage();
    return ok;
}

bool ExportChromTable(const ChromTable& table, const std::string& path, UserInterface& ui) {
    ui.SetBusyCursor(true);
    const bool ok = WriteChromWorkbook(table, path, &ui);
    ui.SetProgress(0, 0);
    ui.SetBusyCursor(false);
    if (ok) ui.ShowMessageBox(kMsgPlain, "Данные сохранены в файле " + FileBaseName(path), "");
    else ui.ShowMessageBox(kMsgError, "Ошибка работы с файлом!", "");
    return ok;
}

}  // namespace zul
