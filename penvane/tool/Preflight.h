// Checks the command makes before it starts the host program, so that a
// mistake is named at once instead of after Wine has started or a person has
// signed: each throws PdfError with what to do.
#pragma once
#include <string>

namespace penvane {

// The stroke file is read and parsed here: one that cannot be read or is
// not a stroke file would otherwise come back as a cancelled signing.
void CheckStrokeFile(const std::string& path);

// Signing by hand needs a display the dialog can appear on: DISPLAY set and
// its X server reachable. Names both ways out otherwise.
void CheckDisplayForDialog(const char* display);

// The folder a --picture is to be written into exists and takes files.
void CheckPictureFolder(const std::string& picture);

// An X display's server answers a connection (local socket or TCP), within
// about a second. Empty when it does; else why not.
std::string DisplayProblem(const std::string& display);

}  // namespace penvane
