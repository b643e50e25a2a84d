#include "HostProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "HostSpawn.h"
#include "Interruption.h"
#include "PdfError.h"

namespace penvane {
namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsLeft(Clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
}

void CloseFd(int* fd) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
}

}  // namespace

HostProcess::HostProcess(const std::vector<std::string>& argv, const std::string& errorLog) {
    SpawnedHost host;
    const int rc = SpawnHost(argv, errorLog.empty() ? "/dev/null" : errorLog, 0644, &host);
    if (rc != 0)
        throw PdfError("cannot start the host program" + (argv.empty() ? std::string() : " " + argv[0]) + ": " +
                       std::strerror(rc));
    pid_ = host.pid;
    toHost_ = host.toHost;
    fromHost_ = host.fromHost;
    AddInterruptibleHostGroup(pid_);
    fcntl(toHost_, F_SETFL, fcntl(toHost_, F_GETFL) | O_NONBLOCK);
    fcntl(fromHost_, F_SETFL, fcntl(fromHost_, F_GETFL) | O_NONBLOCK);
}

HostProcess::HostProcess(int toHost, int fromHost, pid_t pid) : pid_(pid), child_(false), toHost_(toHost), fromHost_(fromHost) {
    AddInterruptibleHostGroup(pid_);
    fcntl(toHost_, F_SETFL, fcntl(toHost_, F_GETFL) | O_NONBLOCK);
    fcntl(fromHost_, F_SETFL, fcntl(fromHost_, F_GETFL) | O_NONBLOCK);
}

HostProcess::~HostProcess() {
    CloseFd(&toHost_);
    CloseFd(&fromHost_);
    if (pid_ <= 0) return;
    if (!child_) {
        // Its input is closed and its parent reaps it. A host that was
        // answering (the "quit" failed) is ended with its group.
        RemoveInterruptibleHostGroup(pid_);
        pid_ = -1;
        return;
    }
    // Its input is closed: a well-behaved host ends now. Only a host that
    // does not is ended with its group.
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            RemoveInterruptibleHostGroup(pid_);
            pid_ = -1;
            return;
        }
        usleep(20000);
    }
    KillGroup();
}

void HostProcess::Forget() {
    if (pid_ > 0) RemoveInterruptibleHostGroup(pid_);
    pid_ = -1;
    CloseFd(&toHost_);
    CloseFd(&fromHost_);
}

void HostProcess::KillGroup() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGKILL);
    while (child_ && waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    RemoveInterruptibleHostGroup(pid_);
    pid_ = -1;
}

std::string HostProcess::HowItEnded(int waitMilliseconds) {
    if (!child_) return "ended";
    int status = 0;
    for (int waited = 0;; waited += 10) {
        pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            RemoveInterruptibleHostGroup(pid_);
            pid_ = -1;
            if (WIFEXITED(status)) return "ended with exit code " + std::to_string(WEXITSTATUS(status));
            if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
            return "ended";
        }
        if (r < 0 && errno != EINTR) return "ended";
        if (waited >= waitMilliseconds) return "closed its output but did not end";
        usleep(10000);
    }
}

void HostProcess::Fail(const std::string& message) {
    KillGroup();
    CloseFd(&toHost_);
    CloseFd(&fromHost_);
    throw PdfError(message);
}

bool HostProcess::TakeLine(std::string* line) {
    for (;;) {
        size_t eol = buffer_.find('\n', scanned_);
        if (eol == std::string::npos) {
            scanned_ = buffer_.size();
            if (buffer_.size() > kMaxHostLine)
                Fail("the host program sent a line longer than " + std::to_string(kMaxHostLine >> 20) +
                     " MiB; it was stopped");
            return false;
        }
        line->assign(buffer_, 0, eol);
        buffer_.erase(0, eol + 1);
        scanned_ = 0;
        if (!line->empty() && line->back() == '\r') line->pop_back();
        // Wine or a module may print lines of its own; answers are objects.
        if (!line->empty() && (*line)[0] == '{') return true;
    }
}

std::string HostProcess::Exchange(const std::string& request, int timeoutSeconds) {
    if (pid_ <= 0) throw PdfError("the host program is not running");
    const auto deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    std::string_view unsent = request;
    std::string line;
    for (;;) {
        if (TakeLine(&line)) return line;
        const long long left = MillisecondsLeft(deadline);
        if (left <= 0)
            Fail("the host program did not answer within " + std::to_string(timeoutSeconds) + " s; it was stopped");
        pollfd fds[2] = {{fromHost_, POLLIN, 0}, {toHost_, POLLOUT, 0}};
        const int n = poll(fds, unsent.empty() ? 1 : 2, static_cast<int>(std::min<long long>(left, 1000)));
        if (n < 0 && errno != EINTR) Fail(std::string("waiting for the host program failed: ") + std::strerror(errno));
        if (n <= 0) continue;
        if (!unsent.empty() && fds[1].revents) {
            ssize_t wrote = write(toHost_, unsent.data(), unsent.size());
            if (wrote > 0) unsent.remove_prefix(static_cast<size_t>(wrote));
            else if (errno != EAGAIN && errno != EINTR)
                Fail("the host program " + HowItEnded(500) + " before it took the request");
        }
        if (fds[0].revents) {
            char chunk[65536];
            for (;;) {
                ssize_t got = read(fromHost_, chunk, sizeof chunk);
                if (got > 0) {
                    buffer_.append(chunk, static_cast<size_t>(got));
                    if (buffer_.size() > kMaxHostLine) break;  // TakeLine judges it
                    continue;
                }
                if (got < 0 && (errno == EAGAIN || errno == EINTR)) break;
                // End of its output: no answer can come any more.
                if (TakeLine(&line)) return line;
                Fail("the host program " + HowItEnded(static_cast<int>(std::min<long long>(MillisecondsLeft(deadline), 500))) +
                     " without answering");
            }
        }
    }
}

}  // namespace penvane
