// Chunked reading of one file, optionally one chunk ahead on a helper
// thread, so that the kernel's copy of the next chunk overlaps the transform
// and the write of the current one: those copies bound a large store or
// restore. Writing behind on a helper thread as well pays where the
// transform costs more than the copies (the protected format's sealing);
// for the scrambled format's it was slower on two cores.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "StoreBuffers.h"
#include "VaultEnv.h"

namespace quovex {

// Fills pBuf with up to nWant bytes of file; fewer only at its end. The
// count read, or -1 on a read error.
std::int64_t ReadFull(CReadableFile& file, unsigned char* pBuf, std::size_t nWant);

// Two buffers handed between a caller and a helper thread in turn: a full
// slot holds a chunk for the caller, an empty one is the helper's to fill.
class CChunkSlots {
public:
    static constexpr int CHUNK_SLOTS = 2;

    // nSlots (1 or CHUNK_SLOTS) buffers of nChunk bytes: a caller that
    // works alone needs one.
    explicit CChunkSlots(std::size_t nChunk, int nSlots = CHUNK_SLOTS);

    unsigned char* Data(int nSlot) const { return m_pData[nSlot].get(); }

    // Marks a slot full with a result of nLength, or empty.
    void Post(int nSlot, std::int64_t nLength, bool bFull);
    // Waits until the slot is full (bFull) or empty, or a stop; false on a stop.
    bool WaitFor(int nSlot, bool bFull, std::int64_t* pnLength);
    void Stop();

private:
    // Plain content passes through them: wiped when they go.
    PlainBuffer m_pData[CHUNK_SLOTS];
    std::int64_t m_nLength[CHUNK_SLOTS] = {};
    bool m_bFull[CHUNK_SLOTS] = {};
    bool m_bStop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

class CReadAhead {
public:
    // Reads file in chunks of nChunk bytes, nLimit bytes at most: a file
    // known to hold nLimit bytes ends there without one more read to find
    // its end (whoever needs to know that it did not grow looks again).
    // With bAhead a helper thread reads the next chunk while the caller
    // works on one; when that thread cannot be started, reading stays on
    // the caller's thread. file must outlive this object, and nobody else
    // reads it meanwhile.
    CReadAhead(CReadableFile& file, std::size_t nChunk, bool bAhead,
               std::uint64_t nLimit = UINT64_MAX);
    // Waits for a read in progress (at most one chunk) to end.
    ~CReadAhead();
    CReadAhead(const CReadAhead&) = delete;
    CReadAhead& operator=(const CReadAhead&) = delete;

    // The next chunk: *ppData points to its bytes, which the caller may
    // change and which stay valid until the next call. Returns its length,
    // short of nChunk only at the end of the file (0 after the end), or -1
    // after a read error, with errno as that read left it on whichever
    // thread made it; every later call returns the same.
    std::int64_t Next(unsigned char** ppData);

private:
    void ReadLoop();
    // Reads the next chunk into pBuf; only the reading thread calls it.
    // Its length, or the negative errno of a failed read.
    std::int64_t ReadChunk(unsigned char* pBuf);
    // -1, with errno set to the failed read's.
    std::int64_t Failed() const;

    CReadableFile& m_file;
    std::size_t m_nChunk;
    std::uint64_t m_nRemaining;  // of the limit; touched by the reading thread alone
    CChunkSlots m_slots;
    int m_nNext = 0;   // the slot the caller takes next
    int m_nHeld = -1;  // the slot the caller holds
    std::int64_t m_nLast = 0;
    bool m_bEnded = false;  // a short chunk or an error was handed out
    std::thread m_helper;
};

// Writes pieces into a file behind the caller: the caller fills one buffer
// while a helper thread writes the other, the pieces reaching the file in
// the order they were handed over.
class CWriteBehind {
public:
    // Writes into target pieces of at most nPiece bytes each. With bBehind a
    // helper thread writes them; when that thread cannot be started, or
    // without bBehind, each piece is written on the caller's thread as it
    // is handed over. target must outlive this object, and nobody else
    // writes it meanwhile.
    CWriteBehind(CWritableFile& target, std::size_t nPiece, bool bBehind);
    // Drops the pieces not yet written (the caller gives up on the file:
    // a failure or a cancel) after waiting for a write in progress.
    ~CWriteBehind();
    CWriteBehind(const CWriteBehind&) = delete;
    CWriteBehind& operator=(const CWriteBehind&) = delete;

    // The buffer to fill next, nPiece bytes, once what it held is written.
    // Null after a failed write, with errno as that write left it.
    unsigned char* Buffer();
    // Hands the first nCount bytes of the buffer Buffer() gave over to be
    // written. False when a write failed, this one or an earlier one, with
    // errno as it left it; every later call fails the same way.
    bool Post(std::size_t nCount);
    // Waits until every piece handed over is written. False as Post.
    bool Finish();

private:
    void WriteLoop();
    // True after a failed write, with errno set to that write's.
    bool Failed() const;

    CWritableFile& m_target;
    CChunkSlots m_slots;
    std::atomic<int> m_nError{0};  // errno of the first failed write
    int m_nNext = 0;               // the slot the caller fills next
    std::thread m_helper;
};

}  // namespace quovex
