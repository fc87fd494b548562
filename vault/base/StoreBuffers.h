// Buffer sizes shared by the formats' streaming loops. I/O goes in large
// pieces; the transform, progress and cancel stay per block.
#pragma once

#include <sodium.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace quovex {

// Bytes moved per read and per write; a multiple of every format's block.
constexpr std::size_t STORE_CHUNK_SIZE = 1u << 20;
// From this size on, the next piece is read on a helper thread; below it
// starting the thread costs more than the overlap gains.
constexpr std::uint64_t STORE_READ_AHEAD_SIZE = 4 * STORE_CHUNK_SIZE;

// Room for a whole small file of nBytes, in whole nBlock blocks plus one,
// at most one chunk: many small files do not each pay for a full buffer.
inline std::size_t ChunkFor(std::uint64_t nBytes, std::size_t nBlock) {
    const std::uint64_t nBlocks = nBytes / nBlock + 1;
    return static_cast<std::size_t>(std::min<std::uint64_t>(STORE_CHUNK_SIZE, nBlocks * nBlock));
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
