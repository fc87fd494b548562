// The date text of the properties dialogs. Pure; any thread.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace quovex {

// "%d年%d月%d日 %d:%d" of the time in local time, without leading zeros:
// 9:05 on 7 March 2024 gives "2024年3月7日 9:5".
QString FormatDateText(const QDateTime& time);
// The same of a file-system time in seconds since 1970 (UTC).
QString FormatDateText(std::int64_t nSeconds);

}  // namespace quovex
