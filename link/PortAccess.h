// What a Linux user must do when a serial device may not be opened by them.
//
//   std::string hint = PortAccessAdvice("/dev/ttyUSB0", EACCES);
//   // "Нет прав на устройство /dev/ttyUSB0. Добавьте пользователя в группу dialout
//   //  (sudo usermod -aG dialout USER) и войдите в систему заново."
//
// The engine's own message for a port that cannot be opened stays as it is; callers
// show this text beside it.
#pragma once
#include <string>

namespace zul {

// The advice for a failed open of `devicePath` with errno `err`: empty unless `err`
// is EACCES or EPERM. The group is the one that owns the device, read from it.
std::string PortAccessAdvice(const std::string& devicePath, int err);
// The name of the group owning `path` ("" when it cannot be read).
std::string DeviceGroupName(const std::string& path);

}  // namespace zul
