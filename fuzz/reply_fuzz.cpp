// The engine's reply receiver fed bytes as a line delivers them, in any pieces:
// a reply is taken only when it is whole and checked; otherwise the exchange fails
// with an error text. Byte 0: attempts; byte 1: the command; the rest: the line.
#include "fuzz/FuzzSupport.h"
#include "link/Qrtbox.h"

using namespace zul;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    test::VirtualClock clock{1000000, 0, 46000.5};  // a millisecond a reading: every deadline passes at once
    Qrtbox box(1);
    box.clock = &clock;
    box.linkKind = kLinkDirect;
    box.openPerExchange = 0;
    box.attempts = uint8_t(1 + data[0] % 3);
    box.replyTimeoutMs = 100;
    box.interByteTimeoutMs = 10;
    box.port = std::make_unique<fuzz::PieceLine>(data + 2, size - 2);
    const uint8_t commands[] = {1, 2, 7, 8, 15, 16};
    const uint8_t command = commands[data[1] % sizeof commands];
    const uint8_t body[3] = {0, 0, 18};
    if (box.Exchange(command, body, 3, 0)) {
        FUZZ_CHECK(box.errorCode == 0);
    } else {
        FUZZ_CHECK(box.errorCode != 0);
        FUZZ_CHECK(!box.ErrorText().empty());
    }
    box.port.reset();
    return 0;
}
