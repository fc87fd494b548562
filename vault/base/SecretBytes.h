// Key material in memory: bytes that are locked out of swap, guarded
// against overruns and wiped when they are no longer needed. Every key of a
// protected vault and every key derived from a password lives in one.
#pragma once

#include <cstddef>

namespace quovex {

// A fixed number of secret bytes from sodium_malloc (locked, guard pages),
// wiped and freed by sodium_free when the object goes or Wipe is called.
// Move-only. A failed allocation leaves it empty (IsEmpty), which callers
// treat as running out of memory. Any thread; one object is not shared
// between threads while it changes.
class CSecretBytes {
public:
    CSecretBytes() = default;
    // nSize zero bytes; empty when memory or libsodium is not available.
    explicit CSecretBytes(std::size_t nSize);
    ~CSecretBytes();
    CSecretBytes(CSecretBytes&& other) noexcept;
    CSecretBytes& operator=(CSecretBytes&& other) noexcept;
    CSecretBytes(const CSecretBytes&) = delete;
    CSecretBytes& operator=(const CSecretBytes&) = delete;

    // A copy in new secret memory; empty when it cannot be had.
    CSecretBytes Clone() const;
    // Wipes and frees the bytes; the object is empty afterwards.
    void Wipe();

    bool IsEmpty() const { return m_pData == nullptr; }
    unsigned char* Data() { return m_pData; }
    const unsigned char* Data() const { return m_pData; }
    std::size_t Size() const { return m_nSize; }
    // Constant-time comparison (sodium_memcmp); false when sizes differ.
    bool Equals(const CSecretBytes& other) const;

private:
    unsigned char* m_pData = nullptr;
    std::size_t m_nSize = 0;
};

}  // namespace quovex
