#include "EngineProperties.h"

#include <cstring>

#include "../host/HostCalls.h"
#include "AppearanceList.h"

namespace {

struct EngineState {
    bool loggedIn;
    bool userInterface;
};

struct BoolRow {
    const char* name;
    bool (*answer)(const EngineState&);
};

const BoolRow kBoolProperties[] = {
    {"isLoggedIn", [](const EngineState& s) { return s.loggedIn; }},
    {"userInterface", [](const EngineState& s) { return s.userInterface; }},
};

struct IntRow {
    const char* name;
    int32_t (*answer)(int32_t defaultValue);
};

const IntRow kIntProperties[] = {
    {"appearances", [](int32_t defaultValue) { return AppearanceCount(defaultValue); }},
};

ASText NoText(int32_t, ASText) { return nullptr; }

ASText AppearanceTitleText(int32_t index, ASText) { return AppearanceTitle(index); }

// With nothing (or only a blank) recorded, index -1 asks for the generic
// complaint. Otherwise the recorded text itself, with a reference of the
// caller's own so that the host may release what it is given.
ASText ExceptionTextFor(int32_t index, ASText exceptionText)
{
    bool nothingRecorded = exceptionText == nullptr || ASTextIsBlank(exceptionText);
    if (nothingRecorded && index == -1)
        return ASTextFromCString(kIncorrectParameterText);
    return exceptionText ? ASTextRetain(exceptionText) : nullptr;
}

struct TextRow {
    const char* name;
    ASText (*answer)(int32_t index, ASText exceptionText);
};

const TextRow kTextProperties[] = {
    {"loginPath", NoText},
    {"loginName", NoText},
    {"appearances", AppearanceTitleText},
    {"exception", ExceptionTextFor},
};

template <typename Row, size_t n>
const Row* Find(const Row (&table)[n], const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (const Row& row : table)
        if (std::strcmp(row.name, name) == 0)
            return &row;
    return nullptr;
}

}  // namespace

bool EngineBoolProperty(const char* name, bool loggedIn, bool userInterface, bool defaultValue)
{
    const BoolRow* row = Find(kBoolProperties, name);
    return row ? row->answer(EngineState{loggedIn, userInterface}) : defaultValue;
}

int32_t EngineIntProperty(const char* name, int32_t defaultValue)
{
    const IntRow* row = Find(kIntProperties, name);
    return row ? row->answer(defaultValue) : defaultValue;
}

ASText EngineTextProperty(const char* name, int32_t index, ASText exceptionText)
{
    const TextRow* row = Find(kTextProperties, name);
    return row ? row->answer(index, exceptionText) : nullptr;
}
