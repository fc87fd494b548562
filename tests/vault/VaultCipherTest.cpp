// The credential checksum, the key string with its fillers, the character
// substitution and the block transform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "VaultCipher.h"

using namespace quovex;

namespace {

constexpr char DOCUMENTED_PLAIN[] =
    "_+-0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char DOCUMENTED_SUBST[] =
    "pyuUXwr1WhTPs96tnlgKBV-i5f7_IHDqJ3CvE0kxO2ZAbmLeczNYj4So+RMFdG8Qa";

std::string KeyOf(const CVaultCipher& cipher) {
    char szKey[CIPHER_KEY_BUFFER_SIZE] = {};
    cipher.MakeKey(szKey);
    return szKey;
}

std::string FileKeyOf(const CVaultCipher& cipher) {
    char szKey[CIPHER_KEY_BUFFER_SIZE] = {};
    cipher.BuildFileKey(szKey);
    return szKey;
}

// The byte SubstituteChars must give for c, worked out from the tables.
char Substituted(unsigned char c) {
    const char* p = c ? std::strchr(CIPHER_PLAIN_ALPHABET, c) : nullptr;
    return p ? CIPHER_SUBST_ALPHABET[p - CIPHER_PLAIN_ALPHABET] : static_cast<char>(c);
}

}  // namespace

TEST(CredentialChecksumTest, SumsTheUnsignedBytesOfBothTexts) {
    EXPECT_EQ(CredentialChecksum("abc", ""), 294u);
    EXPECT_EQ(CredentialChecksum("", ""), 0u);
    EXPECT_EQ(CredentialChecksum("\xC8", ""), 200u);  // not -56
    EXPECT_EQ(CredentialChecksum("", "\xFF\xFF"), 510u);
    // Only the multiset of bytes matters.
    EXPECT_EQ(CredentialChecksum("user", "pass"), CredentialChecksum("sapu", "sers"));
}

