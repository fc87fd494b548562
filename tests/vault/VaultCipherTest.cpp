// The credentials a context refuses, the key string with its fillers, the
// character substitution and the block transform in each of its forms. The
// credential checksum is pinned by the reference files (FormatReferenceTest).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "BlockShuffle.h"
#include "TestFiles.h"
#include "VaultCipher.h"
#include "VaultKey.h"

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

// The reference files pin keys whose user name is the shorter or as long;
// here the password is. The longest password a field holds runs the fillers
// from 'G' past 'Z' and above 127. The substitution maps every byte as
// documented, the file key included.
TEST(KeyStringTest, InterleavesPadsWithFillersSubstitutesAsDocumentedAndRefusesBadCredentials) {
    EXPECT_EQ(KeyOf(CVaultCipher("abc", "x")), "axbGcH");
    CVaultCipher cipher("u", std::string(63, 'p'));
    const std::string strKey = KeyOf(cipher), strFileKey = KeyOf(cipher, true);
    ASSERT_EQ(strKey.size(), 126u);
    ASSERT_EQ(strFileKey.size(), 126u);
    for (std::size_t i = 0; i < strKey.size(); ++i) {
        const int nExpected = i == 0 ? 'u' : i % 2 ? 'p' : 'G' + static_cast<int>(i) / 2 - 1;
        EXPECT_EQ(static_cast<unsigned char>(strKey[i]), nExpected) << "position " << i;
        EXPECT_EQ(strFileKey[i], Substituted(strKey[i])) << "position " << i;
    }

    char szIn[256], szOut[257];
    for (int c = 1; c <= 256; ++c) szIn[c - 1] = static_cast<char>(c);  // and a NUL
    SubstituteChars(szOut, szIn, -1);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(szOut[i], Substituted(szIn[i])) << "byte " << i + 1;

    // A credential is refused when it has a NUL, is not UTF-8 or takes more
    // than a field in GB18030 (the bytes kept and the limit: the login's and
    // the tool's tests); a refused context keeps no bytes, and stores and
    // restores nothing rather than use a wrong key.
    EXPECT_FALSE(CVaultCipher("user1", std::string("ab\0cd", 5)).IsValid());
    EXPECT_FALSE(CVaultCipher(std::string("ab\0cd", 5), "pass1").IsValid());
    const std::string strPlain = std::string(QUOVEX_TEST_DATA_DIR) + "/block300.bin";
    const CVaultCipher refused("quovex", "p@ss-w0rd\xFF");
    EXPECT_STREQ(refused.UserBytes(), "");
    test::CTempDir tmp;
    const CVaultKey key("quovex", "p@ss-w0rd\xFF");
    EXPECT_FALSE(test::StoreWith(key, strPlain, tmp / "a.$"));
    EXPECT_FALSE(test::RestoreWith(key, strPlain + ".$", tmp / "out.$"));
    EXPECT_FALSE(test::Exists(tmp / "a.$") || test::Exists(tmp / "out"));
}

// Keys of every length up to 126, the empty one first, the last all 0xFF
// on input bytes 0xFF so that every byte wraps. ScrambleBlock runs the best
// form; every form this processor runs gives the bytes of the defining
// formula out[P[i]] = in[i] + key[i mod L] and undoes them.
TEST(BlockTransformTest, EveryFormAddsTheKeyWithPeriodLThenPermutesAndInverts) {
    std::mt19937 rng(7);
    for (std::size_t nLen = 0; nLen <= 126; ++nLen) {
        std::string strKey(nLen, '\xFF');
        unsigned char in[128], stream[128], out[128], formOut[128], back[128];
        for (auto& b : in) b = nLen == 126 ? 0xFF : static_cast<unsigned char>(rng());
        for (auto& c : strKey) c = nLen == 126 ? c : static_cast<char>(1 + rng() % 255);
        CVaultCipher::ScrambleBlock(strKey.c_str(), in, out);
        for (int i = 0; i < 128; ++i) {
            stream[i] = nLen ? static_cast<unsigned char>(strKey[i % nLen]) : 0;
            ASSERT_EQ(out[CIPHER_PERMUTATION[i]], static_cast<unsigned char>(in[i] + stream[i]))
                << "key length " << nLen << ", byte " << i;
        }
        CVaultCipher::UnscrambleBlock(strKey.c_str(), out, back);
        ASSERT_EQ(std::memcmp(in, back, 128), 0) << "key length " << nLen;
        for (int nKind = 0; nKind < 4; ++nKind) {
            const BlockShuffle* pForm = FindBlockShuffle(static_cast<BlockShuffleKind>(nKind));
            ASSERT_TRUE(pForm || nKind > 0) << "the scalar form is always there";
            if (!pForm) continue;
            pForm->pfnScramble(stream, in, formOut);
            pForm->pfnUnscramble(stream, out, back);
            ASSERT_EQ(std::memcmp(out, formOut, 128), 0) << "form " << nKind << ", " << nLen;
            ASSERT_EQ(std::memcmp(in, back, 128), 0) << "form " << nKind << ", " << nLen;
        }
    }
}
