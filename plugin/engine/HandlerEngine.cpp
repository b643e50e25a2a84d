#include "HandlerEngine.h"

#include <cstring>

#include "../host/HostCalls.h"
#include "EngineError.h"
#include "EngineProperties.h"
#include "OperationRules.h"

HandlerEngine::HandlerEngine(bool userInterface) : m_userInterface(userInterface) {}

HandlerEngine::~HandlerEngine()
{
    // The host objects first: the engine is their only owner.
    ASTextDestroy(m_exceptionText);
    ASfree(m_capturedSignature);
    ASfree(m_appearanceData);
}

bool HandlerEngine::QueryBool(const char* name, bool defaultValue) const
{
    return EngineBoolProperty(name, IsLoggedIn(), m_userInterface, defaultValue);
}

int32_t HandlerEngine::QueryInt(const char* name, int32_t defaultValue) const
{
    return EngineIntProperty(name, defaultValue);
}

ASText HandlerEngine::QueryText(const char* name, int32_t index) const
{
    return EngineTextProperty(name, index, m_exceptionText);
}

bool HandlerEngine::PrepareOperation(int32_t operation, bool permission)
{
    switch (PrepareRuleOf(operation)) {
    case PrepareRule::Ready:
        return true;
    case PrepareRule::Refused:
        return false;
    case PrepareRule::NeedsLogin:
        if (!IsLoggedIn() && permission)
            LogIn(permission);
        if (!IsLoggedIn())
            throw EngineError(kNoUserLoggedIn);
        return true;
    }
    return false;
}

bool HandlerEngine::IsOperationAvailable(int32_t operation) const
{
    switch (AvailabilityOf(operation)) {
    case Availability::Always:
        return true;
    case Availability::WhenLoggedIn:
        return IsLoggedIn();
    case Availability::Never:
        return false;
    }
    return false;
}

bool HandlerEngine::LogIn(bool permission)
{
    // Permission is all a login takes: there are no credentials and no logout.
    if (!permission)
        return false;
    m_loggedIn = 1;
    return true;
}

ASText HandlerEngine::SetExceptionText(ASText text)
{
    ASText kept = ASTextRetain(text);
    // Give back the old reference only after taking the new one, so a text set
    // twice in a row is never destroyed under our feet.
    ASTextDestroy(m_exceptionText);
    m_exceptionText = kept;
    return m_exceptionText;
}

void HandlerEngine::AdoptCapturedSignature(char* block, int32_t length)
{
    if (block != m_capturedSignature)
        ASfree(m_capturedSignature);
    m_capturedSignature = block;
    m_capturedSignatureLength = block ? length : 0;
}

void HandlerEngine::ReleaseCapturedSignature()
{
    ASfree(m_capturedSignature);
    m_capturedSignature = nullptr;
}

void HandlerEngine::AdoptAppearanceData(char* block, int32_t length, const ASFixed box[4])
{
    if (block != m_appearanceData)
        ASfree(m_appearanceData);
    m_appearanceData = block;
    m_appearanceLength = block ? length : 0;
    if (box)
        std::memcpy(m_appearanceBox, box, sizeof m_appearanceBox);
    else
        std::memset(m_appearanceBox, 0, sizeof m_appearanceBox);
}
