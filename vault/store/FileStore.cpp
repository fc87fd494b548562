#include "FileStore.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Boxes.h"
#include "ChunkIo.h"
#include "FolderChanges.h"
#include "PathText.h"
#include "RestoreTargets.h"
#include "RunContext.h"
#include "TargetCommit.h"
#include "VaultFeedback.h"
#include "VaultKey.h"
#include "VaultNames.h"

namespace quovex {

namespace {

constexpr unsigned STORE_STORED_FILE_MODE = 0600;
constexpr unsigned STORE_PLAIN_FILE_MODE = 0666;  // narrowed by the umask, as cp does

// The absolute path in the normal form storing records, which is also the
// only form a restore accepts.
bool NormalSourcePath(const std::string& strSource, std::string* pPath) {
    std::error_code ec;
    std::string strAbsolute = std::filesystem::absolute(strSource, ec).lexically_normal().string();
    while (strAbsolute.size() > 1 && strAbsolute.back() == PATH_SEPARATOR) strAbsolute.pop_back();
    if (ec) return false;
    *pPath = std::move(strAbsolute);
    return true;
}

// The first read of a stored file takes up to a page: the signature that
// tells its format, its header and, for a small file, its whole body, which
// the format then reads from memory (one read where there were three).
constexpr std::size_t STORED_FIRST_READ = 4096;

// A stored file whose first bytes were read already to tell its format:
// they are read again first, then the rest, as if nothing had been read.
class CPeekedFile final : public CReadableFile {
public:
    explicit CPeekedFile(std::unique_ptr<CReadableFile> pFile) : m_pFile(std::move(pFile)) {}

    // One read of up to STORED_FIRST_READ bytes, completed to the
    // signature's length when it comes back shorter. False on a read error.
    bool ReadHead() {
        std::int64_t nGot = m_pFile->Read(m_head, sizeof m_head);
        if (nGot > 0 && static_cast<std::size_t>(nGot) < STORED_SIGNATURE_PEEK) {
            const std::int64_t nMore = ReadFull(
                *m_pFile, m_head + nGot, STORED_SIGNATURE_PEEK - static_cast<std::size_t>(nGot));
            nGot = nMore < 0 ? nMore : nGot + nMore;
        }
        if (nGot < 0) return false;
        m_nHead = static_cast<std::size_t>(nGot);
        return true;
    }
    const unsigned char* Head() const { return m_head; }
    std::size_t HeadSize() const { return m_nHead; }

