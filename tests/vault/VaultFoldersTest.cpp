// The box table, folder creation, the folder walks with dot-names and links,
// and the size texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "StoredFileFormat.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "VaultCipher.h"
#include "VaultFolders.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

// A stored file whose header records nPlainSize; the body is not needed.
void WriteStoredHeader(const std::string& strPath, std::uint32_t nPlainSize) {
    StoredFileHeader header;
    header.nPlainSize = nPlainSize;
    Bytes v(SFF_HEADER_SIZE);
    EncodeHeader(header, v.data());
    WriteBytes(strPath, v);
}

void MakeSparse(const std::string& strPath, std::uint64_t nSize) {
    WriteBytes(strPath, {});
    fs::resize_file(strPath, nSize);
}

}  // namespace

TEST(FormatSizeTextTest, ShowsBytesKilobytesAndMegabytes) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 字节( 0 字节)"},
        {1023, "1023 字节( 1023 字节)"},
        {1024, "1.00 KB( 1024 字节)"},
        {5000, "4.00 KB( 5000 字节)"},
        {1023999, "999.00 KB( 1023999 字节)"},
        {1024000, "0.98 MB( 1024000 字节)"},
        {1048576, "1.00 MB( 1048576 字节)"},
        {1500000, "1.43 MB( 1500000 字节)"},
        {2147483648ull, "2048.00 MB( 2147483648 字节)"},
        {5000000000ull, "4768.37 MB( 5000000000 字节)"},
    };
    for (const auto& [nBytes, pszText] : cases) EXPECT_EQ(FormatSizeText(nBytes), pszText);
}

TEST(BoxTableTest, NamesTheFourBoxesInOrder) {
    const char* names[] = {"FileBox", "ImageBox", "VideoBox", "OtherBox"};
    const char* captions[] = {"文档保险柜", "图片保险柜", "视频保险柜", "其他保险柜"};
    for (int i = 0; i < BOX_COUNT; ++i) {
        EXPECT_STREQ(BOX_TABLE[i].pszFolder, names[i]);
        EXPECT_STREQ(BOX_TABLE[i].pszCaption, captions[i]);
        EXPECT_EQ(BoxIndex(names[i]), i);
    }
    EXPECT_EQ(BoxIndex("filebox"), -1);
    EXPECT_EQ(BoxIndex(""), -1);
    EXPECT_EQ(BoxFolderPath("/v", BOX_VIDEO), "/v/VideoBox");
    EXPECT_EQ(BoxFolderPath("/v/", BOX_OTHER), "/v/OtherBox");
}

TEST(CreateDirectoryPathTest, CreatesTheFoldersAboveTheLastComponent) {
    CTempDir tmp;
    CreateDirectoryPath(tmp / "a/b/c.txt");
    EXPECT_TRUE(fs::is_directory(tmp / "a/b"));
    EXPECT_FALSE(Exists(tmp / "a/b/c.txt"));
    EXPECT_EQ(ModeOf(tmp / "a"), 0700u);

    CreateDirectoryPath(tmp / "x/y/");
    EXPECT_TRUE(fs::is_directory(tmp / "x/y"));
    CreateDirectoryPath(tmp / "a/b/c.txt");  // existing folders are fine

    const fs::path oldCwd = fs::current_path();
    fs::current_path(tmp.Path());
    CreateDirectoryPath("plain");
    fs::current_path(oldCwd);
    EXPECT_FALSE(Exists(tmp / "plain"));
}

TEST(CreateBoxFoldersTest, CreatesAMissingLocationWithItsBoxes) {
    CTempDir tmp;
    for (std::string strVault : {tmp / "p/q/vault", tmp / "v2/"}) {
        EXPECT_EQ(CreateBoxFolders(strVault), 1);
        for (int i = 0; i < BOX_COUNT; ++i) {
            EXPECT_TRUE(fs::is_directory(BoxFolderPath(strVault, i))) << BoxFolderPath(strVault, i);
            EXPECT_EQ(ModeOf(BoxFolderPath(strVault, i)), 0700u);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(strVault), {}), BOX_COUNT);
    }
    EXPECT_EQ(BoxFolderPath(tmp / "v2/", 0).find("//"), std::string::npos);
}

TEST(FindFirstStoredFileTest, FindsFilesWhoseExtensionBeginsWithDollar) {
    CTempDir tmp;
    EXPECT_EQ(FindFirstStoredFile(tmp / "missing"), "");
    CreateBoxFolders(tmp / "v");
    EXPECT_EQ(FindFirstStoredFile(tmp / "v"), "");
    WriteText(tmp / "v/FileBox/a.txt", "x");
    WriteText(tmp / "v/FileBox/a$", "x");
    fs::create_directories(tmp / "v/ImageBox/dir.$");  // a folder, not a stored file
    EXPECT_EQ(FindFirstStoredFile(tmp / "v"), "");

    WriteText(tmp / "v/VideoBox/deep/er/clip.$abc", "x");
    EXPECT_EQ(FindFirstStoredFile(tmp / "v"), tmp / "v/VideoBox/deep/er/clip.$abc");
    EXPECT_EQ(FindFirstStoredFile(tmp / "v/VideoBox/"), tmp / "v/VideoBox/deep/er/clip.$abc");
}

