// One capture: the capture control asks the signer for a signature and the
// signer's entries, then a pad-capture control re-encodes the signature under
// the initial key and draws the appearance from it.
#pragma once
#include <string>

#include "HandlerEngine.h"
#include "RequestRecords.h"

class CPenvanePdf;

// True when the signer accepted and the signature was kept and drawn. On
// false the host's modal state has been left again and no control is alive.
bool CaptureSignature(HandlerEngine& engine, const DocumentParams& params);

// Tells the control the reasons (and whether one is required) that the
// field's seed value offers; clears what an earlier request left first.
void PassSeedValueReasons(CPenvanePdf& control, CosObj field);

// Keeps `signature` in the engine under the initial key and the configured
// compression and has the appearance drawn from it. False, with the engine's
// captured signature and appearance unchanged, when no pad-capture control
// can be made or the host refuses memory.
bool PrepareCapturedSignature(HandlerEngine& engine, const std::string& signature, const DocumentParams& params);
