// The box folders, folder creation, the folder walks with dot-names and
// links, the 64-bit totals and the size texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "StoredFileFormat.h"
#include "TestFiles.h"
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

}  // namespace

// Megabytes are worked out from whole kilobytes: 1054700 bytes are 1029 KB.
TEST(FormatSizeTextTest, ShowsBytesKilobytesAndMegabytes) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 字节( 0 字节)"},
        {1023, "1023 字节( 1023 字节)"},
        {1024, "1.00 KB( 1024 字节)"},
        {5000, "4.00 KB( 5000 字节)"},
        {1023999, "999.00 KB( 1023999 字节)"},
        {1024000, "0.98 MB( 1024000 字节)"},
        {1048576, "1.00 MB( 1048576 字节)"},
        {1054700, "1.00 MB( 1054700 字节)"},
        {1500000, "1.43 MB( 1500000 字节)"},
        {2147483648ull, "2048.00 MB( 2147483648 字节)"},
        {5000000000ull, "4768.37 MB( 5000000000 字节)"}};
    for (const auto& [nBytes, pszText] : cases) EXPECT_EQ(FormatSizeText(nBytes), pszText);
}

// The box folder names are the vault's layout on disk; the folders made
// for it are private.
TEST(FolderCreationTest, MakesTheFoldersAboveAPathAndTheLocationWithItsFourBoxes) {
    const char* names[] = {"FileBox", "ImageBox", "VideoBox", "OtherBox"};
    for (int i = 0; i < BOX_COUNT; ++i) EXPECT_EQ(BoxIndex(names[i]), i);
    EXPECT_EQ(BoxIndex("filebox"), -1);
    CTempDir tmp;
    for (std::string strVault : {tmp / "p/q/vault", tmp / "v2/"}) {
        EXPECT_EQ(CreateBoxFolders(strVault), 1);
        for (int i = 0; i < BOX_COUNT; ++i) {
            const std::string strBox = BoxFolderPath(strVault, i);
            EXPECT_EQ(strBox, fs::path(strVault) / names[i]);
            EXPECT_EQ(ModeOf(strBox), 0700u) << strBox;
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(strVault), {}), BOX_COUNT);
    }
    EXPECT_EQ(ModeOf(tmp / "p"), 0700u);
    EXPECT_EQ(BoxFolderPath(tmp / "v2/", 0), tmp / "v2/FileBox");

    CreateDirectoryPath(tmp / "a/b/c.txt");
    CreateDirectoryPath(tmp / "a/b/c.txt");  // existing folders are fine
    CreateDirectoryPath(tmp / "x/y/");
    EXPECT_EQ(SnapshotTree(tmp / "a"), (Tree{{"b/", {}}}));
    EXPECT_TRUE(fs::is_directory(tmp / "x/y"));
}

TEST(FindFirstStoredFileTest, FindsFilesWhoseExtensionBeginsWithDollar) {
    CTempDir tmp;
    EXPECT_EQ(FindFirstStoredFile(tmp / "missing"), "");
    CreateBoxFolders(tmp / "v");
    WriteBytes(tmp / "v/FileBox/a.txt", {1});
    WriteBytes(tmp / "v/FileBox/a$", {1});
    fs::create_directories(tmp / "v/ImageBox/dir.$");  // a folder, not a stored file
    EXPECT_EQ(FindFirstStoredFile(tmp / "v"), "");

    WriteBytes(tmp / "v/VideoBox/deep/er/clip.$abc", {1});
    EXPECT_EQ(FindFirstStoredFile(tmp / "v"), tmp / "v/VideoBox/deep/er/clip.$abc");
    EXPECT_EQ(FindFirstStoredFile(tmp / "v/VideoBox/"), tmp / "v/VideoBox/deep/er/clip.$abc");
}

