// Keeps an edit's text within a number of bytes of an encoding (GB18030 by
// default, or UTF-8), so that typing stops at the limit however many bytes
// each character takes.
#pragma once

#include <QValidator>

namespace quovex {

// The encoding a limit counts in.
enum class ByteCount { GB18030, UTF8 };

class CByteLimitValidator : public QValidator {
public:
    CByteLimitValidator(int nMaxBytes, QObject* pParent, ByteCount nCount = ByteCount::GB18030);
    // Invalid (the edit refuses the change) when the text would exceed the
    // limit or cannot be encoded; Acceptable otherwise.
    State validate(QString& strInput, int& nPos) const override;
    // A new limit for the text typed from now on.
    void SetLimit(int nMaxBytes, ByteCount nCount);

private:
    int m_nMaxBytes;
    ByteCount m_nCount;
};

// Length of a text in GB18030 bytes, or -1 when it cannot be encoded.
long Gb18030Bytes(const QString& strText);

}  // namespace quovex
