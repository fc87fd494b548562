#include "SizeText.h"

#include <cinttypes>
#include <cstdio>

#include "SizeScale.h"

namespace quovex {

std::string FormatSizeText(std::uint64_t nBytes) {
    double dValue = 0;
    const SizeUnit nUnit = ScaleSize(nBytes, &dValue);
    char szText[96];
    if (nUnit == SizeUnit::SIZE_BYTES) {
        std::snprintf(szText, sizeof szText, "%" PRIu64 " 字节( %" PRIu64 " 字节)", nBytes, nBytes);
    } else {
        std::snprintf(szText, sizeof szText, "%.2f %s( %" PRIu64 " 字节)", dValue,
                      nUnit == SizeUnit::SIZE_KB ? "KB" : "MB", nBytes);
    }
    return szText;
}

}  // namespace quovex
