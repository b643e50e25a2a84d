// The host's side of one line-protocol request (penvane/protocol/
// HandlerMessages.h): builds the field object, the records and the bags the
// handler reads, calls the handler's callbacks, and words what the handler
// answered as the answer line. The protocol front end feeds it the tool's
// lines; the soak front end feeds it requests of its own.
#pragma once
#include <string>
#include <vector>

#include "HandlerMessages.h"
#include "HostStandin.h"

namespace standin {

class HostSession {
public:
    HostSession(HostStandin& host, RegisteredHandler& handler) : m_host(host), m_handler(handler) {}
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // The answer line to a parsed request ("quit" included); an error line
    // for a request whose fields are missing or malformed.
    std::string Answer(const penvane::Message& m);

private:
    std::string Sign(const penvane::SignRequest& r);
    std::string Appearance();
    std::string SignatureValue(const std::string* digest);
    std::string Validate(const std::string& value, const std::string& digest);
    ASCab Bag(const penvane::ResultsBag& preset);
    std::vector<penvane::ValidityLayer> Layers(ASCab results);

    HostStandin& m_host;
    RegisteredHandler& m_handler;
    PDDoc m_doc = nullptr;   // the document of the last signing, open until the next
};

}  // namespace standin
