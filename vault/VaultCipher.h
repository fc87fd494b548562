// The cipher of the vault: credential checksum, key string, character
// substitution and the 128-byte block transform. Pure computation.
//
// Texts whose bytes matter are GB18030 byte strings; CVaultCipher takes the
// credentials as UTF-8 and converts them once, at construction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "FileOutcome.h"
#include "StoredFileFormat.h"

namespace quovex {

class CReadableFile;
class CRestoreFolders;
class CVaultEnv;
class CVaultFeedback;
struct KeepOutSet;

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
    // Takes UTF-8 credentials and keeps their EncodeCredential bytes. When
    // either is refused the context is not valid: both fields stay empty and
    // StoreFile and RestoreFile return 0.
    CVaultCipher(const std::string& strUser, const std::string& strPassword,
                 CVaultEnv* pEnv = nullptr);
    // Wipes the credentials it holds.
    virtual ~CVaultCipher();

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

    // Stores the plain file strSource as the stored file strStored (which
    // ends in ".$"), asking before an existing stored file is replaced.
    // Returns 1 when the stored file is complete and in place, else 0; on 0
    // an existing stored file is left as it was and no partial file remains.
    // Refuses sources that are not regular files (a link, a pipe), of 4 GiB
    // or more, with source paths over 127 GB18030 bytes, and sources that
    // change while they are read. *pResult, when given, tells why, and what
    // the source was when stored. Reports through pFeedback when it is not
    // null (with none, an existing stored file is not replaced). Never
    // throws. Runs on any thread.
    int StoreFile(const std::string& strSource, const std::string& strStored,
                  CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                  StoreResult* pResult = nullptr) const;
    // The same for the file strName of an open folder, whose path is
    // strSource, into pStoredFolder, the open folder that holds strStored
    // (null: it is opened, and made when missing).
    int StoreFileAt(CFolder& folder, const std::string& strName, const std::string& strSource,
                    const FolderPtr& pStoredFolder, const std::string& strStored,
                    CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                    StoreResult* pResult) const;

    // Restores a stored file to strTarget minus its last extension or, when
    // strTarget is empty, to the source path recorded in its header (which
    // must be an absolute path in the normal form storing records). Asks
    // before an existing file is replaced; a replaced file keeps its mode,
    // owner and group. Returns 1 when the whole body was read and the plain
    // file is in place, else 0, leaving an existing target as it was and
    // nothing partial; *pResult, when given, tells why. A body shorter
    // than the plain size calls for is a failure. With pKeepOut, a target
    // that would lie in one of its folders or take the place of one of its
    // files is refused (FILE_IN_VAULT) before anything is created. Never
    // throws.
    int RestoreFile(const std::string& strStored, const std::string& strTarget,
                    CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                    FileResult* pResult = nullptr, const KeepOutSet* pKeepOut = nullptr) const;

    // The same for the stored file strName of an open folder, whose path is
    // strStored, into the folders that targets hands out: each is made,
    // opened and kept out of the vault once for all the files it receives.
    int RestoreFileAt(CFolder& folder, const std::string& strName, const std::string& strStored,
                      const std::string& strTarget, CRestoreFolders& targets,
                      CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                      FileResult* pResult) const;

    const char* UserBytes() const { return m_szUser; }
    const char* PasswordBytes() const { return m_szPassword; }
    CVaultEnv* Env() const { return m_pEnv; }

private:
    using SourceOpener = std::function<std::unique_ptr<CReadableFile>()>;
    int StoreFrom(const SourceOpener& fnOpen, const std::string& strSource,
                  const FolderPtr& pStoredFolder, const std::string& strStored,
                  CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                  StoreResult* pResult) const;
    FileResult StoreSteps(const SourceOpener& fnOpen, const std::string& strSource,
                          const FolderPtr& pStoredFolder, const std::string& strStored,
                          CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                          FileStamp* pSourceStamp) const;
    int RestoreFrom(const SourceOpener& fnOpen, const std::string& strStored,
                    const std::string& strTarget, CRestoreFolders& targets,
                    CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                    FileResult* pResult) const;
    FileResult RestoreSteps(const SourceOpener& fnOpen, const std::string& strStored,
                            const std::string& strTarget, CRestoreFolders& targets,
                            CVaultFeedback* pFeedback, std::uint64_t& nDone,
                            std::uint64_t nTotal) const;

    char m_szUser[CIPHER_FIELD_SIZE] = {};
    char m_szPassword[CIPHER_FIELD_SIZE] = {};
    bool m_bValid = false;
    CVaultEnv* m_pEnv;
};

}  // namespace quovex
