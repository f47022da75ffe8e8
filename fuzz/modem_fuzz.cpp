// A modem's replies as the line delivers them: a reply line never outgrows its
// limit and every outcome has its text.
#include "fuzz/FuzzSupport.h"
#include "link/Connectmodem.h"

using namespace zul;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::PieceLine line(data, size);
    test::VirtualClock clock{1000000, 0, 46000.5};  // a millisecond a reading: every deadline passes at once
    Connectmodem modem(line, nullptr, clock);
    for (int i = 0; i < 3; ++i) {
        std::string reply;
        const int code = modem.SendModemCommand("AT\r", reply, 1000, nullptr);
        FUZZ_CHECK(reply.size() <= size_t(Connectmodem::kMaxReply));
        FUZZ_CHECK(ModemResultText(code) != nullptr);
        ModemAnswers(reply);
    }
    return 0;
}
