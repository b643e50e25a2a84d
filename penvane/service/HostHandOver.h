// Handing a running host program between the host service and a `penvane`
// command over a local socket: the two pipe ends (its input to write, its
// output to read) travel as descriptors, with the host's process id, which
// is also its process group. The command then speaks the line protocol with
// the host exactly as with one it started itself.
//
// A command opens each conversation with one message: "take" asks for a
// host; "back PID" (with the descriptors) gives back one that answered only
// validations and waits for its next request, and the service answers "ok"
// once it keeps it. A host given back serves the next command: no Wine
// process starts for it.
#pragma once
#include <string>
#include <sys/types.h>

namespace penvane {

struct HandedHost {
    int toHost = -1, fromHost = -1;
    pid_t pid = -1;
};

// What a command asked for (service side).
struct HostRequest {
    enum Kind { Take, Back, Unknown } kind = Unknown;
    HandedHost host;   // Back: the descriptors received and the process id
};

// Service side: reads the command's message from `connection`, waiting at
// most `timeoutMilliseconds`. Descriptors that came with anything but a
// well-formed "back" are closed.
HostRequest ReadHostRequest(int connection, int timeoutMilliseconds);

// Service side: sends `host` over the connected socket `connection`. False
// when the command went away meanwhile.
bool SendHost(int connection, const HandedHost& host);

// Service side: tells the command that gave a host back that it is kept.
bool AcknowledgeHost(int connection);

// Command side: connects to the service at `socketPath` and takes one host.
// False (with *why set) when there is no service or it handed nothing over
// within `timeoutMilliseconds`.
bool TakeHost(const std::string& socketPath, int timeoutMilliseconds, HandedHost* host, std::string* why);

// Command side: gives `host` back to the service. True once the service
// said it keeps it; the caller's descriptors stay open either way (the
// service has copies of its own), and on false the caller ends the host.
bool GiveHostBack(const std::string& socketPath, int timeoutMilliseconds, const HandedHost& host);

}  // namespace penvane
