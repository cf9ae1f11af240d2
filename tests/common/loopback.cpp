// Socket plumbing shared by the loopback test servers.
#include "loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <stdexcept>

namespace tovik::testing {

namespace {

// Binds fd to 127.0.0.1 on an ephemeral port and returns the port, or 0.
int BindEphemeral(int fd) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

}  // namespace

int ListenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    port = fd < 0 ? 0 : BindEphemeral(fd);
    if (port == 0 || ::listen(fd, 64) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    return fd;
}

int ClosedPort() {
    // Bound but never listening, then closed: the port stays unused long enough for a test.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int port = BindEphemeral(fd);
    ::close(fd);
    return port;
}

bool WaitReadable(int fd, int stopFd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
    }
    return fds[1].revents == 0;
}

bool SendAll(int fd, int stopFd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        pollfd fds[2] = {{fd, POLLOUT, 0}, {stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) {
            return false;
        }
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace tovik::testing
