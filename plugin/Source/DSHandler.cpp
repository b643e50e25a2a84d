// The handler's callbacks: which engine each works on, what it checks before
// it calls the engine, and the wall that keeps every exception on this side.
//
// Two kinds of wall. A property callback answers the host's default (or no
// text) when anything goes wrong, silently. An operation callback records
// kCallbackErrorText in the engine, where the host reads it back as the
// "exception" text, and answers its failure value.
#include "DSHandlerCallbacks.h"

#include <new>

#include "DSHandler.h"
#include "HandlerEngine.h"
#include "HandlerProperties.h"
#include "HostCalls.h"
#include "RequestRecords.h"
#include "SignatureAppearance.h"
#include "SignatureValidation.h"
#include "SignatureValue.h"
#include "ValidityLayers.h"

namespace {

// The engine the host named, or the handler's own when it named none.
HandlerEngine* EngineFor(void* given)
{
    return given ? static_cast<HandlerEngine*>(given) : gHandlerRecord.engine;
}

void RecordError(HandlerEngine& engine) noexcept
{
    try {
        ASText text = ASTextFromCString(kCallbackErrorText);
        engine.SetExceptionText(text);   // keeps its own reference
        ASTextDestroy(text);
    } catch (...) {
        // Nothing more can be said to the host than the failure value.
    }
}

// Runs an operation on the engine; `failure` without an engine, and after
// recording the error text when the operation throws.
template <typename Operation>
int32_t RunOperation(void* given, int32_t failure, Operation operation) noexcept
{
    HandlerEngine* engine = EngineFor(given);
    if (engine == nullptr)
        return failure;
    try {
        return operation(*engine);
    } catch (...) {
        RecordError(*engine);
        return failure;
    }
}

template <typename T, typename Query>
T AnswerOr(T fallback, Query query) noexcept
{
    try {
        return query();
    } catch (...) {
        return fallback;
    }
}

constexpr int32_t kDone = 1;
constexpr int32_t kFailed = -1;
constexpr int32_t kReservedFailed = -2;

}  // namespace

// ---- engines

void* onCreateEngine()
{
    return AnswerOr<void*>(nullptr, [] { return new (std::nothrow) HandlerEngine(true); });
}

void onDestroyEngine(void* engine)
{
    // The handler's own engine is the module's to destroy, at unregistration;
    // given back here it would be destroyed twice.
    if (engine == nullptr || engine == gHandlerRecord.engine)
        return;
    AnswerOr<int>(0, [engine] {
        delete static_cast<HandlerEngine*>(engine);
        return 0;
    });
}

// ---- properties

ASBool onQueryBool(void* engine, const char* name, ASBool defaultValue)
{
    const bool fallback = defaultValue != 0;
    return ToASBool(AnswerOr(fallback, [&] { return AnswerBoolProperty(EngineFor(engine), name, fallback); }));
}

ASAtom onQueryAtom(void* /*engine*/, const char* name)
{
    return AnswerOr(kNullAtom, [&] { return AnswerAtomProperty(name, gHandlerNameAtom); });
}

int32_t onQueryInt(void* engine, const char* name, int32_t defaultValue)
{
    return AnswerOr(defaultValue, [&] { return AnswerIntProperty(EngineFor(engine), name, defaultValue); });
}

ASText onQueryText(void* engine, const char* name, int32_t index)
{
    return AnswerOr<ASText>(nullptr, [&] { return AnswerTextProperty(EngineFor(engine), name, index); });
}

// ---- login and operation checks

int32_t onPrepareOperation(void* engine, uint64_t, int32_t operation, void*, void*, ASBool permission)
{
    return RunOperation(engine, kFailed, [&](HandlerEngine& e) {
        return e.PrepareOperation(operation, permission != 0) ? 1 : 0;
    });
}

int32_t onReadyCheck(void* engine, int32_t)
{
    return RunOperation(engine, kFailed, [](HandlerEngine&) { return kDone; });
}

