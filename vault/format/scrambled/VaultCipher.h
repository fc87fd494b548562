// The scrambled format's cipher: credential checksum, key string, character
// substitution and the 128-byte block transform. Pure computation.
//
// Texts whose bytes matter are GB18030 byte strings; CVaultCipher takes the
// credentials as UTF-8 and converts them once, at construction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "StoredFileHeader.h"

namespace quovex {

constexpr std::size_t CIPHER_FIELD_SIZE = 64;  // user name or password and a NUL
constexpr std::size_t CIPHER_TEXT_MAX_BYTES = CIPHER_FIELD_SIZE - 1;
constexpr std::size_t CIPHER_KEY_BUFFER_SIZE = 128;
constexpr std::size_t CIPHER_ALPHABET_SIZE = 65;
constexpr unsigned char CIPHER_FIRST_FILLER = 'G';

// The plain and cipher alphabets and the block permutation are part of the
// stored-file format: changing them makes every existing vault unreadable.
extern const char CIPHER_PLAIN_ALPHABET[CIPHER_ALPHABET_SIZE + 1];
extern const char CIPHER_SUBST_ALPHABET[CIPHER_ALPHABET_SIZE + 1];
extern const std::int32_t CIPHER_PERMUTATION[SFF_BLOCK_SIZE];

// Sum of the unsigned byte values of both NUL-terminated texts, wrapping at 2^32.
std::uint32_t CredentialChecksum(const char* pszUser, const char* pszPassword);

// Index of the first occurrence of c in the NUL-terminated alphabet, or -1.
int FindCharIndex(const char* pszAlphabet, char c);

// Maps each byte of the plain alphabet to the cipher alphabet's byte at the
// same index; other bytes pass through. Writes nCount bytes and a NUL to
// pOut; nCount -1 means strlen(pszIn).
void SubstituteChars(char* pOut, const char* pszIn, int nCount);

// The cipher context of one open vault. Immutable after construction, so
// any thread may use it.
class CVaultCipher {
public:
    // A context that holds nothing and is not valid.
    CVaultCipher() = default;
    // Takes UTF-8 credentials and keeps their EncodeCredential bytes. When
    // either is refused the context is not valid: both fields stay empty and
    // nothing can be scrambled with it.
    CVaultCipher(const std::string& strUser, const std::string& strPassword);
    // Wipes the credentials it holds.
    ~CVaultCipher();
    CVaultCipher(const CVaultCipher&) = default;
    CVaultCipher& operator=(const CVaultCipher&) = default;

    // Wipes the credentials; the context is not valid afterwards.
    void Wipe();

    // The GB18030 bytes of a UTF-8 user name or password as a field holds
    // them. False for text that is not valid UTF-8, holds a NUL or needs more
    // than 63 bytes: such text is refused, never cut or taken as raw bytes.
    static bool EncodeCredential(const std::string& strText, std::string* pBytes);

    // False when the constructor refused the credentials.
    bool IsValid() const { return m_bValid; }

    // Writes the key string before substitution (2·max(Lu, Lp) bytes and a
    // NUL) into a buffer of CIPHER_KEY_BUFFER_SIZE bytes.
    void MakeKey(char* pOut) const;

    // Builds the substituted key string used on every block of one file.
    void BuildFileKey(char* pOut) const;

    // out[P[i]] = in[i] + key[i mod L]; with an empty key the block is only permuted.
    static void ScrambleBlock(const char* pszKey, const unsigned char* pIn, unsigned char* pOut);
    // Exact inverse of ScrambleBlock with the same key.
    static void UnscrambleBlock(const char* pszKey, const unsigned char* pIn, unsigned char* pOut);

    // The byte added at each position of a block: key[i mod L], or 0 for an
    // empty key. Streaming code expands the key once per file with this and
    // then transforms every block with the two operations below, which give
    // the same bytes as ScrambleBlock and UnscrambleBlock.
    static void ExpandKey(const char* pszKey, unsigned char* pStream);
    static void ScrambleWithStream(const unsigned char* pStream, const unsigned char* pIn,
                                   unsigned char* pOut);
    static void UnscrambleWithStream(const unsigned char* pStream, const unsigned char* pIn,
                                     unsigned char* pOut);

    // CredentialChecksum of this context's user name and password.
    std::uint32_t Checksum() const;

    const char* UserBytes() const { return m_szUser; }
    const char* PasswordBytes() const { return m_szPassword; }

private:
    char m_szUser[CIPHER_FIELD_SIZE] = {};
    char m_szPassword[CIPHER_FIELD_SIZE] = {};
    bool m_bValid = false;
};

}  // namespace quovex
