// The link every benchmark against the in-process simulator uses: loopback TCP,
// the connection kept for the whole run, no pause before requests.
#pragma once
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/UserInterface.h"
#include "sim/Qrtsim.h"

namespace zul::bench {

// True when connected to the simulator's TCP port.
inline bool ConnectToSim(Qrtbox& box, UserInterface& ui, const sim::Qrtsim& sim) {
    box.ui = &ui;
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.tcpSendPauseMs = 0;
    box.sock = TcpConnect("127.0.0.1", sim.tcpPort(), 2000);
    return box.sock > 0;
}

}  // namespace zul::bench
