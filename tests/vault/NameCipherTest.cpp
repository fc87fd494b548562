// Hidden names: round trips of both kinds at the lengths that matter, what
// an on-disk name may look like, names that must not open, and the
// reference names of tests/data/protected/names.txt.
#include <gtest/gtest.h>
#include <sodium.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Base32.h"
#include "NameCipher.h"
#include "ReferenceVault.h"
#include "TestFiles.h"

using namespace quovex;
using namespace quovex::test;
using enum NameResult;
using enum NameKind;

namespace {

constexpr char PARENT[] = "文档保险柜/资料";

// The master key nFirst, nFirst + 1, ...
CSecretBytes MasterFrom(unsigned char nFirst) {
    CSecretBytes master(PFF_KEY_SIZE);
    for (std::size_t i = 0; i < master.Size(); ++i)
        master.Data()[i] = static_cast<unsigned char>(nFirst + i);
    return master;
}

std::string Repeat(const std::string& strPiece, std::size_t nCount) {
    std::string str;
    for (std::size_t i = 0; i < nCount; ++i) str += strPiece;
    return str;
}

// What every on-disk name looks like: at most NAME_MAX_BYTES, base32 in
// lower case (a sealed one never begins with the short prefix) or the short
// form, and the stored suffix exactly for a file.
void ExpectDiskForm(NameKind kind, const std::string& strDisk, bool bShort) {
    SCOPED_TRACE(strDisk);
    EXPECT_LE(strDisk.size(), NAME_MAX_BYTES);
    std::string strText = strDisk;
    if (kind == NAME_FILE) {
        ASSERT_TRUE(strText.ends_with(STORED_SUFFIX));
        strText.resize(strText.size() - 2);
    }
    EXPECT_EQ(strText[0] == NAME_SHORT_PREFIX, bShort);
    EXPECT_TRUE(!bShort || strText.size() == NAME_SHORT_SIZE);
    for (std::size_t i = bShort ? 1 : 0; i < strText.size(); ++i)
        EXPECT_TRUE((strText[i] >= 'a' && strText[i] <= 'z') ||
                    (strText[i] >= '2' && strText[i] <= '7'));
}

std::string Hex(const std::vector<unsigned char>& v) {
    std::string str;
    char sz[3];
    for (unsigned char c : v) str += (std::snprintf(sz, sizeof sz, "%02x", c), sz);
    return str;
}

class NameCipherTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_names.Init(MasterFrom(0))); }

    // The name sealed, or its short form when it is too long.
    std::string Sealed(NameKind kind, const std::string& strName,
                       const std::string& strParent = PARENT) {
        std::string strDisk;
        EXPECT_EQ(m_names.SealName(kind, strParent, strName, &strDisk),
                  NameFitsSealed(kind, strName.size()) ? NAME_OK : NAME_LONG)
            << strName;
        return strDisk;
    }
    NameResult Open(NameKind kind, const std::string& strDisk, std::string* pPlain = nullptr,
                    const std::string& strParent = PARENT) {
        std::string strPlain;
        const NameResult result = m_names.OpenName(kind, strParent, strDisk, &strPlain);
        if (pPlain) *pPlain = strPlain;
        return result;
    }

    // Counted bytes instead of random ones, so that every run sees the same names.
    const CCountedRandom m_counted{1};
    CNameCipher m_names;
};

}  // namespace

TEST(Base32Test, IsRfc4648InLowerCaseAndReadsBackOnlyWhatItWrites) {
    const std::string vectors[][2] = {{"", ""},
                                      {"f", "my"},
                                      {"fo", "mzxq"},
                                      {"foo", "mzxw6"},
                                      {"foob", "mzxw6yq"},
                                      {"fooba", "mzxw6ytb"},
                                      {"foobar", "mzxw6ytboi"}};
    for (const auto& [strPlain, strText] : vectors) {
        const auto* p = reinterpret_cast<const unsigned char*>(strPlain.data());
        EXPECT_EQ(EncodeBase32(p, strPlain.size()), strText);
        std::vector<unsigned char> v;
        EXPECT_TRUE(DecodeBase32(strText, &v));
        EXPECT_EQ(std::string(v.begin(), v.end()), strPlain);
    }
    // Upper case, padding, another character, a length no byte count gives,
    // unused bits set: none is read.
    std::vector<unsigned char> v{1};
    for (const char* psz : {"MY", "mY", "my======", "m1", "m0", "m", "mzx", "mzxw6y", "mz", "mzxr",
                            "mzxw6Ytb", "mzx@6ytb", "mzxw6ytboI", "mzxw6ytboj"})
        EXPECT_FALSE(DecodeBase32(psz, &v) || !v.empty()) << psz;
}

