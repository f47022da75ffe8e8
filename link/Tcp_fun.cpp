#include "link/Tcp_fun.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/UserInterface.h"

namespace zul {

bool InitSockets(UserInterface&) { return true; }

bool ParseDottedAddress(const std::string& text, in_addr& out) {
    if (::inet_aton(text.c_str(), &out) == 0) return false;
    return out.s_addr != INADDR_NONE || text == "255.255.255.255";
}

bool MakeAddress(const std::string& host, const std::string& service, sockaddr_in& out,
                 const char* protocol, UserInterface& ui) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    if (host.empty()) {
        out.sin_addr.s_addr = htonl(INADDR_ANY);
    } else if (!ParseDottedAddress(host, out.sin_addr)) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* res = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) {
            ui.ShowMessageBox(kMsgPlain, "неизвестный хост: " + host, "");
            return false;
        }
        out.sin_addr = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
        ::freeaddrinfo(res);
    }
    bool numeric = !service.empty() && service.find_first_not_of("0123456789") == std::string::npos;
    if (numeric && service.size() <= 5 && std::stoul(service) <= 65535) {
        out.sin_port = htons(uint16_t(std::stoul(service)));
    } else {
        const servent* se = numeric ? nullptr : ::getservbyname(service.c_str(), protocol);
        if (!se) {
            ui.ShowMessageBox(kMsgPlain, "неизвестный сервис: " + service, "");
            return false;
        }
        out.sin_port = uint16_t(se->s_port);
    }
    return true;
}

std::string SubscriberHost(const uint8_t ip[4]) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", ip[3], ip[2], ip[1], ip[0]);
    return buf;
}

bool ConnectTcp(Qrtbox& box, EthernetSettings& settings, int address, UserInterface& ui) {
    settings.params.address = uint8_t(address);
    auto& list = settings.subscribers;
    if (list.count == 0 || list.selected >= list.count) {
        ui.ShowMessageBox(kMsgInputError, "Введены не все параметры", "");
        return false;
    }
    const EthernetSubscriber& sub = list.entries[list.selected];
    ui.SetBusyCursor(true);
    if (!InitSockets(ui)) {
        ui.SetBusyCursor(false);
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(settings.connectWait);
    sockaddr_in addr{};
    if (!MakeAddress(SubscriberHost(sub.ip.data()), std::to_string(sub.port), addr, "tcp", ui)) {
        ui.SetBusyCursor(false);
        return false;
    }
    // A refused connection is tried again until the connection wait has passed,
    // with the wait window's progress in tenths of a second; Esc gives up at once.
    const auto started = Clock::now();
    const int tenths = std::max(settings.connectWait, 1) * 10;
    auto progress = [&] {
        ui.ProcessEvents();
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
        ui.SetProgress(int(spent / 100), tenths);
    };
    auto stopped = [&] { return ui.StopRequested(); };
    ui.BeginArchiveRead(tenths);
    int fd = -1;
    for (;;) {
        if (Clock::now() >= deadline || stopped()) break;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        fd = TcpConnectTo(addr, int(left), progress, stopped);
        if (fd >= 0 || fd == kTcpNoSocket) break;
        const auto pause = std::min(Clock::now() + std::chrono::milliseconds(50), deadline);
        while (Clock::now() < pause && !stopped()) {
            progress();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ui.EndArchiveRead();
    ui.ClearStopRequest();
    if (fd == kTcpNoSocket) {
        box.sock = 0;
        ui.SetBusyCursor(false);
        ui.ShowMessageBox(kMsgPlain, "Ошибка вызова socket", "");
        return false;
    }
    if (fd < 0) {
        box.sock = 0;
        ui.SetBusyCursor(false);
        ui.ShowMessageBox(kMsgPlain, "Превышено время ожидания соединения сервер/клиент", "");
        return false;
    }
    box.sock = fd;
    // The controller's side needs a moment after the connection before the first request.
    const auto settle = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < settle) {
        ui.ProcessEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    box.ClosePort();
    box.address = sub.address;
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.replyTimeoutMs = settings.params.replyWaitSeconds * 1000;
    box.interByteTimeoutMs = settings.params.interByteTimeoutMs;
    box.preambleCount = settings.params.preambles;
    box.attempts = settings.params.attempts;
    box.tcpSendPauseMs = uint32_t(std::max(settings.sendPauseMs, 0));
    ui.SetBusyCursor(false);
    return true;
}

}  // namespace zul
