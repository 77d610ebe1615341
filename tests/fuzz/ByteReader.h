// Reads the fuzzer's input as a stream of small decisions. Past the end every
// read answers zero, so any input, however short, decodes to something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gyrelle::fuzz {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : bytes(data), length(size) {}

  bool empty() const { return position >= length; }

  uint8_t byte() { return position < length ? bytes[position++] : 0; }

  uint32_t word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | byte();
    return value;
  }

  int32_t signedWord() { return static_cast<int32_t>(word()); }

  uint64_t longWord() { return (static_cast<uint64_t>(word()) << 32) | word(); }

  // Any bit pattern: NaN, infinities, denormals and huge values included.
  float anyFloat() {
    const uint32_t bits = word();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // An index below `count` (count > 0).
  uint32_t below(uint32_t count) { return byte() % count; }

 private:
  const uint8_t* bytes;
  size_t length;
  size_t position = 0;
};

}  // namespace gyrelle::fuzz