int32_t onOperationAvailable(void* engine, int32_t operation)
{
    return RunOperation(engine, kFailed, [&](HandlerEngine& e) { return e.IsOperationAvailable(operation) ? 1 : 0; });
}

int32_t onReservedQuery(void* engine, int32_t, void*, uint16_t)
{
    return RunOperation(engine, kReservedFailed, [](HandlerEngine&) { return 0; });
}

int32_t onLogIn(void* engine, uint64_t, void*, ASBool permission)
{
    return RunOperation(engine, kFailed, [&](HandlerEngine& e) {
        if (permission == 0)
            return 0;
        return e.LogIn(true) ? 1 : 0;
    });
}

// ---- signing and validation

int32_t onSignatureProperties(void* engine, void* signingParams)
{
    if (signingParams == nullptr)
        return kFailed;
    // A capture that fails or is cancelled is answered in the outcome code
    // the operation writes; the call itself went through.
    return RunOperation(engine, kFailed, [signingParams](HandlerEngine& e) {
        FillSignatureProperties(e, SigningParams(signingParams));
        return kDone;
    });
}

int32_t onSignatureValue(void* engine, void* signatureValueRequest)
{
    if (signatureValueRequest == nullptr)
        return kFailed;
    // A value that could not be made (too long to state, no memory, not bound
    // to the digest) is a failure: the host must not store it as a signature.
    return RunOperation(engine, kFailed, [signatureValueRequest](HandlerEngine& e) {
        return ProduceSignatureValue(e, SignatureValueRequest(signatureValueRequest)) ? kDone : kFailed;
    });
}

int32_t onValidate(void* engine, void* validationRequest)
{
    if (validationRequest == nullptr)
        return kFailed;
    // An invalid signature is answered by the results bag left as it was.
    return RunOperation(engine, kFailed, [validationRequest](HandlerEngine& e) {
        ValidateSignature(e, ValidationRequest(validationRequest));
        return kDone;
    });
}

ASText onValidityText(void* hostObject, int32_t messageId, void*, void*)
{
    return AnswerOr<ASText>(nullptr, [&] {
        // The host wants its scope held while the text is made.
        void* scope = ASExtraScopeBegin(hostObject);
        ASText text = nullptr;
        try {
            text = ValidityText(messageId);
        } catch (...) {
        }
        ASExtraScopeEnd(scope);
        return text;
    });
}

void onLayerStream(ASAtom layer, const char** outStream, const ASFixed** outBox)
{
    if (outStream)
        *outStream = nullptr;
    if (outBox)
        *outBox = nullptr;
    AnswerOr<int>(0, [&] {
        LayerStream(layer, outStream, outBox);
        return 0;
    });
}

ASAtom onValidityLayer(ASCab results, int32_t kind)
{
    return AnswerOr(kNullAtom, [&] { return ValidityLayerName(results, kind); });
}

int32_t onAppearanceObject(void* engine, CosObj* outObject, void* appearanceRequest, int32_t)
{
    // Without somewhere to put the object, or a request to read, there is no work.
    if (outObject == nullptr || appearanceRequest == nullptr)
        return kFailed;
    return RunOperation(engine, kFailed, [=](HandlerEngine& e) {
        *outObject = MakeAppearanceObject(e, AppearanceRequest(appearanceRequest));
        return kDone;
    });
}

// ---- calls the handler takes without doing anything

int32_t onStubObject(void* engine, int32_t, void* b, ASBool)
{
    return RunOperation(engine, kFailed, [b](HandlerEngine&) { return b ? kDone : kFailed; });
}

int32_t onStubTriple(void* engine, void* p1, int32_t, void* p2, void* p3, uint16_t)
{
    return RunOperation(engine, kFailed, [=](HandlerEngine&) { return p1 && p2 && p3 ? 0 : kFailed; });
}

int32_t onStubItem(void* engine, void* p, uint16_t)
{
    return RunOperation(engine, kFailed, [p](HandlerEngine&) { return p ? kDone : kFailed; });
}

int32_t onHostExtensionCheck(uint16_t, void*, void*)
{
    return 1;
}
