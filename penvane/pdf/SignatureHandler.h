// What the PDF side asks of the signature handler, one host request each.
// The tool's implementation talks to the host program that loads the real
// plug-in; every answer comes from there. Failures are thrown as PdfError.
#pragma once
#include "HandlerMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace penvane {

class SignatureHandler {
public:
    virtual ~SignatureHandler() = default;
    virtual SigningAnswer Sign(const SignRequest& request) = 0;       // onSignatureProperties
    virtual AppearanceAnswer Appearance() = 0;                        // onAppearanceObject
    virtual uint32_t ValueSize() = 0;                                 // onSignatureValue, size
    virtual std::string Value(const std::string& digest) = 0;         // onSignatureValue, with the digest
    virtual ValidationAnswer Validate(const std::string& value, const std::string& digest) = 0;  // onValidate, texts, layers
    virtual std::vector<ValidityLayer> Layers(const ResultsBag& results) = 0;  // onValidityLayer, onLayerStream
};

}  // namespace penvane
