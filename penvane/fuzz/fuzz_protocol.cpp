// libFuzzer target for the line protocol's readers: the input is one or more
// lines as they arrive on either side. Each line is parsed and handed to
// every reader, as a host program (requests) and the tool (answers) would.
// Readers answer false or true, never throw; what a reader accepts is
// written again and must read back the same.
#include <cstdlib>
#include <string>
#include <string_view>

#include "HandlerMessages.h"

using namespace penvane;

namespace {

void Check(bool fact) {
    if (!fact) std::abort();
}

bool SameLayers(const std::vector<ValidityLayer>& a, const std::vector<ValidityLayer>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].name != b[i].name || a[i].stream != b[i].stream ||
            (a[i].stream && a[i].box != b[i].box))
            return false;
    return true;
}

void Requests(const Message& m) {
    std::string error, digest, value;
    SignRequest sign, signBack;
    if (ReadSignRequest(m, &sign, &error)) {
        Check(ReadSignRequest(ParseLine(SignRequestLine(sign)), &signBack, &error));
        Check(signBack.fieldName == sign.fieldName && signBack.hasSeedValue == sign.hasSeedValue &&
              signBack.seedFlags == sign.seedFlags && signBack.reasons == sign.reasons &&
              signBack.width == sign.width && signBack.height == sign.height &&
              signBack.rotation == sign.rotation && signBack.strokes == sign.strokes);
    }
    if (ReadValueRequest(m, &digest, &error)) Check(digest.size() == kDigestLength);
    if (ReadValidateRequest(m, &value, &digest, &error)) {
        std::string value2, digest2;
        Check(ReadValidateRequest(ParseLine(ValidateRequestLine(value, digest)), &value2, &digest2, &error));
        Check(value2 == value && digest2 == digest);
    }
    ResultsBag bag, bagBack;
    if (ReadLayersRequest(m, &bag, &error)) {
        Check(ReadLayersRequest(ParseLine(LayersRequestLine(bag)), &bagBack, &error));
        Check(bagBack.digest == bag.digest && bagBack.trustFlags == bag.trustFlags && bagBack.id == bag.id);
    }
}

void Answers(const Message& m) {
    std::string error, value;
    SigningAnswer signing, signingBack;
    if (ReadSigningAnswer(m, &signing, &error)) {
        Check(ReadSigningAnswer(ParseLine(SigningAnswerLine(signing)), &signingBack, &error));
        Check(signingBack.outcome == signing.outcome && signingBack.type == signing.type &&
              signingBack.certificate == signing.certificate && signingBack.reason == signing.reason &&
              signingBack.name == signing.name && signingBack.location == signing.location &&
              signingBack.contactInfo == signing.contactInfo);
    }
    AppearanceAnswer appearance, appearanceBack;
    if (ReadAppearanceAnswer(m, &appearance, &error)) {
        Check(ReadAppearanceAnswer(ParseLine(AppearanceAnswerLine(appearance)), &appearanceBack, &error));
        Check(appearanceBack.present == appearance.present && appearanceBack.drawing == appearance.drawing &&
              appearanceBack.rect == appearance.rect && appearanceBack.bbox == appearance.bbox);
    }
    uint32_t size = 0, sizeBack = 0;
    if (ReadSizeAnswer(m, &size, &error)) {
        Check(ReadSizeAnswer(ParseLine(SizeAnswerLine(size)), &sizeBack, &error));
        Check(sizeBack == size);
    }
    if (ReadValueAnswer(m, &value, &error)) {
        std::string back;
        Check(ReadValueAnswer(ParseLine(ValueAnswerLine(value)), &back, &error) && back == value);
    }
    ValidationAnswer validation, validationBack;
    if (ReadValidationAnswer(m, &validation, &error)) {
        Check(ReadValidationAnswer(ParseLine(ValidationAnswerLine(validation)), &validationBack, &error));
        Check(validationBack.digest == validation.digest && validationBack.trustFlags == validation.trustFlags &&
              validationBack.id == validation.id && validationBack.texts == validation.texts &&
              SameLayers(validationBack.layers, validation.layers));
    }
    std::vector<ValidityLayer> layers, layersBack;
    if (ReadLayersAnswer(m, &layers, &error)) {
        Check(ReadLayersAnswer(ParseLine(LayersAnswerLine(layers)), &layersBack, &error));
        Check(SameLayers(layersBack, layers));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        Message m = ParseLine(std::string(input.substr(start, end - start)));
        if (!m.error.empty()) Check(m.op.empty() && m.json.empty());
        if (m.error.empty()) {
            IsKnownOperation(m.op);
            Requests(m);
            Answers(m);
        } else {
            // What the receiver answers with must itself be a message.
            Check(ParseLine(ErrorLine(m.error)).op == "error");
        }
        start = end + 1;
    }
    return 0;
}
