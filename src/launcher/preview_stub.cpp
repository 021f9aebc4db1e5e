#include "launcher/modes.h"

namespace qm {

// The preview picture arrives with its window class.
void RunPreview(HWND) {}

} // namespace qm
