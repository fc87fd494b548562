// Why a file did not go through a store or a restore, as a code. The core
// shows no text: each face words the code in its own language. Stateless;
// any thread.
#pragma once

#include <cstdint>

namespace quovex {

enum class FailReason {
    FAIL_OTHER,              // none of the below; the error number, when there is one, is kept
    FAIL_PERMISSION,         // permission denied (EACCES, EPERM)
    FAIL_NO_SPACE,           // the disk is full or the quota used up (ENOSPC, EDQUOT)
    FAIL_READ_ONLY,          // a read-only file system (EROFS)
    FAIL_UNSUPPORTED,        // the file system does not offer the call (EOPNOTSUPP, ENOSYS, EINVAL)
    FAIL_NAME_TOO_LONG,      // a name or path longer than the file system allows
    FAIL_NOT_FOUND,          // not there, or gone meanwhile (ENOENT)
    FAIL_NOT_FOLDER,         // a folder was needed there or on the way, and is not (ENOTDIR)
    FAIL_NOT_PLAIN_FILE,     // a link, a pipe or a device where a file or folder was listed
    FAIL_IO,                 // the device reported an error (EIO)
    FAIL_TOO_LARGE,          // 4 GiB or more, beyond the stored-file format (or EFBIG)
    FAIL_PATH_NOT_STORABLE,  // the source path has no header form (GB18030, 127 bytes at most)
    FAIL_DAMAGED,            // a stored file cut short, without a signature or failing its checks
    FAIL_NEEDS_KEY,          // a protected stored file met without its vault's key
    FAIL_NEWER_FORMAT,       // a stored file of a format version this program does not read
    FAIL_OTHER_VAULT,        // a protected stored file whose header names another vault
    FAIL_TARGET_IS_FOLDER,   // a folder lies where the file would go
    FAIL_DECLINED,           // the user kept the existing file
    FAIL_CANCELLED,          // the user stopped the run during this file
};

// A reason with the error number of the failed call behind it (0 when the
// core found the reason itself).
struct FailCause {
    FailReason nReason = FailReason::FAIL_OTHER;
    int nErrno = 0;
    // For a damaged protected stored file: the body chunk (from 0) where its
    // check failed; -1 when the damage lies elsewhere or is not located.
    std::int64_t nChunk = -1;

    bool operator==(const FailCause&) const = default;
};

// The reason an error number stands for; FAIL_OTHER for any other.
FailReason ReasonOfErrno(int nErrno);
// The cause of a failed call that left nErrno.
FailCause CauseOfErrno(int nErrno);
// The cause of the env call that has just failed: to be called before any
// other call can change errno (VaultEnv.h).
FailCause CauseOfLastError();

}  // namespace quovex
