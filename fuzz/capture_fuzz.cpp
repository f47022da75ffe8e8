// Exchange captures edited by hand or cut short: refused with the line that is
// wrong, or read whole.
#include "fuzz/FuzzSupport.h"
#include "link/ExchangeCapture.h"

using namespace zul;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CaptureLog log;
    std::string why;
    if (!ParseCapture(std::string(reinterpret_cast<const char*>(data), size), log, why))
        FUZZ_CHECK(why.rfind("line ", 0) == 0);
    return 0;
}
