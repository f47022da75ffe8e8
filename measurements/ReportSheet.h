// The cells of the day and month reports ("Паспорт ЗУЛ показателей за сутки /
// за месяц"): which value goes into which cell of the template, as numbers or
// texts, and the two merged title ranges. Pure: the records in, the cells out;
// measurements/XlsxTemplate.h writes them into a copy of the template.
//
// A row of chromatograph values starts at column 2 and takes, in this order, gas
// parameters 8, 10, 1, 2, 3, 4, 5, 6, 0, (skip), 7, 9, 12, 18, 11, 13; parameters 18,
// 11 and 13 take three columns each (ккал/м3, МДж/м3, кВт*ч/м3), so the row spans
// columns 2..23. Columns 24..27 take the moisture meter's values 0, 3, 1 and 2
// (the last in kgf/cm2).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tables/ArchiveHeader.h"

namespace zul {

// One cell: a number, or a text when `text` is set.
struct SheetCell {
    int row, column;  // from 1
    bool isText;
    float number;
    std::string text;  // UTF-8
    bool operator==(const SheetCell&) const = default;
};

struct SheetMerge {
    int row, firstColumn, lastColumn;
};

struct ReportSheet {
    std::vector<SheetCell> cells;
    std::vector<SheetMerge> merges;
};

// The unit codes of the gas parameters (table 1 field i byte 50), 20 of them.
using ParameterUnits = std::array<uint8_t, kMaxHeaderParameters>;

// A heat value in the three columns ккал/м3, МДж/м3, кВт*ч/м3 from its unit code
// (4 МДж/м3, 5 ккал/м3, 6 кВт*ч/м3); false for any other code.
bool HeatValueColumns(float value, uint8_t unitCode, std::array<float, 3>& out);

// What the reports read from the controller. Records as the controller sent them
// (94-byte chromatograph, 28-byte moisture-meter averages).
struct DayReportData {
    std::vector<uint8_t> chromHours, moistHours;  // up to 24 each
    std::vector<uint8_t> chromDay, moistDay;      // one record each (moisture: when present)
    bool moisture = false;
};

struct MonthReportData {
    std::vector<uint8_t> chromDays, moistDays;  // consecutive days of the month
    bool moisture = false;
    float average18 = 0, average11 = 0;         // month averages of parameters 18 and 11
};

// The month averages of parameters 11 and 18: over the days whose value is present
// and whose parameter 2 is at least 0.001; 0 when no day qualifies.
void MonthAverages(const std::vector<uint8_t>& chromDays, float& average11, float& average18);

// Output names in the REPORT folder: "<object>_day_YYMMDD.xlsx", "<object>_mon_YYMM.xlsx"
// ('/' in the object name becomes '_').
std::string DayReportName(const std::string& object, const uint8_t* date);
std::string MonthReportName(const std::string& object, const uint8_t* date);

ReportSheet DayReportCells(const DayReportData& data, const ParameterUnits& units, const std::string& object);
ReportSheet MonthReportCells(const MonthReportData& data, const ParameterUnits& units, const std::string& object);

}  // namespace zul
