#include "link/PortMap.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>

#include "link/Comportfunctions.h"
#include "link/IniFile.h"

namespace zul {

int ReadPortMap(const IniFile& zulIni) {
    int applied = 0;
    for (const std::string& key : zulIni.Keys(kPortMapSection)) {
        if (key.size() < 4 || (key[0] != 'C' && key[0] != 'c') || (key[1] != 'O' && key[1] != 'o') ||
            (key[2] != 'M' && key[2] != 'm'))
            continue;
        int32_t n = 0;
        if (!IniFile::ParseInteger(key.substr(3), n) || n < 1 || n > kMaxPortNumber) continue;
        if (key[3] < '0' || key[3] > '9') continue;  // no sign: "COM+1" is no port name
        SetPortDevicePath(n, zulIni.ReadString(kPortMapSection, key, ""));
        ++applied;
    }
    return applied;
}

bool PortExists(int portNumber) {
    if (portNumber < 1 || portNumber > kMaxPortNumber) return false;
    const std::string path = PortDevicePath(portNumber);
    if (path.empty()) return false;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        const bool terminal = ::isatty(fd) != 0;
        ::close(fd);
        return terminal;
    }
    // In use by another program (exclusive mode) or not ours to open: present.
    return errno == EBUSY || errno == EACCES || errno == EPERM;
}

namespace {

struct NamedPortFolders {
    std::mutex mu;
    std::string byId = "/dev/serial/by-id";
    std::string sys = "/sys";
};
NamedPortFolders& Folders() {
    static NamedPortFolders f;
    return f;
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

std::string RealPath(const std::string& path) {
    char real[PATH_MAX];
    return ::realpath(path.c_str(), real) ? std::string(real) : std::string();
}

// The USB device above a terminal in sysfs: the first folder up from the terminal's
// device that names its maker or its product.
void ReadMakerAndModel(const std::string& sys, const std::string& ttyName, NamedPort& p) {
    std::string dir = RealPath(sys + "/class/tty/" + ttyName + "/device");
    const std::string top = RealPath(sys);
    while (!dir.empty() && !top.empty() && dir.size() > top.size() && dir.compare(0, top.size(), top) == 0) {
        p.maker = FirstLine(dir + "/manufacturer");
        p.model = FirstLine(dir + "/product");
        if (!p.maker.empty() || !p.model.empty()) return;
        dir.erase(dir.rfind('/'));
    }
}

}  // namespace

void SetNamedPortFolders(const std::string& byIdFolder, const std::string& sysFolder) {
    std::lock_guard<std::mutex> lock(Folders().mu);
    Folders().byId = byIdFolder.empty() ? "/dev/serial/by-id" : byIdFolder;
    Folders().sys = sysFolder.empty() ? "/sys" : sysFolder;
}

std::vector<NamedPort> ListNamedPorts() {
    std::string byId, sys;
    {
        std::lock_guard<std::mutex> lock(Folders().mu);
        byId = Folders().byId;
        sys = Folders().sys;
    }
    std::vector<NamedPort> ports;
    DIR* d = ::opendir(byId.c_str());
    if (!d) return ports;  // no adapter plugged in: udev has made no folder
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.') continue;
        NamedPort p;
        p.path = byId + "/" + e->d_name;
        p.device = RealPath(p.path);
        if (p.device.empty()) continue;  // a name left behind by an adapter pulled out
        for (int n = 1; n <= kMaxPortNumber && !p.portNumber; ++n)
            if (RealPath(PortDevicePath(n)) == p.device) p.portNumber = n;
        ReadMakerAndModel(sys, p.device.substr(p.device.rfind('/') + 1), p);
        ports.push_back(std::move(p));
    }
    ::closedir(d);
    std::sort(ports.begin(), ports.end(), [](const NamedPort& a, const NamedPort& b) { return a.path < b.path; });
    return ports;
}

}  // namespace zul
