#include "measurements/XlsxTemplate.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <vector>

#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr zip_uint64_t kMaxPartSize = 64u << 20;  // no template part is near this

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Zip = std::unique_ptr<zip_t, ZipCloser>;

bool ReadPart(zip_t* z, const std::string& name, std::string& out) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(z, name.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || st.size > kMaxPartSize) return false;
    zip_file_t* f = zip_fopen(z, name.c_str(), 0);
    if (!f) return false;
    out.assign(size_t(st.size), '\0');
    const zip_int64_t n = zip_fread(f, out.data(), st.size);
    zip_fclose(f);
    return n == zip_int64_t(st.size);
}

// "xl/worksheets/sheet1.xml": the target of the workbook's first sheet.
std::string FirstSheetPath(zip_t* z) {
    std::string workbook, rels;
    if (!ReadPart(z, "xl/workbook.xml", workbook) || !ReadPart(z, "xl/_rels/workbook.xml.rels", rels)) return {};
    pugi::xml_document wb, rd;
    if (!wb.load_string(workbook.c_str()) || !rd.load_string(rels.c_str())) return {};
    const pugi::xml_node sheet = wb.child("workbook").child("sheets").child("sheet");
    const char* id = sheet.attribute("r:id").value();
    for (pugi::xml_node r : rd.child("Relationships").children("Relationship")) {
        if (std::string(r.attribute("Id").value()) != id) continue;
        std::string target = r.attribute("Target").value();
        if (!target.empty() && target[0] == '/') return target.substr(1);
        return "xl/" + target;
    }
    return {};
}

std::string ColumnName(int column) {
    std::string s;
    for (int c = column; c > 0; c = (c - 1) / 26) s.insert(s.begin(), char('A' + (c - 1) % 26));
    return s;
}

// Row and column of "AB12"; false for anything else.
bool ParseCellName(const char* name, int& row, int& column) {
    row = column = 0;
    const char* p = name;
    for (; *p >= 'A' && *p <= 'Z'; ++p) column = column * 26 + (*p - 'A' + 1);
    for (; *p >= '0' && *p <= '9'; ++p) row = row * 10 + (*p - '0');
    return *p == 0 && row > 0 && column > 0 && row <= 1048576 && column <= 16384;
}

// The child of `parent` for row `r`, created in ascending place.
pugi::xml_node RowNode(pugi::xml_node data, int r) {
    pugi::xml_node before;
    for (pugi::xml_node n : data.children("row")) {
        const int at = n.attribute("r").as_int();
        if (at == r) return n;
        if (at > r) {
            before = n;
            break;
        }
    }
    pugi::xml_node row = before ? data.insert_child_before("row", before) : data.append_child("row");
    row.append_attribute("r") = r;
    return row;
}

pugi::xml_node CellNode(pugi::xml_node row, int r, int c) {
    pugi::xml_node before;
    for (pugi::xml_node n : row.children("c")) {
        int nr, nc;
        if (!ParseCellName(n.attribute("r").value(), nr, nc)) continue;
        if (nc == c) return n;
        if (nc > c) {
            before = n;
            break;
        }
    }
    pugi::xml_node cell = before ? row.insert_child_before("c", before) : row.append_child("c");
    cell.append_attribute("r") = CellName(r, c).c_str();
    return cell;
}

void SetCell(pugi::xml_node cell, const SheetCell& v) {
    // Keep the style; drop an old value, formula or string.
    while (pugi::xml_node child = cell.first_child()) cell.remove_child(child);
    cell.remove_attribute("t");
    if (v.isText) {
        cell.append_attribute("t") = "inlineStr";
        pugi::xml_node t = cell.append_child("is").append_child("t");
        if (!v.text.empty() && (v.text.front() == ' ' || v.text.back() == ' '))
            t.append_attribute("xml:space") = "preserve";
        t.text() = v.text.c_str();
    } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", double(v.number));
        cell.append_child("v").text() = buf;
    }
}

// The parts that may stand before mergeCells in a worksheet, in their order.
const char* const kBeforeMerges[] = {"sheetData",      "sheetCalcPr", "sheetProtection", "protectedRanges",
                                     "scenarios",      "autoFilter",  "sortState",       "dataConsolidate",
                                     "customSheetViews"};

