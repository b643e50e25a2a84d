// The property vocabulary an engine answers itself, after the handler-level
// names (see HandlerProperties.h) have been tried.
#pragma once
#include "../host/HostTypes.h"

bool EngineBoolProperty(const char* name, bool loggedIn, bool userInterface, bool defaultValue);
int32_t EngineIntProperty(const char* name, int32_t defaultValue);
// A text the caller owns, or null.
ASText EngineTextProperty(const char* name, int32_t index, ASText exceptionText);

constexpr const char kIncorrectParameterText[] = "A parameter had an incorrect value. ";
