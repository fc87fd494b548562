// Fast forms of the block transform. The scalar loops in VaultCipher.cpp
// define the transform; these give the same bytes with SSSE3 byte shuffles
// where the processor has them (most of the time of a large store is spent
// here).
#pragma once

namespace quovex {

// Whether the shuffle forms can run on this processor.
bool HasFastBlockShuffle();

// out[P[i]] = in[i] + stream[i] for the 128 bytes of a block.
void ScrambleBlockFast(const unsigned char* pStream, const unsigned char* pIn, unsigned char* pOut);
// out[i] = in[P[i]] - stream[i].
void UnscrambleBlockFast(const unsigned char* pStream, const unsigned char* pIn,
                         unsigned char* pOut);

}  // namespace quovex
