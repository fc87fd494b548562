// Buffer sizes shared by the formats' streaming loops. I/O goes in large
// pieces; the transform, progress and cancel stay per block.
#pragma once

#include <sodium.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "StreamSizes.h"

namespace quovex {

// Room for a whole small file of nBytes, in whole nBlock blocks plus one,
// at most one chunk of nChunk bytes (a multiple of nBlock): many small
// files do not each pay for a full buffer.
inline std::size_t ChunkFor(std::uint64_t nBytes, std::size_t nBlock, std::size_t nChunk) {
    const std::uint64_t nBlocks = nBytes / nBlock + 1;
    return static_cast<std::size_t>(std::min<std::uint64_t>(nChunk, nBlocks * nBlock));
}

// A buffer that holds plain content (or what a file's key turns into it)
// is wiped before its memory goes back to the heap, where the next owner,
// or a core file, would find it.
struct WipeOnFree {
    std::size_t nSize = 0;
    void operator()(unsigned char* p) const {
        sodium_memzero(p, nSize);
        delete[] p;
    }
};
using PlainBuffer = std::unique_ptr<unsigned char[], WipeOnFree>;
inline PlainBuffer NewPlainBuffer(std::size_t nSize) {
    return PlainBuffer(new unsigned char[nSize], WipeOnFree{nSize});
}

}  // namespace quovex
