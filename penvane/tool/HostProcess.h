// The host program as a child process: one request line in, one answer line
// out. Every exchange runs against one deadline in one loop over
// non-blocking pipes (writing the request, reading the answer, noticing the
// host's end), so that a hung, silent or crashed host, or one that floods
// its output, never holds the tool past its time-out.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace penvane {

// The longest answer line taken from the host: far above any real answer
// (a signature value is at most 64 KiB, a drawing a few hundred KiB as hex).
constexpr size_t kMaxHostLine = 64u << 20;

class HostProcess {
public:
    // Starts argv[0] (searched in PATH) with the given arguments, in a
    // process group of its own; its standard error goes to `errorLog` when
    // non-empty, else is discarded. Throws PdfError when it cannot start.
    HostProcess(const std::vector<std::string>& argv, const std::string& errorLog);
    // A host another process started (the host service): its input to
    // write, its output to read, and its process id, which leads its own
    // process group. Not a child: its end is noticed at its pipes.
    HostProcess(int toHost, int fromHost, pid_t pid);
    ~HostProcess();  // closes its input, waits briefly, then ends its group
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // Sends one line (ending in '\n') and reads one answer line. Throws
    // PdfError when the host ends, closes its output, sends a line longer
    // than kMaxHostLine, or does not answer within `timeoutSeconds` in all;
    // the host's process group is killed then.
    std::string Exchange(const std::string& line, int timeoutSeconds);

    // False once an exchange failed: the host is gone.
    bool Healthy() const { return pid_ > 0; }

    // A host another process started, healthy, with nothing of its output
    // left unread: it waits for its next request and may serve another.
    bool Idle() const { return pid_ > 0 && !child_ && buffer_.empty(); }
    int ToHost() const { return toHost_; }
    int FromHost() const { return fromHost_; }
    pid_t Pid() const { return pid_; }
    // Lets go of a host another process now holds: closes this process's
    // descriptors and no longer ends its group, on a signal or otherwise.
    void Forget();

private:
    bool TakeLine(std::string* line);
    [[noreturn]] void Fail(const std::string& message);
    std::string HowItEnded(int waitMilliseconds);
    void KillGroup();

    pid_t pid_ = -1;
    bool child_ = true;
    int toHost_ = -1, fromHost_ = -1;
    std::string buffer_;
    size_t scanned_ = 0;   // bytes of buffer_ known to hold no line end
};

}  // namespace penvane
