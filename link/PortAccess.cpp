#include "link/PortAccess.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

std::vector<PortHolder> PortHolders(const std::string& devicePath, const std::string& procRoot) {
    std::vector<PortHolder> holders;
    char real[PATH_MAX];
    if (!::realpath(devicePath.c_str(), real)) return holders;
    DIR* proc = ::opendir(procRoot.c_str());
    if (!proc) return holders;
    while (dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end) continue;
        const std::string fdDir = procRoot + "/" + e->d_name + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());  // another user's process: not ours to see
        if (!fds) continue;
        bool holds = false;
        while (dirent* f = ::readdir(fds)) {
            if (f->d_name[0] == '.') continue;
            char target[PATH_MAX];
            const ssize_t n = ::readlink((fdDir + "/" + f->d_name).c_str(), target, sizeof target - 1);
            if (n <= 0) continue;
            target[n] = '\0';
            if (std::strcmp(target, real) == 0) {
                holds = true;
                break;
            }
        }
        ::closedir(fds);
        if (!holds) continue;
        std::string name;
        std::ifstream comm(procRoot + "/" + e->d_name + "/comm");
        std::getline(comm, name);
        holders.push_back({int(pid), name});
    }
    ::closedir(proc);
    return holders;
}

std::string PortOpenFailure(const std::string& devicePath, int err) {
    switch (err) {
    case 0:
        return {};
    case EACCES:
    case EPERM:
        return PortAccessAdvice(devicePath, err);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "Устройство " + devicePath + " не найдено (адаптер не подключён?).";
    case EBUSY: {
        std::string text = "Порт " + devicePath + " занят";
        const auto holders = PortHolders(devicePath);
        if (holders.empty()) return text + " другой программой.";
        text += holders.size() == 1 ? " программой " : " программами ";
        for (size_t i = 0; i < holders.size(); ++i)
            text += (i ? ", " : "") + holders[i].name + " (PID " + std::to_string(holders[i].pid) + ")";
        return text + ".";
    }
    default:
        return "Порт " + devicePath + " не открывается: " + std::strerror(err) + ".";
    }
}

}  // namespace zul
