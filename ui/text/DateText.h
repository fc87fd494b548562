// The date text of the properties dialogs. Pure; any thread.
#pragma once

#include <QString>
#include <cstdint>

namespace quovex {

// A file-system time in seconds since 1970 (UTC) as "年月日 时:分" in local
// time, without leading zeros: 9:05 on 7 March 2024 gives "2024年3月7日 9:5".
QString FormatDateText(std::int64_t nSeconds);

}  // namespace quovex
