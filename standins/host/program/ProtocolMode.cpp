#include "ProtocolMode.h"

#include <istream>
#include <optional>
#include <ostream>

#include "HandlerMessages.h"
#include "HostApartment.h"
#include "HostSession.h"
#include "PluginHost.h"

namespace standin {

using namespace penvane;

int RunProtocol(const std::wstring& pluginPath, std::istream& in, std::ostream& out, bool warmUp)
{
    HostApartment apartment;
    HostStandin host;
    PluginHost loader(host);
    const bool started = loader.Start(pluginPath);
    RegisteredHandler* handler = started ? loader.Handler() : nullptr;
    const std::string notStarted =
        started ? "the plug-in registered no signature handler" : "the plug-in did not start: " + loader.Failure();
    std::optional<HostSession> session;
    if (handler) session.emplace(host, *handler);
    if (session && warmUp) {
        // One validation of a value no document holds, answered to no one:
        // the handler's first check loads the pad's module and makes the
        // first window of this process, which would otherwise fall on the
        // first request. A host kept waiting for a request pays it early.
        std::string value(36, '\0');
        value[0] = '\x04';
        value[1] = '\x82';
        value[3] = '\x20';
        try {
            session->Answer(ParseLine(ValidateRequestLine(value, std::string(20, '\0'))));
        } catch (...) {
            // The real request will meet the same failure and answer it.
        }
    }

    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Message m = ParseLine(line);
        std::string answer;
        if (!m.error.empty()) answer = ErrorLine(m.error);
        else if (!IsKnownOperation(m.op)) answer = ErrorLine("unknown message \"" + m.op + "\"");
        else if (!session && m.op != "quit") answer = ErrorLine(notStarted);
        else {
            try {
                answer = session ? session->Answer(m) : QuitAnswerLine();
            } catch (const std::exception& e) {
                answer = ErrorLine(std::string("the host failed: ") + e.what());
            } catch (...) {
                answer = ErrorLine("the host failed");
            }
        }
        out << answer << std::flush;
        if (m.op == "quit" && m.error.empty()) break;
    }
    session.reset();
    return started ? 0 : 1;
}

}  // namespace standin