// Every walk passes over dot-names and never follows a link; only the
// folder a walk starts from may be reached through one.
TEST(FolderWalkTest, DotNamesAreInvisibleAndLinksNeverFollowed) {
    CTempDir tmp;
    WriteStoredHeader(tmp / "outside/victim.$", 500);
    WriteBytes(tmp / "outside/plain", {1});
    WriteStoredHeader(tmp / "t/.hidden.$", 1000);
    WriteStoredHeader(tmp / "t/.dot/inner.$", 1000);
    WriteStoredHeader(tmp / "t/sub/a.$", 7);
    WriteBytes(tmp / "t/sub/.keep", {1});
    WriteBytes(tmp / "t/b/c/d", {2});
    fs::create_directory_symlink(tmp / "outside", tmp / "t/link");
    fs::create_symlink(tmp / "outside/victim.$", tmp / "t/filelink.$");
    fs::create_directory_symlink(tmp / "t", tmp / "t/loop");
    fs::create_directory_symlink(tmp / "t", tmp / "t/b/loop");
    const auto outside = SnapshotTree(tmp / "outside");

    std::map<std::string, EntryKind> visited;
    EXPECT_TRUE(WalkFolder(CVaultEnv::Default(), tmp / "t",
                           [&](const WalkEntry& entry) {
                               return visited.emplace(entry.strPath, entry.kind).second;
                           }));
    EXPECT_EQ(visited,
              (std::map<std::string, EntryKind>{{tmp / "t/b", EntryKind::ENTRY_FOLDER},
                                                {tmp / "t/filelink.$", EntryKind::ENTRY_LINK},
                                                {tmp / "t/link", EntryKind::ENTRY_LINK},
                                                {tmp / "t/loop", EntryKind::ENTRY_LINK},
                                                {tmp / "t/sub", EntryKind::ENTRY_FOLDER}}));
    EXPECT_EQ(FindFirstStoredFile(tmp / "t"), tmp / "t/sub/a.$");
    EXPECT_EQ(GetStoredTotalSize(tmp / "t"), 7u);
    EXPECT_EQ(GetStoredTotalSize(tmp / "t/link"), 500u);
    EXPECT_EQ(GetFolderLength(tmp / "t"), SFF_HEADER_SIZE + 1);
    EXPECT_EQ(GetPathLength(tmp / "t/filelink.$") + GetFileLength(tmp / "t/filelink.$"), 0u);
    EXPECT_EQ(GetPathLength(tmp / "t/link"), 0u);
    fs::remove(tmp / "t/sub/a.$");
    EXPECT_EQ(FindFirstStoredFile(tmp / "t"), "");

    EXPECT_EQ(DeleteFolderTree(tmp / "missing"), 0);
    EXPECT_EQ(DeleteFolderTree(tmp / "t/"), 1);
    EXPECT_EQ(SnapshotTree(tmp / "outside"), outside);
    // Only the dot entries are left, with the folders that hold them.
    std::vector<std::string> vLeft;
    for (const auto& entry : SnapshotTree(tmp / "t")) vLeft.push_back(entry.first);
    EXPECT_EQ(vLeft, (std::vector<std::string>{".dot/", ".dot/inner.$", ".hidden.$", "sub/",
                                               "sub/.keep"}));
}

// Stored files count whatever their extension, other files nothing; neither
// total wraps at 32 bits.
TEST(FolderSizesTest, AddUpIn64Bits) {
    CTempDir tmp;
    EXPECT_EQ(GetPathLength(tmp / "missing"), 0u);
    EXPECT_EQ(GetFolderLength(tmp / "missing"), 0u);
    EXPECT_EQ(GetStoredTotalSize(tmp / "missing"), 0u);
    WriteStoredHeader(tmp / "s/a.$", 0xFFFFFFF0u);
    WriteStoredHeader(tmp / "s/x/renamed.bin", 0x20);
    WriteBytes(tmp / "s/plain.txt", Bytes(10, 'n'));
    WriteBytes(tmp / "s/short.$", {'Q', 'U', 'O', 'V', 'E'});
    EXPECT_EQ(GetStoredTotalSize(tmp / "s"), 0x100000010ull);

    for (const char* pszName : {"big/one", "big/sub/two"}) {
        WriteBytes(tmp / pszName, {});
        fs::resize_file(tmp / pszName, 3ull << 30);  // sparse
    }
    EXPECT_EQ(GetFileLength(tmp / "big/one"), 3ull << 30);
    EXPECT_EQ(GetPathLength(tmp / "big/sub/two"), 3ull << 30);
    EXPECT_EQ(GetPathLength(tmp / "big"), 6ull << 30);
}
