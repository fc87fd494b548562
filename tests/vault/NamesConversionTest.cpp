// Hiding the names of a protected vault with visible names, on each kind
// of file system: every name sealed, every file restored under its plain
// name, and a run killed at any change leaving every file restorable under
// its own name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "Boxes.h"
#include "FileStoreFixture.h"
#include "NamesConversion.h"
#include "ProtectedFormat.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "VaultKey.h"
#include "VaultNames.h"
#include "VaultTransfer.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;
using enum FailReason;

namespace {

// n Chinese characters of three UTF-8 bytes each.
std::string Chinese(std::size_t n) {
    std::string str;
    for (std::size_t i = 0; i < n; ++i) str += i % 2 ? "资" : "料";
    return str;
}

// 85 characters: 255 bytes, the longest folder name a disk holds, far
// beyond what a sealed name keeps; a stored file's 84 (252 bytes and ".$").
const std::string LONG_FOLDER = Chinese(85);
const std::string LONG_FILE = Chinese(84);

// m_key: the vault's master key, names visible (the key record's version 1).
class NamesConversionTest : public FileStoreFixture,
                            public ::testing::WithParamInterface<FileSystemKind> {
protected:
    NamesConversionTest() : FileStoreFixture(0x5D) {}
    void SetUp() override {
        m_env.ActAs(GetParam());
        CSecretBytes master(m_key.MasterKey().Size());
        std::copy_n(m_key.MasterKey().Data(), master.Size(), master.Data());
        m_hiddenKey.SetMasterKey(std::move(master), true);
    }

    std::string Vault() const { return m_tmp / ("V" + std::to_string(m_nVault)); }
    void NewVault() {
        ++m_nVault;
        CreateBoxFolders(Vault(), CVaultEnv::Default());
        m_plain.clear();
    }
    // The stored file of the plain place strPlace ("FileBox/资料/a.doc") under visible names.
    std::string Disk(const std::string& strPlace) const {
        return Vault() + "/" + strPlace + STORED_SUFFIX;
    }
    Bytes NextContent(std::size_t nSize) {
        return RandomBytes(nSize, static_cast<unsigned>(m_nVault * 1000 + m_plain.size()));
    }
    // Stored as a store of visible names makes it (version 2, its place recorded).
    void Store(const std::string& strPlace, std::size_t nSize) {
        const Bytes vPlain = NextContent(nSize);
        const std::string strSource = m_tmp / ("src/" + std::to_string(m_plain.size()));
        WriteBytes(strSource, vPlain);
        ASSERT_TRUE(StoreWith(m_key, strSource, Disk(strPlace))) << strPlace;
        m_plain[strPlace] = vPlain;
    }
    // Stored by an earlier writer: version 1 without a place (bSourceTime
    // false), or version 2 with a source time and no place.
    void StoreUnplaced(const std::string& strPlace, std::size_t nSize, bool bSourceTime) {
        const Bytes vPlain = NextContent(nSize);
        fs::create_directories(fs::path(Disk(strPlace)).parent_path());
        const FolderPtr pFolder = m_env.OpenFolder(fs::path(Disk(strPlace)).parent_path());
        ASSERT_TRUE(pFolder);
        const auto pTarget =
            pFolder->CreateFileFor(fs::path(Disk(strPlace)).filename().string(), 0600);
        ProtectedMetadata metadata;
        metadata.nPlainSize = vPlain.size();
        metadata.nStoredTime = 1700000000;
        metadata.nMode = 0644;
        metadata.strSourcePath = "/home/u/" + std::to_string(m_plain.size());
        metadata.strSummary = "摘要";
        if (bSourceTime) metadata.nSourceNanos = 5;
        // As builds that named no vault wrote them: the first version holds no place.
        CVaultKey unnamed("", "");
        unnamed.SetMasterKey(m_key.MasterKey().Clone());
        const CProtectedFormat format(unnamed, StreamSizes());
        CProtectedWriter writer(format, *pTarget);
        ASSERT_EQ(writer.Begin(metadata).nOutcome, FileOutcome::FILE_DONE);
        ASSERT_TRUE(writer.Append(vPlain.data(), vPlain.size()));
        ASSERT_EQ(writer.Finish().nOutcome, FileOutcome::FILE_DONE);
        ASSERT_EQ(pTarget->Commit(false), CommitResult::COMMIT_DONE);
        m_plain[strPlace] = vPlain;
    }

    RunOutcome Hide() {
        m_job = HideNamesJob{Vault(), &m_key, &m_env, {}};
        m_nOutcome = HideNamesWorker(m_feedback, m_job);
        return m_nOutcome;
    }
    bool AllHidden() const { return AllNamesHidden(m_nOutcome, m_job); }

    // Every stored file on disk restored on its own with the key of visible
    // names (as the vault opens while its record says so), into an empty
    // folder: it comes back under the plain name of its place, and each
    // file of m_plain is met exactly once.
    void ExpectEachRestoresUnderItsName(std::int64_t nStop) {
        std::map<Bytes, std::string> byContent;
        for (const auto& [strPlace, vPlain] : m_plain) byContent[vPlain] = strPlace;
        std::set<std::string> met;
        for (const auto& entry : fs::recursive_directory_iterator(Vault())) {
            const std::string strName = entry.path().filename().string();
            if (entry.is_symlink() || !entry.is_regular_file() || strName[0] == '.' ||
                !strName.ends_with(STORED_SUFFIX))
                continue;
            const std::string strOut = m_tmp / "out";
            fs::remove_all(strOut);
            fs::create_directory(strOut);
            EXPECT_TRUE(RestoreWith(m_key, entry.path(), strOut + "/" + strName))
                << entry.path() << " " << nStop;
            const auto it = fs::directory_iterator(strOut);
            ASSERT_NE(it, fs::directory_iterator()) << entry.path() << " " << nStop;
            const auto found = byContent.find(ReadBytes(it->path()));
            ASSERT_NE(found, byContent.end()) << entry.path() << " " << nStop;
            EXPECT_EQ(it->path().filename().string(), fs::path(found->second).filename().string())
                << nStop;
            EXPECT_TRUE(met.insert(found->second).second) << found->second << " " << nStop;
        }
        fs::remove_all(m_tmp / "out");
        EXPECT_EQ(met.size(), m_plain.size()) << nStop;
    }
    // With names hidden, each box restored whole gives back m_plain under
    // its plain folders and names.
    void ExpectHiddenVaultRestores(std::int64_t nStop) {
        const std::string strOut = m_tmp / "plain";
        fs::remove_all(strOut);
        CVaultTransfer transfer(m_hiddenKey, CVaultEnv::Default());
        TransferReport report;
        RunContext run{nullptr, 0, 0, &report};
        for (int nBox = 0; nBox < BOX_COUNT; ++nBox)
            transfer.RestoreItem(BoxFolderPath(Vault(), nBox), strOut, run);
        EXPECT_TRUE(report.vFailed.empty()) << nStop;
        EXPECT_TRUE(report.vAway.empty()) << nStop;
        Tree restored;
        if (fs::exists(strOut))
            for (const auto& [strRel, vBytes] : SnapshotTree(strOut))
                if (strRel.back() != '/') restored[strRel] = vBytes;
        EXPECT_EQ(restored, m_plain) << nStop;
        fs::remove_all(strOut);
    }
    // No name below the box folders is a plain name of m_plain (box
    // folders aside), but for those in vKept.
    void ExpectNoPlainNameLeft(const std::set<std::string>& kept = {}) {
        std::set<std::string> plain;
        for (const auto& [strPlace, vPlain] : m_plain) {
            const fs::path place(strPlace);
            for (auto it = std::next(place.begin()); it != place.end(); ++it) {
                plain.insert(it->string());
                plain.insert(it->string() + STORED_SUFFIX);
            }
        }
        for (const auto& entry : fs::recursive_directory_iterator(Vault())) {
            const std::string strName = entry.path().filename().string();
            if (BoxIndex(strName) >= 0 || kept.count(strName)) continue;
            EXPECT_FALSE(plain.count(strName)) << entry.path();
        }
    }
    // The dot-entries below the temporary folder are name records alone.
    void AcceptNameRecords() {
        m_vDotFiles = FindDotEntries(m_tmp.Path());
        for (const std::string& strDot : m_vDotFiles)
            EXPECT_EQ(fs::path(strDot).filename(), FOLDER_NAME_RECORD) << strDot;
    }

    CVaultKey m_hiddenKey{"user1", "pass1"};
    HideNamesJob m_job;
    RunOutcome m_nOutcome = RunOutcome::RUN_STOPPED;
    int m_nVault = 0;
    Tree m_plain;  // plain place -> plain content
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Fs, NamesConversionTest, ::testing::ValuesIn(ALL_FILE_SYSTEMS),
                         [](const auto& info) { return std::string(info.param.pszName); });

// Nested folders, Chinese names, a folder and a file whose names are too
// long to be kept sealed, an empty folder, files of both earlier versions
// and one renamed by hand; what is no stored file of the vault stays as it
// was, and a second run finds everything hidden.
TEST_P(NamesConversionTest, EveryNameIsHiddenAndEveryFileRestoresUnderItsPlainName) {
    NewVault();
    Store("FileBox/a.txt", 300);
    Store("FileBox/资料/报告.doc", 5000);
    Store("FileBox/资料/深/b.bin", 70000);
    Store("ImageBox/" + LONG_FOLDER + "/照片.png", 10);
    Store("ImageBox/" + LONG_FILE, 0);
    Store("OtherBox/renamed", 20);
    fs::rename(Disk("OtherBox/renamed"), Disk("OtherBox/改名"));
    m_plain["OtherBox/改名"] = m_plain["OtherBox/renamed"];
    m_plain.erase("OtherBox/renamed");
    // Moved by hand to a place its slots have no room for beside its summary.
    Store("OtherBox/s", 30);
    const std::string strMoved = "OtherBox/" + LONG_FOLDER + "/" + LONG_FILE;
    const FileStamp stamp = ReadStoredFileInfo(Disk("OtherBox/s"), CVaultEnv::Default()).stamp;
    ASSERT_EQ(
        WriteStoredSummary(Disk("OtherBox/s"), stamp, Chinese(170), CVaultEnv::Default(), &m_key),
        SummaryWriteResult::SUMMARY_WRITTEN);
    fs::create_directories(fs::path(Disk(strMoved)).parent_path());
    fs::rename(Disk("OtherBox/s"), Disk(strMoved));
    m_plain[strMoved] = m_plain["OtherBox/s"];
    m_plain.erase("OtherBox/s");
    StoreUnplaced("VideoBox/旧/first.mp4", 3000, false);
    StoreUnplaced("VideoBox/second.mp4", 100, true);
    fs::create_directories(Vault() + "/FileBox/空的/" + LONG_FOLDER);
    WriteBytes(Vault() + "/FileBox/.hidden.$", {1});
    WriteBytes(Vault() + "/FileBox/资料/notes.txt", {2});
    fs::create_symlink(Disk("FileBox/a.txt"), Vault() + "/FileBox/link.$");

    EXPECT_EQ(Hide(), RunOutcome::RUN_FINISHED);
    EXPECT_TRUE(AllHidden());
    EXPECT_TRUE(m_job.report.vFailed.empty());
    EXPECT_EQ(m_job.report.nFilesDone, m_plain.size());
    EXPECT_EQ(m_job.nFoldersHidden, 7u);
    EXPECT_EQ(m_job.nPlacesWritten, 2u);   // the renamed one, the one with a time only
    EXPECT_EQ(m_job.nFilesRewritten, 2u);  // the first version's, the one moved
    EXPECT_EQ(m_job.nAlreadyHidden, 0u);
    std::vector<std::string> vAway;
    for (const AwayItem& away : m_job.report.vAway) vAway.push_back(away.strPlace);
    std::ranges::sort(vAway);
    EXPECT_EQ(vAway, (std::vector<std::string>{"OtherBox/renamed", "OtherBox/s"}));
    EXPECT_EQ(m_feedback.m_vPositions.back(), 100);
    EXPECT_EQ(m_feedback.m_vShownBoxes.size(), 4u);
    EXPECT_TRUE(m_feedback.WaitBalanced());
    ExpectNoPlainNameLeft({"notes.txt", "link.$", ".hidden.$"});
    EXPECT_EQ(ReadBytes(Vault() + "/FileBox/.hidden.$"), Bytes{1});
    EXPECT_TRUE(fs::is_symlink(Vault() + "/FileBox/link.$"));
    ExpectHiddenVaultRestores(-1);
    ExpectEachRestoresUnderItsName(-1);
    // The file rewritten keeps what it recorded.
    for (const auto& entry : fs::directory_iterator(Vault() + "/VideoBox")) {
        if (!entry.is_directory()) continue;
        const auto file = *fs::directory_iterator(entry.path());
        const StoredFileInfo info = ReadStoredFileInfo(file.path(), CVaultEnv::Default(), &m_key);
        EXPECT_EQ(info.strSummary, "摘要");
        EXPECT_EQ(info.nMode, 0644u);
        EXPECT_EQ(info.nStoredTime, 1700000000);
        EXPECT_EQ(info.strPlace, "VideoBox/旧/first.mp4");
    }

    // A rename by link and unlink stopped between the two leaves the file
    // under both names: the second run takes the plain one away.
    for (const auto& entry : fs::directory_iterator(Vault() + "/FileBox"))
        if (entry.is_regular_file() && !entry.is_symlink() &&
            entry.path().filename().string()[0] != '.')
            fs::create_hard_link(entry.path(), Disk("FileBox/a.txt"));
    ASSERT_TRUE(Exists(Disk("FileBox/a.txt")));
    m_feedback = CFakeFeedback();
    EXPECT_EQ(Hide(), RunOutcome::RUN_FINISHED);
    EXPECT_TRUE(AllHidden());
    EXPECT_FALSE(Exists(Disk("FileBox/a.txt")));
    EXPECT_EQ(m_job.report.nFilesDone, 0u);
    EXPECT_EQ(m_job.nFoldersHidden, 0u);
    EXPECT_EQ(m_job.nAlreadyHidden, m_plain.size() + 8);
    ExpectHiddenVaultRestores(-1);
    EXPECT_EQ(m_feedback.m_vShownBoxes, std::vector<std::string>{Vault() + "/FileBox"});
    m_vDotFiles = FindDotEntries(m_tmp.Path());
    EXPECT_EQ(m_vDotFiles.size(), 4u);  // the long folders' records, and .hidden.$
}

// Whatever change to the disk a kill stops the run at, every stored file
// restores on its own under its plain name with the vault as its record
// still says, nothing half-made lies about, and a second run finishes.
TEST_P(NamesConversionTest, AKillAtAnyChangeLeavesEveryFileRestorableAndASecondRunFinishes) {
    for (std::int64_t nStop = 0;; ++nStop) {
        NewVault();
        Store("FileBox/一.txt", 100);
        StoreUnplaced("FileBox/子/二.txt", 1, false);
        Store("FileBox/" + LONG_FOLDER + "/三", 200);
        Store("VideoBox/" + LONG_FILE, 3);
        m_env.m_nChanges = 0;
        m_env.m_nStopAfterChanges = nStop;
        Hide();
        const bool bStopped = m_env.m_nChanges > nStop;
        m_env.m_nStopAfterChanges = -1;
        EXPECT_EQ(AllHidden(), !bStopped) << nStop;
        for (const std::string& strDot : FindDotEntries(m_tmp.Path()))
            EXPECT_EQ(fs::path(strDot).filename(), FOLDER_NAME_RECORD) << nStop;
        ExpectEachRestoresUnderItsName(nStop);

        EXPECT_EQ(Hide(), RunOutcome::RUN_FINISHED) << nStop;
        EXPECT_TRUE(AllHidden()) << nStop;
        EXPECT_EQ(m_job.report.nFilesDone + m_job.nAlreadyHidden + m_job.nFoldersHidden,
                  m_plain.size() + 2)
            << nStop;
        ExpectNoPlainNameLeft();
        ExpectHiddenVaultRestores(nStop);
        if (!bStopped || HasFailure()) break;
    }
    AcceptNameRecords();
}

// What cannot be hidden keeps its plain name and is reported, and the
// record may not say the names are hidden: a damaged stored file, a
// scrambled one, a name that is no UTF-8 text, a folder whose sealed name
// is taken (which stays untouched); a cancel, and a key without a master key.
TEST_P(NamesConversionTest, WhatCannotBeHiddenIsReportedAndNothingIsReplaced) {
    NewVault();
    Store("FileBox/ok", 10);
    Store("FileBox/A/in", 10);
    WriteBytes(Disk("FileBox/junk"), Bytes(500, 'j'));
    WriteBytes(m_tmp / "scrambled", {1, 2, 3});
    ASSERT_TRUE(
        StoreWith(CVaultKey("user1", "pass1"), m_tmp / "scrambled", Disk("ImageBox/scrambled")));
    WriteBytes(Vault() + "/OtherBox/\xff.$", {4});
    CVaultNames names;
    ASSERT_TRUE(names.HideWith(m_key.MasterKey()));
    const std::string strTaken = Vault() + "/FileBox/" + names.FolderOnDisk("FileBox", "A");
    WriteBytes(strTaken + "/theirs", {5});

    EXPECT_EQ(Hide(), RunOutcome::RUN_FINISHED);
    EXPECT_FALSE(AllHidden());
    EXPECT_EQ(m_job.nScrambledLeft, 1u);
    EXPECT_EQ(m_job.report.nFilesDone, 2u);
    std::vector<FailedItem> vFailed = m_job.report.vFailed;
    std::ranges::sort(vFailed, {}, &FailedItem::strPath);
    EXPECT_EQ(vFailed,
              (std::vector<FailedItem>{{Vault() + "/FileBox/A", {FAIL_OTHER, EEXIST}},
                                       {Disk("FileBox/junk"), {FAIL_DAMAGED}},
                                       {Vault() + "/OtherBox/\xff.$", {FAIL_PATH_NOT_STORABLE}}}));
    EXPECT_EQ(SnapshotTree(strTaken), (Tree{{"theirs", {5}}}));
    EXPECT_TRUE(Exists(Disk("ImageBox/scrambled")));
    EXPECT_TRUE(Exists(Disk("FileBox/junk")));

    // A slot write torn part way: the place before stays in force, and
    // the file keeps its plain name.
    NewVault();
    StoreUnplaced("FileBox/torn", 10, true);
    m_env.m_nTearUpdateAt = 100;
    EXPECT_EQ(Hide(), RunOutcome::RUN_FINISHED);
    m_env.m_nTearUpdateAt = -1;
    EXPECT_EQ(m_job.report.vFailed,
              (std::vector<FailedItem>{{Disk("FileBox/torn"), {FAIL_IO, EIO}}}));
    EXPECT_TRUE(ReadStoredFileInfo(Disk("FileBox/torn"), CVaultEnv::Default(), &m_key).bTornSlot);
    ExpectEachRestoresUnderItsName(-1);
    EXPECT_EQ(Hide(), RunOutcome::RUN_FINISHED);
    EXPECT_TRUE(AllHidden());
    ExpectHiddenVaultRestores(-1);

    NewVault();
    Store("FileBox/x", 10);
    m_feedback.m_nCancelAfter = 0;
    EXPECT_EQ(Hide(), RunOutcome::RUN_CANCELLED);
    EXPECT_FALSE(AllHidden());
    EXPECT_TRUE(Exists(Disk("FileBox/x")));
    m_feedback = CFakeFeedback();
    m_key.SetMasterKey(CSecretBytes());
    EXPECT_EQ(Hide(), RunOutcome::RUN_STOPPED);
    EXPECT_EQ(m_job.report.vFailed, (std::vector<FailedItem>{{Vault(), {FAIL_NEEDS_KEY}}}));
    EXPECT_TRUE(Exists(Disk("FileBox/x")));
}
