// RFC 4648 base32 in lower case without padding (alphabet a-z, 2-7), the
// text of the vault's hidden names: no two texts differ only in case, and
// none holds a character a file system refuses. Stateless; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quovex {

// Characters base32 gives for n bytes: ceil(8n / 5).
constexpr std::size_t Base32Length(std::size_t n) {
    return (n * 8 + 4) / 5;
}

// The n bytes at p as base32, lower case, without padding.
std::string EncodeBase32(const unsigned char* p, std::size_t n);

// The bytes of a text EncodeBase32 gives, and only of such a text: false
// (pOut emptied) for any character outside a-z and 2-7 (upper case too),
// for a length no byte count gives, and for unused bits at the end that
// are not zero, so that every byte string has exactly one text.
bool DecodeBase32(std::string_view text, std::vector<unsigned char>* pOut);

}  // namespace quovex
