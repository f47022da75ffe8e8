// Filling a workbook template: an .xlsx file is a zip of XML parts; the cells of a
// ReportSheet are written into the first worksheet's XML (numbers as numbers, texts
// as inline strings, the template's cell styles kept), the merges added, and the
// whole workbook is returned as bytes for the caller to save. The template file
// itself is only read.
//
//   std::string book, why;
//   if (!FillXlsxTemplate(templatePath, sheet, book, why)) ...   // why: what was wrong
//   WriteFileAtomically(outPath, book);
//
// The sheet XML keeps the order a spreadsheet reader expects: rows ascending, cells
// in column order within a row, mergeCells after sheetData (before the page set-up
// parts) with a right count, the dimension covering every cell, no stale row spans.
#pragma once
#include <string>

#include "measurements/ReportSheet.h"

namespace zul {

bool FillXlsxTemplate(const std::string& templatePath, const ReportSheet& sheet, std::string& book,
                      std::string& why);

// "B10" of row 10, column 2.
std::string CellName(int row, int column);

}  // namespace zul
