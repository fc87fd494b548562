// Every form of the block transform this processor runs gives the bytes of
// the defining formula, both ways.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "BlockShuffle.h"
#include "VaultCipher.h"

using namespace quovex;

TEST(BlockShuffleTest, EveryFormMatchesTheFormulaAndTheBestIsOneOfThem) {
    const struct {
        BlockShuffleKind kind;
        const char* pszName;
    } FORMS[] = {{BlockShuffleKind::SHUFFLE_SCALAR, "scalar"},
                 {BlockShuffleKind::SHUFFLE_SSSE3, "SSSE3"},
                 {BlockShuffleKind::SHUFFLE_AVX2, "AVX2"},
                 {BlockShuffleKind::SHUFFLE_AVX512_VBMI, "AVX-512 VBMI"}};
    ASSERT_NE(FindBlockShuffle(BlockShuffleKind::SHUFFLE_SCALAR), nullptr);

    bool bBestFound = false;
    for (const auto& form : FORMS) {
        const BlockShuffle* pForm = FindBlockShuffle(form.kind);
        if (!pForm) {
            std::printf("  %s: not on this processor\n", form.pszName);
            continue;
        }
        if (pForm == &BestBlockShuffle()) bBestFound = true;
        std::mt19937 rng(11);
        for (int nRound = 0; nRound < 200; ++nRound) {
            unsigned char stream[128], in[128], out[128], back[128];
            for (int i = 0; i < 128; ++i) {
                // Round 0 wraps every byte: 0xFF + 0xFF.
                stream[i] = nRound == 0 ? 0xFF : static_cast<unsigned char>(rng());
                in[i] = nRound == 0 ? 0xFF : static_cast<unsigned char>(rng());
            }
            pForm->pfnScramble(stream, in, out);
            for (int i = 0; i < 128; ++i) {
                ASSERT_EQ(out[CIPHER_PERMUTATION[i]], static_cast<unsigned char>(in[i] + stream[i]))
                    << form.pszName << ", byte " << i;
            }
            pForm->pfnUnscramble(stream, out, back);
            ASSERT_EQ(std::memcmp(in, back, 128), 0) << form.pszName;
        }
    }
    EXPECT_TRUE(bBestFound);
}
