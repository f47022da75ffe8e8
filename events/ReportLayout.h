// Paged reports laid out once, in report units, before anything is painted: which
// row goes on which page and what each text says and where. The window code paints
// the result on a printer or into a PDF (events/ReportPainter.h).
//
// Report units: a band or a table is `width` units wide and is stretched over the
// printable width of the page; heights scale by the same factor.
#pragma once
#include <array>
#include <string>
#include <vector>

namespace zul {

enum class TextAlign { Left, Centre, Right };

// One line of text in a band.
struct ReportText {
    std::string text;  // UTF-8
    int left, top, width, height;
    TextAlign align;
    int pointSize;
    bool bold;
};

// A block of text lines printed across the page.
struct ReportBand {
    int width = 0;
    int height = 0;
    std::vector<ReportText> texts;
};

// The rows one page takes.
struct PageSpan {
    int firstRow;
    int rowCount;
};

// Splits `rows` rows over pages that take `firstPage` rows on the first page and
// `laterPages` on every later one. No rows still give one (empty) page.
std::vector<PageSpan> PaginateRows(int rows, int firstPage, int laterPages);

// "Лист N из M".
std::string SheetFooter(int page, int pages);

// The five-line title band of the moisture-meter reports: line 1 and 3 centred
// 12 pt bold, line 2 left 10 pt, lines 4 and 5 centred 10 pt; 740 units wide.
ReportBand TitleBand(const std::array<std::string, 5>& lines);

// A column of a framed table: its place, its heading lines and how its cells align.
struct ReportColumn {
    int x, width;
    std::vector<std::string> heading;
    TextAlign align;
};

// A heading over several columns ("Сообщение" over two), divided from their own
// headings by a short rule.
struct HeadingGroup {
    int x, width;
    std::string text;
};

struct ReportTableLayout {
    int width = 721;
    int headingHeight = 63;  // the rows begin this far below the top of the block
    int rowHeight = 13;
    int pointSize = 8;
    std::vector<ReportColumn> columns;
    std::vector<HeadingGroup> groups;
};

// A whole report: page margins in millimetres, the title band on the first page,
// the page header on every page, one table block per page, the footer on every page.
struct ReportDocument {
    double marginLeftMm = 10, marginRightMm = 10, marginTopMm = 10, marginBottomMm = 10;
    std::string fontFamily = "Arial";
    ReportBand title;
    std::string pageHeader;  // right-aligned, 10 pt
    ReportTableLayout table;
    std::vector<std::vector<std::string>> rows;  // cells in column order
    std::vector<PageSpan> pages;
    int PageCount() const { return int(pages.size()); }
};

}  // namespace zul
