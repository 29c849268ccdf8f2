// Preloaded into Wine (LD_PRELOAD) by tools/test-windows.sh: makes a
// pseudo-terminal answer the three status requests of a serial port the way
// a UART with no modem lines and no line errors does. Wine's serial
// emulation asks for them (TIOCMGET, TIOCGICOUNT, TIOCSERGETLSR) whenever a
// program waits for received bytes with WaitCommEvent; a pseudo-terminal
// refuses them, and Wine then ends the wait without ever reporting the
// bytes. Every other request, and every other device, goes to the C library
// unchanged.
#include <dlfcn.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

namespace {

using Ioctl = int (*)(int, unsigned long, ...);

Ioctl realIoctl()
{
    static const auto real = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    return real;
}

// The terminal end of a pseudo-terminal: character devices 136 to 143.
bool isPseudoTerminal(int fd)
{
    struct stat status {};
    return fstat(fd, &status) == 0 && S_ISCHR(status.st_mode) && major(status.st_rdev) >= 136 &&
           major(status.st_rdev) <= 143;
}

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);

    const int result = realIoctl()(fd, request, argument);
    if (result == 0 || !isPseudoTerminal(fd))
        return result;
    switch (request) {
    case TIOCMGET: // modem lines: none raised
        *static_cast<int *>(argument) = 0;
        return 0;
    case TIOCGICOUNT: // interrupt counters: nothing counted
        memset(argument, 0, sizeof(serial_icounter_struct));
        return 0;
    case TIOCSERGETLSR: // line status: transmitter empty
        *static_cast<unsigned int *>(argument) = TIOCSER_TEMT;
        return 0;
    default:
        return result;
    }
}
