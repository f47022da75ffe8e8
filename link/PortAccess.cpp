#include "link/PortAccess.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace zul {

std::string DeviceGroupName(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return {};
    std::vector<char> buf(16384);
    group g{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &g, buf.data(), buf.size(), &found) == 0 && found && found->gr_name)
        return found->gr_name;
    return std::to_string(st.st_gid);
}

std::string PortAccessAdvice(const std::string& devicePath, int err) {
    if (err != EACCES && err != EPERM) return {};
    std::string user = "$USER";
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* me = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &me) == 0 && me && me->pw_name) user = me->pw_name;
    const std::string group = DeviceGroupName(devicePath);
    std::string text = "Нет прав на устройство " + devicePath + ".";
    if (group.empty() || group == "root")
        return text + " Попросите администратора дать пользователю " + user + " доступ к нему.";
    return text + " Добавьте пользователя в группу " + group + " (sudo usermod -aG " + group + " " + user +
           ") и войдите в систему заново.";
}

}  // namespace zul
