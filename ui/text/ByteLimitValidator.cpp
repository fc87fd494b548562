#include "ByteLimitValidator.h"

#include "TextCodec.h"

namespace quovex {

long Gb18030Bytes(const QString& strText) {
    return Gb18030Length(strText.toStdString());
}

CByteLimitValidator::CByteLimitValidator(int nMaxBytes, QObject* pParent, ByteCount nCount)
    : QValidator(pParent), m_nMaxBytes(nMaxBytes), m_nCount(nCount) {}

QValidator::State CByteLimitValidator::validate(QString& strInput, int& /*nPos*/) const {
    // A QString holds UTF-16; a lone surrogate has no UTF-8 form either.
    const long nBytes = m_nCount == ByteCount::GB18030 ? Gb18030Bytes(strInput)
                        : strInput.isValidUtf16()      ? static_cast<long>(strInput.toUtf8().size())
                                                       : -1;
    return nBytes >= 0 && nBytes <= m_nMaxBytes ? Acceptable : Invalid;
}

void CByteLimitValidator::SetLimit(int nMaxBytes, ByteCount nCount) {
    m_nMaxBytes = nMaxBytes;
    m_nCount = nCount;
    emit changed();
}

}  // namespace quovex
