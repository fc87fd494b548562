// The credentials a context takes, the key string with its fillers, the
// character substitution and the block transform in each of its forms. The
// credential checksum is pinned by the reference files (FormatReferenceTest).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "BlockShuffle.h"
#include "TestFiles.h"
#include "VaultCipher.h"

using namespace quovex;

namespace {

// The substitution as the stored-file format documents it. Only some of its
// letters occur in the keys of the reference files, so it is pinned here.
constexpr char DOCUMENTED_PLAIN[] =
    "_+-0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char DOCUMENTED_SUBST[] =
    "pyuUXwr1WhTPs96tnlgKBV-i5f7_IHDqJ3CvE0kxO2ZAbmLeczNYj4So+RMFdG8Qa";

char Substituted(char c) {
    const char* p = c ? std::strchr(DOCUMENTED_PLAIN, c) : nullptr;
    return p ? DOCUMENTED_SUBST[p - DOCUMENTED_PLAIN] : c;
}

std::string KeyOf(const CVaultCipher& cipher, bool bFileKey = false) {
    char szKey[CIPHER_KEY_BUFFER_SIZE] = {};
    bFileKey ? cipher.BuildFileKey(szKey) : cipher.MakeKey(szKey);
    return szKey;
}

}  // namespace

TEST(MakeKeyTest, InterleavesUserAndPasswordAndPadsWithFillers) {
    EXPECT_EQ(KeyOf(CVaultCipher("ab", "xyz")), "axbyGz");
    EXPECT_EQ(KeyOf(CVaultCipher("abc", "x")), "axbGcH");
    EXPECT_EQ(KeyOf(CVaultCipher("abcd", "wxyz")), "awbxcydz");
    EXPECT_EQ(KeyOf(CVaultCipher("", "")), "");

    // The longest password a field holds. Fillers run from 'G' past 'Z' to
    // '[' and beyond; the file key is the key substituted, so fillers outside
    // the alphabet stay as they are.
    CVaultCipher cipher("u", std::string(63, 'p'));
    const std::string strKey = KeyOf(cipher), strFileKey = KeyOf(cipher, true);
    ASSERT_EQ(strKey.size(), 126u);
    ASSERT_EQ(strFileKey.size(), strKey.size());
    for (std::size_t i = 0; i < strKey.size(); ++i) {
        const int nExpected = i == 0 ? 'u' : i % 2 ? 'p' : 'G' + static_cast<int>(i) / 2 - 1;
        EXPECT_EQ(static_cast<unsigned char>(strKey[i]), nExpected) << "position " << i;
        EXPECT_EQ(strFileKey[i], Substituted(strKey[i])) << "position " << i;
    }
    EXPECT_EQ(strFileKey[42], '[');
}

