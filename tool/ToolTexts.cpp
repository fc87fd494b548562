#include "ToolTexts.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "KeyRecordFiles.h"
#include "PathText.h"
#include "SizeScale.h"
#include "StoredItemText.h"
#include "StoredVersions.h"

namespace quovex {

std::string QuestionText(FeedbackQuestion nQuestion, const std::string& strPath) {
    switch (nQuestion) {
        case FeedbackQuestion::QUESTION_STORED_EXISTS:
            return strPath + " is in the vault already; replace it?";
        case FeedbackQuestion::QUESTION_TARGET_EXISTS:
            return strPath + " exists already; replace it?";
    }
    return strPath + ": replace it?";
}

std::string MessageText(FeedbackMessage nMessage, const std::string& strPath,
                        const VolumeRoom& room) {
    switch (nMessage) {
        case FeedbackMessage::MESSAGE_NO_DISK_SPACE:
            return "not enough free disk space for this run on the volume of " + strPath +
                   ": it needs " + SizeText(room.nNeeded) + ", of which " +
                   SizeText(TRANSFER_FREE_SPACE_MARGIN) + " to spare, and " + SizeText(room.nFree) +
                   " is free; nothing was done";
    }
    return strPath;
}

std::string FailReasonText(const FailCause& cause) {
    switch (cause.nReason) {
        case FailReason::FAIL_OTHER:
            break;
        case FailReason::FAIL_PERMISSION:
            return "permission denied";
        case FailReason::FAIL_NO_SPACE:
            return "disk full or quota exceeded";
        case FailReason::FAIL_READ_ONLY:
            return "read-only file system";
        case FailReason::FAIL_UNSUPPORTED:
            return "not supported by the file system";
        case FailReason::FAIL_NAME_TOO_LONG:
            return "name too long";
        case FailReason::FAIL_NOT_FOUND:
            return "no longer there";
        case FailReason::FAIL_NOT_FOLDER:
            return "not a folder";
        case FailReason::FAIL_NOT_PLAIN_FILE:
            return "not a regular file (a link, pipe or device)";
        case FailReason::FAIL_IO:
            return "input/output error";
        case FailReason::FAIL_TOO_LARGE:
            return "too large (the limit is just under 4 GiB)";
        case FailReason::FAIL_PATH_NOT_STORABLE:
            return "path cannot be recorded (over 127 bytes in GB18030, or not encodable)";
        case FailReason::FAIL_DAMAGED:
            if (cause.nChunk >= 0)
                return "stored file is damaged (chunk " + std::to_string(cause.nChunk + 1) + ")";
            return "stored file is damaged";
        case FailReason::FAIL_NEEDS_KEY:
            return "protected stored file: it opens only with its protected vault's key";
        case FailReason::FAIL_NEWER_FORMAT:
            return "stored in a newer format than this program reads";
        case FailReason::FAIL_OTHER_VAULT:
            return "stored in another vault: it does not open in this one";
        case FailReason::FAIL_TARGET_IS_FOLDER:
            return "a folder lies at the target";
        case FailReason::FAIL_DECLINED:
            return "existing file kept (--overwrite no)";
        case FailReason::FAIL_CANCELLED:
            return "cancelled";
    }
    return cause.nErrno != 0 ? std::strerror(cause.nErrno) : "failed";
}

const char* PassReasonText(PassReason nReason) {
    switch (nReason) {
        case PassReason::PASS_IS_VAULT:
            return "the vault or its location, passed over";
        case PassReason::PASS_IN_VAULT:
            return "lies inside the vault, refused";
        case PassReason::PASS_SOURCE_CHANGED:
            return "changed while or after it was stored, kept";
        case PassReason::PASS_BAD_RECORDED_PATH:
            return "recorded path is not a plain absolute path, refused";
        case PassReason::PASS_TARGET_IN_VAULT:
            return "would be restored into the vault, refused";
        case PassReason::PASS_OLDER_VERSION:
            return "an older version of a name with several versions: only the newest was "
                   "restored (restore this one with --version N)";
    }
    return "passed over";
}

std::string CredentialRefusalText(const CredentialJudgement& judgement) {
    if (judgement.nVerdict != CredentialVerdict::CREDENTIALS_UNDECIDED)
        return "wrong user name or password";
    const char* pszState =
        judgement.cause.nReason == FailReason::FAIL_DAMAGED ? "is damaged" : "cannot be read";
    std::string strText = "the vault's first stored file ";
    strText += pszState;
    if (judgement.cause.nReason != FailReason::FAIL_DAMAGED)
        strText += " (" + FailReasonText(judgement.cause) + ")";
    return strText + ", so the credentials cannot be checked: " + judgement.strStoredFile;
}

std::string AccessRefusalText(const AccessOutcome& outcome) {
    const std::string strAt = outcome.strPath.empty() ? std::string() : ": " + outcome.strPath;
    switch (outcome.nResult) {
        case AccessResult::ACCESS_OPENED:
            return "opened";
        case AccessResult::ACCESS_WRONG_CREDENTIALS:
            return "wrong user name or password";
        case AccessResult::ACCESS_WRONG_RECOVERY_KEY:
            return "the recovery key does not open this vault (case, spaces and dashes do not "
                   "matter; every other character must be right)";
        case AccessResult::ACCESS_FIRST_FILE_DAMAGED:
            return CredentialRefusalText(CredentialJudgement{
                CredentialVerdict::CREDENTIALS_UNDECIDED, outcome.strPath, outcome.cause});
        case AccessResult::ACCESS_RECORD_DAMAGED:
            return "the vault's key record is damaged and its second copy is damaged or missing, "
                   "so the vault cannot be opened" +
                   strAt;
        case AccessResult::ACCESS_RECORD_UNSUPPORTED:
            return "the vault's key record is of a later version, or asks for a password "
                   "derivation out of range; this version cannot open it" +
                   strAt;
        case AccessResult::ACCESS_NOT_PROTECTED:
            return "not a protected vault: it has no key record whose password could be "
                   "changed" +
                   strAt;
        case AccessResult::ACCESS_EXISTS:
            return "a vault lies there already" + strAt;
        case AccessResult::ACCESS_NO_MEMORY:
            return "not enough memory for the key or the password derivation";
        case AccessResult::ACCESS_SCRAMBLED_FILES_LEFT:
            return "the vault still holds scrambled stored files, which open only with the "
                   "password in force; convert them first" +
                   strAt;
        case AccessResult::ACCESS_RECORD_LOST:
            return "this location was a protected vault, but its key record (.quovex-key, "
                   ".quovex-key.2) is gone: without it nobody can open the files stored there. "
                   "Put the key record back (from a backup, say); to make a new vault here all "
                   "the same, run quovex-tool init --replace-lost-vault" +
                   strAt;
        case AccessResult::ACCESS_RECORD_AWAITED:
            return "this location has no key record (.quovex-key) but holds a protected "
                   "vault's stored files (or a sync engine's folder with the boxes): its key "
                   "record has not arrived yet, or was lost. Wait until the sync is complete "
                   "(or put the key record back); nothing was made" +
                   strAt;
        case AccessResult::ACCESS_PASSWORD_NEEDED:
            return "the password is needed to open the vault there";
        case AccessResult::ACCESS_PASSWORD_UNCHANGED:
            return "the new password must not be the old one: every scrambled stored file, and "
                   "every backup of one, gives the old password away";
        case AccessResult::ACCESS_OTHER_VAULT_RECORD:
            return "the key record " + outcome.strPath +
                   " belongs to another vault: the stored files here do not open with it; "
                   "nothing was changed";
        case AccessResult::ACCESS_RECORDS_OF_TWO_VAULTS:
            return "the two copies of the key record (.quovex-key and .quovex-key.2) belong to "
                   "two different vaults, and no stored file tells which is this vault's; "
                   "nothing was changed. Move away the copy that is not this vault's" +
                   strAt;
        case AccessResult::ACCESS_DISK_FAILED:
            break;
    }
    // A key record copy, else the location itself, a box folder or the
    // scrambled mark.
    const std::string strName = LastComponent(outcome.strPath);
    const bool bRecord = strName == KEY_RECORD_NAME || strName == KEY_RECORD_COPY_NAME;
    return std::string(bRecord ? "the vault's key record" : "the vault's location") +
           " cannot be read or written (" + FailReasonText(outcome.cause) + ")" + strAt;
}

std::string ForeignRecordText(const std::string& strRecord) {
    return "the key record " + strRecord +
           " belongs to another vault; it was left as it is, and the vault opened by its "
           "other copy";
}

std::string SizeText(std::uint64_t nBytes) {
    double dValue = 0;
    const SizeUnit nUnit = ScaleSize(nBytes, &dValue);
    char szText[64];
    if (nUnit == SizeUnit::SIZE_BYTES) {
        std::snprintf(szText, sizeof szText, "%" PRIu64 " bytes", nBytes);
    } else {
        std::snprintf(szText, sizeof szText, "%.2f %s (%" PRIu64 " bytes)", dValue,
                      nUnit == SizeUnit::SIZE_KB ? "KB" : "MB", nBytes);
    }
    return szText;
}

std::string VersionsHeadText(const std::string& strShown, std::size_t nCount) {
    return strShown + ": " + std::to_string(nCount) +
           " versions of one stored file (stored on two machines while apart, or kept by a "
           "sync engine as a conflict copy)";
}

std::string VersionLineText(std::size_t nNumber, const StoredVersion& version) {
    std::string strText = "version " + std::to_string(nNumber);
    std::string strFacts;
    if (version.bRead) {
        const std::string strWhen = FormatLocalMinute(version.nStoredTime);
        if (!strWhen.empty()) strFacts = "stored " + strWhen + ", ";
        strFacts += SizeText(version.nPlainSize);
    }
    if (!version.strDevice.empty())
        strFacts += (strFacts.empty() ? "" : ", ") + ("device " + version.strDevice);
    return strFacts.empty() ? strText : strText + ": " + strFacts;
}

std::string VersionsFindingText(std::size_t nCount) {
    return std::to_string(nCount) +
           " versions of one stored file, not resolved yet (not damage): keep one or all of "
           "them in the window, or restore one with restore --version N (1 the oldest, " +
           std::to_string(nCount) + " the newest)";
}

std::string RestoreNewestText(const std::string& strItem, std::size_t nCount) {
    return strItem + " names " + std::to_string(nCount) +
           " versions of one stored file; restoring the newest, version " + std::to_string(nCount) +
           " (give --version N for another):";
}

std::string VersionOutOfRangeText(const std::string& strItem, std::uint64_t nAsked,
                                  std::size_t nCount) {
    if (nCount <= 1)
        return "--version " + std::to_string(nAsked) + ": " + strItem +
               " is one stored file or folder, not several versions; only --version 1 names "
               "it; nothing restored";
    return "--version " + std::to_string(nAsked) + " is out of range: " + strItem + " has " +
           std::to_string(nCount) + " versions (1 to " + std::to_string(nCount) +
           "); nothing restored";
}

}  // namespace quovex
