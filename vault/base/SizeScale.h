// The unit a size is shown in, the rule both faces follow when they word
// a size. Pure computation.
#pragma once

#include <cstdint>

namespace quovex {

// The unit a size is shown in, by the rule both faces follow: bytes below
// 1 KiB, KB below 1000 whole kilobytes, else MB, the last two counted from
// the whole kilobytes (so 1024000 bytes is 0.98 MB). *pValue receives the
// number shown before the unit.
enum class SizeUnit { SIZE_BYTES, SIZE_KB, SIZE_MB };
SizeUnit ScaleSize(std::uint64_t nBytes, double* pValue);

}  // namespace quovex
