// Replies of a captured session (link/ExchangeCapture.h) for the simulator to give:
// a request frame the capture holds gets the bytes the controller sent for it, the
// n-th time it comes the n-th captured answer (then the last again), an attempt
// that got nothing stays silent. Frames are compared as the capture holds them,
// with the write password masked. Frames the capture lacks are left to the
// simulator. The replay answers at every address the captured requests name.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "link/ExchangeCapture.h"

namespace zul::sim {

class SimReplay {
public:
    explicit SimReplay(const CaptureLog& log);
    // True when the capture holds `frame`: `wire` gets the bytes to send (empty: silence).
    bool Answer(const std::vector<uint8_t>& frame, std::vector<uint8_t>& wire);
    size_t frames() const { return answers_.size(); }
    // True when a captured request was addressed to `address`.
    bool Holds(uint8_t address) const { return addresses_[address]; }
    // The captured controller's own address: the first one other than broadcast (0 when none).
    uint8_t ControllerAddress() const { return controllerAddress_; }

private:
    struct Answers {
        std::vector<std::vector<uint8_t>> replies;
        size_t next = 0;
    };
    std::map<std::vector<uint8_t>, Answers> answers_;
    std::array<bool, 256> addresses_{};
    uint8_t controllerAddress_ = 0;
};

}  // namespace zul::sim
