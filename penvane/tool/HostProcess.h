// The host program as a child process: one request line in, one answer line
// out, each answer awaited with a time-out so that a hung or crashed host
// never hangs the tool.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace penvane {

class HostProcess {
public:
    // Starts argv[0] (searched in PATH) with the given arguments; its
    // standard error goes to `errorLog` when non-empty, else is discarded.
    // Throws PdfError when it cannot start.
    HostProcess(const std::vector<std::string>& argv, const std::string& errorLog);
    ~HostProcess();  // closes its input, waits briefly, then ends it
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // Sends one line (ending in '\n') and reads one answer line. Throws
    // PdfError when the host ends, or does not answer within `timeoutSeconds`.
    std::string Exchange(const std::string& line, int timeoutSeconds);

private:
    std::string ReadLine(int timeoutSeconds);
    void Stop();
    pid_t pid_ = -1;
    int toHost_ = -1, fromHost_ = -1;
    std::string buffer_;
};

}  // namespace penvane
