#include "link/TcpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace zul {

int TcpConnect(const std::string& host, uint16_t port, int timeoutMs,
               const std::function<void()>& idle, const std::function<bool()>& cancel) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &res) != 0 || !res) return -1;
    sockaddr_in addr = *reinterpret_cast<sockaddr_in*>(res->ai_addr);
    ::freeaddrinfo(res);
    return TcpConnectTo(addr, timeoutMs, idle, cancel);
}

int TcpConnectTo(const sockaddr_in& addr, int timeoutMs, const std::function<void()>& idle,
                 const std::function<bool()>& cancel) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return kTcpNoSocket;
    int flags = ::fcntl(fd, F_GETFL, 0);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int r = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    if (r != 0 && errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    const auto start = std::chrono::steady_clock::now();
    while (r != 0) {
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start).count();
        if (elapsed >= timeoutMs || (cancel && cancel())) {
            ::close(fd);
            return -1;
        }
        pollfd pfd{fd, POLLOUT, 0};
        int left = int(timeoutMs - elapsed);
        int pr = ::poll(&pfd, 1, left < 20 ? left : 20);
        if (pr > 0) {
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            if (err != 0) {
                ::close(fd);
                return -1;
            }
            r = 0;
        } else if (pr < 0 && errno != EINTR) {
            ::close(fd);
            return -1;
        }
        if (idle) idle();
    }
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

int TcpBytesWaiting(int sock) {
    int n = 0;
    if (::ioctl(sock, FIONREAD, &n) < 0) return -1;
    return n;
}

void TcpClose(int sock) {
    if (sock > 0) ::close(sock);
}

}  // namespace zul
