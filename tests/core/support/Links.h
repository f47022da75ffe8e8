// An engine wired to a scripted peer over loopback TCP or over a pseudo-terminal.
#pragma once
#include <memory>

#include "core/support/FakeUi.h"
#include "core/support/ScriptedPeer.h"
#include "link/Comportfunctions.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"

namespace zul::test {

enum class Transport { kTcp, kPty };

struct EngineOnPeer {
    explicit EngineOnPeer(Transport t, uint8_t address = 1)
        : transport(t), peer(t == Transport::kTcp ? ScriptedPeer::Kind::kTcp : ScriptedPeer::Kind::kPty),
          box(address) {
        box.ui = &ui;
        box.replyTimeoutMs = 300;
        box.interByteTimeoutMs = 50;
        if (t == Transport::kTcp) {
            box.linkKind = kLinkEthernet;
            box.openPerExchange = 0;
            box.tcpSendPauseMs = 0;
            box.sock = TcpConnect("127.0.0.1", peer.port(), 2000);
        } else {
            SetPortDevicePath(kPort, peer.path());
            box.linkKind = kLinkDirect;
            box.portNumber = kPort;
            box.baudRate = 115200;
            box.openPerExchange = 0;
            box.OpenPort();
        }
    }
    ~EngineOnPeer() {
        if (box.sock > 0) TcpClose(box.sock);
        box.ClosePort();
        SetPortDevicePath(kPort, "");
    }
    static constexpr int kPort = 41;
    Transport transport;
    ScriptedPeer peer;
    FakeUi ui;
    Qrtbox box;
};

inline const char* TransportName(Transport t) { return t == Transport::kTcp ? "Tcp" : "Pty"; }

}  // namespace zul::test
