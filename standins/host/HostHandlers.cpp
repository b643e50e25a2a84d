#include "HostHandlers.h"

#include <cstring>
#include <string>

namespace standin {

using namespace handlerRecord;

RegisteredHandler::RegisteredHandler(const HostCallbacks& callbacks, ExtensionID ext, void* record)
    : m_callbacks(callbacks), m_ext(ext), m_record(record), m_extensionTable(kHostExtensionTableBytes, 0)
{
    void* table = m_extensionTable.data();
    std::memcpy(static_cast<unsigned char*>(record) + kHostExtension, &table, sizeof table);
}

uint64_t RegisteredHandler::RecordWord(size_t offset) const
{
    uint64_t word;
    std::memcpy(&word, static_cast<const unsigned char*>(m_record) + offset, sizeof word);
    return word;
}

bool RegisteredHandler::HasCallback(size_t offset) const
{
    return m_callbacks.FunctionOf(reinterpret_cast<Callback>(static_cast<uintptr_t>(RecordWord(offset)))) != nullptr;
}

template <typename Fn>
Fn RegisteredHandler::Resolve(uint64_t handleWord) const
{
    void* function = m_callbacks.FunctionOf(reinterpret_cast<Callback>(static_cast<uintptr_t>(handleWord)));
    if (!function)
        throw MissingCallback("no live callback in handle word " + std::to_string(handleWord));
    return reinterpret_cast<Fn>(function);
}

void* RegisteredHandler::CreateEngine() { return RecordCallback<void* (*)()>(onCreateEngine)(); }

void RegisteredHandler::DestroyEngine(void* engine) { RecordCallback<void (*)(void*)>(onDestroyEngine)(engine); }

ASBool RegisteredHandler::QueryBool(void* engine, const char* name, ASBool defaultValue)
{
    return RecordCallback<ASBool (*)(void*, const char*, ASBool)>(onQueryBool)(engine, name, defaultValue);
}

ASAtom RegisteredHandler::QueryAtom(void* engine, const char* name)
{
    return RecordCallback<ASAtom (*)(void*, const char*)>(onQueryAtom)(engine, name);
}

int32_t RegisteredHandler::QueryInt(void* engine, const char* name, int32_t defaultValue)
{
    return RecordCallback<int32_t (*)(void*, const char*, int32_t)>(onQueryInt)(engine, name, defaultValue);
}

ASText RegisteredHandler::QueryText(void* engine, const char* name, int32_t index)
{
    return RecordCallback<ASText (*)(void*, const char*, int32_t)>(onQueryText)(engine, name, index);
}

int32_t RegisteredHandler::PrepareOperation(void* engine, int32_t operation, ASBool permission)
{
    return RecordCallback<int32_t (*)(void*, uint64_t, int32_t, void*, void*, ASBool)>(onPrepareOperation)(
        engine, 0, operation, nullptr, nullptr, permission);
}

int32_t RegisteredHandler::ReadyCheck(void* engine, int32_t value)
{
    return RecordCallback<int32_t (*)(void*, int32_t)>(onReadyCheck)(engine, value);
}

int32_t RegisteredHandler::OperationAvailable(void* engine, int32_t operation)
{
    return RecordCallback<int32_t (*)(void*, int32_t)>(onOperationAvailable)(engine, operation);
}

int32_t RegisteredHandler::ReservedQuery(void* engine, int32_t a, void* b, uint16_t c)
{
    return RecordCallback<int32_t (*)(void*, int32_t, void*, uint16_t)>(onReservedQuery)(engine, a, b, c);
}

int32_t RegisteredHandler::SignatureProperties(void* engine, void* signingParams)
{
    return RecordCallback<int32_t (*)(void*, void*)>(onSignatureProperties)(engine, signingParams);
}

int32_t RegisteredHandler::LogIn(void* engine, ASBool permission)
{
    return RecordCallback<int32_t (*)(void*, uint64_t, void*, ASBool)>(onLogIn)(engine, 0, nullptr, permission);
}

int32_t RegisteredHandler::SignatureValue(void* engine, void* request)
{
    return RecordCallback<int32_t (*)(void*, void*)>(onSignatureValue)(engine, request);
}

int32_t RegisteredHandler::Validate(void* engine, void* request)
{
    return RecordCallback<int32_t (*)(void*, void*)>(onValidate)(engine, request);
}

ASText RegisteredHandler::ValidityText(void* hostObject, int32_t messageId)
{
    return RecordCallback<ASText (*)(void*, int32_t, void*, void*)>(onValidityText)(hostObject, messageId, nullptr,
                                                                                     nullptr);
}

void RegisteredHandler::LayerStream(ASAtom layer, const char** outStream, const ASFixed** outBox)
{
    RecordCallback<void (*)(ASAtom, const char**, const ASFixed**)>(onLayerStream)(layer, outStream, outBox);
}

ASAtom RegisteredHandler::ValidityLayer(ASCab results, int32_t kind)
{
    return RecordCallback<ASAtom (*)(ASCab, int32_t)>(onValidityLayer)(results, kind);
}

int32_t RegisteredHandler::AppearanceObject(void* engine, CosObj* outObject, void* request, int32_t value)
{
    return RecordCallback<int32_t (*)(void*, CosObj*, void*, int32_t)>(onAppearanceObject)(engine, outObject, request,
                                                                                            value);
}

int32_t RegisteredHandler::StubObject(void* engine, int32_t a, void* b, ASBool c)
{
    return RecordCallback<int32_t (*)(void*, int32_t, void*, ASBool)>(onStubObject)(engine, a, b, c);
}

int32_t RegisteredHandler::StubTriple(void* engine, void* p1, int32_t a, void* p2, void* p3, uint16_t b)
{
    return RecordCallback<int32_t (*)(void*, void*, int32_t, void*, void*, uint16_t)>(onStubTriple)(engine, p1, a,
                                                                                                    p2, p3, b);
}

int32_t RegisteredHandler::StubItem(void* engine, void* p, uint16_t b)
{
    return RecordCallback<int32_t (*)(void*, void*, uint16_t)>(onStubItem)(engine, p, b);
}

int32_t RegisteredHandler::HostExtensionCheck(uint16_t a, void* p1, void* p2)
{
    uint64_t word;
    std::memcpy(&word, m_extensionTable.data() + kHostExtensionCheckOffset, sizeof word);
    return Resolve<int32_t (*)(uint16_t, void*, void*)>(word)(a, p1, p2);
}

}  // namespace standin
