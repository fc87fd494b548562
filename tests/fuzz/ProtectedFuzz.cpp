// Entry points of the protected-vault fuzz target (ProtectedFuzz.h): the
// reference vault and the sandbox made once, each input dispatched by its
// first byte.
#include "ProtectedFuzz.h"

using namespace quovex;
using namespace quovex::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_pWorld = new FuzzWorld(test::REFERENCE_USER, test::REFERENCE_PASSWORD);
    // Nonces of summary edits counted too, so that every run of an input is the same.
    static const test::CCountedRandom* s_pCounted = new test::CCountedRandom;
    (void)s_pCounted;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize == 0) return 0;
    const unsigned nFlags = pData[0] >> FUZZ_MODE_BITS;
    Bytes v(pData + 1, pData + nSize);
    switch (pData[0] & ((1u << FUZZ_MODE_BITS) - 1)) {
        case FUZZ_MODE_RECORD:
            CheckKeyRecord(std::move(v), nFlags);
            break;
        case FUZZ_MODE_TEXT:
            CheckTypedText(std::string(v.begin(), v.end()));
            break;
        case FUZZ_MODE_STORED_FILE:
            CheckProtectedFile(v);
            break;
        default:
            CheckKeyRecordFiles(std::move(v), nFlags);
            break;
    }
    return 0;
}
