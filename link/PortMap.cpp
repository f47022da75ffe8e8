#include "link/PortMap.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace zul
