#include "ByteLimitValidator.h"

#include "TextCodec.h"

namespace quovex {

long Gb18030Bytes(const QString& strText) {
    return Gb18030Length(strText.toStdString());
}

CByteLimitValidator::CByteLimitValidator(int nMaxBytes, QObject* pParent)
    : QValidator(pParent), m_nMaxBytes(nMaxBytes) {}

QValidator::State CByteLimitValidator::validate(QString& strInput, int& /*nPos*/) const {
    const long nBytes = Gb18030Bytes(strInput);
    return nBytes >= 0 && nBytes <= m_nMaxBytes ? Acceptable : Invalid;
}

}  // namespace quovex
