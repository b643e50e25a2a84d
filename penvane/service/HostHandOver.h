// Handing a running host program from the host service to a `penvane`
// command over a local socket: the two pipe ends (its input to write, its
// output to read) travel as descriptors, with the host's process id, which
// is also its process group. The command then speaks the line protocol with
// the host exactly as with one it started itself.
#pragma once
#include <string>
#include <sys/types.h>

namespace penvane {

struct HandedHost {
    int toHost = -1, fromHost = -1;
    pid_t pid = -1;
};

// Service side: sends `host` over the connected socket `connection`. False
// when the command went away meanwhile.
bool SendHost(int connection, const HandedHost& host);

// Command side: connects to the service at `socketPath` and takes one host.
// False (with *why set) when there is no service or it handed nothing over
// within `timeoutMilliseconds`.
bool TakeHost(const std::string& socketPath, int timeoutMilliseconds, HandedHost* host, std::string* why);

}  // namespace penvane
