#include "base/Inflate.h"

#include <algorithm>

namespace kestrun {
namespace {

using Bytes = std::vector<std::uint8_t>;

class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // The next count bits (at most 16), the first one lowest; false past the end.
  bool Bits(int count, unsigned& value) {
    while (held_ < count) {
      if (at_ == size_) return false;
      buffer_ |= static_cast<std::uint32_t>(data_[at_++]) << held_;
      held_ += 8;
    }
    value = buffer_ & ((1u << count) - 1);
    buffer_ >>= count;
    held_ -= count;
    return true;
  }

  void SkipToByte() {
    buffer_ >>= held_ % 8;
    held_ -= held_ % 8;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  std::uint32_t buffer_ = 0;
  int held_ = 0;
};

// A canonical Huffman code: how many codes each length has, and the symbols in code order.
struct Code {
  std::uint16_t counts[16] = {};
  std::uint16_t symbols[288] = {};
};

// False when the lengths ask for more codes than there are; an incomplete code is kept, and a code
// missing from it is refused where it is met.
bool Build(Code& code, const std::uint8_t* lengths, int count) {
  for (int symbol = 0; symbol < count; ++symbol) ++code.counts[lengths[symbol]];
  code.counts[0] = 0;
  int left = 1;
  for (int length = 1; length < 16; ++length) {
    left = left * 2 - code.counts[length];
    if (left < 0) return false;
  }
  std::uint16_t next[16] = {};
  for (int length = 1; length < 15; ++length) next[length + 1] = next[length] + code.counts[length];
  for (int symbol = 0; symbol < count; ++symbol)
    if (lengths[symbol] != 0) code.symbols[next[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
  return true;
}

// The next symbol, or -1.
int Decode(BitReader& in, const Code& code) {
  int bits = 0, first = 0, index = 0;
  for (int length = 1; length < 16; ++length) {
    unsigned bit = 0;
    if (!in.Bits(1, bit)) return -1;
    bits |= static_cast<int>(bit);
    const int count = code.counts[length];
    if (bits - count < first) return code.symbols[index + bits - first];
    index += count;
    first = (first + count) * 2;
    bits *= 2;
  }
  return -1;
}

bool Stored(BitReader& in, Bytes& out, std::size_t limit) {
  in.SkipToByte();
  unsigned length = 0, inverse = 0;
  if (!in.Bits(16, length) || !in.Bits(16, inverse) || (length ^ 0xFFFFu) != inverse) return false;
  if (length > limit - out.size()) return false;
  for (unsigned byte = 0; length > 0; --length) {
    if (!in.Bits(8, byte)) return false;
    out.push_back(static_cast<std::uint8_t>(byte));
  }
  return true;
}

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthBits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                             33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceBits[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// One block's symbols, up to its end.
bool Symbols(BitReader& in, const Code& literals, const Code& distances, Bytes& out, std::size_t limit) {
  for (;;) {
    int symbol = Decode(in, literals);
    if (symbol < 0) return false;
    if (symbol == 256) return true;
    if (symbol < 256) {
      if (out.size() == limit) return false;
      out.push_back(static_cast<std::uint8_t>(symbol));
      continue;
    }
    symbol -= 257;
    unsigned extra = 0;
    if (symbol >= 29 || !in.Bits(kLengthBits[symbol], extra)) return false;
    const std::size_t length = kLengthBase[symbol] + extra;
    const int back = Decode(in, distances);
    if (back < 0 || back >= 30 || !in.Bits(kDistanceBits[back], extra)) return false;
    const std::size_t distance = kDistanceBase[back] + extra;
    if (distance > out.size() || length > limit - out.size()) return false;
    for (std::size_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
}

bool Fixed(BitReader& in, Bytes& out, std::size_t limit) {
  std::uint8_t lengths[288];
  for (int symbol = 0; symbol < 288; ++symbol)
    lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
  Code literals, distances;
  Build(literals, lengths, 288);
  for (int symbol = 0; symbol < 30; ++symbol) lengths[symbol] = 5;
  Build(distances, lengths, 30);
  return Symbols(in, literals, distances, out, limit);
}

// The two codes a dynamic block begins with, themselves sent in a code of code lengths.
bool ReadCodes(BitReader& in, Code& literals, Code& distances) {
  unsigned literalCount = 0, distanceCount = 0, lengthCount = 0;
  if (!in.Bits(5, literalCount) || !in.Bits(5, distanceCount) || !in.Bits(4, lengthCount)) return false;
  literalCount += 257;
  distanceCount += 1;
  lengthCount += 4;
  if (literalCount > 286 || distanceCount > 30) return false;
  constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::uint8_t lengths[286 + 30] = {};
  for (unsigned i = 0; i < lengthCount; ++i) {
    unsigned length = 0;
    if (!in.Bits(3, length)) return false;
    lengths[kOrder[i]] = static_cast<std::uint8_t>(length);
  }
  Code lengthCode;
  if (!Build(lengthCode, lengths, 19)) return false;
  for (unsigned at = 0; at < literalCount + distanceCount;) {
    const int symbol = Decode(in, lengthCode);
    if (symbol < 0) return false;
    if (symbol < 16) {
      lengths[at++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    unsigned repeat = 0, value = 0;
    if (symbol == 16) {
      if (at == 0 || !in.Bits(2, repeat)) return false;
      value = lengths[at - 1];
      repeat += 3;
    } else if (!in.Bits(symbol == 17 ? 3 : 7, repeat)) {
      return false;
    } else {
      repeat += symbol == 17 ? 3 : 11;
    }
    if (repeat > literalCount + distanceCount - at) return false;
    for (; repeat > 0; --repeat) lengths[at++] = static_cast<std::uint8_t>(value);
  }
  return lengths[256] != 0 && Build(literals, lengths, static_cast<int>(literalCount)) &&
         Build(distances, lengths + literalCount, static_cast<int>(distanceCount));
}

bool Dynamic(BitReader& in, Bytes& out, std::size_t limit) {
  Code literals, distances;
  return ReadCodes(in, literals, distances) && Symbols(in, literals, distances, out, limit);
}

// Summed in runs of 5,552 bytes, the most before the sums could overflow.
std::uint32_t Adler32(const Bytes& bytes) {
  std::uint32_t low = 1, high = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    for (const std::size_t end = std::min(bytes.size(), at + 5552); at < end; ++at) {
      low += bytes[at];
      high += low;
    }
    low %= 65521;
    high %= 65521;
  }
  return high << 16 | low;
}

}  // namespace

std::optional<Bytes> Inflate(const std::uint8_t* data, std::size_t size, std::size_t limit) {
  // Deflate with a window of at most 32 KB, no preset dictionary, the header's check right.
  if (size < 6 || (data[0] & 0x0F) != 8 || data[0] >> 4 > 7 || (data[1] & 0x20) != 0 ||
      (data[0] * 256u + data[1]) % 31 != 0)
    return std::nullopt;
  BitReader in(data + 2, size - 6);
  Bytes out;
  out.reserve(limit);
  for (unsigned last = 0; last == 0;) {
    unsigned type = 0;
    if (!in.Bits(1, last) || !in.Bits(2, type)) return std::nullopt;
    const bool read = type == 0 ? Stored(in, out, limit) : type == 1 ? Fixed(in, out, limit)
                    : type == 2 ? Dynamic(in, out, limit) : false;
    if (!read) return std::nullopt;
  }
  const std::uint8_t* sum = data + size - 4;
  if (Adler32(out) != (std::uint32_t{sum[0]} << 24 | std::uint32_t{sum[1]} << 16 | sum[2] << 8 | sum[3]))
    return std::nullopt;
  return out;
}

}  // namespace kestrun
