// What a plug-in registered when loaded as the host loads it, as text lines
// for a person or a test to read.
#pragma once
#include <ostream>
#include <string>

#include "PluginHost.h"

namespace standin {

// The record's callback words by name, in record order.
struct RecordCallbackName {
    size_t offset;
    const char* name;
};
extern const RecordCallbackName kRecordCallbacks[21];

// Loads the plug-in at `path` on `host`, runs the handshake and the four
// steps, describes the registered handler, unloads it and checks that the
// host got back every callback, memory block and text. True only when all
// of that went through.
bool ReportRegistration(HostStandin& host, const std::wstring& path, std::ostream& out);

}  // namespace standin
