// Unseals a key record made with the default derivation limits (or the
// OPSLIMIT and MEMLIMIT_MIB given) three times, as a login does once, and
// prints the best and worst time and the process's peak memory, which the
// derivation's memory dominates.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "KeyRecord.h"

using namespace quovex;

int main(int argc, char** argv) {
    KdfLimits limits = KDF_DEFAULT_LIMITS;
    if (argc > 2) {
        limits.nOpsLimit = std::strtoull(argv[1], nullptr, 10);
        limits.nMemLimit = std::strtoull(argv[2], nullptr, 10) << 20;
    }
    NewKeyRecord made;
    const KeyRecordResult created =
        CreateKeyRecord("bench", "bench-pw", limits, VaultNames::NAMES_HIDDEN, &made);
    if (created != KeyRecordResult::KEY_OPENED) {
        std::fprintf(stderr, "cannot make a record with these limits (%d)\n",
                     static_cast<int>(created));
        return 1;
    }
    double dBest = 1e9, dWorst = 0;
    for (int nRun = 0; nRun < 3; ++nRun) {
        CSecretBytes key;
        const auto t0 = std::chrono::steady_clock::now();
        if (UnsealWithPassword(made.vRecord, "bench", "bench-pw", &key) !=
            KeyRecordResult::KEY_OPENED)
            return 1;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - t0;
        dBest = std::min(dBest, elapsed.count());
        dWorst = std::max(dWorst, elapsed.count());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %.3f %.1f %llu %llu\n", dBest, dWorst, usage.ru_maxrss / 1024.0,
                static_cast<unsigned long long>(limits.nOpsLimit),
                static_cast<unsigned long long>(limits.nMemLimit >> 20));
    return 0;
}
