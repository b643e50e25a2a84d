#include "SignatureValidation.h"

#include "HexText.h"
#include "HostCalls.h"
#include "SignatureValue.h"
#include "StepPad.h"

namespace {

// The keyed forms a stored value may carry, newest first.
const short kKeyedModes[] = {4, 1};
constexpr short kValueCompression = 1;

}  // namespace

void ValidateSignature(HandlerEngine& engine, const ValidationRequest& request)
{
    const unsigned char* value = request.StoredValue();
    if (value == nullptr || request.StoredValueLength() < kValueHeaderLength)
        return;
    if (value[0] != kValueTag || value[1] != kValueLongLength)
        return;
    if (!CheckSignatureWithDigest(engine, request))
        return;
    // Only a valid signature is marked; otherwise the bag keeps what the host put there.
    const ASCab results = request.ResultsBag();
    ASCabSetInt(results, "digest", 7);
    ASCabSetInt(results, "trustFlags", 0xFFFF);
    ASCabSetInt(results, "id", 4);
}

bool CheckSignatureWithDigest(HandlerEngine& /*engine*/, const ValidationRequest& request)
{
    if (request.StoredValue() == nullptr || request.StoredValueLength() < kValueHeaderLength ||
        request.Digest() == nullptr)
        return false;
    // A fresh control for every check: nothing of an earlier value or key
    // can leak into this answer.
    CQuillix pad;
    if (!CreateStepPad(pad))
        return false;
    return PayloadOpensWithDigest(pad, request);
}

bool PayloadOpensWithDigest(CQuillix& pad, const ValidationRequest& request)
{
    const unsigned char* value = request.StoredValue();
    const uint32_t size = request.StoredValueLength();
    if (value == nullptr || size < kValueHeaderLength || request.Digest() == nullptr)
        return false;
    // The header's length is not consulted: every byte after it goes to the
    // pad, so trailing bytes a host kept are part of the text (and the pad
    // ignores zero padding).
    const std::string text = HexEncode(value + kValueHeaderLength, size - kValueHeaderLength);
    const std::string key = DigestToHex(request.Digest());
    try {
        pad.SetKeyString(key.c_str());
        for (short mode : kKeyedModes) {
            pad.SetEncryptionMode(mode);
            pad.SetCompressionMode(kValueCompression);
            pad.SetSignatureString(text.c_str());
            if (pad.GetPointCount() != 0)
                return true;
        }
    } catch (const COleDispatchException&) {
    }
    return false;
}
