// penvane-host-service: keeps host programs started and warm for the
// `penvane` commands of one user, so that a command does not wait for Wine
// and the plug-in to start.
//
//   penvane-host-service --socket PATH [--warm N] [--idle SECONDS] [--log FILE] -- COMMAND ARGS...
//
// It listens on PATH (a local socket; its folder keeps others out) and keeps
// N hosts (COMMAND ARGS, e.g. `wine penvane-host.exe --protocol PLUGIN`)
// ready, each waiting for a request. A command that asks is handed one of
// them (HostHandOver.h) and owns it from then on: it speaks with it, ends it
// with "quit", kills its process group, or gives it back when it only
// validated, and then it waits for the next command. Hosts out with commands
// count towards N, and one at least always waits, so a command that runs
// beside another does not wait for Wine either; a host that served
// kMaxUses commands is let go. The service reaps the hosts that end and
// leaves (ending its waiting hosts) after SECONDS without a command, or on
// SIGTERM, SIGINT or SIGHUP.
//
// A host that ends before it was handed over is started again, but after
// three that ended within two seconds of their start the service keeps none
// warm: commands then get one started on demand, and the error shows there.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "HostHandOver.h"
#include "HostSpawn.h"


namespace {

using Clock = std::chrono::steady_clock;
using penvane::HandedHost;
using penvane::SpawnedHost;
using penvane::SpawnHost;

struct Options {
    std::string socket, log = "/dev/null";
    int warm = 2, idleSeconds = 300;
    std::vector<std::string> command;
};

// Commands a host serves before it is let go: a bound on whatever a long
// life might gather, far above what its start costs.
constexpr int kMaxUses = 200;

struct Warm {
    HandedHost host;
    Clock::time_point started;
    int uses = 0;   // commands it served
};

int wakeUp[2] = {-1, -1};
volatile sig_atomic_t stopSignal = 0;

void OnSignal(int signal) {
    if (signal != SIGCHLD) stopSignal = signal;
    const int saved = errno;
    if (write(wakeUp[1], "x", 1) < 0) {
        // The pipe is full: a wake-up is pending anyway.
    }
    errno = saved;
}

bool Spawn(const Options& options, Warm* out) {
    // A group of its own: the command that takes it kills that group on a
    // signal or a time-out, which ends the host and nothing else.
    SpawnedHost host;
    if (SpawnHost(options.command, options.log, 0600, &host) != 0) return false;
    out->host = {host.toHost, host.fromHost, host.pid};
    out->started = Clock::now();
    return true;
}

void Release(Warm& w) {
    // Its input closed, a waiting host ends by itself; it is reaped later.
    close(w.host.toHost);
    close(w.host.fromHost);
}

int Listen(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.data(), path.size());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // The caller holds the session's lock: a socket left at the path is a
    // dead service's.
    unlink(path.c_str());
    const mode_t old = umask(077);
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    umask(old);
    if (!bound || listen(fd, 16) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: penvane-host-service --socket PATH [--warm N] [--idle SECONDS] [--log FILE] -- COMMAND ARGS...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") break;
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (a == "--socket") options.socket = value;
        else if (a == "--log") options.log = value;
        else if (a == "--warm") options.warm = std::max(0, std::atoi(value.c_str()));
        else if (a == "--idle") options.idleSeconds = std::max(1, std::atoi(value.c_str()));
        else return Usage();
    }
    for (++i; i < argc; ++i) options.command.push_back(argv[i]);
    if (options.socket.empty() || options.command.empty()) return Usage();

    if (pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigfillset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const int listening = Listen(options.socket);
    if (listening < 0) {
        std::fprintf(stderr, "penvane-host-service: cannot listen on %s: %s\n", options.socket.c_str(), std::strerror(errno));
        return 1;
    }

    std::deque<Warm> warm;      // waiting for a command, the most recently used first
    std::map<pid_t, Warm> out;  // with a command; only its pid and uses matter
    int quickDeaths = 0;        // hosts in a row that ended soon after their start
    auto lastUse = Clock::now();
    while (!stopSignal) {
        while ((warm.empty() || warm.size() + out.size() < static_cast<size_t>(options.warm)) &&
               options.warm > 0 && quickDeaths < 3) {
            Warm w;
            if (!Spawn(options, &w)) break;
            warm.push_back(w);
        }
        const long long idleLeft =
            options.idleSeconds * 1000LL -
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastUse).count();
        if (idleLeft <= 0) break;
        pollfd fds[2] = {{listening, POLLIN, 0}, {wakeUp[0], POLLIN, 0}};
        poll(fds, 2, static_cast<int>(std::min<long long>(idleLeft, 60000)));
        if (fds[1].revents) {
            char drain[64];
            while (read(wakeUp[0], drain, sizeof drain) > 0) {
            }
        }
        // Reap every child that ended; a waiting one is replaced.
        for (pid_t pid; (pid = waitpid(-1, nullptr, WNOHANG)) > 0;) {
            out.erase(pid);
            auto it = std::find_if(warm.begin(), warm.end(), [pid](const Warm& w) { return w.host.pid == pid; });
            if (it == warm.end()) continue;
            quickDeaths = Clock::now() - it->started < std::chrono::seconds(2) ? quickDeaths + 1 : 0;
            Release(*it);
            warm.erase(it);
        }
        if (!(fds[0].revents & POLLIN)) continue;
        const int connection = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        lastUse = Clock::now();
        // Commands send their message right after they connect.
        const penvane::HostRequest request = penvane::ReadHostRequest(connection, 500);
        if (request.kind == penvane::HostRequest::Back) {
            // Only a host of ours that a command took, still running.
            auto it = out.find(request.host.pid);
            if (it == out.end() || waitpid(request.host.pid, nullptr, WNOHANG) != 0) {
                if (it != out.end()) out.erase(it);
                close(request.host.toHost);
                close(request.host.fromHost);
                close(connection);
                continue;
            }
            Warm back = it->second;
            back.host = request.host;
            out.erase(it);
            penvane::AcknowledgeHost(connection);
            close(connection);
            if (back.uses >= kMaxUses || static_cast<int>(warm.size()) >= std::max(options.warm, 1)) {
                Release(back);
                continue;
            }
            warm.push_front(back);
            continue;
        }
        if (request.kind != penvane::HostRequest::Take) {
            close(connection);
            continue;
        }
        Warm w;
        if (warm.empty()) {
            if (!Spawn(options, &w)) {
                close(connection);
                continue;
            }
        } else {
            w = warm.front();
            warm.pop_front();
        }
        if (!penvane::SendHost(connection, w.host)) kill(-w.host.pid, SIGKILL);
        close(connection);
        // The command owns it now: it may give it back, else only reaping
        // is left here.
        close(w.host.toHost);
        close(w.host.fromHost);
        w.host.toHost = w.host.fromHost = -1;
        ++w.uses;
        out[w.host.pid] = w;
    }
    close(listening);
    unlink(options.socket.c_str());
    for (Warm& w : warm) Release(w);
    // The waiting hosts end at the end of their input; wait for them briefly.
    for (int waited = 0; waited < 100 && waitpid(-1, nullptr, WNOHANG) >= 0; ++waited) usleep(20000);
    return 0;
}
