// How quovex-tool shows what a stored file's header and the file system
// tell about it. Any thread.
#pragma once

#include <string>

namespace quovex {

// A NUL-terminated GB18030 header field (source path, summary) as UTF-8.
// A byte that begins no valid GB18030 character becomes U+FFFD, so that a
// doctored header still shows and never yields invalid UTF-8.
std::string DecodeHeaderText(const char* pszField);

// The storage date of a stored file: its creation time as the properties
// dialog shows it (ReadFileCreationTime), in local time as
// "YYYY-MM-DD HH:MM". A final link is not followed. "" when the file cannot
// be opened.
std::string FormatStorageDate(const std::string& strPath);

}  // namespace quovex
