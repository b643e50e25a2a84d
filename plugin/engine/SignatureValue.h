// The two signing requests: the signature properties (certificate, outcome,
// the signer's entries) and the signature value, an OCTET STRING whose
// contents are the captured pen data keyed with the document digest.
#pragma once
#include <cstdint>

#include "HandlerEngine.h"
#include "RequestRecords.h"

// The initial key under which a capture keeps its pen data until the value
// request re-keys it with the digest.
constexpr const char kInitialKey[] = "4826482648264826";

// Tag and long-form length byte that start every value; the two length bytes
// follow, then the payload.
constexpr unsigned char kValueTag = 0x04;
constexpr unsigned char kValueLongLength = 0x82;
constexpr uint32_t kValueHeaderLength = 4;
constexpr uint32_t kMaxPayloadLength = 0xFFFF;   // what two length bytes can state

// Hands over the certificate, runs a capture, writes the outcome code (0
// failed, 2 or 1 after "SaveAs") and the "Reason", "Name", "Location" and
// "ContactInfo" entries.
void FillSignatureProperties(HandlerEngine& engine, SigningParams params);

// The "SaveAs" setting, read afresh: true unless it is 0.
bool ReadSaveAsSetting();

// Answers the value's size and, for request code 1, the value itself. False
// when the request failed: a payload beyond 65535 bytes (nothing is taken or
// handed over, the size answered is 0), host memory refused, or a payload
// that could not be built (the host then gets the header and zero bytes).
bool ProduceSignatureValue(HandlerEngine& engine, SignatureValueRequest request);

// Writes the captured signature, keyed with the request's digest, into the
// `payloadLength` bytes at `payload`, and releases the captured signature.
// False, with the payload zero-filled, when no pad-capture control could be
// made or the keyed data does not decode to exactly payloadLength bytes.
bool BindSignatureToDigest(HandlerEngine& engine, unsigned char* payload, uint32_t payloadLength,
                           const SignatureValueRequest& request);
