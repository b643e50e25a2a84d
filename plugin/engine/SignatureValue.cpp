#include "SignatureValue.h"

#include <cstring>
#include <vector>

#include "HexText.h"
#include "HostCalls.h"
#include "HostStrings.h"
#include "PadSettings.h"
#include "SignatureCapture.h"
#include "SignerCertificate.h"
#include "StepPad.h"

namespace {

constexpr short kKeyedMode = 4;
constexpr short kValueCompression = 1;
constexpr int32_t kOutcomeFailed = 0;
constexpr int32_t kOutcomeKept = 1;
constexpr int32_t kOutcomeSaveAs = 2;

// "Reason" goes to the host as PDF text in its Unicode form (FE FF, UTF-16BE).
void PutReason(ASCab bag, const std::string& reason)
{
    const int32_t length = static_cast<int32_t>(reason.size());
    std::vector<char> buffer(2 * static_cast<size_t>(length) + 20, '\0');
    PDTextFromHostText(kPdTextUnicode, reason.c_str(), length, buffer.data(), static_cast<int32_t>(buffer.size()));
    if (ASText text = ASTextFromCString(buffer.data()))
        ASCabSetText(bag, "Reason", text);
}

// A string entry the bag takes over; skipped when the host refuses memory.
void PutString(ASCab bag, const char* key, const std::string& value)
{
    if (char* copy = HostStringCopy(value))
        ASCabSetString(bag, key, copy);
}

}  // namespace

void FillSignatureProperties(HandlerEngine& engine, SigningParams params)
{
    char* type = HostStringCopy("none");
    void* certificate = ASmalloc(kSignerCertificateLength);
    if (type == nullptr || certificate == nullptr) {
        // The host has no memory to give: nothing is written.
        ASfree(type);
        ASfree(certificate);
        return;
    }
    void* documentRecord = params.DocumentParamsRecord();
    if (documentRecord != nullptr)
        ASCabSetString(DocumentParams(documentRecord).TypeBag(), "type", type);
    else
        ASfree(type);
    std::memcpy(certificate, kSignerCertificate, kSignerCertificateLength);
    ASCabSetBinary(params.CertificateBag(), "0", certificate, kSignerCertificateLength);
    params.ClearReservedOut();

    // Without the document's record there is no field and no box to sign.
    const bool captured = documentRecord != nullptr && CaptureSignature(engine, DocumentParams(documentRecord));
    params.SetOutcomeCode(!captured ? kOutcomeFailed : ReadSaveAsSetting() ? kOutcomeSaveAs : kOutcomeKept);

    // Written after a failed capture too: then the previous signer's entries.
    const ASCab properties = params.PropertiesBag();
    PutReason(properties, engine.reason);
    PutString(properties, "Name", engine.signerName);
    PutString(properties, "Location", engine.location);
    PutString(properties, "ContactInfo", engine.contactInfo);
}

bool ReadSaveAsSetting()
{
    return penvane::ReadSaveAs();
}

bool ProduceSignatureValue(HandlerEngine& engine, SignatureValueRequest request)
{
    const uint32_t n = static_cast<uint32_t>(engine.CapturedSignatureLength()) / 2;
    if (n > kMaxPayloadLength) {
        // Two length bytes cannot state it: no value rather than one whose
        // header lies about its length.
        request.SetValueSize(0);
        return false;
    }
    bool built = true;
    if (request.RequestCode() == 1) {
        auto* value = static_cast<unsigned char*>(ASmalloc(n + kValueHeaderLength));
        request.SetValue(value);
        if (value == nullptr) {
            built = false;
        } else {
            // The long form with two length bytes for every n: stored values
            // and their readers expect it.
            value[0] = kValueTag;
            value[1] = kValueLongLength;
            value[2] = static_cast<unsigned char>((n >> 8) & 0xFF);
            value[3] = static_cast<unsigned char>(n & 0xFF);
            built = BindSignatureToDigest(engine, value + kValueHeaderLength, n, request);
        }
    }
    request.SetValueSize(n + kValueHeaderLength);
    return built;
}

bool BindSignatureToDigest(HandlerEngine& engine, unsigned char* payload, uint32_t payloadLength,
                           const SignatureValueRequest& request)
{
    // Whatever fails below leaves zeros, never the allocator's leftovers: a
    // zero payload opens under no key.
    std::memset(payload, 0, payloadLength);
    if (request.Digest() == nullptr)
        return false;
    CQuillix pad;
    if (!CreateStepPad(pad))
        return false;
    try {
        pad.SetKeyString(kInitialKey);
        pad.SetEncryptionMode(kKeyedMode);
        pad.SetCompressionMode(kValueCompression);
        pad.SetSignatureString(engine.CapturedSignature());
        // Used once: a second value request without a new capture loads nothing.
        engine.ReleaseCapturedSignature();
        pad.SetKeyString(DigestToHex(request.Digest()).c_str());
        const std::string keyed = pad.GetSignatureString();
        if (HexDecode(keyed, payload, payloadLength) != static_cast<ptrdiff_t>(payloadLength)) {
            std::memset(payload, 0, payloadLength);
            return false;
        }
        return true;
    } catch (const COleDispatchException&) {
        std::memset(payload, 0, payloadLength);
        return false;
    }
}
