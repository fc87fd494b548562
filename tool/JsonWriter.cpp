#include "JsonWriter.h"

#include <cstdio>

#include "TextCodec.h"

namespace quovex {

namespace {

void AppendEscape(std::string* pOut, unsigned nCode) {
    char szEscape[8];
    std::snprintf(szEscape, sizeof szEscape, "\\u%04x", nCode);
    pOut->append(szEscape);
}

}  // namespace

std::string JsonQuote(const std::string& strBytes) {
    std::string strOut = "\"";
    const auto* p = reinterpret_cast<const unsigned char*>(strBytes.data());
    const std::size_t nSize = strBytes.size();
    for (std::size_t i = 0; i < nSize;) {
        const unsigned char c = p[i];
        const std::size_t nLength = Utf8SequenceLength(p + i, nSize - i);
        if (nLength == 0) {
            AppendEscape(&strOut, 0xDC00 + c);
        } else if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += static_cast<char>(c);
        } else if (c == '\n') {
            strOut += "\\n";
        } else if (c == '\t') {
            strOut += "\\t";
        } else if (c == '\r') {
            strOut += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(&strOut, c);
        } else {
            strOut.append(strBytes, i, nLength);
        }
        i += nLength == 0 ? 1 : nLength;
    }
    return strOut + "\"";
}

void CJsonWriter::Key(const std::string& strKey) {
    Separate();
    m_strText += JsonQuote(strKey) + ":";
    m_bAfterKey = true;
}

void CJsonWriter::Separate() {
    if (m_bAfterKey) {
        m_bAfterKey = false;
        return;
    }
    if (m_vHasItems.empty()) return;
    if (m_vHasItems.back()) m_strText += ',';
    m_vHasItems.back() = true;
    if (m_vHasItems.size() == 1) m_strText += '\n';
}

void CJsonWriter::Value(const std::string& strJson) {
    Separate();
    m_strText += strJson;
}

void CJsonWriter::Open(char cBracket) {
    Separate();
    m_strText += cBracket;
    m_vHasItems.push_back(false);
}

void CJsonWriter::Close(char cBracket) {
    const bool bOuterArrayItems = m_vHasItems.size() == 1 && m_vHasItems.back();
    m_vHasItems.pop_back();
    if (bOuterArrayItems) m_strText += '\n';
    m_strText += cBracket;
    if (m_vHasItems.empty()) m_strText += '\n';
}

}  // namespace quovex
