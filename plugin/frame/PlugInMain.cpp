// Entry point the host calls first when it loads the plug-in.
#include <windows.h>
#include <cstdint>

extern "C" __declspec(dllexport) uint16_t PlugInMain(uint32_t appHandshakeVersion, uint32_t* handshakeVersion,
                                                     void** handshakeProc, void* platformData)
{
    // The handshake is not offered yet: answer "not loaded" without touching
    // the host's out-parameters.
    (void)appHandshakeVersion; (void)handshakeVersion; (void)handshakeProc; (void)platformData;
    return 0;
}
