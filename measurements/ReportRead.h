// The reads and the whole run of the day and month reports: the records come
// straight from the controller (commands 15 and 16 through the shared reader, with
// the reports' own order check: a record before the expected hour (day) or after the
// last wanted one ends the report), the moisture meter's records must match the
// chromatograph's date for date, and the workbook is filled from the template and
// saved in REPORT only once it is complete.
//
//   ReportFetch fetch(io, ui, &bar, programFolder);
//   DayReportData d;
//   if (fetch.ReadDay(date, d))                          // date: yy, mm, dd, contract hour
//       ProduceReport(ui, templatePath, DayReportCells(d, fetch.Units(), object), outPath);
//
// The month template is "mon_report_title.xlsx", both for the presence test and for
// the opening.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "measurements/AverageRange.h"
#include "measurements/ChromFetch.h"
#include "measurements/ReportSheet.h"

namespace zul {

class TableImage;

constexpr const char* kDayTemplate = "day_report_title.xlsx";
// One name for the month template, tested for and opened alike.
constexpr const char* kMonthTemplate = "mon_report_title.xlsx";

// The report's read of a range: the next request starts at the hour (day) after the
// last record received; any reply with records asks again until `limit` records or
// the end; an empty reply ends the read. A record out of the range, or (with a
// reference) whose date differs from the reference record of the same position,
// ends the report with its message.
class ReportRangeRequest : public AverageRangeRequest {
public:
    ReportRangeRequest(int unit, uint8_t instrument, const uint8_t* start, const uint8_t* end, int limit,
                       const std::vector<uint8_t>* reference);
    int NextRequest(uint8_t* body) override;
    RecordVerdict OnRecord(const uint8_t* record, UserInterface& ui) override;
    bool Continue(const ArchiveReply& reply) override;
    bool failed() const { return failed_; }
    int stored() const { return stored_; }

private:
    uint8_t expected_[5] = {};
    int limit_;
    const std::vector<uint8_t>* reference_;
    int stored_ = 0;
    bool failed_ = false;
};

// The unit codes of the gas parameters in table 1 of an image.
ParameterUnits UnitsOfImage(const TableImage& image);

class ReportFetch {
public:
    ReportFetch(TableIo& io, UserInterface& ui, StatusBar* bar, std::string programFolder)
        : io_(io), ui_(ui), bar_(bar), folder_(std::move(programFolder)) {}

    // Whether table 6 field 8 of the image says a moisture meter is connected.
    bool MoistureMeter() const;
    // The unit codes of the gas parameters (table 1 of the image).
    ParameterUnits Units() const;

    // The day report's reads for `date` (year - 2000, month, day, contract hour):
    // the day's daily records, then its hours from the contract hour, started no
    // earlier than the hourly archive's oldest record. True when all succeeded.
    bool ReadDay(const uint8_t* date, DayReportData& out);
    // The month report's reads for the month of `date` within the daily archive's
    // range `days`, and the month averages.
    bool ReadMonth(const uint8_t* date, const AvailableRange& days, MonthReportData& out);

private:
    bool ReadRange(int unit, uint8_t instrument, const uint8_t* start, const uint8_t* end, int limit,
                   const std::vector<uint8_t>* reference, const char* title, std::vector<uint8_t>& out);
    bool ReadOneDay(uint8_t instrument, const uint8_t* day, std::vector<uint8_t>& out);
    bool SameCount(const std::vector<uint8_t>& chrom, const std::vector<uint8_t>& moist);

    TableIo& io_;
    UserInterface& ui_;
    StatusBar* bar_;
    std::string folder_;
};

// The report dialog's check of "Принять": 0 when the date lies in the range
// (compared by day, or by month for the month report), else 1.
int ReportDateOutside(const AvailableRange& days, const uint8_t* date, bool month);

// "Producing a workbook": the replace question for an existing report when `ask`
// (No: nothing happens; the command line replaces without asking), the template filled, the report written atomically, the message. A
// template that cannot be read or filled, or a report that cannot be written, is
// reported and leaves any earlier report as it was. True when the report was saved.
bool ProduceReport(UserInterface& ui, const std::string& templatePath, const ReportSheet& sheet,
                   const std::string& outPath, bool ask = true);

// The message of a missing template: "В рабочем каталоге отсутствует файл %s" /
// "Обратитесь к разработчику программного обеспечения".
void ShowMissingTemplate(UserInterface& ui, const std::string& name);

}  // namespace zul
