// The functions the host reaches through the handler record, with the exact
// signatures of the host's interface. Each answers every failure itself:
// nothing thrown inside ever crosses back into the host.
#pragma once
#include "HostTypes.h"

void* onCreateEngine();
void onDestroyEngine(void* engine);
ASBool onQueryBool(void* engine, const char* name, ASBool defaultValue);
ASAtom onQueryAtom(void* engine, const char* name);
int32_t onQueryInt(void* engine, const char* name, int32_t defaultValue);
ASText onQueryText(void* engine, const char* name, int32_t index);
int32_t onPrepareOperation(void* engine, uint64_t unused1, int32_t operation, void* unused2, void* unused3,
                           ASBool permission);
int32_t onReadyCheck(void* engine, int32_t unused);
int32_t onOperationAvailable(void* engine, int32_t operation);
int32_t onReservedQuery(void* engine, int32_t a, void* b, uint16_t c);
int32_t onSignatureProperties(void* engine, void* signingParams);
int32_t onLogIn(void* engine, uint64_t unused1, void* unused2, ASBool permission);
int32_t onSignatureValue(void* engine, void* signatureValueRequest);
int32_t onValidate(void* engine, void* validationRequest);
ASText onValidityText(void* hostObject, int32_t messageId, void* unused1, void* unused2);
void onLayerStream(ASAtom layer, const char** outStream, const ASFixed** outBox);
ASAtom onValidityLayer(ASCab results, int32_t kind);
int32_t onAppearanceObject(void* engine, CosObj* outObject, void* appearanceRequest, int32_t unused);
int32_t onStubObject(void* engine, int32_t a, void* b, ASBool c);
int32_t onStubTriple(void* engine, void* p1, int32_t a, void* p2, void* p3, uint16_t b);
int32_t onStubItem(void* engine, void* p, uint16_t b);
// Stored in the host's own table, not in the record.
int32_t onHostExtensionCheck(uint16_t a, void* p1, void* p2);

// What an operation callback records in its engine when an operation failed
// by an exception. The path is the handler module's, from the repository's
// root; "__LINE__" stands as written.
constexpr const char kCallbackErrorText[] = "Error at File: plugin/Source/DSHandler.cpp , Line: __LINE__";
