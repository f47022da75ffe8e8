#include "tables/TableImage.h"

namespace zul {

void TableImage::NamesFromController() {
    if (NamesInCodePage866()) FromControllerCodePage(Data(5), uint8_t(Table(5).Bytes()));
}

void TableImage::NamesToController() {
    if (NamesInCodePage866()) ToControllerCodePage(Data(5), uint8_t(Table(5).Bytes()));
}

}  // namespace zul