TEST(FolderWalkTest, DotNamesAreInvisibleToEveryWalk) {
    CTempDir tmp;
    WriteStoredHeader(tmp / "t/.hidden.$", 1000);
    WriteStoredHeader(tmp / "t/.dot/inner.$", 1000);
    WriteStoredHeader(tmp / "t/sub/a.$", 7);
    WriteText(tmp / "t/sub/.keep", "keep");

    EXPECT_EQ(FindFirstStoredFile(tmp / "t"), tmp / "t/sub/a.$");
    EXPECT_EQ(GetStoredTotalSize(tmp / "t"), 7u);
    EXPECT_EQ(GetFolderLength(tmp / "t"), SFF_HEADER_SIZE);
    int nVisits = 0;
    EXPECT_TRUE(WalkFolder(CVaultEnv::Default(), tmp / "t",
                           [&](const std::string& strPath, EntryKind kind) {
                               EXPECT_EQ(strPath, tmp / "t/sub");
                               EXPECT_EQ(kind, EntryKind::ENTRY_FOLDER);
                               return ++nVisits > 0;
                           }));
    EXPECT_EQ(nVisits, 1);

    EXPECT_EQ(DeleteFolderTree(tmp / "t"), 1);
    EXPECT_FALSE(Exists(tmp / "t/sub/a.$"));
    EXPECT_TRUE(Exists(tmp / "t/sub/.keep"));
    EXPECT_TRUE(Exists(tmp / "t/.hidden.$"));
    EXPECT_TRUE(Exists(tmp / "t/.dot/inner.$"));
}

TEST(FolderWalkTest, LinksAreNeverFollowed) {
    CTempDir tmp;
    WriteStoredHeader(tmp / "outside/victim.$", 500);
    WriteText(tmp / "outside/plain", "important");
    WriteStoredHeader(tmp / "t/own.$", 3);
    fs::create_directory_symlink(tmp / "outside", tmp / "t/link");
    fs::create_symlink(tmp / "outside/victim.$", tmp / "t/filelink.$");
    fs::create_directory_symlink(tmp / "t", tmp / "t/loop");
    fs::create_directories(tmp / "t/sub");
    fs::create_directory_symlink(tmp / "t", tmp / "t/sub/loop");

    EXPECT_EQ(GetStoredTotalSize(tmp / "t"), 3u);
    EXPECT_EQ(GetFolderLength(tmp / "t"), SFF_HEADER_SIZE);
    EXPECT_EQ(GetPathLength(tmp / "t/filelink.$"), 0u);
    EXPECT_EQ(GetPathLength(tmp / "t/link"), 0u);
    fs::remove(tmp / "t/own.$");
    EXPECT_EQ(FindFirstStoredFile(tmp / "t"), "");
    // A walk may start from a folder reached through a link.
    EXPECT_EQ(GetStoredTotalSize(tmp / "t/link"), 500u);

    EXPECT_EQ(DeleteFolderTree(tmp / "t"), 1);
    EXPECT_FALSE(Exists(tmp / "t"));
    EXPECT_EQ(ReadBytes(tmp / "outside/plain").size(), 9u);
    EXPECT_TRUE(Exists(tmp / "outside/victim.$"));
}

TEST(DeleteFolderTreeTest, RemovesTheWholeTreeOrNothing) {
    CTempDir tmp;
    EXPECT_EQ(DeleteFolderTree(tmp / "missing"), 0);
    WriteText(tmp / "t/a", "1");
    WriteText(tmp / "t/b/c/d", "2");
    fs::create_directories(tmp / "t/e");
    EXPECT_EQ(DeleteFolderTree(tmp / "t/"), 1);
    EXPECT_FALSE(Exists(tmp / "t"));
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

TEST(FolderSizesTest, AddUpIn64Bits) {
    CTempDir tmp;
    EXPECT_EQ(GetFileLength(tmp / "missing"), 0u);
    EXPECT_EQ(GetPathLength(tmp / "missing"), 0u);
    EXPECT_EQ(GetFolderLength(tmp / "missing"), 0u);
    WriteText(tmp / "plain/a.txt", "not stored");
    WriteText(tmp / "plain/b.$", "QUOVE");
    EXPECT_EQ(GetStoredTotalSize(tmp / "plain"), 0u);
    EXPECT_EQ(GetStoredTotalSize(tmp / "missing"), 0u);

    // Stored files count whatever their extension; the total does not wrap.
    WriteStoredHeader(tmp / "s/a.$", 0xFFFFFFF0u);
    WriteStoredHeader(tmp / "s/x/renamed.bin", 0x20);
    EXPECT_EQ(GetStoredTotalSize(tmp / "s"), 0x100000010ull);

    MakeSparse(tmp / "big/one", 3ull << 30);
    MakeSparse(tmp / "big/sub/two", 3ull << 30);
    EXPECT_EQ(GetFileLength(tmp / "big/one"), 3ull << 30);
    EXPECT_EQ(GetPathLength(tmp / "big"), 6ull << 30);
    EXPECT_EQ(GetPathLength(tmp / "big/sub/two"), 3ull << 30);
}
