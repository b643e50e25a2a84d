// The property answers the handler gives before any engine is asked: fixed
// capabilities, its name and its interface version. Each Answer* function is
// what a property callback answers once it has settled which engine to use
// (null when there is none); catching errors stays with the callback.
#pragma once
#include "../host/HostTypes.h"

class HandlerEngine;

constexpr const char kHandlerName[] = "Orvel.PenvanePlus";
constexpr int32_t kHandlerVersion = 1;

bool AnswerBoolProperty(const HandlerEngine* engine, const char* name, bool defaultValue);
// `handlerNameAtom` is the atom of kHandlerName, or kNullAtom before it is known.
ASAtom AnswerAtomProperty(const char* name, ASAtom handlerNameAtom);
int32_t AnswerIntProperty(const HandlerEngine* engine, const char* name, int32_t defaultValue);
// A text the caller owns, or null.
ASText AnswerTextProperty(const HandlerEngine* engine, const char* name, int32_t index);
