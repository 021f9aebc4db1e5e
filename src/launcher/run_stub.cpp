#include "launcher/modes.h"

namespace qm {

// The main program search and launch arrive with the registry helpers.
void LaunchMainProgram() {}

} // namespace qm
