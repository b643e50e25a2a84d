#include "ValidityLayers.h"

#include "../host/HostCalls.h"
#include "ValidityMarks.h"

namespace {

// The validity codes a results bag carries under "digest" (see the validation).
bool IsUnknownCode(int32_t code) { return code == 0 || code == 1 || code == 2; }
bool IsValidCode(int32_t code) { return code == 4 || code == 5 || code == 7; }
bool IsInvalidCode(int32_t code) { return code == 3 || code == 6; }

struct Layer {
    const char* name;
    const char* stream;
    const ASFixed* box;
};

// In the order names are compared.
const Layer kLayers[] = {
    {kValidLayerName, kValidMark, kValidMarkBox},
    {kUnknownLayerName, kUnknownMark, kUnknownMarkBox},
    {kInvalidLayerName, kInvalidMark, kInvalidMarkBox},
};

}  // namespace

ASAtom ValidityLayerName(ASCab results, int32_t kind)
{
    if (kind != 1 && kind != 3)
        return kNullAtom;
    // A bag without a code reads as 0: nothing checked, so the mark is "unknown".
    int32_t code = ASCabIntOf(results, "digest", 0);
    if (kind == 1) {
        if (IsUnknownCode(code))
            return ASAtomFromString(kUnknownLayerName);
        if (IsValidCode(code))
            return ASAtomFromString(kValidLayerName);
        return kNullAtom;
    }
    return IsInvalidCode(code) ? ASAtomFromString(kInvalidLayerName) : kNullAtom;
}

void LayerStream(ASAtom layer, const char** outStream, const ASFixed** outBox)
{
    if (outStream)
        *outStream = nullptr;
    if (outBox)
        *outBox = nullptr;
    // The null atom names nothing (and is what an unbound host answers for
    // every name, so it must not match the first layer by accident).
    if (layer == kNullAtom)
        return;
    for (const Layer& candidate : kLayers) {
        if (layer != ASAtomFromString(candidate.name))
            continue;
        if (outStream)
            *outStream = candidate.stream;
        if (outBox)
            *outBox = candidate.box;
        return;
    }
}
