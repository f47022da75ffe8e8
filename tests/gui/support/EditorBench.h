// The editor commands against the simulated controller over loopback TCP: an
// engine logged in as the engineer, a table image, a recording user interface,
// the write requests sent, and the follow-ups the commands call.
#pragma once
#include <QtTest>

#include "core/support/SimWrites.h"
#include "editors/EditorCommands.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "sim/Qrtsim.h"
#include "settings_fakes.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zultest {

struct EditorBench {
    zul::sim::Qrtsim sim;
    zul::test::RecordingUi ui;
    zul::Qrtbox box{1};
    zul::TableImage image;
    zul::TableIo io{box, image, ui};
    zul::MemoryStatusBar bar;
    zul::test::WriteLog writes;
    zul::LinkSettings link;
    int menuRecomputes = 0;
    int statusRefreshes = 0;
    zul::EditorHost host{io, &bar, nullptr, &link, [this] { ++statusRefreshes; }, [this] { ++menuRecomputes; }};
    bool connected = false;

    EditorBench() {
        connected = zul::test::ConnectToSim(box, sim, &ui, &writes);
        // The base tables as the start sequence leaves them.
        for (int t : {0, 6, 14}) {
            const uint8_t req[3] = {uint8_t(t), 0, zul::Table(t).fieldCount};
            connected = connected && io.ReadFields(req, nullptr, false);
        }
        connected = connected && io.ReadWholeTable(1, nullptr);
    }
    ~EditorBench() {
        if (box.sock > 0) zul::TcpClose(box.sock);
    }
    // Reads a base table again after the simulator's tables were changed.
    void Reread(int t) {
        const uint8_t req[3] = {uint8_t(t), 0, zul::Table(t).fieldCount};
        QVERIFY(io.ReadFields(req, nullptr, false));
    }
    using Runs = std::vector<std::array<int, 3>>;
};

}  // namespace zultest
