#pragma once

namespace sanitizers {

// Does nothing; calling it from code every program links makes the linker keep the suppression
// hooks that live beside it.
void keepSuppressions();

}  // namespace sanitizers
