// Report templates a user replaced or damaged: any bytes as the template are
// refused with a reason, or filled into a workbook that is again a zip.
#include "fuzz/FuzzSupport.h"
#include "measurements/XlsxTemplate.h"

using namespace zul;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReportSheet sheet;
    sheet.cells = {{10, 1, true, 0, "01.12.2026"}, {10, 2, false, 12.5f, ""}, {3, 4, true, 0, "За період з"},
                   {40, 27, false, -1.0f, ""}};
    sheet.merges = {{3, 4, 8}};
    std::string book, why;
    if (FillXlsxTemplate(fuzz::InputFile(data, size, ".xlsx"), sheet, book, why))
        FUZZ_CHECK(book.size() > 4 && book.compare(0, 2, "PK") == 0);
    else
        FUZZ_CHECK(!why.empty());
    return 0;
}
