// The signature handler as the host program answers for it over the line
// protocol. The host program starts at the first request (or comes warm
// from the host service) and ends with the handler; one run serves one
// signing or any number of validations. A service's host that answered only
// validations goes back to the service instead, for the next command.
#pragma once
#include "HostProcess.h"
#include "SignatureHandler.h"

#include <memory>
#include <string>
#include <vector>

namespace penvane {

struct HostCommand {
    std::vector<std::string> argv;   // the host program and its arguments
    std::string errorLog;            // where its standard error goes ("" discards it)
    std::string socket;              // the host service's socket: a warm host from there first
    int answerSeconds = 120;         // any answer (the first includes Wine's start)
    int captureSeconds = 900;        // a signing with a person at the pad
};

// A command line split into words at blanks, '...' and "..." keeping blanks
// inside a word; backslashes stay as they are (Windows paths pass). A text
// that names an executable file as a whole is that one word (a path with
// blanks needs no quoting then).
std::vector<std::string> SplitCommandLine(const std::string& text);

// PENVANE_HOST (a command line, SplitCommandLine), PENVANE_HOST_LOG,
// PENVANE_HOST_SOCKET and PENVANE_HOST_TIMEOUT from the environment. Without PENVANE_HOST the
// handler's first request fails, naming what to run.
HostCommand HostCommandFromEnvironment();

class ProtocolHandler : public SignatureHandler {
public:
    explicit ProtocolHandler(HostCommand command) : command_(std::move(command)) {}
    ~ProtocolHandler() override;
    // Starts the host program now, so that Wine comes up while the tool reads
    // the PDF; without PENVANE_HOST it does nothing (the first request says why).
    void Start();

    SigningAnswer Sign(const SignRequest& request) override;
    AppearanceAnswer Appearance() override;
    uint32_t ValueSize() override;
    std::string Value(const std::string& digest) override;
    ValidationAnswer Validate(const std::string& value, const std::string& digest) override;
    std::vector<ValidityLayer> Layers(const ResultsBag& results) override;

private:
    Message Ask(const std::string& line, const char* op, int timeoutSeconds);
    HostCommand command_;
    std::unique_ptr<HostProcess> host_;
    // Only validations so far: a host from the service goes back to it at
    // the end, for the next command. Anything of a signing keeps state in
    // the host, which then ends with this handler.
    bool onlyValidations_ = true;
};

}  // namespace penvane
