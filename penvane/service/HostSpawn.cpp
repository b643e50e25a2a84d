#include "HostSpawn.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace penvane {

int SpawnHost(const std::vector<std::string>& argv, const std::string& errorLog, mode_t logMode, SpawnedHost* out) {
    if (argv.empty()) return EINVAL;
    int in[2], output[2];
    if (pipe2(in, O_CLOEXEC) != 0) return errno;
    if (pipe2(output, O_CLOEXEC) != 0) {
        const int error = errno;
        close(in[0]);
        close(in[1]);
        return error;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, logMode);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attr, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(in[0]);
    close(output[1]);
    if (rc != 0) {
        close(in[1]);
        close(output[0]);
        return rc;
    }
    *out = {in[1], output[0], pid};
    return 0;
}

}  // namespace penvane
