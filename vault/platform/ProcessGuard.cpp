#include "ProcessGuard.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace quovex {

bool KeepProcessSecretsIn() {
    const rlimit noCore{0, 0};
    const bool bNoCore = setrlimit(RLIMIT_CORE, &noCore) == 0;
    const bool bNotDumpable = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return bNoCore && bNotDumpable;
}

}  // namespace quovex
