// The pad-capture control that one engine step makes for itself: a hidden
// child of the desktop window, id 2002, destroyed with the CQuillix object
// before the step returns.
#pragma once
#include "CQuillix.h"

constexpr UINT kStepPadId = 2002;

// False when the control cannot be made (not registered, containment off).
bool CreateStepPad(CQuillix& pad);
