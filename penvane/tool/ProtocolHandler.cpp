#include "ProtocolHandler.h"

#include <cstdlib>
#include <unistd.h>

#include "HostHandOver.h"
#include "PdfError.h"

namespace penvane {

std::vector<std::string> SplitCommandLine(const std::string& text) {
    // A path that exists as a whole is one word, blanks and all.
    if (!text.empty() && access(text.c_str(), X_OK) == 0) return {text};
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
            else word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote) throw PdfError("PENVANE_HOST has an unclosed quote: " + text);
    if (inWord) words.push_back(word);
    return words;
}

HostCommand HostCommandFromEnvironment() {
    HostCommand c;
    const char* host = std::getenv("PENVANE_HOST");
    c.argv = SplitCommandLine(host ? host : "");
    if (const char* log = std::getenv("PENVANE_HOST_LOG")) c.errorLog = log;
    if (const char* socket = std::getenv("PENVANE_HOST_SOCKET")) c.socket = socket;
    if (const char* t = std::getenv("PENVANE_HOST_TIMEOUT")) {
        int seconds = std::atoi(t);
        if (seconds > 0) c.answerSeconds = c.captureSeconds = seconds;
    }
    return c;
}

ProtocolHandler::~ProtocolHandler() {
    // A host that failed an exchange is gone already; a working one has a
    // moment to end cleanly before its group is ended.
    if (!host_ || !host_->Healthy()) return;
    // One of the service's that only validated waits for the next command
    // there; if the service does not take it, it ends here like any other.
    if (onlyValidations_ && !command_.socket.empty() && host_->Idle()) {
        const HandedHost handed{host_->ToHost(), host_->FromHost(), host_->Pid()};
        if (GiveHostBack(command_.socket, 1000, handed)) {
            host_->Forget();
            return;
        }
    }
    try {
        host_->Exchange(SimpleRequestLine("quit"), 2);
    } catch (const PdfError&) {
        // Ending it is all that is left to do; the destructor does that.
    }
}

void ProtocolHandler::Start() {
    if (host_) return;
    if (!command_.socket.empty()) {
        // A warm host from the service; without one (none running, or it
        // just left after its idle time) the command starts its own.
        HandedHost handed;
        std::string why;
        if (TakeHost(command_.socket, 3000, &handed, &why)) {
            host_ = std::make_unique<HostProcess>(handed.toHost, handed.fromHost, handed.pid);
            return;
        }
    }
    if (!command_.argv.empty()) host_ = std::make_unique<HostProcess>(command_.argv, command_.errorLog);
}

Message ProtocolHandler::Ask(const std::string& line, const char* op, int timeoutSeconds) {
    if (command_.argv.empty() && command_.socket.empty())
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
    onlyValidations_ = false;
    int timeout = request.strokes ? command_.answerSeconds : command_.captureSeconds;
    Message m;
    try {
        m = Ask(SignRequestLine(request), "sign", timeout);
    } catch (const PdfError& e) {
        // A host that ends during a signing took its dialog with it: say so,
        // rather than leave the person guessing whether anything was signed.
        if (!host_ || host_->Healthy() || std::string(e.what()).find("without answering") == std::string::npos) throw;
        throw PdfError(std::string(e.what()) + " during the signing (its dialog was closed with it, or Wine ended); "
                       "no signature was made");
    }
    SigningAnswer a;
    std::string error;
    Check(ReadSigningAnswer(m, &a, &error), error);
    return a;
}

AppearanceAnswer ProtocolHandler::Appearance() {
    onlyValidations_ = false;
    Message m = Ask(SimpleRequestLine("appearance"), "appearance", command_.answerSeconds);
    AppearanceAnswer a;
    std::string error;
    Check(ReadAppearanceAnswer(m, &a, &error), error);
    return a;
}

uint32_t ProtocolHandler::ValueSize() {
    onlyValidations_ = false;
    Message m = Ask(SimpleRequestLine("size"), "size", command_.answerSeconds);
    uint32_t size = 0;
    std::string error;
    Check(ReadSizeAnswer(m, &size, &error), error);
    return size;
}

std::string ProtocolHandler::Value(const std::string& digest) {
    onlyValidations_ = false;
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
