// The signature handler "Orvel.PenvanePlus" as the host's public-key security
// layer sees it: one 296-byte record of callback words, registered once.
#pragma once
#include <cstddef>
#include <cstdint>

#include "HostTypes.h"

class HandlerEngine;

// The record the host reads. Every word is 8 bytes; the layout is the host's,
// so the offsets are checked below and the unnamed words must stay zero.
struct HandlerRecord {
    uint64_t size;                  // 0x00: 296
    uint64_t zero08;
    void* hostExtension;            // 0x10: filled by the host when it registers us
    uint64_t zero18;
    HandlerEngine* engine;          // 0x20: the handler's own engine
    Callback onCreateEngine;        // 0x28
    Callback onDestroyEngine;
    Callback onQueryBool;
    Callback onQueryAtom;
    Callback onQueryInt;
    Callback onQueryText;           // 0x50
    Callback onPrepareOperation;
    Callback onReadyCheck;
    Callback onOperationAvailable;
    Callback onReservedQuery;       // 0x70
    Callback onSignatureProperties;
    Callback onLogIn;
    Callback onSignatureValue;      // 0x88
    uint64_t zero90;
    Callback onValidate;            // 0x98
    uint64_t zeroA0;
    uint64_t zeroA8;
    Callback onValidityText;        // 0xB0
    Callback onLayerStream;
    Callback onValidityLayer;
    Callback onAppearanceObject;    // 0xC8
    uint64_t zeroD0;
    Callback onStubObject;          // 0xD8
    Callback onStubTriple;
    Callback onStubItem;            // 0xE8
    uint64_t zeroF0[7];             // 0xF0 to 0x120
};

static_assert(sizeof(HandlerRecord) == 296, "the host reads exactly 296 bytes");
static_assert(offsetof(HandlerRecord, hostExtension) == 0x10, "hostExtension");
static_assert(offsetof(HandlerRecord, engine) == 0x20, "engine");
static_assert(offsetof(HandlerRecord, onCreateEngine) == 0x28, "onCreateEngine");
static_assert(offsetof(HandlerRecord, onQueryText) == 0x50, "onQueryText");
static_assert(offsetof(HandlerRecord, onReservedQuery) == 0x70, "onReservedQuery");
static_assert(offsetof(HandlerRecord, onSignatureValue) == 0x88, "onSignatureValue");
static_assert(offsetof(HandlerRecord, onValidate) == 0x98, "onValidate");
static_assert(offsetof(HandlerRecord, onValidityText) == 0xB0, "onValidityText");
static_assert(offsetof(HandlerRecord, onAppearanceObject) == 0xC8, "onAppearanceObject");
static_assert(offsetof(HandlerRecord, onStubObject) == 0xD8, "onStubObject");
static_assert(offsetof(HandlerRecord, onStubItem) == 0xE8, "onStubItem");
static_assert(offsetof(HandlerRecord, zeroF0) == 0xF0, "trailing zero words");

// Where the host's own table (behind hostExtension) takes our check callback.
constexpr size_t kHostExtensionCheckOffset = 0x100;

// Module state. The record and the flags live as long as the module.
extern HandlerRecord gHandlerRecord;
extern ASAtom gHandlerNameAtom;   // kNullAtom until RegisterHandler first runs

// Fills the record, creates the handler's engine and its callbacks, and hands
// the record to the host. False when a table is missing, when registration
// was already tried in this process, or when the host refuses it (everything
// is then undone at once).
bool RegisterHandler();
// Destroys the engine and every callback the record holds, then zeroes it.
// Registration stays "tried": the handler is not registered twice per process.
void UnregisterHandler();
