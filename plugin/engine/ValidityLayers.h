// The validity marks the host draws over a signature: which layer shows
// which mark for a validity result, and the drawing of each mark.
#pragma once
#include "../host/HostTypes.h"

// The layer names, made into atoms at each use.
constexpr const char kValidLayerName[] = "RirAvar Signature Valid";
constexpr const char kUnknownLayerName[] = "RirAvar Signature Unknown";
constexpr const char kInvalidLayerName[] = "RirAvar Signature Invalid";

// The layer of appearance layer `kind` (1 or 3) for the results bag's
// "digest" code, or kNullAtom when that layer shows nothing.
ASAtom ValidityLayerName(ASCab results, int32_t kind);

// The drawing and bounding box of a layer name; both null for a name that is
// none of ours. Either out may be null. The data is constant: the host reads
// it and frees nothing.
void LayerStream(ASAtom layer, const char** outStream, const ASFixed** outBox);
