#include "StepPad.h"

bool CreateStepPad(CQuillix& pad)
{
    return pad.Create(::GetDesktopWindow(), kStepPadId) != FALSE;
}
