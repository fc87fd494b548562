// How quovex-tool shows what a stored file's header (or a protected
// file's metadata) and the file system tell about it. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace quovex {

class CVaultEnv;

struct StoredFileScan;

// A NUL-terminated GB18030 header field (source path, summary) as UTF-8.
// A byte that begins no valid GB18030 character becomes U+FFFD, so that a
// doctored header still shows and never yields invalid UTF-8.
std::string DecodeHeaderText(const char* pszField);

// The storage date of a stored file: its creation time as the properties
// dialog shows it (ReadFileCreationTime), in local time as
// "YYYY-MM-DD HH:MM". A final link is not followed. "" when the file cannot
// be opened.
std::string FormatStorageDate(const std::string& strPath, CVaultEnv* pEnv);

// nSeconds since 1970 (UTC) in local time as "YYYY-MM-DD HH:MM"; "" when
// it cannot be shown.
std::string FormatLocalMinute(std::int64_t nSeconds);

// What list shows of one scanned stored file, from either format.
struct ShownFields {
    bool bKnown = false;  // the header or metadata was read: the fields below hold
    std::string strSource;
    std::uint64_t nPlainSize = 0;
    std::string strSummary;
    // The storage date: a protected file's recorded storage time, else the
    // file's creation time; "" when unknown or, for a protected file
    // without the key, not shown.
    std::string strDate;
};
ShownFields ShownFieldsOf(const StoredFileScan& scan, CVaultEnv* pEnv);

}  // namespace quovex
