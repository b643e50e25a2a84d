// Ctrl-C, SIGTERM and SIGHUP end the command at once, whatever it is doing
// (reading a PDF, waiting for the host, writing the output): the host
// program's process group is killed (its dialog goes with it), a partly
// written output file is removed, and the command exits with 128 + the
// signal's number. Everything here is async-signal-safe, so the handler
// itself does the work instead of asking the main loop to.
#pragma once
#include <sys/types.h>

namespace penvane {

void InstallInterruptionHandlers();

// A host program's process group to kill on a signal, and its removal once
// the host has ended (several hosts run when many files are verified).
void AddInterruptibleHostGroup(pid_t group);
void RemoveInterruptibleHostGroup(pid_t group);
// A file being written that a signal must remove; nullptr for none. The
// path is copied; a path too long to copy is not kept (and the write then
// leaves its temporary file behind on a signal, as before).
void SetInterruptiblePartialFile(const char* path);

}  // namespace penvane
