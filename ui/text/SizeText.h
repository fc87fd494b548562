// The window's wording of a size, in the units both faces follow
// (ScaleSize): "1023 字节( 1023 字节)", "4.00 KB( 5000 字节)",
// "0.98 MB( 1024000 字节)", with the word for bytes in the window's
// language. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace quovex {

std::string FormatSizeText(std::uint64_t nBytes);

}  // namespace quovex
