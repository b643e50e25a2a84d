// Verifying every signature of a document: coverage first, then the handler
// for this handler's signatures, then what later revisions changed.
#pragma once
#include "ByteRange.h"
#include "PdfLoad.h"
#include "RevisionDiff.h"
#include "SignatureFields.h"
#include "SignatureHandler.h"

#include <optional>
#include <string>
#include <vector>

namespace penvane {

struct SignatureReport {
    std::string field;            // the field's name; empty when no field holds the dictionary
    int page = 0;
    PdfRect rect{};
    int rotation = 0;
    int dictObject = 0;           // the signature dictionary's object number
    int dictGeneration = 0;       // and its generation
    std::string filter, subFilter;
    bool ours = false;            // /Filter names this handler
    std::optional<ByteRange> range;
    bool coversWholeFile = false;
    std::string reason, name, location, contactInfo, time;  // UTF-8
    std::optional<ValidationAnswer> answer;                  // the handler's, when asked
    bool valid = false;           // ours: coverage holds and the handler found it valid
    std::string problem;          // why not valid
    bool heldByNoField = false;   // no field of the current document holds the dictionary
    std::string integrity;        // another handler's: what could be checked of it
    std::optional<RevisionChanges> changes;  // when later revisions exist
    bool ChangedAfterSigning() const { return changes && !changes->OnlySignatures(); }
};

struct VerifyReport {
    std::string path;
    long long fileSize = 0;
    std::vector<SignatureReport> signatures;  // newest first
    // 0: at least one of this handler's signatures, all valid, nothing but
    // signatures added after any of them; 1 otherwise.
    int ExitCode() const;
};

// One verification, in one pass: the signatures are found, their coverage
// checked and this handler's validated; then the revisions after the
// earliest signed one are read once each, and each update is compared once
// with the revision before it; each signature gets what the updates after
// it changed. `handler` may be null only when the document has none of this
// handler's signatures (the caller finds that out with FindSignatures
// first). Throws PdfError for a file that cannot be judged: a revision that
// cannot be read, a structure readers resolve differently.
VerifyReport VerifyPdf(LoadedPdf& pdf, SignatureHandler* handler);

// The signature dictionaries of the document, newest first, before any check.
std::vector<SignatureReport> FindSignatures(LoadedPdf& pdf);

// Validity codes of the handler that mean valid (part of its vocabulary: the
// layer "Valid" is chosen for these).
bool IsValidDigestCode(int32_t code);

}  // namespace penvane
