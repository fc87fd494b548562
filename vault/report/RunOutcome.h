// How a run of the worker thread ended, as its worker returns it. What
// went through and what did not, and why, is in the run's report (the
// job's TransferReport); the outcome says whether the run got to its end.
#pragma once

#include <functional>

namespace quovex {

class CVaultFeedback;

enum class RunOutcome {
    RUN_FINISHED,   // every item was handled (each failure is in the report)
    RUN_CANCELLED,  // a cancel stopped it early; what was done by then stays done
    RUN_STOPPED,    // it could not go on (no room, out of memory): the report says why
};

// A job run on the worker thread with the feedback of its run.
using ProgressWorker = std::function<RunOutcome(CVaultFeedback& feedback)>;

}  // namespace quovex
