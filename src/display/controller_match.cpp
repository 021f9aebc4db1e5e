#include "display/controller_match.h"

namespace qm {

std::optional<uint32_t> AdapterRamOfDevice(const std::vector<ControllerReading>& controllers,
                                           const std::wstring& deviceId) {
    if (deviceId.empty()) return std::nullopt;
    for (const ControllerReading& controller : controllers) {
        if (!controller.pnpDeviceId || controller.pnpDeviceId->find(deviceId) == std::wstring::npos) continue;
        return controller.adapterRam;
    }
    return std::nullopt;
}

} // namespace qm
