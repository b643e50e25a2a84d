// The module entry and the entry point the host calls first when it loads
// the plug-in.
#include "PlugInFrame.h"

#include <cstring>

HINSTANCE gModuleInstance = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        // The plug-in creates no thread and wants no notice of other threads.
        DisableThreadLibraryCalls(instance);
        gModuleInstance = instance;
    }
    return TRUE;
}

extern "C" __declspec(dllexport) ASBool PlugInMain(uint32_t appHandshakeVersion, uint32_t* handshakeVersion,
                                                   void** handshakeProc, void* platformData)
{
    // A host that gives us nowhere to put the answers cannot go on with us.
    if (handshakeVersion == nullptr || handshakeProc == nullptr)
        return 0;
    if (platformData != nullptr) {
        // Two pointer-sized words; the second is our instance handle.
        HINSTANCE instance = nullptr;
        std::memcpy(&instance, static_cast<unsigned char*>(platformData) + sizeof(void*), sizeof instance);
        if (instance != nullptr)
            gModuleInstance = instance;
    }
    // An older host gets its own version back, and CoreHandshake then refuses it.
    *handshakeVersion = appHandshakeVersion < kHandshakeVersion ? appHandshakeVersion : kHandshakeVersion;
    // No callback can be made before the host's Core table is ours: a plain address.
    *handshakeProc = reinterpret_cast<void*>(&CoreHandshake);
    return 1;
}
