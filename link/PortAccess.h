// Why a serial device cannot be opened, in words a Linux user can act on.
//
//   std::string why = PortOpenFailure("/dev/ttyUSB0", EACCES);
//   // "Нет прав на устройство /dev/ttyUSB0. Добавьте пользователя в группу dialout
//   //  (sudo usermod -aG dialout USER) и войдите в систему заново."
//   PortOpenFailure("/dev/ttyUSB0", EBUSY);
//   // "Порт /dev/ttyUSB0 занят программой minicom (PID 4242)."
//
// The engine's own message for a port that cannot be opened stays as it is; callers
// show this text beside it.
#pragma once
#include <string>
#include <vector>

namespace zul {

// The reason of a failed open of `devicePath` with errno `err`: no permission (with
// the group to join), busy (with the processes holding it, where /proc shows them),
// no such device, or the system's text; "" for 0.
std::string PortOpenFailure(const std::string& devicePath, int err);
// The advice for a failed open of `devicePath` with errno `err`: empty unless `err`
// is EACCES or EPERM. The group is the one that owns the device, read from it.
std::string PortAccessAdvice(const std::string& devicePath, int err);
// The name of the group owning `path` ("" when it cannot be read).
std::string DeviceGroupName(const std::string& path);

// A process that has the device open.
struct PortHolder {
    int pid;
    std::string name;
};
// The processes with a descriptor on `devicePath` (or what it links to), as far as
// `procRoot` lets this user see.
std::vector<PortHolder> PortHolders(const std::string& devicePath, const std::string& procRoot = "/proc");

}  // namespace zul
