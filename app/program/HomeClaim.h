#pragma once

#include "platform/foundation/Result.h"

namespace zunoradio {

// One run per home. Every store of the home is written by a run from what it read at its own
// start, and downloads use fixed file names, so two runs would destroy each other's offline songs,
// kept programmes and settings. The claim is a lock on a file in the home, and on one in the
// caches folder when that lies outside the home (another home may share it); the system lets go
// of them when the process ends, however it ends.
//
// Main thread, once, before anything opens the home or the caches. Holds the claim for the rest of
// the process; when another run holds it, or it cannot be made, fails with a sentence for people
// and leaves the folders in use as they were.
foundation::Status claimHomeForThisRun();

}  // namespace zunoradio
