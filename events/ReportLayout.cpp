#include "events/ReportLayout.h"

#include <cstdio>

namespace zul {

std::vector<PageSpan> PaginateRows(int rows, int firstPage, int laterPages) {
    std::vector<PageSpan> pages;
    if (firstPage < 1) firstPage = 1;
    if (laterPages < 1) laterPages = 1;
    int next = 0;
    int take = firstPage;
    do {
        const int n = rows - next < take ? rows - next : take;
        pages.push_back({next, n < 0 ? 0 : n});
        next += take;
        take = laterPages;
    } while (next < rows);
    return pages;
}

std::string SheetFooter(int page, int pages) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Лист %d из %d", page, pages);
    return buf;
}

ReportBand TitleBand(const std::array<std::string, 5>& lines) {
    struct Geometry {
        int top, height, left;
        TextAlign align;
        int pointSize;
        bool bold;
    };
    static const Geometry kLines[5] = {
        {3, 20, 2, TextAlign::Centre, 12, true},  {22, 17, 4, TextAlign::Left, 10, false},
        {46, 20, 2, TextAlign::Centre, 12, true}, {69, 17, 2, TextAlign::Centre, 10, false},
        {88, 17, 2, TextAlign::Centre, 10, false},
    };
    ReportBand band;
    band.width = 744;
    band.height = 112;
    for (int i = 0; i < 5; ++i) {
        const Geometry& g = kLines[i];
        band.texts.push_back({lines[size_t(i)], g.left, g.top, 740, g.height, g.align, g.pointSize, g.bold});
    }
    return band;
}

}  // namespace zul
