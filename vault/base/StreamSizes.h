// The sizes a file's bytes are moved in, and the sizes from which a large
// file takes the ways that pay only for large files: reading ahead and
// writing behind on helper threads, sealing on two threads, flushing a new
// file as it grows. The real file system streams with the constants below
// (CVaultEnv::Sizes); an env of a test hands out smaller ones, so that
// files of a few hundred KiB take every way a file of many MiB takes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quovex {

// Bytes moved per read and per write; a multiple of every format's block.
constexpr std::size_t STORE_CHUNK_SIZE = 1u << 20;
// From this size on, the next piece is read on a helper thread; below it
// starting the thread costs more than the overlap gains.
constexpr std::uint64_t STORE_READ_AHEAD_SIZE = 4 * STORE_CHUNK_SIZE;
// Bytes a new file gathers unflushed before it is flushed behind its
// writing on a thread of its own (FlushBehind.h), and before its writing
// to the disk is started again.
constexpr std::uint64_t STORE_FLUSH_STEP = 8u << 20;

struct StreamSizes {
    // Bytes per read and per write: a multiple of 64 KiB (the protected
    // format's chunk, itself a multiple of the scrambled format's block).
    std::size_t nChunk = STORE_CHUNK_SIZE;
    // The file size from which pieces are read ahead and, in the protected
    // format, written behind and sealed or opened on two threads.
    std::uint64_t nReadAhead = STORE_READ_AHEAD_SIZE;
    // As STORE_FLUSH_STEP.
    std::uint64_t nFlushStep = STORE_FLUSH_STEP;

    bool operator==(const StreamSizes&) const = default;
};

}  // namespace quovex
