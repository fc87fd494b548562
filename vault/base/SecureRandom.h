// libsodium's start and the one source of random bytes of the vault: keys,
// salts, vault and file ids, nonces. Thread-safe.
#pragma once

#include <cstddef>
#include <functional>

namespace quovex {

// Starts libsodium once (sodium_init); false when it cannot start, in which
// case nothing cryptographic may be done.
bool SodiumReady();

// nSize random bytes from randombytes_buf, unless a test has fixed them.
void FillRandom(void* pOut, std::size_t nSize);

// Test-only seam: from now on FillRandom calls fnSource instead (null:
// randombytes_buf again). The reference files in tests/data are made with
// fixed bytes through it; nothing else may call it.
using RandomSource = std::function<void(void* pOut, std::size_t nSize)>;
void SetRandomSourceForTests(RandomSource fnSource);

}  // namespace quovex
