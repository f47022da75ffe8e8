// TCP client sockets for the Ethernet link.
#pragma once
#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <string>

namespace zul {

// Connects to host:port without blocking the caller for longer than `timeoutMs`;
// `idle` is called every few milliseconds while waiting (event processing), and a
// true result of `cancel` gives up. Returns the connected socket, or -1.
int TcpConnect(const std::string& host, uint16_t port, int timeoutMs,
               const std::function<void()>& idle = {}, const std::function<bool()>& cancel = {});
// The same for an address already made; one try, no retry after a refusal.
// kTcpNoSocket when no socket could be made at all (no retry helps then).
constexpr int kTcpNoSocket = -2;
int TcpConnectTo(const sockaddr_in& address, int timeoutMs, const std::function<void()>& idle = {},
                 const std::function<bool()>& cancel = {});
// Bytes waiting to be received, or -1.
int TcpBytesWaiting(int sock);
void TcpClose(int sock);

}  // namespace zul
