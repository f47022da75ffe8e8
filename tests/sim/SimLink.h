// A link engine connected to a fresh simulated controller, over TCP or a pseudo-terminal.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "link/Comportfunctions.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/UserInterface.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::test {

enum class Via { kTcp, kPty };

inline std::string ViaName(const ::testing::TestParamInfo<Via>& info) {
    return info.param == Via::kTcp ? "Tcp" : "Pty";
}

// Records every message box and answers from a script (no when the script is empty).
class ScriptedUi : public UserInterface {
public:
    struct Box {
        int kind;
        std::string line1, line2;
    };
    bool ShowMessageBox(int kind, const std::string& l1, const std::string& l2) override {
        boxes.push_back({kind, l1, l2});
        answerFlag = !answers.empty() && answers.front();
        if (!answers.empty()) answers.pop_front();
        return answerFlag;
    }
    std::vector<Box> boxes;
    std::deque<bool> answers;
};

// A fixed, frozen clock: 15.03.2024 12:00:00.
inline sim::SimSettings FixedSettings() {
    sim::SimSettings s;
    s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 12, 0, 0));
    s.rate = 0;
    return s;
}

constexpr int kTestPort = 48;  // the port number the pseudo-terminal is mapped to

class SimLink {
public:
    explicit SimLink(Via via, const sim::SimSettings& settings = FixedSettings())
        : via(via), sim(settings), box(settings.address), io(box, image, ui) {
        box.ui = &ui;
        box.attempts = 1;
        box.preambleCount = 0;
        box.replyTimeoutMs = 300;
        box.interByteTimeoutMs = 50;
        box.openPerExchange = 0;
        if (via == Via::kTcp) {
            ok = sim.StartTcp(0);
            box.linkKind = kLinkEthernet;
            box.tcpSendPauseMs = 0;
            box.sock = ok ? TcpConnect("127.0.0.1", sim.tcpPort(), 2000) : -1;
            ok = ok && box.sock > 0;
        } else {
            ok = sim.StartPty();
            SetPortDevicePath(kTestPort, sim.ptyPath());
            box.linkKind = kLinkDirect;
            box.portNumber = kTestPort;
            box.baudRate = 115200;
            ok = ok && box.OpenPort();
        }
    }
    ~SimLink() {
        if (box.sock > 0) TcpClose(box.sock);
        box.sock = 0;
        box.ClosePort();
        sim.Stop();
    }
    void Login(const char* ident, const char* password) {
        box.identCode.fill(' ');
        box.writePassword.fill(' ');
        std::memcpy(box.identCode.data(), ident, std::strlen(ident));
        std::memcpy(box.writePassword.data(), password, std::strlen(password));
    }
    bool Read(int t, int first, int count) {
        const uint8_t req[3] = {uint8_t(t), uint8_t(first), uint8_t(count)};
        return io.ReadFields(req, &bar, true);
    }
    // Puts the bytes into the image and writes them.
    bool Write(int t, int first, const std::vector<uint8_t>& bytes) {
        std::memcpy(image.Field(t, first), bytes.data(), bytes.size());
        uint8_t buf[3 + 255] = {uint8_t(t), uint8_t(first), uint8_t(bytes.size() / Table(t).fieldSize)};
        return io.WriteFields(buf, &bar, true);
    }
    // One raw exchange; the reply stays in box.reply.
    bool Exchange(uint8_t cmd, const std::vector<uint8_t>& data) {
        return box.Exchange(cmd, data.data(), int(data.size()), 0);
    }
    uint8_t DeviceCode() const { return box.reply[4]; }

    Via via;
    sim::Qrtsim sim;
    Qrtbox box;
    TableImage image;
    ScriptedUi ui;
    MemoryStatusBar bar;
    TableIo io;
    bool ok = false;
};

}  // namespace zul::test
