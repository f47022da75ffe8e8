// Dates and times on the command line, the controller's local time:
// moments "YYYY-MM-DD HH:MM:SS", hours "YYYY-MM-DD HH", days "YYYY-MM-DD".
#pragma once
#include <cstdint>
#include <string>

#include "tables/Dtfun.h"

namespace zul::cli {

// A moment into the period dialog's fields (date; hour, minute and second texts).
bool ParseMoment(const std::string& text, CalDate& date, std::string& hour, std::string& minute,
                 std::string& second);
// A moment as its packed date-time.
bool ParsePackedMoment(const std::string& text, PackedDateTime& out);
// An hour (kUnitHour) or a day (kUnitDay) into its packed prefix (`out` 5 bytes,
// the bytes after the prefix zero).
bool ParseUnit(const std::string& text, int unit, uint8_t* out);

}  // namespace zul::cli
