#include "ChunkIo.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace quovex {

std::int64_t ReadFull(CReadableFile& file, unsigned char* pBuf, std::size_t nWant) {
    std::size_t nGot = 0;
    while (nGot < nWant) {
        const std::int64_t n = file.Read(pBuf + nGot, nWant - nGot);
        if (n < 0) return -1;
        if (n == 0) break;
        nGot += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(nGot);
}

// --- CChunkSlots -----------------------------------------------------------

CChunkSlots::CChunkSlots(std::size_t nChunk, int nSlots) {
    for (int i = 0; i < nSlots && i < CHUNK_SLOTS; ++i) m_pData[i] = NewPlainBuffer(nChunk);
}

void CChunkSlots::Post(int nSlot, std::int64_t nLength, bool bFull) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nLength[nSlot] = nLength;
        m_bFull[nSlot] = bFull;
    }
    m_changed.notify_all();
}

bool CChunkSlots::WaitFor(int nSlot, bool bFull, std::int64_t* pnLength) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_bStop || m_bFull[nSlot] == bFull; });
    if (m_bStop) return false;
    if (pnLength) *pnLength = m_nLength[nSlot];
    return true;
}

void CChunkSlots::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
}

namespace {

// Starts a helper thread, or leaves it unjoinable when none can be had.
template <typename Body>
std::thread StartHelper(Body body) {
    try {
        return std::thread(body);
    } catch (const std::system_error&) {
        return std::thread();
    }
}

}  // namespace

// --- CReadAhead ------------------------------------------------------------
// The caller gives a slot back by asking for the next chunk.

CReadAhead::CReadAhead(CReadableFile& file, std::size_t nChunk, bool bAhead, std::uint64_t nLimit)
    : m_file(file),
      m_nChunk(nChunk),
      m_nRemaining(nLimit),
      m_slots(nChunk, bAhead ? CChunkSlots::CHUNK_SLOTS : 1) {
    if (bAhead) m_helper = StartHelper([this] { ReadLoop(); });
}

CReadAhead::~CReadAhead() {
    if (!m_helper.joinable()) return;
    m_slots.Stop();
    m_helper.join();
}

// Fills the slots in turn and ends after the last (short) chunk or an error.
void CReadAhead::ReadLoop() {
    for (int nSlot = 0;; nSlot = (nSlot + 1) % CChunkSlots::CHUNK_SLOTS) {
        if (!m_slots.WaitFor(nSlot, false, nullptr)) return;
        const std::int64_t n = ReadChunk(m_slots.Data(nSlot));
        m_slots.Post(nSlot, n, true);
        if (n < static_cast<std::int64_t>(m_nChunk)) return;
    }
}

std::int64_t CReadAhead::ReadChunk(unsigned char* pBuf) {
    const std::size_t nWant =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_nChunk, m_nRemaining));
    const std::int64_t n = nWant == 0 ? 0 : ReadFull(m_file, pBuf, nWant);
    // errno belongs to the reading thread: a failure travels as its negative.
    if (n < 0) return errno > 0 ? -errno : -EIO;
    m_nRemaining -= static_cast<std::uint64_t>(n);
    return n;
}

std::int64_t CReadAhead::Next(unsigned char** ppData) {
    *ppData = m_slots.Data(0);
    if (m_bEnded) return m_nLast < 0 ? Failed() : 0;
    if (!m_helper.joinable()) {
        m_nLast = ReadChunk(*ppData);
    } else {
        if (m_nHeld >= 0) m_slots.Post(m_nHeld, 0, false);
        m_slots.WaitFor(m_nNext, true, &m_nLast);
        m_nHeld = m_nNext;
        m_nNext = (m_nNext + 1) % CChunkSlots::CHUNK_SLOTS;
        *ppData = m_slots.Data(m_nHeld);
    }
    m_bEnded = m_nLast < static_cast<std::int64_t>(m_nChunk);
    return m_nLast < 0 ? Failed() : m_nLast;
}

std::int64_t CReadAhead::Failed() const {
    errno = static_cast<int>(-m_nLast);
    return -1;
}

// --- CWriteBehind ----------------------------------------------------------
// A full slot holds a piece for the writer; the writer empties it once the
// piece is written, or at once after a failed write (nothing more is written).

CWriteBehind::CWriteBehind(CWritableFile& target, std::size_t nPiece, bool bBehind)
    : m_target(target), m_slots(nPiece, bBehind ? CChunkSlots::CHUNK_SLOTS : 1) {
    if (bBehind) m_helper = StartHelper([this] { WriteLoop(); });
}

CWriteBehind::~CWriteBehind() {
    if (!m_helper.joinable()) return;
    m_slots.Stop();
    m_helper.join();
}

void CWriteBehind::WriteLoop() {
    for (int nSlot = 0;; nSlot = (nSlot + 1) % CChunkSlots::CHUNK_SLOTS) {
        std::int64_t nCount = 0;
        if (!m_slots.WaitFor(nSlot, true, &nCount)) return;
        if (nCount > 0 && m_nError.load() == 0 &&
            !m_target.Append(m_slots.Data(nSlot), static_cast<std::size_t>(nCount)))
            m_nError.store(errno > 0 ? errno : EIO);
        m_slots.Post(nSlot, 0, false);
    }
}

unsigned char* CWriteBehind::Buffer() {
    if (m_helper.joinable()) m_slots.WaitFor(m_nNext, false, nullptr);
    return Failed() ? nullptr : m_slots.Data(m_nNext);
}

bool CWriteBehind::Post(std::size_t nCount) {
    if (Failed()) return false;
    if (!m_helper.joinable()) {
        if (nCount > 0 && !m_target.Append(m_slots.Data(0), nCount))
            m_nError.store(errno > 0 ? errno : EIO);
        return !Failed();
    }
    m_slots.Post(m_nNext, static_cast<std::int64_t>(nCount), true);
    m_nNext = (m_nNext + 1) % CChunkSlots::CHUNK_SLOTS;
    return true;
}

bool CWriteBehind::Finish() {
    if (m_helper.joinable())
        for (int nSlot = 0; nSlot < CChunkSlots::CHUNK_SLOTS; ++nSlot)
            m_slots.WaitFor(nSlot, false, nullptr);
    return !Failed();
}

bool CWriteBehind::Failed() const {
    const int nError = m_nError.load();
    if (nError == 0) return false;
    errno = nError;
    return true;
}

}  // namespace quovex
