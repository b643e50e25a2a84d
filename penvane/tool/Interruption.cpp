#include "Interruption.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

namespace penvane {
namespace {

constexpr int kMaxHosts = 16;
std::atomic<pid_t> hostGroups[kMaxHosts];
// Written only with the signals blocked, so the handler never sees half a path.
char partialFile[4096];

void OnSignal(int signal) {
    for (auto& slot : hostGroups) {
        const pid_t group = slot.load();
        if (group > 0) kill(-group, SIGKILL);
    }
    if (partialFile[0]) unlink(partialFile);
    _exit(128 + signal);
}

class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsBlocked() { sigprocmask(SIG_SETMASK, &old_, nullptr); }

private:
    sigset_t old_;
};

}  // namespace

void InstallInterruptionHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigfillset(&action.sa_mask);  // one signal's clean-up is not cut short by another
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored when the command started (a background job of a
        // shell, nohup) stays ignored, as for any program.
        struct sigaction old {};
        if (sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(s, &action, nullptr);
    }
    // A host that ends while a request is written is an error of the write,
    // not a reason to die.
    signal(SIGPIPE, SIG_IGN);
}

void AddInterruptibleHostGroup(pid_t group) {
    for (auto& slot : hostGroups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group)) return;
    }
}

void RemoveInterruptibleHostGroup(pid_t group) {
    for (auto& slot : hostGroups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0)) return;
    }
}

void SetInterruptiblePartialFile(const char* path) {
    SignalsBlocked blocked;
    if (path && std::strlen(path) < sizeof partialFile) std::strcpy(partialFile, path);
    else partialFile[0] = '\0';
}

}  // namespace penvane
