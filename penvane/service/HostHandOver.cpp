#include "HostHandOver.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace penvane {

bool SendHost(int connection, const HandedHost& host) {
    const std::string pid = std::to_string(host.pid) + "\n";
    iovec data{const_cast<char*>(pid.data()), pid.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(2 * sizeof(int));
    const int fds[2] = {host.toHost, host.fromHost};
    std::memcpy(CMSG_DATA(header), fds, sizeof fds);
    ssize_t sent;
    do sent = sendmsg(connection, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(pid.size());
}

bool TakeHost(const std::string& socketPath, int timeoutMilliseconds, HandedHost* host, std::string* why) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        *why = "the service's socket path is too long";
        return false;
    }
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *why = std::string("no host service at ") + socketPath + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    pollfd p{fd, POLLIN, 0};
    int ready;
    do ready = poll(&p, 1, timeoutMilliseconds);
    while (ready < 0 && errno == EINTR);
    if (ready != 1) {
        *why = "the host service did not hand over a host in time";
        close(fd);
        return false;
    }
    char text[32] = {};
    iovec data{text, sizeof text - 1};
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do got = recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    close(fd);
    cmsghdr* header = got > 0 ? CMSG_FIRSTHDR(&message) : nullptr;
    if (!header || header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS ||
        header->cmsg_len != CMSG_LEN(2 * sizeof(int))) {
        *why = "the host service handed over nothing";
        return false;
    }
    int fds[2];
    std::memcpy(fds, CMSG_DATA(header), sizeof fds);
    const long pid = std::strtol(text, nullptr, 10);
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

}  // namespace penvane
