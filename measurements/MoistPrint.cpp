#include "measurements/MoistPrint.h"

#include "editors/EditorRules.h"
#include "events/EventReport.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr int kColumnWidth = 95;
constexpr int kLine = 19;  // a printed line, in report units

std::string PeriodLine(ChromTableKind kind, const ArchiveFileHeader& h) {
    const uint8_t* s = h.PeriodStart();
    const uint8_t* e = h.PeriodEnd();
    switch (kind) {
    case kMoistHourly:
        return Sprintf("за период  с  %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч", s[2], s[1], s[0], s[3], e[2],
                       e[1], e[0], e[3]);
    case kMoistDaily:
        return Sprintf("за период  с  %02d.%02d.%02d  по  %02d.%02d.%02d", s[2], s[1], s[0], e[2], e[1], e[0]);
    default:
        return Sprintf("за период  с  %02d.%02d.%02d %02d:%02d:00  по  %02d.%02d.%02d %02d:%02d:00", s[2], s[1], s[0],
                       s[3], s[4], e[2], e[1], e[0], e[3], e[4]);
    }
}

const char* KindLine(ChromTableKind kind) {
    switch (kind) {
    case kMoistHourly: return "Часовые измерительные данные влагомера";
    case kMoistDaily: return "Суточные измерительные данные влагомера";
    default: return "Мгновенные данные влагомера";
    }
}

std::vector<std::string> ColumnHeading(const MoistTable& t, int c) {
    static const std::vector<std::string> kAverages[4] = {
        {" ", "Дата", "начала"}, {" ", "Время", "начала"}, {" ", "Время", "конца"}, {" ", "Статус", "контроллера"}};
    static const std::vector<std::string> kMeasurements[4] = {
        {" ", "Дата"}, {" ", "Время"}, {" ", "Статус", "контроллера"}, {"Признаки", "состояния", "влагомера"}};
    if (c < 4) return t.kind() == kMoistMeasurement ? kMeasurements[c] : kAverages[c];
    std::vector<std::string> h;
    for (int line = 0; line < 4; ++line) h.emplace_back(MoistValueHeading(t.header().MoistType(), c - 4, line));
    return h;
}

}  // namespace

int MoistPrintKind(ChromTableKind kind) {
    switch (kind) {
    case kMoistHourly: return kPrintMoistHourly;
    case kMoistDaily: return kPrintMoistDaily;
    default: return kPrintMoistMeasurements;
    }
}

ReportDocument BuildMoistReport(const MoistTable& t, const std::string& organisation) {
    const ArchiveFileHeader& h = t.header();
    ReportDocument doc;
    doc.marginLeftMm = 25;
    doc.marginRightMm = 22;
    doc.marginTopMm = 10;
    doc.marginBottomMm = 10;
    doc.fontFamily = "MS Sans Serif";
    const std::string name = PrintControllerName(h.bytes.data());
    doc.pageHeader = name;
    const uint8_t* b = h.BuiltAt();
    doc.title = TitleBand({organisation, Sprintf("Контроллер \"%s\"  (адрес %d)", name.c_str(), h.Address()),
                           KindLine(t.kind()), PeriodLine(t.kind(), h),
                           Sprintf("Составлен программой zul_%02d  %02d.%02d.%02d  %02d:%02d:%02d", 17, b[2], b[1],
                                   b[0], b[3], b[4], b[5])});
    ReportTableLayout& table = doc.table;
    table.width = kMoistColumns * kColumnWidth;
    table.headingHeight = 4 * kLine + 6;
    table.rowHeight = kLine;
    table.pointSize = 9;
    for (int c = 0; c < kMoistColumns; ++c)
        table.columns.push_back({c * kColumnWidth, kColumnWidth, ColumnHeading(t, c), TextAlign::Centre});
    doc.rows.reserve(size_t(t.Rows()));
    for (int r = 0; r < t.Rows(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < kMoistColumns; ++c) cells.push_back(TrimBlanks(t.Cell(r, c)));
        doc.rows.push_back(std::move(cells));
    }
    doc.pages = PaginateRows(t.Rows(), kMoistPrintRowsFirstPage, kMoistPrintRowsLaterPages);
    return doc;
}

}  // namespace zul
