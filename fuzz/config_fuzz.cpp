// Configuration files copied between machines: the loader refuses anything that is
// not a whole configuration of this controller, and whatever it accepts goes
// through the validation that runs before a restore without harm.
#include "fuzz/FuzzSupport.h"
#include "tables/ConfigCheck.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigRecord.h"
#include "tables/TableImage.h"

using namespace zul;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::QuietUi ui;
    ConfigurationRecord record;
    if (!ReadConfigurationFile(fuzz::InputFile(data, size, ".cnf"), record, ui)) return 0;
    FUZZ_CHECK(size == record.bytes.size());
    TableImage image;
    ValidateConfiguration(record, true, image, ui);
    return 0;
}