    std::int64_t Read(void* pBuffer, std::size_t nCount) override {
        if (m_nPos == m_nHead) return m_pFile->Read(pBuffer, nCount);
        const std::size_t n = std::min(nCount, m_nHead - m_nPos);
        std::memcpy(pBuffer, m_head + m_nPos, n);
        m_nPos += n;
        return static_cast<std::int64_t>(n);
    }
    std::uint64_t Size() const override { return m_pFile->Size(); }
    const FileStamp& OpenStamp() const override { return m_pFile->OpenStamp(); }
    bool GetStamp(FileStamp* pStamp) override { return m_pFile->GetStamp(pStamp); }
    bool GetCreationTime(std::int64_t* pSeconds) override {
        return m_pFile->GetCreationTime(pSeconds);
    }

private:
    std::unique_ptr<CReadableFile> m_pFile;
    unsigned char m_head[STORED_FIRST_READ];
    std::size_t m_nHead = 0;
    std::size_t m_nPos = 0;
};

// The plain file a restore writes: strTarget minus its extension, or the
// path recorded in the stored file.
FileOutcome RestoreTargetPath(const StoredHead& head, const std::string& strTarget, bool bAway,
                              std::string* pPath) {
    if (!strTarget.empty()) {
        // A file renamed or swapped by hand comes back under the name it
        // was stored with, which its sealed place vouches for (a name, never
        // a way out of the target folder).
        const std::string strSealed = SealedNameOf(head.strPlace);
        *pPath = bAway && !strSealed.empty() ? JoinPath(FolderOf(strTarget), strSealed)
                                             : RemoveExtension(strTarget);
        return FileOutcome::FILE_DONE;
    }
    *pPath = head.strSourcePath;
    return pPath->empty() ? FileOutcome::FILE_BAD_PATH : FileOutcome::FILE_DONE;
}

}  // namespace

PlaceReader SealedPlaceReader(const CFileStore& files) {
    return [&files](CFolder& folder, const std::string& strDisk) {
        std::unique_ptr<CStoredReader> pReader;
        FileStamp stamp;
        if (files.OpenStoredAt(folder, strDisk, &pReader, &stamp).nOutcome !=
            FileOutcome::FILE_DONE)
            return std::string();
        return pReader->Head().strPlace;
    };
}

CFileStore::CFileStore(const CVaultKey& key, CVaultEnv* pEnv)
    : m_key(key),
      m_pEnv(pEnv),
      m_scrambled(key.Cipher(), m_pEnv->Sizes()),
      m_protected(key, m_pEnv->Sizes()) {}

CFileStore::~CFileStore() = default;

const CStoredFormat& CFileStore::StoreFormat() const {
    if (m_key.IsProtected()) return m_protected;
    return m_scrambled;
}

const CStoredFormat* CFileStore::FormatOf(const unsigned char* pHead, std::size_t nHead) const {
    if (IsScrambledSignature(pHead, nHead)) return &m_scrambled;
    if (IsProtectedSignature(pHead, nHead)) return &m_protected;
    return nullptr;
}

StoreResult CFileStore::StoreFile(const std::string& strSource, const std::string& strStored,
                                  RunContext& run) const {
    const auto fnOpen = [&] { return m_pEnv->OpenForRead(strSource); };
    return StoreFrom(fnOpen, strSource, std::string(), nullptr, strStored, std::string(), run);
}

StoreResult CFileStore::StoreFileAs(const std::string& strSource, const std::string& strRecorded,
                                    const std::string& strStored, const std::string& strPlace,
                                    RunContext& run) const {
    const auto fnOpen = [&] { return m_pEnv->OpenForRead(strSource); };
    return StoreFrom(fnOpen, strSource, strRecorded, nullptr, strStored, strPlace, run);
}

StoreResult CFileStore::StoreFileAt(CFolder& folder, const std::string& strName,
                                    const std::string& strSource, const FolderPtr& pStoredFolder,
                                    const std::string& strStored, const std::string& strPlace,
                                    RunContext& run) const {
    const auto fnOpen = [&] { return folder.OpenFile(strName); };
    return StoreFrom(fnOpen, strSource, std::string(), pStoredFolder, strStored, strPlace, run);
}

StoreResult CFileStore::StoreFrom(const SourceOpener& fnOpen, const std::string& strSource,
                                  const std::string& strRecorded, const FolderPtr& pStoredFolder,
                                  const std::string& strStored, const std::string& strPlace,
                                  RunContext& run) const {
    StoreResult result;
    FileResult& outcome = result;
    try {
        outcome = StoreSteps(fnOpen, strSource, strRecorded, pStoredFolder, strStored, strPlace,
                             run, &result.source);
    } catch (...) {
        outcome = CauseOfErrno(ENOMEM);  // running out of memory is the only way in
    }
    return result;
}

FileResult CFileStore::StoreSteps(const SourceOpener& fnOpen, const std::string& strSource,
                                  const std::string& strRecorded, const FolderPtr& pStoredFolder,
                                  const std::string& strStored, const std::string& strPlace,
                                  RunContext& run, FileStamp* pSourceStamp) const {
    // Credentials that open nothing store nothing, and make nothing.
    if (!m_key.IsProtected() && !m_key.CanScramble()) return FailCause{};
    const CStoredFormat& format = StoreFormat();
    // The folders above the stored file are made first, whatever follows.
    // Most files of a folder land in one that exists already: an open
    // saves a failing mkdir for every level of the path.
    FolderPtr pFolder = pStoredFolder;
    if (!pFolder) pFolder = m_pEnv->OpenFolder(FolderOf(strStored));
    if (!pFolder) {
        const int nMadeError = CreateDirectoryPath(strStored, 0700, m_pEnv);
        pFolder = m_pEnv->OpenFolder(FolderOf(strStored));
        if (!pFolder) return nMadeError ? CauseOfErrno(nMadeError) : CauseOfLastError();
    }
    const std::string strName = LastComponent(strStored);
    FileStamp asked;
    pFolder->GetStamp(strName, &asked);
    const FileResult answer =
        AskToReplace(asked, FeedbackQuestion::QUESTION_STORED_EXISTS, strStored, run.pFeedback);
    if (answer.nOutcome != FileOutcome::FILE_DONE) return answer;

    const auto pSource = fnOpen();
    if (!pSource) return CauseOfLastError();
    *pSourceStamp = pSource->OpenStamp();
    if (run.pFeedback) run.pFeedback->SetStatusText(strSource);

    const std::uint64_t nSize = pSource->Size();
    std::string strRecord;
    if (!NormalSourcePath(strRecorded.empty() ? strSource : strRecorded, &strRecord))
        return FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
    const FileResult can = format.CanStore(nSize, strRecord);
    if (can.nOutcome != FileOutcome::FILE_DONE) return can;

    const auto pTarget = pFolder->CreateFileFor(strName, STORE_STORED_FILE_MODE);
    if (!pTarget) return CauseOfLastError();
    CWaitCursorGuard cursor(run.pFeedback);
    std::uint64_t nRead = 0;
    const FileResult written = format.WriteStored(
        *pSource, nSize, strRecord, strPlace.empty() ? StoredPlaceOf(strStored) : strPlace,
        *pTarget, run, &nRead);
    if (written.nOutcome != FileOutcome::FILE_DONE) return written;
    // The disk shows no time of the store and none of the source: the
    // sealed metadata keeps both. A file system that refuses the time loses
    // nothing but that.
    if (&format == &m_protected) pTarget->SetTimes(PROTECTED_STORED_FILE_TIME, 0);
    // Reading stopped at the size the source had when it was opened. One
    // that was written to meanwhile (its size or time moved) may have been
    // stored half old, half new, or cut short.
    FileStamp after;
    if (nRead != nSize || !pSource->GetStamp(&after) || !after.SameContent(*pSourceStamp))
        return FileOutcome::FILE_CHANGED;
    return CommitTarget(*pFolder, strName, *pTarget, FeedbackQuestion::QUESTION_STORED_EXISTS,
                        strStored, run.pFeedback, asked);
}

FileResult CFileStore::RestoreFile(const std::string& strStored, const std::string& strTarget,
                                   RunContext& run, const KeepOutSet* pKeepOut) const {
    CRestoreFolders targets(m_pEnv, pKeepOut);
    const auto fnOpen = [&] { return m_pEnv->OpenForRead(strStored); };
    return RestoreFrom(fnOpen, strStored, strTarget, std::string(), targets, run);
}

FileResult CFileStore::RestoreFileAt(CFolder& folder, const std::string& strName,
                                     const std::string& strStored, const std::string& strTarget,
                                     const std::string& strPlace, CRestoreFolders& targets,
                                     RunContext& run) const {
    const auto fnOpen = [&] { return folder.OpenFile(strName); };
    return RestoreFrom(fnOpen, strStored, strTarget, strPlace, targets, run);
}

FileResult CFileStore::RestoreFrom(const SourceOpener& fnOpen, const std::string& strStored,
                                   const std::string& strTarget, const std::string& strPlace,
                                   CRestoreFolders& targets, RunContext& run) const {
    try {
        return RestoreSteps(fnOpen, strStored, strTarget, strPlace, targets, run);
    } catch (...) {
        return CauseOfErrno(ENOMEM);  // running out of memory is the only way in
    }
}

FileResult CFileStore::RestoreSteps(const SourceOpener& fnOpen, const std::string& strStored,
                                    const std::string& strTarget, const std::string& strLiesAt,
                                    CRestoreFolders& targets, RunContext& run) const {
    auto pStored = fnOpen();
    if (!pStored) return CauseOfLastError();
    if (run.pFeedback)
        run.pFeedback->SetStatusText(
            strLiesAt.empty() ? strStored : PlainVaultPath(strStored, strLiesAt) + STORED_SUFFIX);
    CWaitCursorGuard cursor(run.pFeedback);

    std::unique_ptr<CStoredReader> pReader;
    const FileResult opened = OpenReader(std::move(pStored), &pReader);
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;

    const std::string& strPlace = pReader->Head().strPlace;
    const bool bAway =
        !strPlace.empty() && strPlace != (strLiesAt.empty() ? StoredPlaceOf(strStored) : strLiesAt);
    std::string strPlain;
    const FileOutcome where = RestoreTargetPath(pReader->Head(), strTarget, bAway, &strPlain);
    if (where != FileOutcome::FILE_DONE) return where;
    // The folder that receives it, made when missing, and kept out of the
    // vault, before anything lands there.
    FolderPtr pFolder;
    FileResult result = targets.Open(FolderOf(strPlain), &pFolder);
    if (result.nOutcome == FileOutcome::FILE_DONE)
        result = RestoreInto(*pReader, pFolder, strPlain, targets, run);
    // A file that restored nothing leaves no empty folders made for it.
    if (result.nOutcome != FileOutcome::FILE_DONE) targets.RemoveMadeFolders();
    if (result.nOutcome == FileOutcome::FILE_DONE && bAway && run.pReport)
        run.pReport->vAway.push_back({strStored, strPlace});
    return result;
}

FileResult CFileStore::RestoreInto(CStoredReader& reader, const FolderPtr& pFolder,
                                   const std::string& strPlain, const CRestoreFolders& targets,
                                   RunContext& run) const {
    const std::string strName = LastComponent(strPlain);
    // One look-up serves the keep-out rule and the question.
    FileStamp asked;
    pFolder->GetStamp(strName, &asked);
    if (targets.KeepsOut(asked)) return FileOutcome::FILE_IN_VAULT;
    const FileResult answer =
        AskToReplace(asked, FeedbackQuestion::QUESTION_TARGET_EXISTS, strPlain, run.pFeedback);
    if (answer.nOutcome != FileOutcome::FILE_DONE) return answer;
    // Where the file is going, which the stored file's name alone does not say.
    if (run.pFeedback) run.pFeedback->SetStatusText(strPlain);

    const auto pTarget = pFolder->CreateFileFor(strName, STORE_PLAIN_FILE_MODE);
    if (!pTarget) return CauseOfLastError();
    const FileResult written = reader.WritePlain(*pTarget, run);
    if (written.nOutcome != FileOutcome::FILE_DONE) return written;
    // The plain file comes back with the time its source had, where the
    // stored file recorded it (and the file system takes it).
    const StoredHead& head = reader.Head();
    if (head.bSourceTime) pTarget->SetTimes(head.nSourceTime, head.nSourceNanos);
    return CommitTarget(*pFolder, strName, *pTarget, FeedbackQuestion::QUESTION_TARGET_EXISTS,
                        strPlain, run.pFeedback, asked);
}

FileResult CFileStore::OpenStoredAt(CFolder& folder, const std::string& strName,
                                    std::unique_ptr<CStoredReader>* ppReader,
                                    FileStamp* pStamp) const {
    try {
        auto pStored = folder.OpenFile(strName);
        if (!pStored) return CauseOfLastError();
        *pStamp = pStored->OpenStamp();
        return OpenReader(std::move(pStored), ppReader);
    } catch (...) {
        return CauseOfErrno(ENOMEM);  // running out of memory is the only way in
    }
}

std::string CFileStore::RecordedPathOf(std::unique_ptr<CReadableFile> pStored) const {
    std::unique_ptr<CStoredReader> pReader;
    if (!pStored || OpenReader(std::move(pStored), &pReader).nOutcome != FileOutcome::FILE_DONE)
        return {};
    return pReader->Head().strSourcePath;
}

FileResult CFileStore::OpenReader(std::unique_ptr<CReadableFile> pStored,
                                  std::unique_ptr<CStoredReader>* ppReader) const {
    auto pPeeked = std::make_unique<CPeekedFile>(std::move(pStored));
    if (!pPeeked->ReadHead()) return CauseOfLastError();
    const CStoredFormat* pFormat = FormatOf(pPeeked->Head(), pPeeked->HeadSize());
    if (!pFormat) return FailCause{FailReason::FAIL_DAMAGED};
    return pFormat->OpenStored(std::move(pPeeked), ppReader);
}

}  // namespace quovex
