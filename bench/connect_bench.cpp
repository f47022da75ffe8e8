// Time from "Связаться" to the menus set up, against the simulated controller
// over loopback TCP: connect, identify, read the base tables.
//   build/bench/connect_bench
#include <chrono>
#include <cstdio>

#include "core/support/FakeUi.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "link/Tcp_fun.h"
#include "link/TcpSocket.h"
#include "shell/ConnectionStart.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

struct Host : StartHost {
    Qrtbox* box;
    LinkSettings* settings;
    test::FakeUi* ui;
    std::chrono::steady_clock::time_point connectPressed;
    bool ShowConnectDialog() override {
        connectPressed = std::chrono::steady_clock::now();
        return ConnectTcp(*box, settings->ethernet, 1, *ui);
    }
    void CloseLink() override {
        if (box->sock > 0) TcpClose(box->sock);
        box->sock = 0;
    }
    void HideAllMenus() override {}
    void SetupMenus() override {}
    void RefreshLinkStatus() override {}
    void SaveSettings() override {}
    void AskCredentials() override {}
    bool DialSubscriber() override { return false; }
    int ShowTableInfo(TableStateInfo&, uint8_t) override { return kInfoExit; }
};

struct Count : ExchangeObserver {
    int requests = 0;
    void OnExchangeEvent(const ExchangeEvent& e) override { requests += e.kind == ExchangeEvent::kRequest; }
};

}  // namespace

int main() {
    sim::Qrtsim sim;
    sim.StartTcp();
    for (int pause : {500, 0}) {
        test::FakeUi ui;
        Qrtbox box(0);
        Count count;
        box.observer = &count;
        TableImage image;
        TableIo io(box, image, ui);
        LinkSettings settings;
        settings.current.connectionKind = kLinkEthernet;
        settings.ethernet.sendPauseMs = pause;
        settings.ethernet.subscribers.count = 1;
        settings.ethernet.subscribers.entries[0].address = 1;
        settings.ethernet.subscribers.entries[0].ip = {1, 0, 0, 127};
        settings.ethernet.subscribers.entries[0].port = sim.tcpPort();
        Host host;
        host.box = &box;
        host.settings = &settings;
        host.ui = &ui;
        ConnectionStart start(box, image, io, ui, settings, nullptr, host, SystemClock::Instance());
        start.TimerStartTimer();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                    host.connectPressed).count();
        std::printf("TCP pause %3d ms: link %s after %.0f ms, %d requests (of which 1000 ms is the settle "
                    "after connecting)\n",
                    pause, start.linkEstablished ? "established" : "NOT established", ms, count.requests);
        host.CloseLink();
    }
    return 0;
}
