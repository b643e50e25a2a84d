#include "HostProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PdfError.h"

extern char** environ;

namespace penvane {

HostProcess::HostProcess(const std::vector<std::string>& argv, const std::string& errorLog) {
    int in[2], out[2];
    if (argv.empty() || pipe2(in, O_CLOEXEC) != 0) throw PdfError("cannot start the host program");
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        throw PdfError("cannot start the host program");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errorLog.empty() ? "/dev/null" : errorLog.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    // Its own process group: ending the host ends what it started (wine's
    // helpers), and nothing else.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int rc = posix_spawnp(&pid_, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(in[0]);
    close(out[1]);
    toHost_ = in[1];
    fromHost_ = out[0];
    if (rc != 0) {
        pid_ = -1;
        Stop();
        throw PdfError("cannot start the host program " + argv[0] + ": " + std::strerror(rc));
    }
    signal(SIGPIPE, SIG_IGN);
}

HostProcess::~HostProcess() { Stop(); }

void HostProcess::Stop() {
    if (toHost_ >= 0) close(toHost_);
    if (fromHost_ >= 0) close(fromHost_);
    toHost_ = fromHost_ = -1;
    if (pid_ <= 0) return;
    // Its input is closed: a well-behaved host ends now.
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        usleep(20000);
    }
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string HostProcess::ReadLine(int timeoutSeconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        size_t eol = buffer_.find('\n');
        if (eol != std::string::npos) {
            std::string line = buffer_.substr(0, eol);
            buffer_.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            // Wine or a module may print lines of its own; answers are objects.
            if (line.empty() || line[0] != '{') continue;
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            throw PdfError("the host program did not answer within " + std::to_string(timeoutSeconds) +
                           " s; it was stopped");
        pollfd p{fromHost_, POLLIN, 0};
        int n = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) continue;
        char chunk[65536];
        ssize_t got = read(fromHost_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            int status = 0;
            std::string how = "ended";
            if (waitpid(pid_, &status, 0) == pid_) {
                pid_ = -1;
                if (WIFEXITED(status)) how = "ended with exit code " + std::to_string(WEXITSTATUS(status));
                else if (WIFSIGNALED(status)) how = "was killed by signal " + std::to_string(WTERMSIG(status));
            }
            throw PdfError("the host program " + how + " without answering");
        }
        buffer_.append(chunk, static_cast<size_t>(got));
    }
}

std::string HostProcess::Exchange(const std::string& line, int timeoutSeconds) {
    if (pid_ <= 0) throw PdfError("the host program is not running");
    std::string_view rest = line;
    while (!rest.empty()) {
        ssize_t n = write(toHost_, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw PdfError("the host program ended before it took a request");
        rest.remove_prefix(static_cast<size_t>(n));
    }
    return ReadLine(timeoutSeconds);
}

}  // namespace penvane
