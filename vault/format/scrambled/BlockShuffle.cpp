#include "BlockShuffle.h"

#include "VaultCipher.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUOVEX_HAVE_X86_SHUFFLES 1
#endif

namespace quovex {

namespace {

constexpr int SHUFFLE_BLOCK = static_cast<int>(SFF_BLOCK_SIZE);

void ScrambleScalar(const unsigned char* pStream, const unsigned char* pIn, unsigned char* pOut) {
    for (int i = 0; i < SHUFFLE_BLOCK; ++i) {
        pOut[CIPHER_PERMUTATION[i]] = static_cast<unsigned char>(pIn[i] + pStream[i]);
    }
}

void UnscrambleScalar(const unsigned char* pStream, const unsigned char* pIn, unsigned char* pOut) {
    for (int i = 0; i < SHUFFLE_BLOCK; ++i) {
        pOut[i] = static_cast<unsigned char>(pIn[CIPHER_PERMUTATION[i]] - pStream[i]);
    }
}

const BlockShuffle SHUFFLE_SCALAR_FORM = {ScrambleScalar, UnscrambleScalar};

#ifdef QUOVEX_HAVE_X86_SHUFFLES

// Every fast form computes a gather out[k] = src[idx[k]]: for scrambling
// src = in + stream and idx the inverse of P; for unscrambling src = in,
// idx = P, and the stream is subtracted afterwards.
struct GatherIndex {
    unsigned char idx[SHUFFLE_BLOCK];
};

const GatherIndex& ScrambleIndex() {
    static const GatherIndex s_index = [] {
        GatherIndex index{};
        for (int i = 0; i < SHUFFLE_BLOCK; ++i) {
            index.idx[CIPHER_PERMUTATION[i]] = static_cast<unsigned char>(i);
        }
        return index;
    }();
    return s_index;
}

const GatherIndex& UnscrambleIndex() {
    static const GatherIndex s_index = [] {
        GatherIndex index{};
        for (int i = 0; i < SHUFFLE_BLOCK; ++i) {
            index.idx[i] = static_cast<unsigned char>(CIPHER_PERMUTATION[i]);
        }
        return index;
    }();
    return s_index;
}

constexpr int SHUFFLE_LANES = 8;  // 16-byte lanes of a block

// pshufb works inside 16-byte lanes, so a gather becomes one shuffle per
// pair of output lane and input lane: mask[l][m] picks, for output lane l,
// the bytes that come from input lane m (0x80 clears the others); ORing the
// eight shuffles of an output lane assembles it.
struct LaneMasks {
    alignas(32) unsigned char mask[SHUFFLE_LANES][SHUFFLE_LANES][16];

    explicit LaneMasks(const GatherIndex& index) {
        for (int k = 0; k < SHUFFLE_BLOCK; ++k) {
            const int nFrom = index.idx[k];
            for (int m = 0; m < SHUFFLE_LANES; ++m) {
                mask[k / 16][m][k % 16] =
                    nFrom / 16 == m ? static_cast<unsigned char>(nFrom % 16) : 0x80;
            }
        }
    }
};

// The same masks laid out for 32-byte registers: pair[p][m] holds the masks
// of output lanes 2p and 2p+1 for input lane m, so one vpshufb of input lane
// m (copied into both halves) serves two output lanes.
struct PairMasks {
    alignas(32) unsigned char pair[SHUFFLE_LANES / 2][SHUFFLE_LANES][32];

