// Any line speed through the termios2 interface (BOTHER), so that the
// controller's non-standard speeds (3200, 5760, 7680 bit/s, ...) work too.
// Kept apart because <asm/termbits.h> clashes with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace zul {

bool SetTermiosSpeed(int fd, int baud) {
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = unsigned(baud);
    tio.c_ospeed = unsigned(baud);
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

}  // namespace zul
