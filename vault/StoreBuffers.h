// Buffer sizes shared by the formats' streaming loops. I/O goes in large
// pieces; the transform, progress and cancel stay per block.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

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

}  // namespace quovex
