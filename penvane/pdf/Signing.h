// One signing, as the host does it with this handler: find or make the
// field, ask the handler for properties, appearance and value, and write an
// incremental update with the signature into a new file.
#pragma once
#include "PdfLoad.h"
#include "SignatureFields.h"
#include "SignatureHandler.h"

#include <optional>
#include <string>

namespace penvane {

struct NewFieldPlace {
    int page = 0;          // 1-based
    PdfRect rect{};        // default user space of the page
};
// "PAGE:X0,Y0,X1,Y1"; false when malformed.
bool ParseFieldPlace(const std::string& text, NewFieldPlace* out);

struct SignOptions {
    std::string input, output, password;
    std::optional<std::string> field;          // an existing field by name
    std::optional<NewFieldPlace> newField;     // or a new one here
    std::optional<std::string> newFieldName;
    std::optional<std::string> strokes;        // handed to the host as given
    std::string signingTime;                   // "D:..." ; empty: now
    bool replaceOutput = false;                // false: an existing output is refused
    // Told the temporary output file's path while it exists, then nullptr
    // (the command removes it when a signal ends it).
    void (*partialFile)(const char* path) = nullptr;
};

// What the field of this signing is, once checked against the document.
struct SigningPlan {
    std::optional<SignatureField> existing;
    std::string name;
    QPDFObjectHandle page;
    int pageNumber = 0;
    PdfRect rect{};
    int rotation = 0;
    SignRequest request;   // without the strokes
};

// Throws PdfError for an unknown or signed field, a page out of range, a
// rectangle outside the page.
SigningPlan PlanSigning(LoadedPdf& pdf, const SignOptions& options);

// The bytes to append to the original for this signing. `handler` has
// already answered Sign; this asks it for the appearance and the value.
struct SignedUpdate {
    std::string tail;
    long long contentsOffset = 0;   // where the /Contents string starts, in the whole file
};
SignedUpdate BuildSignedUpdate(LoadedPdf& pdf, const SigningPlan& plan, const SigningAnswer& answer,
                               SignatureHandler& handler, const std::string& signingTime);

enum class SignResult { Signed, Cancelled };
// The whole road: load, plan, ask, write OUT through a temporary file and a
// rename. Nothing is written unless it succeeds.
// `captureSeconds`, when given, receives the time the handler took for the
// capture (onSignatureProperties), which a person's signing dominates.
SignResult SignPdf(const SignOptions& options, SignatureHandler& handler, double* captureSeconds = nullptr);

// The current time as a PDF date in UTC.
std::string PdfDateNow();

// How WriteFileAtomically places its file.
struct OutputRules {
    unsigned mode = 0644;     // permission bits of the new file
    bool replace = true;      // false: an existing file at the path is an error, even one made meanwhile
    void (*partialFile)(const char* path) = nullptr;  // as SignOptions::partialFile
};

// Writes `head` then `tail` to a temporary file beside `path` and renames it
// into place; throws PdfError, leaving nothing behind, on failure.
void WriteFileAtomically(const std::string& path, std::string_view head, std::string_view tail,
                         const OutputRules& rules = {});

// The refusal of an existing output, for a check before the capture.
void RefuseExistingOutput(const std::string& path);

// True when both paths name the same file (or the same path).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace penvane
