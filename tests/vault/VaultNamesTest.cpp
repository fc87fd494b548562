// The vault's names on disk and back: visible and hidden names, long ones
// through their records or the places of the files below, and what a
// listing makes of names that are not the vault's or do not open here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "TestFiles.h"
#include "VaultNames.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

CSecretBytes MasterKey(unsigned char nFirst) {
    CSecretBytes master(32);
    for (std::size_t i = 0; i < master.Size(); ++i)
        master.Data()[i] = static_cast<unsigned char>(nFirst + i);
    return master;
}

// Places recorded by hand: the test's stand-in for stored files' sealed metadata.
struct CPlaces {
    std::map<std::string, std::string> byDisk;
    PlaceReader Reader() const {
        return [this](CFolder&, const std::string& strDisk) {
            const auto it = byDisk.find(strDisk);
            return it == byDisk.end() ? std::string() : it->second;
        };
    }
};

std::vector<PlainEntry> List(const std::string& strFolder, const std::string& strParent,
                             const CVaultNames& names, const PlaceReader& fnPlace) {
    std::vector<PlainEntry> v;
    const FolderPtr pFolder = CVaultEnv::Default()->OpenFolder(strFolder);
    EXPECT_TRUE(pFolder && ListPlainEntries(*pFolder, strParent, names, fnPlace, &v));
    std::sort(v.begin(), v.end(),
              [](const PlainEntry& a, const PlainEntry& b) { return a.strPlain < b.strPlain; });
    return v;
}

}  // namespace

// Visible names are the plain ones; a file that is no stored file is none
// of the vault's. Hidden names keep nothing of the plain name, one folder
// is one folder however often it is made, and a file stored twice lies
// under two names, both found as versions of its plain name.
TEST(VaultNamesTest, FoldersAreMadeOnceAndEveryStoreHasANameOfItsOwn) {
    CTempDir tmp;
    CVaultEnv* pEnv = CVaultEnv::Default();
    const CVaultNames visible;
    EXPECT_EQ(visible.FolderOnDisk("FileBox", "资料"), "资料");
    EXPECT_EQ(visible.NewFileOnDisk("FileBox", "a.doc"), "a.doc.$");
    EXPECT_EQ(visible.NewFileOnDisk("FileBox", "a/b"), "");
    fs::create_directories(tmp / "v/FileBox");
    WriteBytes(tmp / "v/FileBox/a.doc.$", {1});
    WriteBytes(tmp / "v/FileBox/notes.txt", {1});
    const std::vector<PlainEntry> vVisible = List(tmp / "v/FileBox", "FileBox", visible, nullptr);
    ASSERT_EQ(vVisible.size(), 1u);
    EXPECT_EQ(vVisible[0].strPlain, "a.doc");

    CVaultNames hidden;
    ASSERT_TRUE(hidden.HideWith(MasterKey(0)));
    std::string strDisk;
    const FolderPtr pMade =
        MakePlainFolder(pEnv, tmp / "v/FileBox", "FileBox", "2026年体检", hidden, &strDisk);
    ASSERT_TRUE(pMade);
    std::string strAgain;
    EXPECT_TRUE(
        MakePlainFolder(pEnv, tmp / "v/FileBox", "FileBox", "2026年体检", hidden, &strAgain));
    EXPECT_EQ(strAgain, strDisk);
    const std::string strFolder = "FileBox/2026年体检";
    const std::string strFirst = hidden.NewFileOnDisk(strFolder, "报告.pdf");
    const std::string strSecond = hidden.NewFileOnDisk(strFolder, "报告.pdf");
    EXPECT_NE(strFirst, strSecond);
    for (const std::string& str : {strDisk, strFirst, strSecond}) {
        EXPECT_EQ(str.find("体检"), std::string::npos);
        EXPECT_EQ(str.find("报告"), std::string::npos);
    }
    WriteBytes(strDisk + "/" + strFirst, {1});
    WriteBytes(strDisk + "/" + strSecond, {2});
    WriteBytes(strDisk + "/报告.pdf.$", {3});  // a plain name is none of this vault's
    const std::vector<std::string> vVersions =
        FindStoredVersions(*pMade, strFolder, "报告.pdf", hidden, nullptr);
    EXPECT_EQ(vVersions.size(), 2u);
    EXPECT_TRUE(FindStoredVersions(*pMade, "FileBox", "报告.pdf", hidden, nullptr).empty());
    // Another vault's names, or these under another parent, do not open.
    CVaultNames other;
    ASSERT_TRUE(other.HideWith(MasterKey(1)));
    for (const PlainEntry& entry : List(strDisk, strFolder, other, nullptr))
        EXPECT_EQ(entry.nState, PlainState::PLAIN_UNREADABLE);
    for (const PlainEntry& entry : List(strDisk, "ImageBox", hidden, nullptr))
        EXPECT_EQ(entry.nState, PlainState::PLAIN_UNREADABLE);
}

// A long folder name lives in the folder's record; with the record lost,
// the place of a file below names it again, but a file moved in from
// another folder does not rename it. A long file's name is its place's.
TEST(VaultNamesTest, LongNamesComeBackFromTheirRecordOrTheFilesBelow) {
    CTempDir tmp;
    CVaultEnv* pEnv = CVaultEnv::Default();
    CVaultNames hidden;
    ASSERT_TRUE(hidden.HideWith(MasterKey(7)));
    fs::create_directories(tmp / "v/FileBox");
    std::string strLong;
    for (int i = 0; i < 85; ++i) strLong += "档";  // 255 bytes
    std::string strDisk;
    ASSERT_TRUE(MakePlainFolder(pEnv, tmp / "v/FileBox", "FileBox", strLong, hidden, &strDisk));
    EXPECT_LE(fs::path(strDisk).filename().string().size(), NAME_MAX_BYTES);
    EXPECT_TRUE(fs::exists(strDisk + "/" + FOLDER_NAME_RECORD));
    const std::string strFolder = "FileBox/" + strLong;
    const std::string strFile = hidden.NewFileOnDisk(strFolder, strLong);
    fs::create_directories(strDisk + "/deeper");
    WriteBytes(strDisk + "/deeper/" + strFile, {1});

    CPlaces places;
    std::vector<PlainEntry> v = List(tmp / "v/FileBox", "FileBox", hidden, places.Reader());
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].strPlain, strLong);
    fs::remove(strDisk + "/" + FOLDER_NAME_RECORD);
    places.byDisk[strFile] = "FileBox/someone else's/" + strLong + "/deeper/x";
    v = List(tmp / "v/FileBox", "FileBox", hidden, places.Reader());
    EXPECT_EQ(v[0].nState, PlainState::PLAIN_UNREADABLE);
    places.byDisk[strFile] = strFolder + "/deeper/" + strLong;
    v = List(tmp / "v/FileBox", "FileBox", hidden, places.Reader());
    EXPECT_EQ(v[0].strPlain, strLong);
    v = List(strDisk + "/deeper", strFolder + "/deeper", hidden, places.Reader());
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].strPlain, strLong);
}
