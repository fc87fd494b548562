#include "FailReason.h"

#include <cerrno>

namespace quovex {

FailReason ReasonOfErrno(int nErrno) {
    switch (nErrno) {
        case EACCES:
        case EPERM:
            return FailReason::FAIL_PERMISSION;
        case ENOSPC:
        case EDQUOT:
            return FailReason::FAIL_NO_SPACE;
        case EROFS:
            return FailReason::FAIL_READ_ONLY;
        // The core passes only valid arguments: an EINVAL is a file system
        // refusing a flag it does not know (RENAME_NOREPLACE on FUSE, say).
        case EOPNOTSUPP:
        case ENOSYS:
        case EINVAL:
            return FailReason::FAIL_UNSUPPORTED;
        case ENAMETOOLONG:
            return FailReason::FAIL_NAME_TOO_LONG;
        case ENOENT:
            return FailReason::FAIL_NOT_FOUND;
        // A file where a folder is needed (the vault's location, a folder
        // of a path), or a folder swapped for a link that is not followed.
        case ENOTDIR:
            return FailReason::FAIL_NOT_FOLDER;
        // O_NOFOLLOW met a link; the env's word for a folder, pipe or device
        // where a regular file was asked for.
        case ELOOP:
        case EISDIR:
        case ENXIO:
            return FailReason::FAIL_NOT_PLAIN_FILE;
        case EIO:
            return FailReason::FAIL_IO;
        case EFBIG:
            return FailReason::FAIL_TOO_LARGE;
        default:
            return FailReason::FAIL_OTHER;
    }
}

FailCause CauseOfErrno(int nErrno) {
    return {ReasonOfErrno(nErrno), nErrno};
}

FailCause CauseOfLastError() {
    return CauseOfErrno(errno);
}

}  // namespace quovex