TEST_F(NameCipherTest, NamesOfBothKindsAndEveryLengthRoundTrip) {
    const std::string cjk39 = Repeat("资", 39);
    for (const auto& [strName, nFolderLimit, nFileLimit] :
         {std::tuple{std::string("notes.txt"), 0, 0},
          {"季度报告 2024.docx", 0, 0},
          {cjk39 + "ab", 0, 1},  // 119 bytes: the longest sealed folder name
          {cjk39 + "a", 0, 0},   // 118 bytes: the longest sealed file name
          {cjk39 + "abc", 1, 1},
          {Repeat("x", 255), 1, 1},
          {Repeat("长", 85), 1, 1}}) {
        for (const NameKind kind : {NAME_FOLDER, NAME_FILE}) {
            SCOPED_TRACE(strName + (kind == NAME_FILE ? " (file)" : " (folder)"));
            const bool bLong = (kind == NAME_FOLDER ? nFolderLimit : nFileLimit) != 0;
            EXPECT_EQ(bLong, !NameFitsSealed(kind, strName.size()));
            const std::string strDisk = Sealed(kind, strName);
            ExpectDiskForm(kind, strDisk, bLong);
            std::string strPlain;
            EXPECT_EQ(Open(kind, strDisk, &strPlain), bLong ? NAME_LONG : NAME_OK);
            EXPECT_EQ(strPlain, bLong ? "" : strName);
            EXPECT_EQ(m_names.IsShortFolderNameOf(PARENT, strName, strDisk),
                      bLong && kind == NAME_FOLDER);
            // The folder record holds any name, and a long folder's only.
            const auto vRecord = m_names.SealFolderRecord(PARENT, strName);
            EXPECT_EQ(m_names.OpenFolderRecord(PARENT, vRecord.data(), vRecord.size(), &strPlain),
                      NAME_OK);
            EXPECT_EQ(strPlain, strName);
            // Nothing of the plain name shows: no byte above 127, no piece
            // of three; the length alone depends on the name.
            for (std::size_t i = 0; i + 3 <= strName.size(); ++i)
                EXPECT_EQ(strDisk.find(strName.substr(i, 3)), std::string::npos) << i;
            for (unsigned char c : strDisk) EXPECT_LT(c, 0x80);
            EXPECT_EQ(strDisk.size(), bLong ? NAME_SHORT_SIZE + (kind == NAME_FILE ? 2 : 0)
                                            : SealedNameLength(kind, strName.size()));
        }
    }
    EXPECT_EQ(Sealed(NAME_FOLDER, cjk39 + "ab").size(), NAME_MAX_BYTES);
    EXPECT_EQ(Sealed(NAME_FILE, cjk39 + "a").size(), NAME_MAX_BYTES);
}

TEST_F(NameCipherTest, AFolderIsAlwaysSealedAlikeAndAFileNeverTwice) {
    for (const std::string& strName : {std::string("资料"), Repeat("长", 85)}) {
        const std::string strFolder = Sealed(NAME_FOLDER, strName, "文档保险柜");
        CNameCipher again;
        ASSERT_TRUE(again.Init(MasterFrom(0)));  // the same vault on another machine
        std::string strAgain;
        again.SealName(NAME_FOLDER, "文档保险柜", strName, &strAgain);
        EXPECT_EQ(strAgain, strFolder);
        EXPECT_NE(Sealed(NAME_FOLDER, strName, "文档保险柜/资料"), strFolder);
        EXPECT_NE(Sealed(NAME_FILE, strName), Sealed(NAME_FILE, strName));
    }
    EXPECT_NE(Sealed(NAME_FOLDER, "资料"), Sealed(NAME_FOLDER, "资料 "));
}

