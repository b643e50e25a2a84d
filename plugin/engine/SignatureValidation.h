// Validation: a stored value is this document's signature when its payload,
// opened with the digest of the document as it is now, yields pen points.
#pragma once
#include <cstdint>

#include "HandlerEngine.h"
#include "RequestRecords.h"

class CQuillix;

// Writes "digest" 7, "trustFlags" 0xFFFF and "id" 4 into the results bag when
// the value is valid for the request's digest; otherwise writes nothing.
void ValidateSignature(HandlerEngine& engine, const ValidationRequest& request);

// True when the payload (every byte after the 4-byte header, whatever length
// the header states) opens with the digest key, keyed form 4 or else form 1.
// False for a value shorter than the header or when no pad-capture control
// can be made.
bool CheckSignatureWithDigest(HandlerEngine& engine, const ValidationRequest& request);

// The check itself on a pad-capture control the caller made: the payload as
// text, keyed with the digest, in form 4 and then form 1.
bool PayloadOpensWithDigest(CQuillix& pad, const ValidationRequest& request);

// The host's validity texts by message identifier: a new text the host owns,
// or null for an identifier without one.
ASText ValidityText(int32_t messageId);
