// The generator's seed inputs as the platform gives them.
#pragma once

#include "wipe/random.h"

namespace bpriv {

// Tick count, cursor position ((0, 0) when it cannot be read), thread and
// process ids.
SeedInputs ReadPlatformSeedInputs();

}  // namespace bpriv