TEST_F(NameCipherTest, ANameOpensOnlyInItsFolderAsItsKindUnderItsVaultsKey) {
    const std::string strFolder = Sealed(NAME_FOLDER, "资料"), strFile = Sealed(NAME_FILE, "a.txt");
    EXPECT_EQ(Open(NAME_FOLDER, strFolder, nullptr, "文档保险柜"), NAME_DAMAGED);
    EXPECT_EQ(Open(NAME_FILE, strFile, nullptr, "文档保险柜/资料/资料"), NAME_DAMAGED);
    EXPECT_EQ(Open(NAME_FILE, strFolder + STORED_SUFFIX), NAME_DAMAGED);
    EXPECT_EQ(Open(NAME_FOLDER, strFile.substr(0, strFile.size() - 2)), NAME_DAMAGED);
    // Every character changed in a bit that counts.
    for (const std::string& strDisk : {strFolder, strFile}) {
        const NameKind kind = strDisk == strFile ? NAME_FILE : NAME_FOLDER;
        for (std::size_t i = 0; i < strDisk.size() - (kind == NAME_FILE ? 2 : 0); ++i) {
            std::string strChanged = strDisk;
            const char c = strChanged[i];
            const int nValue = (c >= 'a' ? c - 'a' : c - '2' + 26) ^ 16;
            strChanged[i] = static_cast<char>(nValue < 26 ? 'a' + nValue : '2' + nValue - 26);
            EXPECT_EQ(Open(kind, strChanged), NAME_DAMAGED) << i;
        }
    }
    CNameCipher other;
    ASSERT_TRUE(other.Init(MasterFrom(1)));
    std::string strPlain;
    EXPECT_EQ(other.OpenName(NAME_FOLDER, PARENT, strFolder, &strPlain), NAME_DAMAGED);
    EXPECT_EQ(other.OpenName(NAME_FILE, PARENT, strFile, &strPlain), NAME_DAMAGED);
    EXPECT_EQ(strPlain, "");

    // A folder name sealed under another nonce than its own opens nowhere.
    CSecretBytes master = MasterFrom(0), key(32);
    crypto_kdf_derive_from_key(key.Data(), 32, PFF_KDF_ID_NAMES, PFF_KDF_CONTEXT, master.Data());
    const std::string strAd = std::string("D") + PARENT, strName = "资料";
    std::vector<unsigned char> v(NAME_SEALED_OVERHEAD + strName.size(), 0);
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        v.data() + 24, nullptr, reinterpret_cast<const unsigned char*>(strName.data()),
        strName.size(), reinterpret_cast<const unsigned char*>(strAd.data()), strAd.size(), nullptr,
        v.data(), key.Data());
    EXPECT_EQ(Open(NAME_FOLDER, EncodeBase32(v.data(), v.size())), NAME_DAMAGED);

    // A record opens only in its parent, whole, under its key; one of
    // another long folder opens but does not name this one.
    const std::string strLong = Repeat("长", 85), strOther = Repeat("短", 85);
    const auto vRecord = m_names.SealFolderRecord(PARENT, strLong);
    EXPECT_EQ(m_names.OpenFolderRecord("文档保险柜", vRecord.data(), vRecord.size(), &strPlain),
              NAME_DAMAGED);
    EXPECT_EQ(other.OpenFolderRecord(PARENT, vRecord.data(), vRecord.size(), &strPlain),
              NAME_DAMAGED);
    for (std::size_t i = 0; i < vRecord.size(); ++i) {
        auto vChanged = vRecord;
        vChanged[i] ^= 4;
        EXPECT_EQ(m_names.OpenFolderRecord(PARENT, vChanged.data(), vChanged.size(), &strPlain),
                  i <= NAME_RECORD_OFFSET_VERSION ? NAME_NOT_SEALED : NAME_DAMAGED)
            << i;
    }
    for (std::size_t n : {0ul, 4ul, 5ul, 45ul, vRecord.size() - 1})
        EXPECT_NE(m_names.OpenFolderRecord(PARENT, vRecord.data(), n, &strPlain), NAME_OK) << n;
    EXPECT_EQ(strPlain, "");
    EXPECT_TRUE(m_names.IsShortFolderNameOf(PARENT, strLong, Sealed(NAME_FOLDER, strLong)));
    EXPECT_FALSE(m_names.IsShortFolderNameOf(PARENT, strLong, Sealed(NAME_FOLDER, strOther)));
}

