// Compression of the binary pen record.
//
// Modes, as set on the pad (SetCompressionMode):
//   0 or below  stored: the record as it is;
//   1 and above deflate (zlib, raw deflate stream, best compression).
// Every positive mode gives the same bytes on purpose: a signature re-encoded
// under mode 1 must never come out longer than it was under another positive
// mode, because its stored size is fixed before the re-encoding.
//
// The packed form starts with one method byte (0 stored, 1 deflate), so the
// loader never depends on the mode currently set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pendata {

// Largest record the loader accepts, after decompression: far above any
// record of kMaxPoints points, and small enough that a decompression bomb
// costs at most this much memory.
constexpr size_t kMaxUnpackedSize = 1u << 20;

std::vector<uint8_t> Pack(const std::vector<uint8_t>& record, int compressionMode);

// False, with *record empty, for an unknown method, a broken deflate stream,
// bytes after its end, or output beyond kMaxUnpackedSize.
bool Unpack(const uint8_t* data, size_t size, std::vector<uint8_t>* record);

} // namespace pendata
