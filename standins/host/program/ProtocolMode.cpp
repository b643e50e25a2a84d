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

int RunProtocol(const std::wstring& pluginPath, std::istream& in, std::ostream& out)
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
