#include "Preflight.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "PdfError.h"
#include "stroke_file.h"

namespace penvane {
namespace {

// connect() with a time-out; true when the peer accepted.
bool ConnectWithin(int fd, const sockaddr* address, socklen_t length, int milliseconds) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (connect(fd, address, length) == 0) return true;
    if (errno != EINPROGRESS) return false;
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, milliseconds) != 1) return false;
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool LocalDisplayAnswers(const std::string& number) {
    const std::string path = "/tmp/.X11-unix/X" + number;
    // The X server listens on the abstract name first, then on the file.
    for (bool abstract : {true, false}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        size_t offset = abstract ? 1 : 0;
        if (path.size() + offset >= sizeof address.sun_path) return false;
        std::memcpy(address.sun_path + offset, path.data(), path.size());
        const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const bool ok = ConnectWithin(fd, reinterpret_cast<sockaddr*>(&address), length, 1000);
        close(fd);
        if (ok) return true;
    }
    return false;
}

bool RemoteDisplayAnswers(const std::string& host, int number) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(6000 + number).c_str(), &hints, &found) != 0) return false;
    bool ok = false;
    for (addrinfo* a = found; a && !ok; a = a->ai_next) {
        int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        ok = ConnectWithin(fd, a->ai_addr, a->ai_addrlen, 1000);
        close(fd);
    }
    freeaddrinfo(found);
    return ok;
}

}  // namespace

void CheckStrokeFile(const std::string& path) {
    if (access(path.c_str(), R_OK) != 0)
        throw PdfError("the stroke file " + path + " cannot be read (" + std::strerror(errno) + ")");
    pendata::PenRecord record;
    if (!pendata::ReadStrokeFile(path, &record))
        throw PdfError("the stroke file " + path + " is not a stroke file (an \"extent\" line, then \"stroke\" lines "
                       "each followed by points; see standins/pendata/stroke_file.h)");
    if (record.strokes.empty()) throw PdfError("the stroke file " + path + " holds no stroke");
}

std::string DisplayProblem(const std::string& display) {
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos || colon + 1 >= display.size()) return "it is not a display name (HOST:NUMBER)";
    std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 5)
        return "it is not a display name (HOST:NUMBER)";
    // A socket path (as some systems set) is trusted as it is.
    if (!host.empty() && host[0] == '/') return std::string();
    const bool local = host.empty() || host == "unix";
    const bool answers = local ? LocalDisplayAnswers(number) : RemoteDisplayAnswers(host, std::stoi(number));
    return answers ? std::string() : "no X server answers there";
}

void CheckDisplayForDialog(const char* display) {
    const std::string wayOut =
        "sign from a terminal of your desktop (or set DISPLAY to it), or give --strokes FILE to replay a "
        "recorded signature";
    if (!display || !*display)
        throw PdfError("DISPLAY is not set, so the signature dialog has nowhere to appear: " + wayOut);
    const std::string problem = DisplayProblem(display);
    if (!problem.empty())
        throw PdfError("the display \"" + std::string(display) + "\" (DISPLAY) cannot be opened: " + problem + "; " +
                       wayOut);
}

void CheckPictureFolder(const std::string& picture) {
    const size_t slash = picture.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : picture.substr(0, slash);
    struct stat st{};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw PdfError("the folder " + folder + " for --picture does not exist");
    if (access(folder.c_str(), W_OK) != 0)
        throw PdfError("the folder " + folder + " for --picture cannot be written");
}

}  // namespace penvane
