#pragma once
// A zlib stream's bytes (RFC 1950 around RFC 1951's deflate): what the programs' own pictures are
// packed with. Nothing else of the system is needed to read them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrun {

// The bytes the stream holds; nothing when it is damaged or cut off, when its checksum disagrees, or
// when it holds more than limit bytes. Room for limit bytes is taken at once: the caller knows the
// size it expects.
std::optional<std::vector<std::uint8_t>> Inflate(const std::uint8_t* data, std::size_t size, std::size_t limit);

}  // namespace kestrun
