// The one message that tells the user, after a run, what did not go
// through. Stateless; any thread.
#pragma once

#include <QString>
#include <QStringList>

#include "VaultTransfer.h"

namespace quovex {

// At most this many items are named; the rest are counted.
constexpr int RUN_REPORT_MAX_LINES = 20;

// What the run did to the files it names as failed.
enum class RunKind { RUN_STORE, RUN_RESTORE, RUN_CONVERT };

// One line per failed file and per item passed over, with its reason, under
// a heading; empty when everything went through. A stop for lack of space
// or a cancel is told by its own message and adds nothing here.
QString RunReportText(const TransferReport& report, RunKind nKind);

// The heading with one line per path, at most RUN_REPORT_MAX_LINES of them
// and then how many more there are; empty for no paths.
QString ListReportText(const QString& strHeading, const QStringList& vLines, qsizetype nMore = 0);

}  // namespace quovex
