// Settings files edited by hand: any bytes load (or are refused as unreadable),
// and a key written afterwards reads back as written.
#include "fuzz/FuzzSupport.h"
#include "link/IniFile.h"

using namespace zul;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile ini(fuzz::InputFile(data, size, ".ini"));
    ini.Load();
    for (const char* section : {"Connect", "Port", "Archive", "Fuzz"}) {
        for (const std::string& key : ini.Keys(section)) {
            std::string value;
            FUZZ_CHECK(ini.Read(section, key, value));
            ini.ReadInteger(section, key, 0);
        }
    }
    if (!ini.Readable()) return 0;
    ini.WriteString("Fuzz", "Key", "value = 1; [x]");
    ini.WriteInteger("Fuzz", "Number", -2147483647 - 1);
    FUZZ_CHECK(ini.ReadString("Fuzz", "Key", "") == "value = 1; [x]");
    FUZZ_CHECK(ini.ReadInteger("Fuzz", "Number", 0) == -2147483647 - 1);
    int32_t v = 0;
    IniFile::ParseInteger(std::string(reinterpret_cast<const char*>(data), size), v);
    return 0;
}
