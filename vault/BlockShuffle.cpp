#include "BlockShuffle.h"

#include "VaultCipher.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUOVEX_HAVE_SHUFFLE 1
#endif

namespace quovex {

#ifdef QUOVEX_HAVE_SHUFFLE

namespace {

constexpr int SHUFFLE_LANES = 8;  // 16-byte lanes of a 128-byte block

// For a byte permutation dst[k] = src[idx[k]]: one pshufb mask per pair of
// output lane and input lane, selecting the bytes that come from that input
// lane (0x80 clears the others). ORing the eight shuffles of an output lane
// assembles it.
struct ShuffleMasks {
    alignas(16) unsigned char mask[SHUFFLE_LANES][SHUFFLE_LANES][16];

    template <typename Index>
    explicit ShuffleMasks(Index fnIndex) {
        for (int k = 0; k < 128; ++k) {
            const int nFrom = fnIndex(k);
            for (int m = 0; m < SHUFFLE_LANES; ++m) {
                mask[k / 16][m][k % 16] =
                    nFrom / 16 == m ? static_cast<unsigned char>(nFrom % 16) : 0x80;
            }
        }
    }
};

// Scramble: out[k] = t[Q[k]] with t = in + stream and Q the inverse of P.
const ShuffleMasks& ScrambleMasks() {
    static const ShuffleMasks s_masks([](int k) {
        for (int i = 0; i < 128; ++i) {
            if (CIPHER_PERMUTATION[i] == k) return i;
        }
        return 0;
    });
    return s_masks;
}

// Unscramble: out[i] = in[P[i]] - stream[i].
const ShuffleMasks& UnscrambleMasks() {
    static const ShuffleMasks s_masks(
        [](int k) { return static_cast<int>(CIPHER_PERMUTATION[k]); });
    return s_masks;
}

__attribute__((target("ssse3"))) void Permute(const ShuffleMasks& masks, const __m128i* pSrc,
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

}  // namespace

bool HasFastBlockShuffle() {
    static const bool s_bHas = __builtin_cpu_supports("ssse3");
    return s_bHas;
}

__attribute__((target("ssse3"))) void ScrambleBlockFast(const unsigned char* pStream,
                                                        const unsigned char* pIn,
                                                        unsigned char* pOut) {
    __m128i t[SHUFFLE_LANES];
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pIn + 16 * m));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pStream + 16 * m));
        t[m] = _mm_add_epi8(a, s);
    }
    Permute(ScrambleMasks(), t, pOut);
}

__attribute__((target("ssse3"))) void UnscrambleBlockFast(const unsigned char* pStream,
                                                          const unsigned char* pIn,
                                                          unsigned char* pOut) {
    __m128i t[SHUFFLE_LANES];
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        t[m] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pIn + 16 * m));
    }
    Permute(UnscrambleMasks(), t, pOut);
    for (int m = 0; m < SHUFFLE_LANES; ++m) {
        __m128i* pLane = reinterpret_cast<__m128i*>(pOut + 16 * m);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pStream + 16 * m));
        _mm_storeu_si128(pLane, _mm_sub_epi8(_mm_loadu_si128(pLane), s));
    }
}

#else

bool HasFastBlockShuffle() {
    return false;
}
void ScrambleBlockFast(const unsigned char*, const unsigned char*, unsigned char*) {}
void UnscrambleBlockFast(const unsigned char*, const unsigned char*, unsigned char*) {}

#endif

}  // namespace quovex
