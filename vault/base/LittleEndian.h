// Little-endian integers in byte buffers, as every stored layout of the
// vault writes them (stored files, protected files, key records).
// Stateless; any thread.
#pragma once

#include <cstdint>

namespace quovex {

// Writes the low nBytes bytes of n at p, least significant first.
inline void PutLe(unsigned char* p, std::uint64_t n, int nBytes) {
    for (int i = 0; i < nBytes; ++i) p[i] = static_cast<unsigned char>(n >> (8 * i));
}

// Reads nBytes bytes at p (at most 8), least significant first.
inline std::uint64_t GetLe(const unsigned char* p, int nBytes) {
    std::uint64_t n = 0;
    for (int i = nBytes - 1; i >= 0; --i) n = n << 8 | p[i];
    return n;
}

}  // namespace quovex