TEST_F(NameCipherTest, RefusesBadPlainNamesAndWhatNoWriterMakes) {
    std::string strDisk = "unchanged";
    for (const std::string& strName :
         {std::string(), std::string("."), std::string(".."), std::string("a/b"),
          std::string("a\0b", 3), Repeat("x", 256), std::string("\xff"), std::string("\xc0\xaf"),
          std::string("\xed\xa0\x80"), std::string("\xe6\x96")}) {
        EXPECT_EQ(m_names.SealName(NAME_FILE, PARENT, strName, &strDisk), NAME_BAD_PLAIN);
        EXPECT_TRUE(m_names.SealFolderRecord(PARENT, strName).empty());
    }
    for (const char* pszParent : {"", "/文档保险柜", "文档保险柜/", "文档保险柜//资料", "a/../b"}) {
        EXPECT_EQ(m_names.SealName(NAME_FOLDER, pszParent, "a", &strDisk), NAME_BAD_PLAIN);
        EXPECT_EQ(Open(NAME_FOLDER, Sealed(NAME_FOLDER, "a"), nullptr, pszParent), NAME_BAD_PLAIN);
    }
    EXPECT_EQ(strDisk, "unchanged");

    const std::string strFolder = Sealed(NAME_FOLDER, "资料"), strFile = Sealed(NAME_FILE, "a.txt");
    std::string strUpper = strFolder;
    for (char& c : strUpper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string strShort = Sealed(NAME_FOLDER, Repeat("x", 200));
    for (const auto& [kind, strName] : std::initializer_list<std::pair<NameKind, std::string>>{
             {NAME_FOLDER, FOLDER_NAME_RECORD},
             {NAME_FILE, FOLDER_NAME_RECORD},
             {NAME_FOLDER, "notes"},
             {NAME_FILE, "notes.txt"},
             {NAME_FILE, ".$"},
             {NAME_FOLDER, strUpper},
             {NAME_FILE, strFile.substr(0, strFile.size() - 2)},
             {NAME_FOLDER, strFile},
             {NAME_FOLDER, strFolder + "a"},
             {NAME_FOLDER, strFolder.substr(0, 8)},
             {NAME_FOLDER, Repeat("a", 256)},
             {NAME_FOLDER, strShort + "a"},
             {NAME_FOLDER, strShort.substr(0, 32)},
             {NAME_FILE, strShort},
             {NAME_FOLDER, "1" + strShort}}) {
        EXPECT_EQ(Open(kind, strName), NAME_NOT_SEALED) << strName;
    }

    CNameCipher none;
    EXPECT_FALSE(none.Init(CSecretBytes(31)));
    EXPECT_FALSE(none.HasKeys());
    EXPECT_EQ(none.SealName(NAME_FOLDER, PARENT, "a", &strDisk), NAME_NO_CRYPTO);
    m_names.Wipe();
    EXPECT_EQ(Open(NAME_FOLDER, strFolder), NAME_NO_CRYPTO);
    EXPECT_EQ(m_names.OpenFolderRecord(PARENT, nullptr, 0, &strDisk), NAME_NO_CRYPTO);
    EXPECT_FALSE(m_names.IsShortFolderNameOf(PARENT, Repeat("x", 200), strShort));
}

// tests/data/protected/names.txt: the master key 00 .. 1F, random bytes
// counted from 00 for every entry (tests/data/README.md).
TEST_F(NameCipherTest, SealsTheReferenceNamesOfTestsData) {
    std::ifstream in(std::string(QUOVEX_TEST_DATA_DIR) + "/protected/names.txt");
    ASSERT_TRUE(in);
    std::size_t nEntries = 0;
    for (std::string strLine; std::getline(in, strLine);) {
        if (strLine.empty() || strLine[0] == '#') continue;
        std::vector<std::string> fields;
        std::istringstream line(strLine);
        for (std::string strField; std::getline(line, strField, '\t');) fields.push_back(strField);
        ASSERT_EQ(fields.size(), 4u) << strLine;
        const auto& [strKind, strParent, strName, strDisk] =
            std::tie(fields[0], fields[1], fields[2], fields[3]);
        SCOPED_TRACE(strKind + " " + strName);
        const CCountedRandom counted(0);
        std::string strPlain;
        if (strKind == "record") {
            const auto vRecord = m_names.SealFolderRecord(strParent, strName);
            EXPECT_EQ(Hex(vRecord), strDisk);
        } else {
            const NameKind kind = strKind == "folder" ? NAME_FOLDER : NAME_FILE;
            const bool bLong = !NameFitsSealed(kind, strName.size());
            EXPECT_EQ(Sealed(kind, strName, strParent), strDisk);
            EXPECT_EQ(Open(kind, strDisk, &strPlain, strParent), bLong ? NAME_LONG : NAME_OK);
            EXPECT_EQ(strPlain, bLong ? "" : strName);
        }
        ++nEntries;
    }
    EXPECT_EQ(nEntries, 9u);
}
