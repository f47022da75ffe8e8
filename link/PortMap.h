// Which COM port numbers this machine has, and the per-port device paths that
// zul.ini may set over the default map of Comportfunctions.
#pragma once
#include <string>

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

}  // namespace zul
