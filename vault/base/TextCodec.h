// Conversion between the program's UTF-8 text and the GB18030 bytes that the
// stored-file format and the credentials use.
#pragma once

#include <cstddef>
#include <string>

namespace quovex {

// False when strUtf8 is not valid UTF-8.
bool Utf8ToGb18030(const std::string& strUtf8, std::string* pOut);
// False when the bytes are not valid GB18030.
bool Gb18030ToUtf8(const std::string& strGb, std::string* pOut);
// Whether the bytes are well-formed UTF-8 (RFC 3629): no overlong form, no
// surrogate, nothing beyond U+10FFFF, no sequence cut short. Any thread.
bool IsValidUtf8(const std::string& strText);
// The length of the well-formed UTF-8 sequence at p (n > 0 bytes left), 0
// when none begins there: no overlong form, no surrogate, nothing beyond
// U+10FFFF. Any thread.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t n);
// Length in GB18030 bytes, or -1 when the text cannot be encoded.
long Gb18030Length(const std::string& strUtf8);

}  // namespace quovex
