// The fixed inputs of the reference protected vault in tests/data/protected
// (tests/data/README.md): its key record is made from counted random bytes,
// so that it seals the master key 00 01 .. 1F of the reference stored files
// and can be made again byte for byte. Shared by the tests and the fuzz
// targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "KeyRecord.h"
#include "SecureRandom.h"

namespace quovex::test {

inline constexpr char REFERENCE_USER[] = "张三user";
inline constexpr char REFERENCE_PASSWORD[] = "口令 pass-1234";
// The recovery key 20 21 .. 3F as shown to the user.
inline constexpr char REFERENCE_RECOVERY_KEY[] =
    "40GJ-48S4-4MK2-EA19-58NJ-RB9E-5WR3-2CHK-6GTK-CDSR-74X3-PF1X-7RZG";

// What every reference stored file's metadata holds; its plain bytes are
// ReferenceByte(0), ReferenceByte(1), ...
inline constexpr char REFERENCE_SOURCE_PATH[] = "/tmp/quovex-ref/资料/pattern.bin";
inline constexpr char REFERENCE_SUMMARY[] = "参考文件 reference";
inline constexpr std::int64_t REFERENCE_STORED_TIME = 1'700'000'000;
inline constexpr std::uint32_t REFERENCE_MODE = 0644;
inline constexpr char REFERENCE_PLACE[] = "文档保险柜/资料/pattern.bin";
inline constexpr std::int64_t REFERENCE_SOURCE_TIME = 1'690'000'000;
inline constexpr std::uint32_t REFERENCE_SOURCE_NANOS = 123'456'789;

// The text of a recovery key as the user sees it.
inline std::string TextOf(const CSecretBytes& text) {
    return std::string(reinterpret_cast<const char*>(text.Data()), text.Size());
}

inline constexpr unsigned char ReferenceByte(std::uint64_t i) {
    return static_cast<unsigned char>(7 * i + 3);
}

// While it lives, FillRandom hands out the bytes nFirst, nFirst + 1 ..
// (wrapping at FF) from the first call on, instead of random ones.
class CCountedRandom {
public:
    explicit CCountedRandom(std::size_t nFirst = 0) : m_nNext(nFirst) {
        SetRandomSourceForTests([this](void* p, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i)
                static_cast<unsigned char*>(p)[i] = static_cast<unsigned char>(m_nNext++);
        });
    }
    ~CCountedRandom() { SetRandomSourceForTests(nullptr); }
    CCountedRandom(const CCountedRandom&) = delete;
    CCountedRandom& operator=(const CCountedRandom&) = delete;

private:
    std::size_t m_nNext;
};

// The reference vault's key record made again: master key 00 .. 1F, recovery
// key 20 .. 3F, vault id 40 .. 4F, recovery nonce 50 .. 67, salt 68 .. 77,
// password nonce 78 .. 8F, the fastest limits. False when it cannot be made.
inline bool MakeReferenceRecord(NewKeyRecord* pMade) {
    const CCountedRandom counted;
    return CreateKeyRecord(REFERENCE_USER, REFERENCE_PASSWORD, KDF_FASTEST_LIMITS,
                           VaultNames::NAMES_VISIBLE, pMade) == KeyRecordResult::KEY_OPENED;
}

}  // namespace quovex::test