TEST(CredentialChecksumTest, ContextSumsTheGb18030BytesOfItsCredentials) {
    CVaultCipher cipher("张三", "ab");  // 张三 is D5 C5 C8 FD in GB18030
    EXPECT_STREQ(cipher.UserBytes(), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(cipher.Checksum(), 0xD5u + 0xC5 + 0xC8 + 0xFD + 'a' + 'b');
    // Longer credentials are cut to the 63 bytes their fields hold.
    CVaultCipher longer(std::string(70, 'u'), "pass");
    EXPECT_EQ(std::strlen(longer.UserBytes()), 63u);
}

TEST(MakeKeyTest, InterleavesUserAndPasswordAndPadsWithFillers) {
    EXPECT_EQ(KeyOf(CVaultCipher("ab", "xyz")), "axbyGz");
    EXPECT_EQ(KeyOf(CVaultCipher("abc", "x")), "axbGcH");
    EXPECT_EQ(KeyOf(CVaultCipher("abcd", "wxyz")), "awbxcydz");
    EXPECT_EQ(KeyOf(CVaultCipher("", "")), "");
}

TEST(MakeKeyTest, FileKeyIsTheSubstitutedKeyAndLeavesNonAlphabetFillers) {
    // Fillers 'G'..'Z', then '[' (not substituted), ..., '_' and 'a'.. (substituted).
    CVaultCipher cipher("u", std::string(63, 'p'));
    std::string strKey = KeyOf(cipher), strFileKey = FileKeyOf(cipher);
    ASSERT_EQ(strKey.size(), 126u);
    ASSERT_EQ(strFileKey.size(), strKey.size());
    for (std::size_t i = 0; i < strKey.size(); ++i) {
        const int nExpected = i == 0 ? 'u' : i % 2 ? 'p' : 'G' + static_cast<int>(i) / 2 - 1;
        EXPECT_EQ(static_cast<unsigned char>(strKey[i]), nExpected) << "position " << i;
        EXPECT_EQ(strFileKey[i], Substituted(strKey[i])) << "position " << i;
    }
    EXPECT_EQ(strKey[42], '[');
    EXPECT_EQ(strFileKey[42], '[');
    EXPECT_NE(strFileKey[40], 'Z');  // 'Z' is in the alphabet
}

TEST(SubstituteCharsTest, IsABijectionOnTheAlphabetAndLeavesOtherBytes) {
    std::set<char> images;
    for (int i = 0; i < 65; ++i) {
        char szIn[2] = {CIPHER_PLAIN_ALPHABET[i], 0}, szOut[2] = {1, 1};
        SubstituteChars(szOut, szIn, -1);
        EXPECT_EQ(szOut[0], CIPHER_SUBST_ALPHABET[i]);
        EXPECT_EQ(szOut[1], '\0');
        EXPECT_NE(std::strchr(CIPHER_PLAIN_ALPHABET, szOut[0]), nullptr);
        images.insert(szOut[0]);
    }
    EXPECT_EQ(images.size(), 65u);
    for (int c = 1; c < 256; ++c) {
        if (std::strchr(CIPHER_PLAIN_ALPHABET, c)) continue;
        char szIn[2] = {static_cast<char>(c), 0}, szOut[2] = {};
        SubstituteChars(szOut, szIn, -1);
        EXPECT_EQ(static_cast<unsigned char>(szOut[0]), c);
    }
}

TEST(SubstituteCharsTest, WritesExactlyCountBytesAndANul) {
    char szOut[8];
    std::memset(szOut, 'x', sizeof szOut);
    SubstituteChars(szOut, "abc[d", 3);
    EXPECT_EQ(std::strlen(szOut), 3u);
    EXPECT_EQ(szOut[4], 'x');
    SubstituteChars(szOut, "a[ \x80", -1);
    const std::string strExpected = {Substituted('a'), '[', ' ', '\x80'};
    EXPECT_EQ(std::string(szOut), strExpected);
}

TEST(FindCharIndexTest, FindsTheFirstOccurrenceOrMinusOne) {
    EXPECT_EQ(FindCharIndex(CIPHER_PLAIN_ALPHABET, '_'), 0);
    EXPECT_EQ(FindCharIndex(CIPHER_PLAIN_ALPHABET, '0'), 3);
    EXPECT_EQ(FindCharIndex(CIPHER_PLAIN_ALPHABET, 'a'), 13);
    EXPECT_EQ(FindCharIndex(CIPHER_PLAIN_ALPHABET, 'Z'), 64);
    EXPECT_EQ(FindCharIndex(CIPHER_PLAIN_ALPHABET, '['), -1);
    EXPECT_EQ(FindCharIndex(CIPHER_PLAIN_ALPHABET, '\xC8'), -1);
    EXPECT_EQ(FindCharIndex("x\xC8y\xC8", '\xC8'), 1);
}

TEST(CipherTablesTest, MatchTheDocumentedFormat) {
    EXPECT_STREQ(CIPHER_PLAIN_ALPHABET, DOCUMENTED_PLAIN);
    EXPECT_STREQ(CIPHER_SUBST_ALPHABET, DOCUMENTED_SUBST);
    std::string strPlain = CIPHER_PLAIN_ALPHABET, strSubst = CIPHER_SUBST_ALPHABET;
    std::sort(strPlain.begin(), strPlain.end());
    std::sort(strSubst.begin(), strSubst.end());
    EXPECT_EQ(strPlain, strSubst);
    std::set<std::int32_t> entries(CIPHER_PERMUTATION, CIPHER_PERMUTATION + 128);
    EXPECT_EQ(entries.size(), 128u);
    EXPECT_EQ(*entries.begin(), 0);
    EXPECT_EQ(*entries.rbegin(), 127);
}

TEST(ScrambleBlockTest, AddsTheKeyWithPeriodLThenPermutes) {
    std::mt19937 rng(7);
    for (int nRound = 0; nRound < 300; ++nRound) {
        std::size_t nLen = nRound < 2 ? nRound : rng() % 127;
        std::string strKey(nLen, ' ');
        for (auto& c : strKey) c = static_cast<char>(1 + rng() % 255);
        unsigned char in[128], out[128], back[128], stream[128], viaStream[128];
        for (auto& b : in) b = static_cast<unsigned char>(rng());

        CVaultCipher::ScrambleBlock(strKey.c_str(), in, out);
        for (int i = 0; i < 128; ++i) {
            unsigned char k = nLen ? static_cast<unsigned char>(strKey[i % nLen]) : 0;
            ASSERT_EQ(out[CIPHER_PERMUTATION[i]], static_cast<unsigned char>(in[i] + k))
                << "key length " << nLen << ", byte " << i;
        }
        CVaultCipher::UnscrambleBlock(strKey.c_str(), out, back);
        ASSERT_EQ(std::memcmp(in, back, 128), 0) << "key length " << nLen;

        CVaultCipher::ExpandKey(strKey.c_str(), stream);
        CVaultCipher::ScrambleWithStream(stream, in, viaStream);
        ASSERT_EQ(std::memcmp(out, viaStream, 128), 0);
        CVaultCipher::UnscrambleWithStream(stream, out, viaStream);
        ASSERT_EQ(std::memcmp(in, viaStream, 128), 0);
    }
}

TEST(ScrambleBlockTest, WrapsModulo256AndEmptyKeyOnlyPermutes) {
    unsigned char in[128], out[128];
    std::memset(in, 250, sizeof in);
    CVaultCipher::ScrambleBlock("\x0A", in, out);
    EXPECT_EQ(std::count(out, out + 128, 4), 128);

    for (int i = 0; i < 128; ++i) in[i] = static_cast<unsigned char>(i * 3 + 1);
    CVaultCipher::ScrambleBlock("", in, out);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(out[CIPHER_PERMUTATION[i]], in[i]);
}
