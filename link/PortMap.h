// Which COM port numbers this machine has, and the per-port device paths that
// zul.ini may set over the default map of Comportfunctions.
#pragma once
#include <string>
#include <vector>

namespace zul {

class IniFile;

// Section of zul.ini with one key "COM<n>" per overridden port, the value a device
// path ("COM3=/dev/ttyUSB0"). An empty value drops the override of that port.
inline constexpr const char* kPortMapSection = "PORT_MAP";
constexpr int kMaxPortNumber = 255;

// Applies the overrides found in zul.ini; returns how many keys were applied.
int ReadPortMap(const IniFile& zulIni);

// True when port n is present, free or busy: its device opens, or it exists but
// another program holds it or we may not open it. False for a number without a
// device, a device with no hardware behind it, or a path that is not a terminal.
bool PortExists(int portNumber);

// A serial adapter under its stable name, which stays when it is plugged into
// another socket or others are plugged in before it.
struct NamedPort {
    std::string path;     // /dev/serial/by-id/usb-...
    std::string device;   // the device it stands for now (/dev/ttyUSB0)
    int portNumber = 0;   // the port number of that device, 0 when it has none
    std::string maker;    // from the USB device in sysfs ("" when it does not tell)
    std::string model;
};
// The stable names of the adapters plugged in, sorted by name.
std::vector<NamedPort> ListNamedPorts();
// Where the stable names and sysfs are looked for (by default /dev/serial/by-id and
// /sys); empty strings restore the defaults.
void SetNamedPortFolders(const std::string& byIdFolder, const std::string& sysFolder);

}  // namespace zul
