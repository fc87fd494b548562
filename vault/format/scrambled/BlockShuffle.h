// The block transform in several forms. The scalar form defines it; the
// others give the same bytes with the byte shuffles of the processor (most
// of the time of a large store or restore is spent here). The best form the
// processor has is chosen once, at first use.
#pragma once

namespace quovex {

enum class BlockShuffleKind {
    SHUFFLE_SCALAR,       // plain loops, any processor
    SHUFFLE_SSSE3,        // 64 pshufb per block
    SHUFFLE_AVX2,         // 32 vpshufb per block
    SHUFFLE_AVX512_VBMI,  // 2 vpermi2b per block
};

// One form: out[P[i]] = in[i] + stream[i] and its inverse
// out[i] = in[P[i]] - stream[i], for the 128 bytes of a block. pIn and pOut
// must not overlap.
struct BlockShuffle {
    void (*pfnScramble)(const unsigned char* pStream, const unsigned char* pIn,
                        unsigned char* pOut);
    void (*pfnUnscramble)(const unsigned char* pStream, const unsigned char* pIn,
                          unsigned char* pOut);
};

// The form of that kind, or nullptr when this processor (or this build)
// cannot run it. The scalar form is always there.
const BlockShuffle* FindBlockShuffle(BlockShuffleKind kind);

// The fastest form this processor runs. Thread-safe.
const BlockShuffle& BestBlockShuffle();

}  // namespace quovex