void AddMerges(pugi::xml_node ws, const std::vector<SheetMerge>& merges) {
    if (merges.empty()) return;
    pugi::xml_node list = ws.child("mergeCells");
    if (!list) {
        pugi::xml_node after;
        for (const char* name : kBeforeMerges)
            if (pugi::xml_node n = ws.child(name)) after = n;
        list = ws.insert_child_after("mergeCells", after);
    }
    std::set<std::string> present;
    for (pugi::xml_node m : list.children("mergeCell")) present.insert(m.attribute("ref").value());
    for (const SheetMerge& m : merges) {
        const std::string ref = CellName(m.row, m.firstColumn) + ":" + CellName(m.row, m.lastColumn);
        if (present.insert(ref).second) list.append_child("mergeCell").append_attribute("ref") = ref.c_str();
    }
    int count = 0;
    for (pugi::xml_node m : list.children("mergeCell")) (void)m, ++count;
    list.remove_attribute("count");
    list.prepend_attribute("count") = count;
}

// The dimension over every cell of the sheet data.
void UpdateDimension(pugi::xml_node ws) {
    int maxRow = 1, maxColumn = 1;
    for (pugi::xml_node row : ws.child("sheetData").children("row")) {
        row.remove_attribute("spans");
        for (pugi::xml_node c : row.children("c")) {
            int r, col;
            if (!ParseCellName(c.attribute("r").value(), r, col)) continue;
            maxRow = std::max(maxRow, r);
            maxColumn = std::max(maxColumn, col);
        }
    }
    pugi::xml_node dim = ws.child("dimension");
    if (!dim) dim = ws.prepend_child("dimension");
    dim.remove_attribute("ref");
    dim.append_attribute("ref") = ("A1:" + CellName(maxRow, maxColumn)).c_str();
}

struct XmlWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

}  // namespace

std::string CellName(int row, int column) { return ColumnName(column) + std::to_string(row); }

bool FillXlsxTemplate(const std::string& path, const ReportSheet& sheet, std::string& book, std::string& why) {
    int err = 0;
    Zip z(zip_open(path.c_str(), ZIP_RDONLY, &err));
    if (!z) {
        why = "не является книгой .xlsx";
        return false;
    }
    const std::string sheetPath = FirstSheetPath(z.get());
    std::string xml;
    if (sheetPath.empty() || !ReadPart(z.get(), sheetPath, xml)) {
        why = "нет листа";
        return false;
    }
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size(), pugi::parse_declaration | pugi::parse_ws_pcdata_single) ||
        !doc.child("worksheet").child("sheetData")) {
        why = "лист поврежден";
        return false;
    }
    pugi::xml_node ws = doc.child("worksheet");
    pugi::xml_node data = ws.child("sheetData");
    for (const SheetCell& c : sheet.cells) {
        if (c.row < 1 || c.column < 1) continue;
        SetCell(CellNode(RowNode(data, c.row), c.row, c.column), c);
    }
    AddMerges(ws, sheet.merges);
    UpdateDimension(ws);
    XmlWriter w;
    doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);

    // The new workbook: every part of the template, the sheet replaced; a cached
    // calculation chain is left out (the spreadsheet rebuilds it).
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    if (!src) return why = "нет памяти", false;
    zip_t* out = zip_open_from_source(src, ZIP_TRUNCATE, nullptr);
    if (!out) {
        zip_source_free(src);
        return why = "нет памяти", false;
    }
    zip_source_keep(src);
    std::vector<std::string> keep;  // buffers zip_source_buffer does not copy
    keep.reserve(size_t(zip_get_num_entries(z.get(), 0)) + 1);
    bool ok = true;
    const zip_int64_t n = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < n && ok; ++i) {
        const char* name = zip_get_name(z.get(), zip_uint64_t(i), 0);
        if (!name) continue;
        const std::string part = name;
        if (part == "xl/calcChain.xml") continue;
        if (part == sheetPath) {
            keep.push_back(w.out);
        } else {
            keep.emplace_back();
            if (!ReadPart(z.get(), part, keep.back())) ok = false;
        }
        zip_source_t* s = zip_source_buffer(out, keep.back().data(), keep.back().size(), 0);
        if (!s || zip_file_add(out, part.c_str(), s, ZIP_FL_ENC_UTF_8) < 0) {
            if (s) zip_source_free(s);
            ok = false;
        }
    }
    if (!ok || zip_close(out) != 0) {
        zip_discard(out);  // an archive not closed is still ours to free
        zip_source_free(src);
        why = "ошибка записи книги";
        return false;
    }
    // Read back the archive just written into memory.
    book.clear();
    if (zip_source_open(src) == 0) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_source_stat(src, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) {
            book.resize(size_t(st.size));
            if (zip_source_read(src, book.data(), st.size) != zip_int64_t(st.size)) book.clear();
        }
        zip_source_close(src);
    }
    zip_source_free(src);
    if (book.empty()) return why = "ошибка записи книги", false;
    return true;
}

}  // namespace zul
