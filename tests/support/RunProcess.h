// Running another program from a test (regsvr32, cscript, a tool of the
// build) and collecting what it prints.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Answered when the program could not be started at all.
constexpr DWORD kProcessNotStarted = 0xFFFFFFFFu;
// Answered when its exit code could not be read.
constexpr DWORD kProcessExitUnknown = 0xFFFFFFFEu;
// Answered when it ran past the time limit; it has been terminated.
constexpr DWORD kProcessTimedOut = 0xFFFFFFFDu;

// Runs `commandLine` without a console window, its standard input this
// process's, and waits at most `timeoutMs` for it to end. Answers its exit
// code, or one of the codes above. Standard output and standard error, in the
// order written, go to *output when it is not null (also on a time-out, for
// the failure message).
DWORD RunProcess(const std::wstring& commandLine, std::string* output, DWORD timeoutMs = 60000);

} // namespace testsupport
