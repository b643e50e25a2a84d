// The host's list of signature appearances, opened for one question and
// closed again before the answer is given.
#pragma once
#include "../host/HostTypes.h"

// Number of appearances, or `whenUnavailable` when the host gives no list.
int32_t AppearanceCount(int32_t whenUnavailable);
// A new text (owned by the caller) with the title of entry `index`, or null
// when the index is outside the list or the host gives no list.
ASText AppearanceTitle(int32_t index);
