// The fuzz targets' handler: answers at once, without the plug-in. Any
// non-empty value is valid, so that everything after the handler's answer
// (the comparison of later revisions, the report) is reached; it refuses to
// sign. A digest of the wrong length is a fault of the verification.
#pragma once
#include <cstdlib>

#include "PdfError.h"
#include "SignatureHandler.h"

namespace penvane {

class InstantHandler : public SignatureHandler {
public:
    SigningAnswer Sign(const SignRequest&) override { throw PdfError("not signing"); }
    AppearanceAnswer Appearance() override { throw PdfError("not signing"); }
    uint32_t ValueSize() override { throw PdfError("not signing"); }
    std::string Value(const std::string&) override { throw PdfError("not signing"); }
    ValidationAnswer Validate(const std::string& value, const std::string& digest) override {
        if (digest.size() != kDigestLength) std::abort();
        ValidationAnswer a;
        a.digest = value.empty() ? 3 : 4;
        return a;
    }
    std::vector<ValidityLayer> Layers(const ResultsBag&) override { return {}; }
};

}  // namespace penvane
