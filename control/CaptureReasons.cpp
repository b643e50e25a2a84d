#include "CaptureReasons.h"

namespace penvane {

const char* const kPredefinedReasons[kPredefinedReasonCount] = {
    "I am the author of this document",
    "I have reviewed this document",
    "I am approving this document",
    "I attest to the accuracy and integrity of this document",
    "I agree to the terms defined by the placement of my signature on this document",
    "I agree to specified portions of this document",
};

const char kDefaultReason[] = "Signature";

ReasonControl ChooseReasonControl(int32_t reasonRequired, int32_t numReasons)
{
    if (reasonRequired == 1) return numReasons == 0 ? ReasonControl::PredefinedList : ReasonControl::PickList;
    if (reasonRequired == 0 && numReasons >= 2) return ReasonControl::EntryCombo;
    return ReasonControl::None;
}

} // namespace penvane
