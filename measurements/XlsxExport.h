// "Сохранить в формате Excel": the table of a measurement, hourly or daily viewer
// written into a new workbook: a title row, the two heading rows on a grey band,
// one row per record and, after an empty row, the averages. Every value is a text
// in a text-formatted cell; value cells are re-formatted with the parameter's
// decimals, so the zone and calibration marks of the grid are dropped.
#pragma once
#include <string>

namespace zul {

class ChromTable;
class UserInterface;

// Writes the workbook to `path` (through a scratch file, then renamed into place,
// so that an existing workbook survives a failure). Progress goes to `ui` when
// given. False when the workbook could not be written.
bool WriteChromWorkbook(const ChromTable& table, const std::string& path, UserInterface* ui);

// The whole command after the file name is chosen: the wait for the user, the
// workbook, and the message "Данные сохранены в файле %s" or "Ошибка работы с файлом!".
bool ExportChromTable(const ChromTable& table, const std::string& path, UserInterface& ui);

// The value a grid cell shows, written again with `decimals` decimals; a text that
// holds no number comes back trimmed of blanks.
std::string ExportValueText(const std::string& cell, int decimals);

}  // namespace zul
