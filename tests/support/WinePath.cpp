#include "WinePath.h"

namespace testsupport {

std::wstring WinePath(const char* unixPath)
{
    std::wstring w = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        w += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return w;
}

} // namespace testsupport
