#include "SecureRandom.h"

#include <sodium.h>

#include <mutex>
#include <utility>

namespace quovex {

namespace {

std::mutex g_sourceMutex;
RandomSource g_fnTestSource;  // empty outside tests

}  // namespace

bool SodiumReady() {
    static const bool s_bReady = sodium_init() >= 0;  // 1 when already started
    return s_bReady;
}

void FillRandom(void* pOut, std::size_t nSize) {
    {
        std::lock_guard<std::mutex> lock(g_sourceMutex);
        if (g_fnTestSource) {
            g_fnTestSource(pOut, nSize);
            return;
        }
    }
    SodiumReady();
    randombytes_buf(pOut, nSize);
}

void SetRandomSourceForTests(RandomSource fnSource) {
    std::lock_guard<std::mutex> lock(g_sourceMutex);
    g_fnTestSource = std::move(fnSource);
}

}  // namespace quovex
