// One stored file written anew in the protected format, in its own place:
// the conversion of a scrambled file, and a protected file of the first
// version that must record its place (its header, bound into every chunk,
// says its records hold none). The new file is flushed and read back (every
// chunk authenticated, the content compared with what was written) before
// it takes the old one's name, and only while the old one is still the
// file that was read; until then the old file stays as it was. The
// worker's thread.
#pragma once

#include <string>

#include "FileOutcome.h"
#include "VaultEnv.h"

namespace quovex {

class CFileStore;
class CStoredReader;
struct RunContext;
struct TransferReport;

// Rewrites the stored file strName of folder, open in reader (its head
// read, its body not yet) and read as the stamp read says, as a protected
// file recording strPlace, with the recorded path, summary, times and mode
// of its head. files must hold the vault's master key. run counts the
// plain bytes read. FILE_DONE once the new file is in place (and, where a
// flush of the volume does not reach, its name durable); FILE_CHANGED when
// the old file changed meanwhile; FAIL_IO (EIO) for a new file that did
// not read back as it was written; else the cause.
FileResult RewriteStoredFile(const CFileStore& files, CFolder& folder, const std::string& strName,
                             CStoredReader& reader, const FileStamp& read,
                             const std::string& strPlace, RunContext& run);

// Counts what a conversion did with the stored file strPath in *pReport:
// done, passed over (it changed meanwhile), or failed with its cause; a
// cancel also sets *pbCancelled.
void NoteRewriteResult(const FileResult& result, const std::string& strPath,
                       TransferReport* pReport, bool* pbCancelled);

}  // namespace quovex
