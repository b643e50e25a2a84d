// Starting a host program with pipes on its standard input and output, in a
// process group of its own: whoever holds it can end the host and what it
// started (Wine's helpers) by killing that group, and nothing else; a Ctrl-C
// at the terminal reaches the command alone, which then ends the host
// itself. The child starts with default signal handling and nothing blocked.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace penvane {

struct SpawnedHost {
    int toHost = -1, fromHost = -1;  // our ends of its input and output
    pid_t pid = -1;                  // also its process group
};

// Standard error goes to `errorLog` (appended, made with `logMode`). Returns
// 0, or the error number when the pipes or the process could not be made
// (then nothing is left open).
int SpawnHost(const std::vector<std::string>& argv, const std::string& errorLog, mode_t logMode, SpawnedHost* out);

}  // namespace penvane