    explicit PairMasks(const LaneMasks& lanes) {
        for (int p = 0; p < SHUFFLE_LANES / 2; ++p) {
            for (int m = 0; m < SHUFFLE_LANES; ++m) {
                for (int b = 0; b < 16; ++b) {
                    pair[p][m][b] = lanes.mask[2 * p][m][b];
                    pair[p][m][16 + b] = lanes.mask[2 * p + 1][m][b];
                }
            }
        }
    }
};

const LaneMasks& ScrambleLaneMasks() {
    static const LaneMasks s_masks(ScrambleIndex());
    return s_masks;
}
const LaneMasks& UnscrambleLaneMasks() {
    static const LaneMasks s_masks(UnscrambleIndex());
    return s_masks;
}
const PairMasks& ScramblePairMasks() {
    static const PairMasks s_masks(ScrambleLaneMasks());
    return s_masks;
}
const PairMasks& UnscramblePairMasks() {
    static const PairMasks s_masks(UnscrambleLaneMasks());
    return s_masks;
}

// --- SSSE3 -----------------------------------------------------------------

__attribute__((target("ssse3"))) void GatherSsse3(const LaneMasks& masks, const __m128i* pSrc,
                                                  unsigned char* pOut) {
    for (int l = 0; l < SHUFFLE_LANES; ++l) {
        __m128i v = _mm_setzero_si128();
        for (int m = 0; m < SHUFFLE_LANES; ++m) {
            const __m128i mask = _mm_load_si128(reinterpret_cast<const __m128i*>(masks.mask[l][m]));
            v = _mm_or_si128(v, _mm_shuffle_epi8(pSrc[m], mask));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut + 16 * l), v);
    }
}

__attribute__((target("ssse3"))) void ScrambleSsse3(const unsigned char* pStream,
                                                    const unsigned char* pIn, unsigned char* pOut) {
    __m128i t[SHUFFLE_LANES];
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pIn + 16 * m));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pStream + 16 * m));
        t[m] = _mm_add_epi8(a, s);
    }
    GatherSsse3(ScrambleLaneMasks(), t, pOut);
}

__attribute__((target("ssse3"))) void UnscrambleSsse3(const unsigned char* pStream,
                                                      const unsigned char* pIn,
                                                      unsigned char* pOut) {
    __m128i t[SHUFFLE_LANES];
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        t[m] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pIn + 16 * m));
    }
    GatherSsse3(UnscrambleLaneMasks(), t, pOut);
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        __m128i* pLane = reinterpret_cast<__m128i*>(pOut + 16 * m);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pStream + 16 * m));
        _mm_storeu_si128(pLane, _mm_sub_epi8(_mm_loadu_si128(pLane), s));
    }
}

const BlockShuffle SHUFFLE_SSSE3_FORM = {ScrambleSsse3, UnscrambleSsse3};

// --- AVX2 ------------------------------------------------------------------

__attribute__((target("avx2"))) void GatherAvx2(const PairMasks& masks, const __m128i* pSrc,
                                                unsigned char* pOut) {
    __m256i both[SHUFFLE_LANES];
    for (int m = 0; m < SHUFFLE_LANES; ++m) both[m] = _mm256_broadcastsi128_si256(pSrc[m]);
    for (int p = 0; p < SHUFFLE_LANES / 2; ++p) {
        __m256i v = _mm256_setzero_si256();
        for (int m = 0; m < SHUFFLE_LANES; ++m) {
            const __m256i mask =
                _mm256_load_si256(reinterpret_cast<const __m256i*>(masks.pair[p][m]));
            v = _mm256_or_si256(v, _mm256_shuffle_epi8(both[m], mask));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pOut + 32 * p), v);
    }
}

__attribute__((target("avx2"))) void ScrambleAvx2(const unsigned char* pStream,
                                                  const unsigned char* pIn, unsigned char* pOut) {
    __m128i t[SHUFFLE_LANES];
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pIn + 16 * m));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pStream + 16 * m));
        t[m] = _mm_add_epi8(a, s);
    }
    GatherAvx2(ScramblePairMasks(), t, pOut);
}

__attribute__((target("avx2"))) void UnscrambleAvx2(const unsigned char* pStream,
                                                    const unsigned char* pIn, unsigned char* pOut) {
    __m128i t[SHUFFLE_LANES];
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        t[m] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pIn + 16 * m));
    }
    GatherAvx2(UnscramblePairMasks(), t, pOut);
    for (int p = 0; p < SHUFFLE_LANES / 2; ++p) {
        __m256i* pPair = reinterpret_cast<__m256i*>(pOut + 32 * p);
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pStream + 32 * p));
        _mm256_storeu_si256(pPair, _mm256_sub_epi8(_mm256_loadu_si256(pPair), s));
    }
}

