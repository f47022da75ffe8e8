#include "cli/CliDates.h"

#include <cstdio>
#include <cstring>

namespace zul::cli {

namespace {

bool ValidDate(int y, int mo, int d) { return y >= 2000 && y <= 2255 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo); }

}  // namespace

bool ParseMoment(const std::string& text, CalDate& date, std::string& h, std::string& m, std::string& s) {
    int y, mo, d, hh, mm, ss;
    char tail;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &hh, &mm, &ss, &tail) != 6) return false;
    if (!ValidDate(y, mo, d) || hh < 0 || hh > 23 || mm < 0 || mm > 59 || ss < 0 || ss > 59) return false;
    date = CalDate{y, mo, d};
    h = std::to_string(hh), m = std::to_string(mm), s = std::to_string(ss);
    return true;
}

bool ParsePackedMoment(const std::string& text, PackedDateTime& out) {
    CalDate d{};
    std::string h, m, sec;
    if (!ParseMoment(text, d, h, m, sec)) return false;
    out = PackedDateTime{uint8_t(d.year - 2000), uint8_t(d.month), uint8_t(d.day), uint8_t(std::stoi(h)),
                         uint8_t(std::stoi(m)), uint8_t(std::stoi(sec))};
    return true;
}

bool ParseUnit(const std::string& text, int unit, uint8_t* out) {
    int y, mo, d, hh = 0;
    char tail;
    const int n = unit == kUnitHour ? std::sscanf(text.c_str(), "%4d-%2d-%2d %2d%c", &y, &mo, &d, &hh, &tail)
                                    : std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &tail);
    if (n != (unit == kUnitHour ? 4 : 3) || !ValidDate(y, mo, d) || hh < 0 || hh > 23) return false;
    std::memset(out, 0, 5);
    out[0] = uint8_t(y - 2000), out[1] = uint8_t(mo), out[2] = uint8_t(d);
    if (unit == kUnitHour) out[3] = uint8_t(hh);
    return true;
}

}  // namespace zul::cli
