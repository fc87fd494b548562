// A protected stored file in memory opened as the restore loop does, step
// by step, reading what is there. Shared by the tests and the fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ProtectedLayout.h"
#include "ProtectedStream.h"

namespace quovex::test {

struct Opened {
    ProtectedResult result = ProtectedResult::PROTECTED_OK;  // the refusal, or Finish's answer
    bool bSlots = false;  // the header was read and the slots opened
    ProtectedHeader header;
    ProtectedMetadata metadata;
    std::size_t nNewestSlot = 0;
    std::uint64_t nFailedChunk = 0;
    std::vector<unsigned char> plain;  // every byte handed out, chunk by chunk
};

// The bytes before the first chunk of the stored file v (0: no header).
inline std::size_t HeadSizeOf(const std::vector<unsigned char>& v) {
    ProtectedHeader header;
    return DecodeProtectedHeader(v.data(), v.size(), &header) == ProtectedResult::PROTECTED_OK
               ? ProtectedHeadSize(header)
               : 0;
}

inline Opened OpenProtected(const ProtectedFileKeys& keys, const std::vector<unsigned char>& v) {
    using R = ProtectedResult;
    Opened opened;
    CProtectedOpener opener(keys);
    R result = opener.ReadHeader(v.data(), std::min(v.size(), PFF_HEADER_SIZE));
    std::size_t nPos = PFF_HEADER_SIZE;
    if (result == R::PROTECTED_OK) {
        const std::size_t nSlots = std::min(opener.HeadRestSize(), v.size() - nPos);
        result = opener.OpenSlots(v.data() + nPos, nSlots);
        nPos += nSlots;
    }
    if (result == R::PROTECTED_OK) {
        opened.bSlots = true;
        opened.header = opener.Header();
        opened.metadata = opener.Metadata();
        opened.nNewestSlot = opener.NewestSlot();
        result = opener.BeginBody(v.size());
    }
    std::vector<unsigned char> vOut(PFF_CHUNK_SIZE);
    while (result == R::PROTECTED_OK && opener.NextChunkSize() > 0) {
        const std::size_t n = std::min(opener.NextChunkSize(), v.size() - nPos);
        std::size_t nPlain = 0;
        result = opener.OpenChunk(v.data() + nPos, n, vOut.data(), &nPlain);
        opened.plain.insert(opened.plain.end(), vOut.begin(), vOut.begin() + nPlain);
        nPos += n;
    }
    opened.result = result == R::PROTECTED_OK && opened.bSlots ? opener.Finish() : result;
    opened.nFailedChunk = opener.FailedChunk();
    return opened;
}

}  // namespace quovex::test
