// A small writer of one JSON document into a string, for quovex-tool's
// --json output. Any thread; one writer per document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quovex {

// strBytes as a JSON string, quotes included. Valid UTF-8 is kept as it
// is; quotes, backslashes and control characters (below 0x20, and 0x7F)
// are escaped. A byte that is not part of valid UTF-8 (a file name on
// Linux may hold any bytes) becomes the escape \udcXX, XX its value: the
// lone surrogate of Python's "surrogateescape", from which such a reader
// gets the exact bytes back (os.fsencode); other readers may show U+FFFD.
std::string JsonQuote(const std::string& strBytes);

// Values and containers in document order; commas are put in by the
// writer. Each element of the outermost array starts on a line of its own.
class CJsonWriter {
public:
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    // The key of the next value in an object.
    void Key(const std::string& strKey);
    void String(const std::string& strBytes) { Value(JsonQuote(strBytes)); }
    void Number(std::uint64_t nValue) { Value(std::to_string(nValue)); }
    void Bool(bool bValue) { Value(bValue ? "true" : "false"); }
    void Null() { Value("null"); }

    // The document, ending in a newline once every container is closed.
    const std::string& Text() const { return m_strText; }

private:
    void Separate();
    void Value(const std::string& strJson);
    void Open(char cBracket);
    void Close(char cBracket);

    std::string m_strText;
    std::vector<bool> m_vHasItems;  // per open container: an item was written
    bool m_bAfterKey = false;
};

}  // namespace quovex
