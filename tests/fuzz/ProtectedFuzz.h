// The libFuzzer target over what reads a protected vault's bytes: key
// records (alone and as the two copies on disk), typed recovery keys and
// credentials, and protected stored files (opened chunk by chunk, and
// restored through the file store into the sandbox, FuzzHarness.h).
//
// The first byte of an input says what the rest is (FUZZ_MODE_...); its
// upper bits steer the run (the flags of each mode). Nothing but the
// reference vault's record and stored files is sealed under its keys, so
// what must hold for any input is that nothing else opens: no master key
// and no plain byte comes from bytes that do not authenticate. Derivations
// run with the fastest limits only, so that no input can make a run slow.
#pragma once

#include <string>
#include <vector>

#include "FuzzHarness.h"

namespace quovex::fuzz {

using Bytes = std::vector<unsigned char>;

constexpr unsigned FUZZ_MODE_BITS = 2;
constexpr unsigned FUZZ_MODE_RECORD = 0;        // a key record
constexpr unsigned FUZZ_MODE_TEXT = 1;          // a typed recovery key; user NUL password
constexpr unsigned FUZZ_MODE_STORED_FILE = 2;   // a protected stored file
constexpr unsigned FUZZ_MODE_RECORD_FILES = 3;  // a key record as a copy on disk

// Flags of the record modes: the target rewrites the checksum as a forger
// would (and lowers limits in range to the fastest), so that the checks
// behind the checksum are reached.
constexpr unsigned FUZZ_FORGE = 1;
// Flags of FUZZ_MODE_RECORD_FILES besides FUZZ_FORGE: the vault is opened
// with the recovery key, and where the input lies (FUZZ_LAYOUT_...).
constexpr unsigned FUZZ_BY_RECOVERY = 2;
constexpr unsigned FUZZ_LAYOUT_SHIFT = 2;
constexpr unsigned FUZZ_LAYOUT_MAIN = 0;          // input main copy, reference second
constexpr unsigned FUZZ_LAYOUT_SECOND = 1;        // reference main copy, input second
constexpr unsigned FUZZ_LAYOUT_MAIN_ALONE = 2;    // input main copy, no second
constexpr unsigned FUZZ_LAYOUT_SECOND_ALONE = 3;  // no main copy, input second

void CheckKeyRecord(Bytes v, unsigned nFlags);
void CheckTypedText(const std::string& strText);
void CheckKeyRecordFiles(Bytes v, unsigned nFlags);
void CheckProtectedFile(const Bytes& v);

}  // namespace quovex::fuzz
