// The line protocol between the `penvane` tool and the host program that
// loads the plug-in: one JSON object per line on the host program's standard
// streams, a request from the tool, then exactly one answer.
//
// Requests carry "op"; answers carry the same "op", or "error" with a
// message. Bytes (certificate, bag strings, drawing, values, digests) travel
// as upper-case hex so that nothing depends on their encoding; fixed-point
// numbers travel as their 32-bit words.
//
//   sign       field, width, height, rotation, strokes -> outcome and the bags
//   appearance                                   -> drawing, rect, bbox
//   size                                         -> size of the value
//   value      digest                            -> value
//   validate   value, digest                     -> results bag, texts, layers
//   layers     results                           -> layers for a results bag the
//                                                   host fills itself (a signature
//                                                   the host found invalid before
//                                                   asking the handler)
//   quit                                         -> quit (then the host ends)
//
// Platform-free: the tool (native) and the host program (Windows) both build it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace penvane {

using Fixed = int32_t;  // 16.16
using FixedRect = std::array<Fixed, 4>;

// What the host reads from the PDF and hands the handler for one signing.
struct SignRequest {
    std::optional<std::string> fieldName;               // "T", UTF-8
    bool hasSeedValue = false;                          // "SV"
    std::optional<int32_t> seedFlags;                   // "SV" "Ff"
    std::optional<std::vector<std::string>> reasons;    // "SV" "Reasons", UTF-8
    Fixed width = 0, height = 0;                        // the widget as the page is shown
    int32_t rotation = 0;                               // the widget's page, degrees
    // Replayed onto the pad, then Accept: an absolute path on the tool's
    // machine (a host under Wine reads it through drive Z:).
    std::optional<std::string> strokes;
};

// The handler's answers to onSignatureProperties, as the bags hold them.
struct SigningAnswer {
    int32_t outcome = 0;                 // 0: no signature (cancelled or failed)
    std::string type;                    // the "type" entry
    std::string certificate;             // certificate bag entry "0", DER bytes
    std::string reason;                  // "Reason": PDF text bytes
    std::string name, location, contactInfo;  // 8-bit strings, host code page
};

struct AppearanceAnswer {
    bool present = false;                // false: the handler gave no form object
    std::string drawing;                 // content stream bytes
    FixedRect rect{}, bbox{};
};

struct ValidityLayer {
    int32_t kind = 0;
    std::optional<std::string> name;     // layer name, when the handler names one
    std::optional<std::string> stream;   // its drawing
    FixedRect box{};
};

struct ValidationAnswer {
    std::optional<int32_t> digest, trustFlags, id;      // results bag entries
    std::array<std::optional<std::string>, 3> texts;    // validity texts 8, 9, 10
    std::vector<ValidityLayer> layers;                  // kinds 1 and 3
};

constexpr size_t kDigestLength = 20;

// Hex of bytes (upper case) and back; false for odd length or a non-digit.
std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& text, std::string* bytes);

// One parsed line: its operation and its JSON text, or an error that the
// receiver answers with ErrorLine.
struct Message {
    std::string op;
    std::string error;       // non-empty: the line was not a usable message
    std::string json;        // the whole object, for the typed readers below
};
Message ParseLine(const std::string& line);
std::string ErrorLine(const std::string& message);

// Requests (tool side writes, host side reads).
std::string SignRequestLine(const SignRequest& request);
std::string SimpleRequestLine(const std::string& op);   // appearance, size, quit
std::string ValueRequestLine(const std::string& digest);
std::string ValidateRequestLine(const std::string& value, const std::string& digest);
// The results bag's entries as the host puts them: absent ones stay absent.
struct ResultsBag { std::optional<int32_t> digest, trustFlags, id; };
std::string LayersRequestLine(const ResultsBag& results);
bool ReadLayersRequest(const Message& m, ResultsBag* results, std::string* error);
// Each reader answers false with *error set when a field is missing or malformed.
bool ReadSignRequest(const Message& m, SignRequest* out, std::string* error);
bool ReadValueRequest(const Message& m, std::string* digest, std::string* error);
bool ReadValidateRequest(const Message& m, std::string* value, std::string* digest, std::string* error);

// Answers (host side writes, tool side reads).
std::string SigningAnswerLine(const SigningAnswer& answer);
std::string AppearanceAnswerLine(const AppearanceAnswer& answer);
std::string SizeAnswerLine(uint32_t size);
std::string ValueAnswerLine(const std::string& value);
std::string ValidationAnswerLine(const ValidationAnswer& answer);
std::string QuitAnswerLine();
bool ReadSigningAnswer(const Message& m, SigningAnswer* out, std::string* error);
bool ReadAppearanceAnswer(const Message& m, AppearanceAnswer* out, std::string* error);
bool ReadSizeAnswer(const Message& m, uint32_t* size, std::string* error);
bool ReadValueAnswer(const Message& m, std::string* value, std::string* error);
bool ReadValidationAnswer(const Message& m, ValidationAnswer* out, std::string* error);
// The "layers" answer has the layers only (the other parts stay empty).
std::string LayersAnswerLine(const std::vector<ValidityLayer>& layers);
bool ReadLayersAnswer(const Message& m, std::vector<ValidityLayer>* layers, std::string* error);

// The operations a host program answers; anything else gets an error answer.
bool IsKnownOperation(const std::string& op);

}  // namespace penvane
