#include "sim/SimReplay.h"

namespace zul::sim {

SimReplay::SimReplay(const CaptureLog& log) {
    for (const CapturedExchange& x : log.exchanges) {
        const std::vector<uint8_t> frame = x.Frame();
        if (frame.size() < 2) continue;
        addresses_[frame[1]] = true;
        if (controllerAddress_ == 0 && frame[1] != 0xFF) controllerAddress_ = frame[1];
        answers_[ObservedFrame(frame)].replies.push_back(x.reply);
    }
}

bool SimReplay::Answer(const std::vector<uint8_t>& frame, std::vector<uint8_t>& wire) {
    // The capture holds requests as observers see them: the password masked.
    auto it = answers_.find(ObservedFrame(frame));
    if (it == answers_.end()) return false;
    Answers& a = it->second;
    wire = a.replies[a.next];
    if (a.next + 1 < a.replies.size()) ++a.next;
    return true;
}

}  // namespace zul::sim
