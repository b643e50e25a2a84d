#include "SettingsFile.h"

#include <windows.h>

#include <cstdio>

namespace testsupport {

namespace {

std::string SettingsPath()
{
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\PenvanePdf.ini";   // the bare name the settings reader gives the platform
}

} // namespace

bool WriteSettingsFile(const std::string& text)
{
    FILE* f = std::fopen(SettingsPath().c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

void RemoveSettingsFile()
{
    DeleteFileA(SettingsPath().c_str());
}

} // namespace testsupport
