// The handler record: filled, handed to the host once, and torn down.
#include <cstring>
#include <new>

#include "DSHandler.h"
#include "DSHandlerCallbacks.h"
#include "HandlerEngine.h"
#include "HandlerProperties.h"
#include "HostCalls.h"
#include "HostTables.h"

HandlerRecord gHandlerRecord = {};
ASAtom gHandlerNameAtom = kNullAtom;

namespace {

bool gInitialised = false;   // the record is filled and its callbacks exist
bool gRegistered = false;    // registration was tried; never cleared
// The check callback placed in the host's table, so that only a handle we
// made there is ever destroyed (a host that refuses may still have filled
// hostExtension, with whatever its table holds at 0x100).
Callback gHostExtensionCheck = nullptr;

template <typename Fn>
void* Address(Fn fn)
{
    return reinterpret_cast<void*>(fn);
}

struct CallbackSlot {
    Callback HandlerRecord::*word;
    void* function;
};

// The 21 callbacks in record order.
const CallbackSlot kCallbackSlots[] = {
    {&HandlerRecord::onCreateEngine, Address(onCreateEngine)},
    {&HandlerRecord::onDestroyEngine, Address(onDestroyEngine)},
    {&HandlerRecord::onQueryBool, Address(onQueryBool)},
    {&HandlerRecord::onQueryAtom, Address(onQueryAtom)},
    {&HandlerRecord::onQueryInt, Address(onQueryInt)},
    {&HandlerRecord::onQueryText, Address(onQueryText)},
    {&HandlerRecord::onPrepareOperation, Address(onPrepareOperation)},
    {&HandlerRecord::onReadyCheck, Address(onReadyCheck)},
    {&HandlerRecord::onOperationAvailable, Address(onOperationAvailable)},
    {&HandlerRecord::onReservedQuery, Address(onReservedQuery)},
    {&HandlerRecord::onSignatureProperties, Address(onSignatureProperties)},
    {&HandlerRecord::onLogIn, Address(onLogIn)},
    {&HandlerRecord::onSignatureValue, Address(onSignatureValue)},
    {&HandlerRecord::onValidate, Address(onValidate)},
    {&HandlerRecord::onValidityText, Address(onValidityText)},
    {&HandlerRecord::onLayerStream, Address(onLayerStream)},
    {&HandlerRecord::onValidityLayer, Address(onValidityLayer)},
    {&HandlerRecord::onAppearanceObject, Address(onAppearanceObject)},
    {&HandlerRecord::onStubObject, Address(onStubObject)},
    {&HandlerRecord::onStubTriple, Address(onStubTriple)},
    {&HandlerRecord::onStubItem, Address(onStubItem)},
};
static_assert(sizeof kCallbackSlots / sizeof kCallbackSlots[0] == 21, "one slot per record callback");

// The word at byte 0x100 of the host's table behind hostExtension.
unsigned char* HostExtensionCheckWord()
{
    auto* table = static_cast<unsigned char*>(gHandlerRecord.hostExtension);
    return table ? table + kHostExtensionCheckOffset : nullptr;
}

void ZeroRecord()
{
    std::memset(&gHandlerRecord, 0, sizeof gHandlerRecord);
}

void DestroyRecordCallbacks()
{
    for (const CallbackSlot& slot : kCallbackSlots) {
        if (gHandlerRecord.*slot.word)
            ASCallbackDestroy(gHandlerRecord.*slot.word);
        gHandlerRecord.*slot.word = nullptr;
    }
}

// The record complete: size, engine, 21 callbacks, every other word zero.
// On failure the record is left zeroed and nothing created stays alive.
bool FillRecord()
{
    ZeroRecord();
    auto* engine = new (std::nothrow) HandlerEngine(true);
    if (engine == nullptr)
        return false;
    gHandlerRecord.size = sizeof(HandlerRecord);
    gHandlerRecord.engine = engine;
    for (const CallbackSlot& slot : kCallbackSlots) {
        Callback cb = ASCallbackCreate(gExtensionID, slot.function);
        if (cb == nullptr) {
            // A record with an empty callback word would send the host
            // through a null handle later; refuse it now instead.
            DestroyRecordCallbacks();
            delete engine;
            ZeroRecord();
            return false;
        }
        gHandlerRecord.*slot.word = cb;
    }
    // The words the host expects zero, written as such for the reader.
    gHandlerRecord.zeroA0 = 0;
    gHandlerRecord.zeroA8 = 0;
    gHandlerRecord.zeroD0 = 0;
    return true;
}

}  // namespace

bool RegisterHandler()
{
    gHandlerNameAtom = ASAtomFromString(kHandlerName);
    if (gPubSecHFT == nullptr || gDigSigHFT == nullptr || gFormsHFT == nullptr || gRegistered)
        return false;
    if (!gInitialised) {
        if (!FillRecord())
            return false;
        gInitialised = true;
    }
    const bool accepted = PSRegisterHandler(gExtensionID, &gHandlerRecord);
    gRegistered = true;
    if (!accepted) {
        UnregisterHandler();
        return false;
    }
    // A host that registered the handler without giving us its table gets
    // no check callback: there is nowhere to put it.
    if (unsigned char* word = HostExtensionCheckWord()) {
        gHostExtensionCheck = ASCallbackCreate(gExtensionID, Address(onHostExtensionCheck));
        std::memcpy(word, &gHostExtensionCheck, sizeof gHostExtensionCheck);
    }
    return true;
}

void UnregisterHandler()
{
    if (!gInitialised)
        return;
    delete gHandlerRecord.engine;
    gHandlerRecord.engine = nullptr;
    DestroyRecordCallbacks();
    if (gHostExtensionCheck != nullptr) {
        ASCallbackDestroy(gHostExtensionCheck);
        // No handle of ours is left behind in the host's table once it is dead.
        unsigned char* word = HostExtensionCheckWord();
        Callback stored = nullptr;
        if (word != nullptr)
            std::memcpy(&stored, word, sizeof stored);
        if (stored == gHostExtensionCheck)
            std::memset(word, 0, sizeof stored);
        gHostExtensionCheck = nullptr;
    }
    ZeroRecord();
    gInitialised = false;
}
