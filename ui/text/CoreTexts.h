// The window's words for the codes the core reports in: its questions and
// messages, why a file did not go through, why the credential rule kept a
// vault closed, and the box captions. One table; Chinese, as every text
// the window shows. Stateless; any thread.
#pragma once

#include <QString>
#include <cstdint>

#include "CredentialRule.h"
#include "FailReason.h"
#include "VaultAccess.h"
#include "VaultFeedback.h"
#include "VaultTransfer.h"

namespace quovex {

// The question about the file at strPath (a native path), which it names
// in full on a line of its own below the sentence.
QString QuestionText(FeedbackQuestion nQuestion, const std::string& strPath);
// The message about strPath, with the amounts of room it tells (sizes
// worded by FormatSizeText).
QString MessageText(FeedbackMessage nMessage, const std::string& strPath, const VolumeRoom& room);
// Why a file did not go through ("磁盘已满"); the system's own words for an
// error number no reason stands for.
QString FailReasonText(const FailCause& cause);

// A count as tr()'s %n takes it (an int), for the plural forms of the
// translations: a count beyond an int reads as the largest int.
int PluralCount(std::uint64_t nCount);
// Why an item was passed over, refused or kept.
QString PassReasonText(PassReason nReason);
// What the login says when the rule does not accept: "户名或者口令出错。",
// or the first stored file named as damaged or unreadable.
QString CredentialRefusalText(const CredentialJudgement& judgement);
// Why a vault was not opened, made or given a new password: the
// credentials (as the login has always said it), the recovery key, the key
// record, the first stored file or the disk, with the file concerned. Empty
// for ACCESS_OPENED.
QString AccessRefusalText(const AccessOutcome& outcome);
// The warning about a key record copy of another vault that was left as it
// is while the vault opened by its other copy (AccessOutcome::strForeignRecord).
QString ForeignRecordText(const std::string& strRecord);
// The caption of box nBox (0 to BOX_COUNT - 1) in the box list.
QString BoxCaption(int nBox);

}  // namespace quovex