// Text is kept as its GB18030 bytes when all of it fits a field, and
// otherwise refused: never cut inside a character, never taken raw. A
// refused context stores and restores nothing rather than use a wrong key.
TEST(CVaultCipherTest, KeepsWholeGb18030CredentialsAndRefusesOthers) {
    const std::string str61(61, 'p');
    std::string strBytes;
    EXPECT_TRUE(CVaultCipher::EncodeCredential(str61 + "密", &strBytes));
    EXPECT_EQ(strBytes, str61 + "\xC3\xDC");
    const CVaultCipher cipher("张三", str61 + "密");
    EXPECT_TRUE(cipher.IsValid());
    EXPECT_STREQ(cipher.UserBytes(), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(cipher.PasswordBytes(), str61 + "\xC3\xDC");

    // 64 bytes, the last character's second byte past the field; invalid
    // UTF-8; an embedded NUL.
    for (const std::string& strBad :
         {str61 + "x密", std::string("ab\xFF\xFE"), std::string("ab\0cd", 5)}) {
        EXPECT_FALSE(CVaultCipher::EncodeCredential(strBad, &strBytes)) << strBad;
        const CVaultCipher refused("user1", strBad);
        EXPECT_FALSE(refused.IsValid()) << strBad;
        EXPECT_STREQ(refused.UserBytes(), "");
        EXPECT_FALSE(CVaultCipher(strBad, "pass1").IsValid()) << strBad;
    }

    test::CTempDir tmp;
    test::WriteBytes(tmp / "plain", test::RandomBytes(300, 3));
    const CVaultCipher refused("user1", "pass\xFF");
    std::uint64_t nDone = 0;
    EXPECT_EQ(refused.StoreFile(tmp / "plain", tmp / "a.$", nullptr, nDone, 300), 0);
    ASSERT_EQ(cipher.StoreFile(tmp / "plain", tmp / "b.$", nullptr, nDone, 300), 1);
    EXPECT_EQ(refused.RestoreFile(tmp / "b.$", tmp / "out.$", nullptr, nDone, 300), 0);
    EXPECT_FALSE(test::Exists(tmp / "a.$") || test::Exists(tmp / "out"));
}

TEST(SubstituteCharsTest, MapsTheAlphabetAsDocumentedAndPassesOtherBytes) {
    char szIn[256], szOut[258];
    for (int c = 1; c < 256; ++c) szIn[c - 1] = static_cast<char>(c);
    szIn[255] = 0;
    SubstituteChars(szOut, szIn, -1);
    for (int i = 0; i < 255; ++i) EXPECT_EQ(szOut[i], Substituted(szIn[i])) << "byte " << i + 1;
    EXPECT_EQ(szOut[255], '\0');

    // Exactly nCount bytes and a NUL.
    std::memset(szOut, 'x', sizeof szOut);
    SubstituteChars(szOut, "abc[d", 3);
    EXPECT_EQ(std::string(szOut),
              std::string({Substituted('a'), Substituted('b'), Substituted('c')}));
    EXPECT_EQ(szOut[4], 'x');
    EXPECT_EQ(FindCharIndex("x\xC8y\xC8", '\xC8'), 1);
}

// A random key of every length up to 126, the empty one first; the bytes
// wrap modulo 256.
TEST(ScrambleBlockTest, AddsTheKeyWithPeriodLThenPermutesAndUnscrambleInverts) {
    std::mt19937 rng(7);
    for (std::size_t nLen = 0; nLen <= 126; ++nLen) {
        std::string strKey(nLen, ' ');
        for (auto& c : strKey) c = static_cast<char>(1 + rng() % 255);
        unsigned char in[128], out[128], back[128];
        for (auto& b : in) b = static_cast<unsigned char>(rng());
        CVaultCipher::ScrambleBlock(strKey.c_str(), in, out);
        for (int i = 0; i < 128; ++i) {
            const unsigned char k = nLen ? static_cast<unsigned char>(strKey[i % nLen]) : 0;
            ASSERT_EQ(out[CIPHER_PERMUTATION[i]], static_cast<unsigned char>(in[i] + k))
                << "key length " << nLen << ", byte " << i;
        }
        CVaultCipher::UnscrambleBlock(strKey.c_str(), out, back);
        ASSERT_EQ(std::memcmp(in, back, 128), 0) << "key length " << nLen;
    }
}

// Every form this processor runs gives the bytes of the defining formula,
// both ways; the first round wraps every byte (0xFF + 0xFF).
TEST(BlockShuffleTest, EveryFormMatchesTheFormulaAndTheBestIsOneOfThem) {
    const char* names[] = {"scalar", "SSSE3", "AVX2", "AVX-512 VBMI"};
    EXPECT_NE(FindBlockShuffle(BlockShuffleKind::SHUFFLE_SCALAR), nullptr);
    bool bBestFound = false;
    for (int nKind = 0; nKind < 4; ++nKind) {
        const BlockShuffle* pForm = FindBlockShuffle(static_cast<BlockShuffleKind>(nKind));
        if (!pForm) {
            std::printf("  %s: not on this processor\n", names[nKind]);
            continue;
        }
        bBestFound |= pForm == &BestBlockShuffle();
        std::mt19937 rng(11);
        for (int nRound = 0; nRound < 200; ++nRound) {
            unsigned char stream[128], in[128], out[128], back[128];
            for (int i = 0; i < 128; ++i) {
                stream[i] = nRound == 0 ? 0xFF : static_cast<unsigned char>(rng());
                in[i] = nRound == 0 ? 0xFF : static_cast<unsigned char>(rng());
            }
            pForm->pfnScramble(stream, in, out);
            for (int i = 0; i < 128; ++i) {
                ASSERT_EQ(out[CIPHER_PERMUTATION[i]], static_cast<unsigned char>(in[i] + stream[i]))
                    << names[nKind] << ", byte " << i;
            }
            pForm->pfnUnscramble(stream, out, back);
            ASSERT_EQ(std::memcmp(in, back, 128), 0) << names[nKind];
        }
    }
    EXPECT_TRUE(bBestFound);
}
