// Which WMI video controller belongs to a display device, and what its AdapterRAM says.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

struct ControllerReading {
    std::optional<std::wstring> pnpDeviceId; // none when the property could not be read as text
    std::optional<uint32_t> adapterRam;      // none when it could not be read as a number
};

// The first controller, in the order WMI gave them, whose PNPDeviceID contains deviceId (exact letter
// case; the WMI form adds an instance suffix) decides: its AdapterRAM, or nothing when that is
// unreadable. Nothing when none matches; an empty deviceId matches nothing.
std::optional<uint32_t> AdapterRamOfDevice(const std::vector<ControllerReading>& controllers,
                                           const std::wstring& deviceId);

} // namespace qm
