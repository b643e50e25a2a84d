#include "HostStrings.h"

#include <cstring>

#include "HostCalls.h"

char* HostStringCopy(std::string_view text)
{
    char* block = static_cast<char*>(ASmalloc(text.size() + 1));
    if (block == nullptr)
        return nullptr;
    if (!text.empty())
        std::memcpy(block, text.data(), text.size());
    block[text.size()] = '\0';
    return block;
}
