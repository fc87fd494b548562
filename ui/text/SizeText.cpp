#include "SizeText.h"

#include <QCoreApplication>
#include <cinttypes>
#include <cstdio>

#include "SizeScale.h"

namespace quovex {

std::string FormatSizeText(std::uint64_t nBytes) {
    // The unit's word in the window's language ("bytes" in English).
    const std::string strBytes = QCoreApplication::translate("SizeText", "字节").toStdString();
    double dValue = 0;
    const SizeUnit nUnit = ScaleSize(nBytes, &dValue);
    char szText[128];
    if (nUnit == SizeUnit::SIZE_BYTES) {
        std::snprintf(szText, sizeof szText, "%" PRIu64 " %s( %" PRIu64 " %s)", nBytes,
                      strBytes.c_str(), nBytes, strBytes.c_str());
    } else {
        std::snprintf(szText, sizeof szText, "%.2f %s( %" PRIu64 " %s)", dValue,
                      nUnit == SizeUnit::SIZE_KB ? "KB" : "MB", nBytes, strBytes.c_str());
    }
    return szText;
}

}  // namespace quovex