const BlockShuffle SHUFFLE_AVX2_FORM = {ScrambleAvx2, UnscrambleAvx2};

// --- AVX-512 VBMI ----------------------------------------------------------
// vpermi2b gathers 64 bytes from the 128 of two registers by 7-bit indexes:
// exactly one block, so two of them permute it.

#define QUOVEX_VBMI_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))

QUOVEX_VBMI_TARGET void GatherVbmi(const GatherIndex& index, __m512i lo, __m512i hi,
                                   __m512i* pOutLo, __m512i* pOutHi) {
    const __m512i idxLo = _mm512_loadu_si512(index.idx);
    const __m512i idxHi = _mm512_loadu_si512(index.idx + 64);
    *pOutLo = _mm512_permutex2var_epi8(lo, idxLo, hi);
    *pOutHi = _mm512_permutex2var_epi8(lo, idxHi, hi);
}

QUOVEX_VBMI_TARGET void ScrambleVbmi(const unsigned char* pStream, const unsigned char* pIn,
                                     unsigned char* pOut) {
    const __m512i lo = _mm512_add_epi8(_mm512_loadu_si512(pIn), _mm512_loadu_si512(pStream));
    const __m512i hi =
        _mm512_add_epi8(_mm512_loadu_si512(pIn + 64), _mm512_loadu_si512(pStream + 64));
    __m512i outLo, outHi;
    GatherVbmi(ScrambleIndex(), lo, hi, &outLo, &outHi);
    _mm512_storeu_si512(pOut, outLo);
    _mm512_storeu_si512(pOut + 64, outHi);
}

QUOVEX_VBMI_TARGET void UnscrambleVbmi(const unsigned char* pStream, const unsigned char* pIn,
                                       unsigned char* pOut) {
    __m512i outLo, outHi;
    GatherVbmi(UnscrambleIndex(), _mm512_loadu_si512(pIn), _mm512_loadu_si512(pIn + 64), &outLo,
               &outHi);
    _mm512_storeu_si512(pOut, _mm512_sub_epi8(outLo, _mm512_loadu_si512(pStream)));
    _mm512_storeu_si512(pOut + 64, _mm512_sub_epi8(outHi, _mm512_loadu_si512(pStream + 64)));
}

const BlockShuffle SHUFFLE_VBMI_FORM = {ScrambleVbmi, UnscrambleVbmi};

#endif  // QUOVEX_HAVE_X86_SHUFFLES

}  // namespace

const BlockShuffle* FindBlockShuffle(BlockShuffleKind kind) {
    switch (kind) {
        case BlockShuffleKind::SHUFFLE_SCALAR:
            return &SHUFFLE_SCALAR_FORM;
#ifdef QUOVEX_HAVE_X86_SHUFFLES
        case BlockShuffleKind::SHUFFLE_SSSE3:
            return __builtin_cpu_supports("ssse3") ? &SHUFFLE_SSSE3_FORM : nullptr;
        case BlockShuffleKind::SHUFFLE_AVX2:
            return __builtin_cpu_supports("avx2") ? &SHUFFLE_AVX2_FORM : nullptr;
        case BlockShuffleKind::SHUFFLE_AVX512_VBMI:
            return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi")
                       ? &SHUFFLE_VBMI_FORM
                       : nullptr;
#endif
        default:
            return nullptr;
    }
}

const BlockShuffle& BestBlockShuffle() {
    static const BlockShuffle* const s_pBest = [] {
        for (BlockShuffleKind kind :
             {BlockShuffleKind::SHUFFLE_AVX512_VBMI, BlockShuffleKind::SHUFFLE_AVX2,
              BlockShuffleKind::SHUFFLE_SSSE3}) {
            if (const BlockShuffle* pForm = FindBlockShuffle(kind)) return pForm;
        }
        return &SHUFFLE_SCALAR_FORM;
    }();
    return *s_pBest;
}

}  // namespace quovex
