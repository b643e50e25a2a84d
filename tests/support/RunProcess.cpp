#include "RunProcess.h"

namespace testsupport {

namespace {

// Appends what the pipe holds now without blocking: a read that waited for
// more could outlast the time limit, or hang on a pipe some other process
// inherited and keeps open.
void ReadAvailable(HANDLE pipe, std::string* text)
{
    char buffer[4096];
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD got = 0;
        const DWORD want = available < sizeof buffer ? available : static_cast<DWORD>(sizeof buffer);
        if (!ReadFile(pipe, buffer, want, &got, nullptr) || got == 0) return;
        text->append(buffer, got);
    }
}

} // namespace

DWORD RunProcess(const std::wstring& commandLine, std::string* output, DWORD timeoutMs)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return kProcessNotStarted;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;  // CreateProcessW may write to it
    const BOOL started =
        CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    // Only the child holds the write end now.
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return kProcessNotStarted;
    }

    std::string text;
    bool timedOut = false;
    const DWORD start = GetTickCount();
    for (;;) {
        const bool ended = WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0;
        // Read after the wait: all the program wrote before it ended is in
        // the pipe by now. Reading while it runs keeps a full pipe from
        // blocking it.
        ReadAvailable(readEnd, &text);
        if (ended) break;
        if (GetTickCount() - start >= timeoutMs) {
            // Terminated, so that it holds no lock or registry entry into the
            // next test.
            TerminateProcess(pi.hProcess, kProcessTimedOut);
            WaitForSingleObject(pi.hProcess, 5000);
            timedOut = true;
            break;
        }
    }
    CloseHandle(readEnd);
    DWORD code = kProcessExitUnknown;
    if (!GetExitCodeProcess(pi.hProcess, &code)) code = kProcessExitUnknown;
    if (timedOut) code = kProcessTimedOut;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (output) *output = text;
    return code;
}

} // namespace testsupport
