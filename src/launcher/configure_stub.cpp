#include "launcher/modes.h"

namespace qm {

// The settings dialog arrives with its template.
void RunConfigure(HWND) {}

} // namespace qm
