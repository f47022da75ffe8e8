// The link every benchmark against the in-process simulator uses: loopback TCP,
// the connection kept for the whole run, no pause before requests.
//
//   sim::Qrtsim controller(bench::StoppedSim());
//   controller.StartTcp();
//   bench::ArchiveSession s(ui, controller);   // s.ok; s.io reads archives
#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>

#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/UserInterface.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

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

// The benches' controller: its clock stands still at 15 March 2024 12:00, two
// months of archives behind it.
inline sim::SimSettings StoppedSim() {
    sim::SimSettings s;
    s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 12, 0, 0));
    s.rate = 0;
    return s;
}

// Connected, with tables 14 and 1 read: what the archive readers start from.
struct ArchiveSession {
    ArchiveSession(UserInterface& ui, const sim::Qrtsim& sim) : io(box, image, ui) {
        ok = ConnectToSim(box, ui, sim) && io.ReadWholeTable(14, nullptr) && io.ReadWholeTable(1, nullptr);
    }
    ~ArchiveSession() {
        if (box.sock > 0) TcpClose(box.sock);
    }
    ArchiveSession(const ArchiveSession&) = delete;
    ArchiveSession& operator=(const ArchiveSession&) = delete;
    Qrtbox box{1};
    TableImage image;
    TableIo io;
    bool ok = false;
};

// A fresh folder under the temporary directory, named for the bench and this process.
inline std::filesystem::path BenchFolder(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace zul::bench
