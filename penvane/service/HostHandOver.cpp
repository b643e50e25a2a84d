#include "HostHandOver.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace penvane {
namespace {

bool WaitReadable(int fd, int timeoutMilliseconds) {
    pollfd p{fd, POLLIN, 0};
    int ready;
    do ready = poll(&p, 1, timeoutMilliseconds);
    while (ready < 0 && errno == EINTR);
    return ready == 1;
}

// Sends `text`, with the two descriptors when `fds` is given.
bool SendMessage(int socketFd, const std::string& text, const int* fds) {
    iovec data{const_cast<char*>(text.data()), text.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    if (fds) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(2 * sizeof(int));
        std::memcpy(CMSG_DATA(header), fds, 2 * sizeof(int));
    }
    ssize_t sent;
    do sent = sendmsg(socketFd, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(text.size());
}

// Receives one message (at most 63 bytes) and up to two descriptors; any
// other number of descriptors is closed at once. *fdCount is 0 or 2.
bool ReceiveMessage(int socketFd, std::string* text, int fds[2], int* fdCount) {
    char buffer[64] = {};
    iovec data{buffer, sizeof buffer - 1};
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do got = recvmsg(socketFd, &message, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    *fdCount = 0;
    for (cmsghdr* h = got >= 0 ? CMSG_FIRSTHDR(&message) : nullptr; h; h = CMSG_NXTHDR(&message, h)) {
        if (h->cmsg_level != SOL_SOCKET || h->cmsg_type != SCM_RIGHTS) continue;
        const size_t n = (h->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        int received[4];
        std::memcpy(received, CMSG_DATA(h), std::min<size_t>(n, 4) * sizeof(int));
        if (n == 2 && *fdCount == 0) {
            fds[0] = received[0];
            fds[1] = received[1];
            *fdCount = 2;
        } else {
            for (size_t i = 0; i < std::min<size_t>(n, 4); ++i) close(received[i]);
        }
    }
    // A message cut short, or with descriptors in pieces, is refused whole.
    if (got <= 0 || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))) {
        if (*fdCount == 2) {
            close(fds[0]);
            close(fds[1]);
        }
        *fdCount = 0;
        return false;
    }
    text->assign(buffer, static_cast<size_t>(got));
    return true;
}

int Connect(const std::string& socketPath, std::string* why) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        *why = "the service's socket path is too long";
        return -1;
    }
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *why = std::strerror(errno);
        return -1;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *why = std::string("no host service at ") + socketPath + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

HostRequest ReadHostRequest(int connection, int timeoutMilliseconds) {
    HostRequest request;
    if (!WaitReadable(connection, timeoutMilliseconds)) return request;
    std::string text;
    int fds[2];
    int fdCount = 0;
    if (!ReceiveMessage(connection, &text, fds, &fdCount)) return request;
    if (text == "take\n" && fdCount == 0) {
        request.kind = HostRequest::Take;
        return request;
    }
    char* end = nullptr;
    const long pid = text.rfind("back ", 0) == 0 ? std::strtol(text.c_str() + 5, &end, 10) : 0;
    if (fdCount == 2 && pid > 1 && end && std::strcmp(end, "\n") == 0) {
        request.kind = HostRequest::Back;
        request.host = {fds[0], fds[1], static_cast<pid_t>(pid)};
        return request;
    }
    if (fdCount == 2) {
        close(fds[0]);
        close(fds[1]);
    }
    return request;
}

bool SendHost(int connection, const HandedHost& host) {
    const int fds[2] = {host.toHost, host.fromHost};
    return SendMessage(connection, std::to_string(host.pid) + "\n", fds);
}

bool AcknowledgeHost(int connection) { return SendMessage(connection, "ok\n", nullptr); }

bool TakeHost(const std::string& socketPath, int timeoutMilliseconds, HandedHost* host, std::string* why) {
    const int fd = Connect(socketPath, why);
    if (fd < 0) return false;
    if (!SendMessage(fd, "take\n", nullptr)) {
        *why = "the host service went away";
        close(fd);
        return false;
    }
    if (!WaitReadable(fd, timeoutMilliseconds)) {
        *why = "the host service did not hand over a host in time";
        close(fd);
        return false;
    }
    std::string text;
    int fds[2];
    int fdCount = 0;
    const bool got = ReceiveMessage(fd, &text, fds, &fdCount);
    close(fd);
    if (!got || fdCount != 2) {
        *why = "the host service handed over nothing";
        return false;
    }
    const long pid = std::strtol(text.c_str(), nullptr, 10);
    if (pid <= 1) {
        close(fds[0]);
        close(fds[1]);
        *why = "the host service handed over a host without its process id";
        return false;
    }
    host->toHost = fds[0];
    host->fromHost = fds[1];
    host->pid = static_cast<pid_t>(pid);
    return true;
}

bool GiveHostBack(const std::string& socketPath, int timeoutMilliseconds, const HandedHost& host) {
    std::string why;
    const int fd = Connect(socketPath, &why);
    if (fd < 0) return false;
    const int fds[2] = {host.toHost, host.fromHost};
    bool kept = SendMessage(fd, "back " + std::to_string(host.pid) + "\n", fds) && WaitReadable(fd, timeoutMilliseconds);
    if (kept) {
        std::string text;
        int received[2];
        int fdCount = 0;
        kept = ReceiveMessage(fd, &text, received, &fdCount) && text == "ok\n" && fdCount == 0;
        if (fdCount == 2) {   // a service that took "back" for "take"
            close(received[0]);
            close(received[1]);
        }
    }
    close(fd);
    return kept;
}

}  // namespace penvane
