#include "HandlerProperties.h"

#include <cstring>

#include "../host/HostCalls.h"
#include "HandlerEngine.h"

namespace {

struct FixedBool {
    const char* name;
    bool answer;
};

// What the handler can do, whatever the engine's state.
const FixedBool kFixedBools[] = {
    {"signVisible", true},
    {"signInvisible", true},
    {"signAuthor", true},
    {"docEncrypt", false},
    {"docDecrypt", false},
    {"exportContact", true},
    {"signPKCS1", true},
    {"signPKCS7", false},
    {"signPKCS1Digest", false},
    {"signPKCS7DetachedDigest", false},
    {"signFDF", true},
    {"signCustomAP", true},
    {"hashSHA256", true},
};

// Names under which the host asks for the handler's own name.
const char* const kNameAtomProperties[] = {"DigSigHandlerName", "PubSecHandlerName"};
const char* const kNameTextProperties[] = {"PubSecHandlerName", "DigSigHandlerName", "uiName"};

struct FixedInt {
    const char* name;
    int32_t answer;
};

const FixedInt kFixedInts[] = {
    {"version", kHandlerVersion},
};

template <size_t n>
bool IsOneOf(const char* const (&names)[n], const char* name)
{
    for (const char* candidate : names)
        if (std::strcmp(candidate, name) == 0)
            return true;
    return false;
}

template <typename Row, size_t n>
const Row* Find(const Row (&table)[n], const char* name)
{
    for (const Row& row : table)
        if (std::strcmp(row.name, name) == 0)
            return &row;
    return nullptr;
}

}  // namespace

bool AnswerBoolProperty(const HandlerEngine* engine, const char* name, bool defaultValue)
{
    // Even the fixed answers need an engine: without one the host's default stands.
    if (engine == nullptr || name == nullptr)
        return defaultValue;
    if (const FixedBool* row = Find(kFixedBools, name))
        return row->answer;
    return engine->QueryBool(name, defaultValue);
}

ASAtom AnswerAtomProperty(const char* name, ASAtom handlerNameAtom)
{
    if (name != nullptr && IsOneOf(kNameAtomProperties, name))
        return handlerNameAtom;
    return kNullAtom;
}

int32_t AnswerIntProperty(const HandlerEngine* engine, const char* name, int32_t defaultValue)
{
    if (name == nullptr)
        return defaultValue;
    if (const FixedInt* row = Find(kFixedInts, name))
        return row->answer;
    if (engine == nullptr)
        return defaultValue;
    return engine->QueryInt(name, defaultValue);
}

ASText AnswerTextProperty(const HandlerEngine* engine, const char* name, int32_t index)
{
    if (name == nullptr)
        return nullptr;
    if (IsOneOf(kNameTextProperties, name))
        return ASTextFromCString(kHandlerName);
    if (engine == nullptr)
        return nullptr;
    return engine->QueryText(name, index);
}
