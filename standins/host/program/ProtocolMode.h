// penvane-host --protocol PLUG-IN: the host for the `penvane` tool. Loads the
// plug-in, then answers one JSON request per line on standard input with one
// line on standard output (penvane/protocol/HandlerMessages.h), playing the
// PDF host for one signing or for validations: it builds the field object,
// the records and the bags the handler reads, calls the handler's callbacks,
// and reports what the handler answered. Malformed or unknown requests get
// an error answer; the program ends at "quit" or at the end of its input.
// With warmUp, it validates a value of its own before the first request
// (see RunProtocol), so that a host kept waiting answers the first one fast.
#pragma once
#include <iosfwd>
#include <string>

namespace standin {

int RunProtocol(const std::wstring& pluginPath, std::istream& in, std::ostream& out, bool warmUp = false);

}  // namespace standin
