// Paths of the build and source trees as a Windows program under Wine sees
// them: drive Z: is the Unix root.
#pragma once

#include <string>

namespace testsupport {

// "/a/b" becomes "Z:\a\b". Bytes above 0x7F are widened one by one, which is
// right for the ASCII paths of the trees and nothing more.
std::wstring WinePath(const char* unixPath);

} // namespace testsupport
