// An engine on the simulated controller over loopback TCP, logged in as the
// engineer (level 3), with a log of the write requests it sends.
#pragma once
#include <array>
#include <cstring>
#include <vector>

#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "sim/Qrtsim.h"

namespace zul::test {

// Table, first field and count of every command-2 request sent.
struct WriteLog : ExchangeObserver {
    std::vector<std::array<int, 3>> runs;
    void OnExchangeEvent(const ExchangeEvent& e) override {
        if (e.kind != ExchangeEvent::kRequest || e.command != 2) return;
        int i = 0;
        while (i < e.count && e.bytes[i] != 0xCC) ++i;  // past the preambles
        if (i + 23 < e.count) runs.push_back({e.bytes[i + 21], e.bytes[i + 22], e.bytes[i + 23]});
    }
};

// Connects `box` to the simulator (started on an ephemeral port); false when that fails.
inline bool ConnectToSim(Qrtbox& box, sim::Qrtsim& sim, UserInterface* ui, WriteLog* log) {
    if (!sim.tcpPort() && !sim.StartTcp()) return false;
    box.ui = ui;
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.tcpSendPauseMs = 0;
    box.attempts = 1;
    box.replyTimeoutMs = 1000;
    std::memcpy(box.writePassword.data(), "333333      ", 12);
    std::memcpy(box.identCode.data(), "3333", 4);
    box.observer = log;
    box.sock = TcpConnect("127.0.0.1", sim.tcpPort(), 2000);
    return box.sock > 0;
}

}  // namespace zul::test
