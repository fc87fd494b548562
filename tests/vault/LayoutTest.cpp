// The box folders, the folder walks with dot-names and links, what counts
// as a stored file, the 64-bit totals and the size texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Boxes.h"
#include "ConflictNames.h"
#include "FolderWalk.h"
#include "TestFiles.h"
#include "TreeDeletion.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

// The box folder names are the vault's layout on disk; the folders made
// for it, and above it, are private. Every walk passes over dot-names and
// never follows a link; only the folder a walk starts from may be reached
// through one. A stored file is a file whose extension begins with ".$";
// the plain sizes of all files count, whatever their names, and no total
// wraps at 32 bits.
TEST(LayoutTest, BoxesAreMadePrivateAndWalksPassOverDotNamesAndLinksIn64Bits) {
    CTempDir tmp;
    for (std::string strVault : {tmp / "p/q/vault", tmp / "v2/"}) {
        CreateBoxFolders(strVault, CVaultEnv::Default());
        for (const char* pszBox : {"FileBox", "ImageBox", "VideoBox", "OtherBox"})
            EXPECT_EQ(ModeOf(strVault + "/" + pszBox), 0700u) << pszBox;
        EXPECT_EQ(std::distance(fs::directory_iterator(strVault), {}), BOX_COUNT);
    }
    EXPECT_EQ(BoxFolderPath(tmp / "v2/", BOX_VIDEO), tmp / "v2/VideoBox");
    EXPECT_EQ(BoxIndex("filebox"), -1);
    EXPECT_EQ(ModeOf(tmp / "p"), 0700u);

    EXPECT_EQ(FindFirstStoredFile(tmp / "missing", CVaultEnv::Default()), "");
    EXPECT_EQ(GetStoredTotalSize(tmp / "missing", CVaultEnv::Default()), 0u);
    EXPECT_EQ(GetFolderLength(tmp / "missing", CVaultEnv::Default()) +
                  GetPathLength(tmp / "missing", CVaultEnv::Default()),
              0u);
    WriteStored(tmp / "outside/victim.$", 500);
    WriteStored(tmp / "t/.hidden.$", 1000);
    WriteStored(tmp / "t/.dot/inner.$", 1000);
    WriteStored(tmp / "t/sub/a.$x", 0xFFFFFFF0u);
    WriteBytes(tmp / "t/sub/.keep", {1});
    WriteBytes(tmp / "t/sub/big", {});
    fs::resize_file(tmp / "t/sub/big", 5ull << 30);  // sparse
    WriteStored(tmp / "t/b/c/renamed.bin", 0x20);
    WriteBytes(tmp / "t/b/c/d$", {2});
    fs::create_directories(tmp / "t/b/dir.$");  // a folder, not a stored file
    fs::create_directory_symlink(tmp / "outside", tmp / "t/link");
    fs::create_symlink(tmp / "outside/victim.$", tmp / "t/filelink.$");
    fs::create_directory_symlink(tmp / "t", tmp / "t/b/loop");
    const auto outside = SnapshotTree(tmp / "outside");

    EXPECT_EQ(FindFirstStoredFile(tmp / "t/", CVaultEnv::Default()), tmp / "t/sub/a.$x");
    EXPECT_EQ(GetStoredTotalSize(tmp / "t", CVaultEnv::Default()), 0x100000010ull);
    EXPECT_EQ(GetStoredTotalSize(tmp / "t/link", CVaultEnv::Default()), 500u);
    EXPECT_EQ(GetPathLength(tmp / "t", CVaultEnv::Default()),
              (5ull << 30) + 2 * SFF_HEADER_SIZE + 1);
    EXPECT_EQ(GetPathLength(tmp / "t/filelink.$", CVaultEnv::Default()) +
                  GetFileLength(tmp / "t/filelink.$", CVaultEnv::Default()),
              0u);
    EXPECT_EQ(GetPathLength(tmp / "t/link", CVaultEnv::Default()), 0u);
    fs::remove(tmp / "t/sub/a.$x");
    EXPECT_EQ(FindFirstStoredFile(tmp / "t", CVaultEnv::Default()), "");

    EXPECT_EQ(DeleteFolderTree(tmp / "missing", CVaultEnv::Default()), 0);
    EXPECT_EQ(DeleteFolderTree(tmp / "t/", CVaultEnv::Default()), 1);
    EXPECT_EQ(SnapshotTree(tmp / "outside"), outside);
    // Only the dot entries are left, with the folders that hold them.
    std::vector<std::string> vLeft;
    for (const auto& entry : SnapshotTree(tmp / "t")) vLeft.push_back(entry.first);
    EXPECT_EQ(vLeft, (std::vector<std::string>{".dot/", ".dot/inner.$", ".hidden.$", "sub/",
                                               "sub/.keep"}));
}

// A conflict copy is read back to the name it is a version of, for every
// engine's pattern and for dot-names, whose whole name is their extension;
// names that only look alike are not conflict copies.
TEST(LayoutTest, ConflictCopiesOfTheEnginesAreReadBackToTheirOriginalName) {
    struct Case {
        const char* pszName;
        const char* pszOriginal;
        const char* pszDevice;
        const char* pszWhen;
    };
    const Case cases[] = {
        {"report.txt.sync-conflict-20261209-022408-S3MHZRP.$", "report.txt.$", "S3MHZRP",
         "20261209-022408"},
        {"abcd2345.sync-conflict-20261209-022408-S3MHZRP.$", "abcd2345.$", "S3MHZRP",
         "20261209-022408"},
        {".sync-conflict-20261209-022408-ABCDEF7.quovex-key", ".quovex-key", "ABCDEF7",
         "20261209-022408"},
        {".quovex-key.sync-conflict-20261209-022408-ABCDEF7.2", ".quovex-key.2", "ABCDEF7",
         "20261209-022408"},
        {"folder.sync-conflict-20261209-022408-ABCDEF7", "folder", "ABCDEF7", "20261209-022408"},
        {"report (conflicted copy 2026-12-09 022408).txt.$", "report.txt.$", "",
         "2026-12-09 022408"},
        {"report (conflicted copy anna 2026-12-09 022408).txt", "report.txt", "anna",
         "2026-12-09 022408"},
        {"report (Anna's conflicted copy 2026-12-09).txt", "report.txt", "Anna", "2026-12-09"},
        {".quovex-key (Anna's conflicted copy 2026-12-09 1)", ".quovex-key", "Anna", "2026-12-09"},
    };
    for (const Case& c : cases) {
        quovex::ConflictCopyName copy;
        ASSERT_TRUE(quovex::ReadConflictCopyName(c.pszName, &copy)) << c.pszName;
        EXPECT_EQ(copy.strOriginal, c.pszOriginal) << c.pszName;
        EXPECT_EQ(copy.strDevice, c.pszDevice) << c.pszName;
        EXPECT_EQ(copy.strWhen, c.pszWhen) << c.pszName;
    }
    for (const char* pszName :
         {"report.txt.$", "notes (conflicted copy).txt", "a.sync-conflict-2026-x.$",
          "a.sync-conflict-20261209-022408-SHORT.$", "a.sync-conflict-20261209-022408-ABCDEF7x",
          ".sync-conflict-20261209-022408-ABCDEF7", "x (conflicted copy 2026-12-09)tail"}) {
        quovex::ConflictCopyName copy;
        EXPECT_FALSE(quovex::ReadConflictCopyName(pszName, &copy)) << pszName;
    }
}
