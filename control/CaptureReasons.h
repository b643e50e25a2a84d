// The reason settings of the capture dialog, platform-free: the six
// predefined reasons and which reason control the caller's settings call for.
#pragma once

#include <cstdint>

namespace penvane {

constexpr int kPredefinedReasonCount = 6;
extern const char* const kPredefinedReasons[kPredefinedReasonCount];

// The reason taken when no reason control is shown.
extern const char kDefaultReason[];  // "Signature"

enum class ReasonControl {
    None,            // reason "Signature"
    PredefinedList,  // list box 213: required, no reasons of the caller
    PickList,        // combo box 214: required, choose one of the caller's
    EntryCombo,      // combo box 215: optional, choose or type
};

// 1 = required, 0 = optional; any other flag value shows nothing.
ReasonControl ChooseReasonControl(int32_t reasonRequired, int32_t numReasons);

} // namespace penvane
