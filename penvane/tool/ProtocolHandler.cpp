#include "ProtocolHandler.h"

#include <cstdlib>
#include <sstream>

#include "PdfError.h"

namespace penvane {

HostCommand HostCommandFromEnvironment() {
    HostCommand c;
    const char* host = std::getenv("PENVANE_HOST");
    std::istringstream words(host ? host : "");
    for (std::string w; words >> w;) c.argv.push_back(w);
    if (const char* log = std::getenv("PENVANE_HOST_LOG")) c.errorLog = log;
    if (const char* t = std::getenv("PENVANE_HOST_TIMEOUT")) {
        int seconds = std::atoi(t);
        if (seconds > 0) c.answerSeconds = c.captureSeconds = seconds;
    }
    return c;
}

ProtocolHandler::~ProtocolHandler() {
    if (!host_) return;
    try {
        host_->Exchange(SimpleRequestLine("quit"), 10);
    } catch (const PdfError&) {
        // Ending it is all that is left to do; the destructor does that.
    }
}

void ProtocolHandler::Start() {
    if (!host_ && !command_.argv.empty()) host_ = std::make_unique<HostProcess>(command_.argv, command_.errorLog);
}

Message ProtocolHandler::Ask(const std::string& line, const char* op, int timeoutSeconds) {
    if (command_.argv.empty())
        throw PdfError("PENVANE_HOST is not set: run the tool through scripts/penvane "
                       "(after bash scripts/build.sh)");
    Start();
    Message m = ParseLine(host_->Exchange(line, timeoutSeconds));
    if (!m.error.empty()) throw PdfError("the host program's answer is malformed: " + m.error);
    if (m.op == "error") {
        std::string why;
        SigningAnswer ignored;
        ReadSigningAnswer(m, &ignored, &why);
        throw PdfError("the host program failed: " + why);
    }
    if (m.op != op) throw PdfError("the host program answered \"" + m.op + "\" to \"" + op + "\"");
    return m;
}

namespace {
void Check(bool ok, const std::string& error) {
    if (!ok) throw PdfError("the host program's answer is malformed: " + error);
}
}  // namespace

SigningAnswer ProtocolHandler::Sign(const SignRequest& request) {
    int timeout = request.strokes ? command_.answerSeconds : command_.captureSeconds;
    Message m = Ask(SignRequestLine(request), "sign", timeout);
    SigningAnswer a;
    std::string error;
    Check(ReadSigningAnswer(m, &a, &error), error);
    return a;
}

AppearanceAnswer ProtocolHandler::Appearance() {
    Message m = Ask(SimpleRequestLine("appearance"), "appearance", command_.answerSeconds);
    AppearanceAnswer a;
    std::string error;
    Check(ReadAppearanceAnswer(m, &a, &error), error);
    return a;
}

uint32_t ProtocolHandler::ValueSize() {
    Message m = Ask(SimpleRequestLine("size"), "size", command_.answerSeconds);
    uint32_t size = 0;
    std::string error;
    Check(ReadSizeAnswer(m, &size, &error), error);
    return size;
}

std::string ProtocolHandler::Value(const std::string& digest) {
    Message m = Ask(ValueRequestLine(digest), "value", command_.answerSeconds);
    std::string value, error;
    Check(ReadValueAnswer(m, &value, &error), error);
    return value;
}

ValidationAnswer ProtocolHandler::Validate(const std::string& value, const std::string& digest) {
    Message m = Ask(ValidateRequestLine(value, digest), "validate", command_.answerSeconds);
    ValidationAnswer a;
    std::string error;
    Check(ReadValidationAnswer(m, &a, &error), error);
    return a;
}

std::vector<ValidityLayer> ProtocolHandler::Layers(const ResultsBag& results) {
    Message m = Ask(LayersRequestLine(results), "layers", command_.answerSeconds);
    std::vector<ValidityLayer> layers;
    std::string error;
    Check(ReadLayersAnswer(m, &layers, &error), error);
    return layers;
}

}  // namespace penvane
