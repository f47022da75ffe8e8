// The simulated controller of the command-line tests: its clock stands still (rate 0)
// on 15 March 2024 at the given time, so that what two runs print is the same; it
// answers on an ephemeral loopback TCP port.
//
//   sim::Qrtsim controller(StoppedAt(12, 0, 0));
//   ASSERT_TRUE(controller.StartTcp());
//   RunProgram(ZUL_BIN, {"--tcp", TcpAddress(controller), "identify"});
#pragma once
#include <string>

#include "sim/Qrtsim.h"
#include "sim/SimTime.h"

namespace zul::test {

inline sim::SimSettings StoppedAt(int hour, int minute, int second) {
    sim::SimSettings s;
    s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, hour, minute, second));
    s.rate = 0;
    return s;
}

inline std::string TcpAddress(const sim::Qrtsim& controller) {
    return "127.0.0.1:" + std::to_string(controller.tcpPort());
}

}  // namespace zul::test
