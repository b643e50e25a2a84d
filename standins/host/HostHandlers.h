// Signature handlers registered through PSRegisterHandler, and the host's way
// of calling them: every call goes through the callback handle the plug-in
// stored in its record, never through a function address the host assumed.
#pragma once
#include <memory>
#include <stdexcept>
#include <vector>

#include "HostAbi.h"
#include "HostCallbacks.h"

namespace standin {

// Thrown (inside the host, never into the plug-in) when a record word does
// not hold a live callback.
class MissingCallback : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RegisteredHandler {
public:
    RegisteredHandler(const HostCallbacks& callbacks, ExtensionID ext, void* record);
    RegisteredHandler(const RegisteredHandler&) = delete;
    RegisteredHandler& operator=(const RegisteredHandler&) = delete;

    ExtensionID Extension() const { return m_ext; }
    void* Record() const { return m_record; }
    // The host-owned table whose address went into the record's hostExtension word.
    void* HostExtensionTable() { return m_extensionTable.data(); }
    uint64_t RecordWord(size_t offset) const;
    bool HasCallback(size_t offset) const;

    void* CreateEngine();
    void DestroyEngine(void* engine);
    ASBool QueryBool(void* engine, const char* name, ASBool defaultValue);
    ASAtom QueryAtom(void* engine, const char* name);
    int32_t QueryInt(void* engine, const char* name, int32_t defaultValue);
    ASText QueryText(void* engine, const char* name, int32_t index);
    int32_t PrepareOperation(void* engine, int32_t operation, ASBool permission);
    int32_t ReadyCheck(void* engine, int32_t value);
    int32_t OperationAvailable(void* engine, int32_t operation);
    int32_t ReservedQuery(void* engine, int32_t a, void* b, uint16_t c);
    int32_t SignatureProperties(void* engine, void* signingParams);
    int32_t LogIn(void* engine, ASBool permission);
    int32_t SignatureValue(void* engine, void* request);
    int32_t Validate(void* engine, void* request);
    ASText ValidityText(void* hostObject, int32_t messageId);
    void LayerStream(ASAtom layer, const char** outStream, const ASFixed** outBox);
    ASAtom ValidityLayer(ASCab results, int32_t kind);
    int32_t AppearanceObject(void* engine, CosObj* outObject, void* request, int32_t value);
    int32_t StubObject(void* engine, int32_t a, void* b, ASBool c);
    int32_t StubTriple(void* engine, void* p1, int32_t a, void* p2, void* p3, uint16_t b);
    int32_t StubItem(void* engine, void* p, uint16_t b);
    // The callback the plug-in placed in the host's own table.
    int32_t HostExtensionCheck(uint16_t a, void* p1, void* p2);

private:
    template <typename Fn>
    Fn Resolve(uint64_t handleWord) const;
    template <typename Fn>
    Fn RecordCallback(size_t offset) const { return Resolve<Fn>(RecordWord(offset)); }

    const HostCallbacks& m_callbacks;
    ExtensionID m_ext;
    void* m_record;
    std::vector<unsigned char> m_extensionTable;
};

}  // namespace standin
