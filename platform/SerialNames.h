#pragma once
// The ports COM1 to COM8 of the interface and stored settings, mapped to
// device paths: the option file's section "Ports" (COM1=/dev/ttyUSB0...)
// first; each name left unmapped takes, in order, the detected devices not
// mapped yet (ttyUSB*, then ttyACM*, then ttyS*, each in numeric order).
#include <array>
#include <map>
#include <string>
#include <vector>

namespace kep {

// The serial devices present in `devDir`, in the order above; a ttyS node
// whose port the kernel reports without a UART (type 0 under `sysDir`) is
// left out.
std::vector<std::string> DetectSerialDevices(const std::string& devDir = "/dev",
                                             const std::string& sysDir = "/sys/class/tty");

// mapped: port number (1..8) -> device path. Result index 0 is COM1; an
// empty path means no device.
std::array<std::string, 8> MapComPorts(const std::map<int, std::string>& mapped,
                                       const std::vector<std::string>& detected);

// The section "Ports" of an option file (keys matched without regard to
// case; values other than COM1..COM8 ignored).
std::map<int, std::string> ReadPortsSection(const std::string& optionFile);

// The device of COM<port> from that option file and /dev.
std::string ComDevice(int port, const std::string& optionFile);

} // namespace kep
