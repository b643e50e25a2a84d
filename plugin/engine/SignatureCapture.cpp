#include "SignatureCapture.h"

#include <vector>

#include "CPenvanePdf.h"
#include "HostCalls.h"
#include "HostStrings.h"
#include "PadSettings.h"
#include "SignatureAppearance.h"
#include "SignatureValue.h"
#include "StepPad.h"

namespace {

constexpr UINT kCaptureControlId = 2001;
constexpr char kNoFieldName[] = "NoFieldName";
constexpr int32_t kReasonRequiredFlag = 8;   // "Ff" bit that makes "Reasons" binding
constexpr short kPlainMode = 0;
constexpr short kKeyedMode = 4;

// The bytes of a Cos string, unchanged; false for anything that is not a
// string (a missing entry is the null object).
bool CosStringBytes(CosObj obj, std::string* bytes)
{
    if (CosObjTypeOf(obj) != kCosString)
        return false;
    int32_t length = 0;
    char* copy = CosStringDupValue(obj, &length);
    if (copy == nullptr)
        return false;
    bytes->assign(copy, length > 0 ? static_cast<size_t>(length) : 0);
    ASfree(copy);
    return true;
}

// Holds the host in its modal state for as long as it lives, so that a
// failing AcquireSig still ends it.
class HostModalState {
public:
    HostModalState() { AVAppModalBegin(nullptr); }
    ~HostModalState() { AVAppModalEnd(); }
    HostModalState(const HostModalState&) = delete;
    HostModalState& operator=(const HostModalState&) = delete;
};

struct CaptureAnswers {
    std::string signature;
    std::string reason, location, signerName, contactInfo;
};

// Tells the control about the field, runs the dialog and reads the answers;
// false when the signer did not accept.
bool RunCapture(CPenvanePdf& control, CosObj field, CaptureAnswers* answers)
{
    if (CosObjTypeOf(field) != kCosNull) {
        std::string name;
        if (!CosStringBytes(CosDictValueForKey(field, "T"), &name))
            name = kNoFieldName;
        control.SetSigFieldName(name.c_str());
        PassSeedValueReasons(control, field);
    } else {
        // No field: the control keeps whatever reason settings it has.
        control.SetSigFieldName(kNoFieldName);
    }

    bool accepted;
    {
        HostModalState modal;
        accepted = control.AcquireSig();
    }
    if (!accepted)
        return false;

    // Lets the dialog's last messages go before the results are read.
    Sleep(1);
    answers->signature = control.GetSigString();
    answers->reason = control.GetReason();
    answers->location = control.GetLocation();
    answers->signerName = control.GetName();
    answers->contactInfo = control.GetContactInfo();
    return true;
}

}  // namespace

bool CaptureSignature(HandlerEngine& engine, const DocumentParams& params)
{
    CaptureAnswers answers;
    {
        CPenvanePdf control;
        if (!control.Create(::GetDesktopWindow(), kCaptureControlId))
            return false;
        try {
            if (!RunCapture(control, params.SignatureField(), &answers))
                return false;
        } catch (const COleDispatchException&) {
            return false;
        }
        // The control goes here: it and the pad-capture control below never
        // exist at the same time.
    }
    engine.reason = answers.reason;
    engine.location = answers.location;
    engine.signerName = answers.signerName;
    engine.contactInfo = answers.contactInfo;
    return PrepareCapturedSignature(engine, answers.signature, params);
}

void PassSeedValueReasons(CPenvanePdf& control, CosObj field)
{
    // Nothing of an earlier request may survive in the control.
    control.SetNumberOfReasons(0);
    control.SetReasonRequired(0);

    const CosObj seedValue = CosDictValueForKey(field, "SV");
    if (CosObjTypeOf(seedValue) == kCosNull)
        return;
    const CosObj flagsEntry = CosDictValueForKey(seedValue, "Ff");
    const int32_t flags = CosObjTypeOf(flagsEntry) != kCosNull ? CosIntegerOf(flagsEntry) : 0;
    control.SetReasonRequired((flags & kReasonRequiredFlag) != 0 ? 1 : 0);

    const CosObj reasons = CosDictValueForKey(seedValue, "Reasons");
    if (CosObjTypeOf(reasons) != kCosArray)
        return;
    // Only strings are reasons; anything else in the array is skipped, and
    // the control is told the number it will actually get. The control
    // refuses more reasons, or longer ones, than it keeps: those are left
    // out here (a byte is at most one character of the text the control
    // receives), so that such a field can still be signed with the others.
    std::vector<std::string> offered;
    const int32_t count = CosArrayCount(reasons);
    for (int32_t i = 0; i < count && offered.size() < penvanepdf::kMaxReasons; ++i) {
        std::string reason;
        if (CosStringBytes(CosArrayItem(reasons, i), &reason) && reason.size() <= penvanepdf::kMaxReasonChars)
            offered.push_back(std::move(reason));
    }
    if (offered.empty())
        return;
    control.SetNumberOfReasons(static_cast<unsigned short>(offered.size()));
    for (size_t i = 0; i < offered.size(); ++i)
        control.SetReasonString(static_cast<unsigned short>(i), offered[i].c_str());
}

bool PrepareCapturedSignature(HandlerEngine& engine, const std::string& signature, const DocumentParams& params)
{
    CQuillix pad;
    if (!CreateStepPad(pad))
        return false;
    try {
        // Loaded exactly as the capture control gave it, then read back under
        // the initial key and the configured compression.
        pad.SetEncryptionMode(kPlainMode);
        pad.SetSignatureString(signature.c_str());
        pad.SetEncryptionMode(kKeyedMode);
        pad.SetKeyString(kInitialKey);
        pad.SetCompressionMode(penvane::ReadCompressionMode());
        const std::string keyed = pad.GetSignatureString();

        char* block = HostStringCopy(keyed);
        if (block == nullptr)
            return false;   // the previous signature and drawing stay whole
        engine.AdoptCapturedSignature(block, static_cast<int32_t>(keyed.size()));
        return BuildAppearanceData(engine, pad, params);
    } catch (const COleDispatchException&) {
        return false;
    }
}
