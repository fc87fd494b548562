// quovex-tool's words for the codes the core reports in: its questions and
// messages, why a file did not go through, why the credential rule kept a
// vault closed. One table, in English, as all the tool's output. Stateless.
#pragma once

#include <cstdint>
#include <string>

#include "CredentialRule.h"
#include "FailReason.h"
#include "VaultAccess.h"
#include "VaultFeedback.h"
#include "VaultTransfer.h"

namespace quovex {

struct StoredVersion;

// The question about the file at strPath.
std::string QuestionText(FeedbackQuestion nQuestion, const std::string& strPath);
// The message about strPath, with the amounts of room it tells.
std::string MessageText(FeedbackMessage nMessage, const std::string& strPath,
                        const VolumeRoom& room);
// Why a file did not go through ("disk full or quota exceeded"); the
// system's own words for an error number no reason stands for.
std::string FailReasonText(const FailCause& cause);
// Why an item was passed over, refused or kept.
const char* PassReasonText(PassReason nReason);
// Why the credentials do not open the vault: wrong, or the first stored
// file named as damaged or unreadable.
std::string CredentialRefusalText(const CredentialJudgement& judgement);
// Why a vault was not opened, made or given a new password.
std::string AccessRefusalText(const AccessOutcome& outcome);
// The warning about a key record copy of another vault that was left as it
// is while the vault opened by its other copy (AccessOutcome::strForeignRecord).
std::string ForeignRecordText(const std::string& strRecord);
// A size as list shows it: "1023 bytes", "4.00 KB (5000 bytes)",
// "0.98 MB (1024000 bytes)", in the units the window shows (ScaleSize).
std::string SizeText(std::uint64_t nBytes);

// The versions of one stored file (StoredVersions.h), for list, check and
// restore. "S: 3 versions of one stored file (...)".
std::string VersionsHeadText(const std::string& strShown, std::size_t nCount);
// One numbered version: "version 2: stored 2026-12-09 10:24, 300 bytes, device S3MHZRP",
// what is not known left out.
std::string VersionLineText(std::size_t nNumber, const StoredVersion& version);
// check's finding about a name of nCount versions.
std::string VersionsFindingText(std::size_t nCount);
// restore of a name of several versions without --version: the newest goes.
std::string RestoreNewestText(const std::string& strItem, std::size_t nCount);
// restore --version nAsked of a name of nCount versions (1 for one stored
// file or a folder), out of range: nothing is restored.
std::string VersionOutOfRangeText(const std::string& strItem, std::uint64_t nAsked,
                                  std::size_t nCount);

}  // namespace quovex
