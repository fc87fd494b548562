// The one message that tells the user, after a run, what did not go
// through. Stateless; any thread.
#pragma once

#include <QString>

#include "VaultTransfer.h"

namespace quovex {

// At most this many items are named; the rest are counted.
constexpr int DROP_REPORT_MAX_LINES = 20;

// The Chinese reason for an item passed over or kept.
QString PassReasonText(PassReason nReason);

// One line per failed file and per item passed over, with its reason, under
// a heading; empty when everything went through. A stop for lack of space
// or a cancel is told by its own message and adds nothing here.
QString DropReportText(const TransferReport& report);

}  // namespace quovex
