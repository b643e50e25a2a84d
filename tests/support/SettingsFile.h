// The settings file PenvanePdf.ini in the Windows directory, as tests write
// it: plain bytes as an editor would (no profile API, which would also fill
// the platform's cache and hide a stale read). Programs that write it LOCK
// settings_file.
#pragma once

#include <string>

namespace testsupport {

// False when the file cannot be written.
bool WriteSettingsFile(const std::string& text);
void RemoveSettingsFile();

} // namespace testsupport
