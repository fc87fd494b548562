// Keeps an edit's text within a number of GB18030 bytes, so that typing
// stops at the limit however many bytes each character takes.
#pragma once

#include <QValidator>

namespace quovex {

class CByteLimitValidator : public QValidator {
public:
    CByteLimitValidator(int nMaxBytes, QObject* pParent);
    // Invalid (the edit refuses the change) when the text would exceed the
    // limit or cannot be encoded; Acceptable otherwise.
    State validate(QString& strInput, int& nPos) const override;

private:
    int m_nMaxBytes;
};

// Length of a text in GB18030 bytes, or -1 when it cannot be encoded.
long Gb18030Bytes(const QString& strText);

}  // namespace quovex
