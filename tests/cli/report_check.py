# Reads a report workbook back independently of the program (openpyxl and the
# sheet XML itself) and prints what the tests compare, one fact a line:
#   title <G2>            period <V4>          merges <ranges, sorted>
#   row <r> <kinds of columns 1..27: n number, - "--", N " NAN", . empty, s other text>
#   xml <ok | what breaks the order rules>   untouched <ok | first cell that changed>
#   value <cell> <number>  for the cells asked for on the command line
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

report, template = sys.argv[1], sys.argv[2]
cells = sys.argv[3:]
ws = openpyxl.load_workbook(report).active
print("title", ws["G2"].value)
print("period", ws["V4"].value)
print("merges", " ".join(sorted(str(r) for r in ws.merged_cells.ranges if r.min_row in (2, 4))))
for r in range(10, 42):
    kinds = ""
    for c in range(1, 28):
        v = ws.cell(r, c).value
        kinds += "." if v is None else "n" if isinstance(v, (int, float)) else "-" if v == "--" else "N" if v == " NAN" else "s"
    print("row", r, kinds)
for name in cells:
    print("value", name, "%.6g" % ws[name].value)

ns = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
with zipfile.ZipFile(report) as z:
    root = ET.fromstring(z.read("xl/worksheets/sheet1.xml"))
problem = "ok"
tags = [child.tag.replace(ns, "") for child in root]
if "mergeCells" in tags:
    m = tags.index("mergeCells")
    if m < tags.index("sheetData") or ("pageMargins" in tags and m > tags.index("pageMargins")):
        problem = "mergeCells out of place"
    mc = root.find(ns + "mergeCells")
    if int(mc.get("count")) != len(mc):
        problem = "mergeCells count"
def colnum(ref):
    n = 0
    for ch in ref:
        if ch.isalpha():
            n = n * 26 + ord(ch) - 64
    return n
last_row, max_row, max_col = 0, 0, 0
for row in root.find(ns + "sheetData"):
    r = int(row.get("r"))
    if r <= last_row:
        problem = "rows out of order at %d" % r
    if row.get("spans") is not None:
        problem = "stale spans"
    last_row, last_col = r, 0
    for c in row:
        col = colnum(c.get("r"))
        if col <= last_col:
            problem = "cells out of order at %s" % c.get("r")
        last_col = col
        max_col = max(max_col, col)
    max_row = max(max_row, r)
dim = root.find(ns + "dimension").get("ref")
if dim != "A1:%s%d" % (openpyxl.utils.get_column_letter(max_col), max_row):
    problem = "dimension " + dim
print("xml", problem)

tw = openpyxl.load_workbook(template).active
changed = "ok"
for row in tw.iter_rows():
    for c in row:
        if c.value is not None and ws[c.coordinate].value != c.value:
            changed = c.coordinate
            break
    if changed != "ok":
        break
print("untouched", changed)
