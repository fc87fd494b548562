#include "SizeScale.h"

namespace quovex {

SizeUnit ScaleSize(std::uint64_t nBytes, double* pValue) {
    const std::uint64_t nKilo = nBytes / 1024;
    *pValue = static_cast<double>(nKilo == 0 ? nBytes : nKilo);
    if (nKilo == 0) return SizeUnit::SIZE_BYTES;
    if (nKilo < 1000) return SizeUnit::SIZE_KB;
    *pValue /= 1024.0;
    return SizeUnit::SIZE_MB;
}

}  // namespace quovex
