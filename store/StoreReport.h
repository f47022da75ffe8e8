// The day and month reports built from the archive store instead of the
// controller: the records the report's reads would bring, taken from what the
// store holds of one controller, then filled in as ever (ReportSheet.h).
//
//   DayReportData d;
//   ParameterUnits units;
//   if (StoredDayReport(*store, mac, date, ui, d, units))     // date: yy, mm, dd
//       ProduceReport(ui, templatePath, DayReportCells(d, units, object), outPath, false);
#pragma once
#include <cstdint>
#include <string>

#include "measurements/ReportSheet.h"
#include "store/ArchiveStore.h"

namespace zul {

class UserInterface;

// False with the message shown when the store fails or lacks the day's record,
// a record it needs has a bad check, or the two instruments' counts differ.
bool StoredDayReport(ArchiveStore& store, const std::string& mac, const uint8_t* date, UserInterface& ui,
                     DayReportData& out, ParameterUnits& units);
// The month of `date` (its day ignored): the daily records of the days held.
bool StoredMonthReport(ArchiveStore& store, const std::string& mac, const uint8_t* date, UserInterface& ui,
                       MonthReportData& out, ParameterUnits& units);
// The controller of a report: `mac`, or the one controller the store holds when
// `mac` is empty. False with the reason on the port otherwise.
bool StoredReportController(ArchiveStore& store, std::string& mac, UserInterface& ui);

}  // namespace zul
