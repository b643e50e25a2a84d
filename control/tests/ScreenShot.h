// The screen (Wine's virtual desktop) saved as a PNG, for people to look at.
#pragma once

#include <string>

// FALSE when the screen could not be read or the file not written.
bool SaveScreenAsPng(const std::wstring& path);
