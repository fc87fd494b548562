// What the two programs do first: make the process keep its secrets. Keys,
// the scramble key and plain content lie in its memory while a vault is
// open; another process of the same user could read them through
// /proc/PID/mem or ptrace, and a crash would write them into a core file.
#pragma once

namespace quovex {

// Marks the process not dumpable (prctl PR_SET_DUMPABLE 0: no core file,
// no ptrace attach and no /proc/PID/mem by other processes of the user)
// and sets its core file size limit to 0, for platforms where the first is
// not there. True when both took; a failure leaves the process running as
// before (the caller decides whether to go on). Call once, on the main
// thread, before any secret is read.
bool KeepProcessSecretsIn();

}  // namespace quovex
