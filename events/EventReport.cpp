#include "events/EventReport.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "link/IniFile.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

// Places in the archive file header.
constexpr int kHeaderName = 4, kHeaderNameBytes = 20;
constexpr int kHeaderAddress = 44;
constexpr int kHeaderMadeAt = 873;
constexpr int kHeaderFirst = 879;
constexpr int kHeaderLast = 885;
constexpr int kHeaderCount = 891;

// Day, month, year, hour, minute, second of a packed moment.
std::string Moment(const char* fmt, const uint8_t* p) { return Sprintf(fmt, p[2], p[1], p[0], p[3], p[4], p[5]); }

std::string Period(const char* fmt, const uint8_t* h) {
    const uint8_t* s = h + kHeaderFirst;
    const uint8_t* e = h + kHeaderLast;
    return Sprintf(fmt, s[2], s[1], s[0], s[3], s[4], s[5], e[2], e[1], e[0], e[3], e[4], e[5]);
}

uint32_t RecordCount(const uint8_t* h) {
    const uint8_t* p = h + kHeaderCount;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const char* const kFirstLines[9] = {nullptr,
                                    nullptr,
                                    nullptr,
                                    "Перечень диагностических сообщений",
                                    "Перечень сообщений о вмешательствах оператора",
                                    nullptr,
                                    "Часовые измерительные данные влагомера",
                                    "Суточные измерительные данные влагомера",
                                    "Измерительные данные влагомера"};
// "контроллерa" ends in a Latin "a".
const char* const kOfController = "контроллерa ЗУЛ_QRT510";
const char* const kIntoController = "в работу контроллерa ЗУЛ_QRT510";

using Col = ReportColumn;
const TextAlign kL = TextAlign::Left, kC = TextAlign::Centre;

std::vector<ReportColumn> DiagnosticColumns() {
    return {Col{0, 52, {"Дата"}, kC},
            Col{58, 52, {"Время"}, kC},
            Col{115, 200, {"Событие"}, kL},
            Col{321, 205, {"Объект / Причина"}, kL},
            Col{531, 60, {"Текущее", "значение", "параметра"}, kC},
            Col{597, 60, {"Значение", "уставки"}, kC},
            Col{661, 58, {"Единица", "измер."}, kC}};
}

std::vector<ReportColumn> InterventionColumns() {
    return {Col{0, 52, {"Дата"}, kC},
            Col{58, 52, {"Время"}, kC},
            Col{115, 272, {"Наименование  параметра"}, kL},
            Col{395, 87, {"Старое", "значение"}, kC},
            Col{488, 87, {"Новое", "значение"}, kC},
            Col{580, 60, {"Единица", "измер."}, kC},
            Col{646, 71, {"Имя", "оператора"}, kC}};
}

}  // namespace

std::string PrintControllerName(const uint8_t* h) {
    int a = kHeaderName, b = kHeaderName + kHeaderNameBytes;
    for (int i = a; i < b; ++i) {
        if (h[i] == 0) {
            b = i;
            break;
        }
    }
    while (a < b && h[a] == ' ') ++a;
    while (b > a && h[b - 1] == ' ') --b;
    return Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(h + a), size_t(b - a)));
}

std::array<std::string, 3> PrintTitleLines(int kind, const uint8_t* h) {
    const char* const kSeconds = "за период  с  %02d.%02d.%02d  %02d:%02d:%02d  по  %02d.%02d.%02d  %02d:%02d:%02d";
    switch (kind) {
    case kPrintDiagnostics:
    case kPrintMoistMeasurements:
        return {kFirstLines[kind], kOfController, Period(kSeconds, h)};
    case kPrintInterventions:
        return {kFirstLines[kind], kIntoController, Period(kSeconds, h)};
    case kPrintMoistHourly: {
        const uint8_t* s = h + kHeaderFirst;
        const uint8_t* e = h + kHeaderLast;
        return {kFirstLines[kind], kOfController,
                Sprintf("за период  с  %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч", s[2], s[1], s[0], s[3], e[2],
                       e[1], e[0], e[3])};
    }
    case kPrintMoistDaily: {
        const uint8_t* s = h + kHeaderFirst;
        const uint8_t* e = h + kHeaderLast;
        return {kFirstLines[kind], kOfController,
                Sprintf("за период  с  %02d.%02d.%02d  по  %02d.%02d.%02d", s[2], s[1], s[0], e[2], e[1], e[0])};
    }
    default:
        return {};
    }
}

std::string TitleIniPath(const std::string& iniFolder) { return iniFolder + "/title.ini"; }

std::string ReadOrganisationName(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    char buf[kOrganisationNameLength] = {};
    in.read(buf, kOrganisationNameLength);
    const std::streamsize got = in.gcount();
    std::string name;
    for (std::streamsize i = 0; i < got && buf[i] != 0; ++i) name += buf[i];
    return name;
}

bool StoreOrganisationName(const std::string& path, const std::string& name, const std::string& previous) {
    std::string bytes = name.substr(0, kOrganisationNameLength);
    if (auto zero = bytes.find('\0'); zero != std::string::npos) bytes.resize(zero);
    if (bytes == previous) return true;
    bytes.resize(kOrganisationNameLength, '\0');
    return WriteFileAtomically(path, bytes);
}

ReportDocument BuildEventReport(int kind, const uint8_t* h, const std::vector<EventRow>& rows,
                                const std::string& organisation) {
    const bool diag = kind == kPrintDiagnostics;
    ReportDocument doc;
    doc.marginRightMm = diag ? 9 : 10;
    const std::string name = PrintControllerName(h);
    doc.pageHeader = name;

    ReportBand& title = doc.title;
    title.width = 721;
    title.height = 112;
    const auto line = [&](std::string text, int top, TextAlign align, int size, bool bold) {
        title.texts.push_back({std::move(text), 0, top, 721, size > 10 ? 20 : 17, align, size, bold});
    };
    const auto lines = PrintTitleLines(kind, h);
    line(organisation, 3, TextAlign::Centre, 12, true);
    line(Sprintf("Контроллер \"%s\"  (адрес %d)", name.c_str(), h[kHeaderAddress]), 24, TextAlign::Left, 10, false);
    line(lines[0], 42, TextAlign::Centre, 10, true);
    line(lines[1], 58, TextAlign::Centre, 10, true);
    line(Period("За период  с  %02d.%02d.%02d %02d:%02d:%02d  по %02d.%02d.%02d %02d:%02d:%02d", h), 75,
         TextAlign::Centre, 10, false);
    line(Sprintf("Составлен программой zul_%02d  ", 17) +
             Moment("%02d.%02d.%02d %02d:%02d:%02d", h + kHeaderMadeAt),
         92, TextAlign::Centre, 10, false);

    doc.table.columns = diag ? DiagnosticColumns() : InterventionColumns();
    if (diag) doc.table.groups.push_back({115, 411, "Сообщение"});

    size_t count = rows.size();
    if (!diag && RecordCount(h) < count) count = RecordCount(h);
    doc.rows.reserve(count);
    for (size_t i = 0; i < count; ++i) doc.rows.emplace_back(rows[i].begin(), rows[i].end());
    doc.pages = diag ? PaginateRows(int(count), kDiagnosticRowsFirstPage, kDiagnosticRowsLaterPages)
                     : PaginateRows(int(count), kInterventionRowsFirstPage, kInterventionRowsLaterPages);
    return doc;
}

}  // namespace zul
