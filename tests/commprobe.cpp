// Talks to a module on a COM port the way Qt Serial Port does on Windows:
// the port opened for overlapped I/O, reads started only when WaitCommEvent
// announces received bytes (EV_RXCHAR). It sends "AT", then waits for the
// announcement and reads the reply. Then it starts that wait once more as
// Qt Serial Port itself does (NtDeviceIoControlFile with a completion
// routine and no event) and checks that the call returns at once, as
// overlapped I/O must, while nothing is being received.
//
//   commprobe COMn [seconds]
//
// Exit status: 0 the reply came and was announced, and the wait returned at
// once; 3 no announcement came, yet a plain read finds the reply (the serial
// emulation does not report received bytes); 4 nothing came back at all;
// 5 the reply was announced, but the wait started as Qt starts it held its
// caller until bytes arrived; 1 the port could not be opened, set up or
// written.
#include <windows.h>
// After windows.h:
#include <winioctl.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Overlapped : OVERLAPPED {
    Overlapped() : OVERLAPPED{} { hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Overlapped() { CloseHandle(hEvent); }
    Overlapped(const Overlapped &) = delete;
    Overlapped &operator=(const Overlapped &) = delete;
};

// Starts nothing: waits for an operation that was started with this overlapped.
bool finished(HANDLE port, Overlapped &overlapped, DWORD milliseconds, DWORD *transferred)
{
    if (WaitForSingleObject(overlapped.hEvent, milliseconds) != WAIT_OBJECT_0)
        return false;
    return GetOverlappedResult(port, &overlapped, transferred, FALSE) != 0;
}

bool started(BOOL result)
{
    return result || GetLastError() == ERROR_IO_PENDING;
}

bool setUp(HANDLE port)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb))
        return false;
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD; // a read returns what is there
    return SetCommState(port, &dcb) && SetCommTimeouts(port, &timeouts) &&
           SetCommMask(port, EV_RXCHAR);
}

std::string readFor(HANDLE port, DWORD milliseconds)
{
    std::string received;
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (received.find("OK\r\n") == std::string::npos && GetTickCount64() < end) {
        char chunk[256];
        DWORD count = 0;
        Overlapped read;
        if (!started(ReadFile(port, chunk, sizeof chunk, nullptr, &read)) ||
            !finished(port, read, 1000, &count)) {
            CancelIo(port);
            break;
        }
        received.append(chunk, count);
        if (count == 0)
            Sleep(50);
    }
    return received;
}

bool sendAt(HANDLE port, DWORD milliseconds)
{
    static const char line[] = "AT\r\n";
    Overlapped write;
    DWORD count = 0;
    return started(WriteFile(port, line, 4, nullptr, &write)) &&
           finished(port, write, milliseconds, &count) && count == 4;
}

// What WaitCommEvent asks of the device.
constexpr ULONG kWaitOnMask =
    CTL_CODE(FILE_DEVICE_SERIAL_PORT, 18, METHOD_BUFFERED, FILE_ANY_ACCESS);

using DeviceIoControlFile = NTSTATUS(NTAPI *)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID,
                                              PIO_STATUS_BLOCK, ULONG, PVOID, ULONG, PVOID, ULONG);

struct QtStyleWait {
    HANDLE port;
    IO_STATUS_BLOCK status{};
    DWORD mask = 0;
};

VOID NTAPI ignoreCompletion(PVOID, PIO_STATUS_BLOCK, ULONG) {}

DWORD WINAPI startQtStyleWait(LPVOID argument)
{
    auto *wait = static_cast<QtStyleWait *>(argument);
    const auto control = reinterpret_cast<DeviceIoControlFile>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeviceIoControlFile")));
    control(wait->port, nullptr, ignoreCompletion, nullptr, &wait->status, kWaitOnMask, nullptr, 0,
            &wait->mask, sizeof wait->mask);
    return 0;
}

// Whether the wait, started as Qt starts it while nothing is being received,
// returned at once. If it did not, a line sent to the module releases it.
bool qtStyleWaitReturns(HANDLE port, DWORD limit)
{
    QtStyleWait wait{port};
    HANDLE thread = CreateThread(nullptr, 0, startQtStyleWait, &wait, 0, nullptr);
    const bool returned = WaitForSingleObject(thread, 1000) == WAIT_OBJECT_0;
    if (!returned) {
        std::printf("the wait as Qt starts it holds its caller until bytes arrive\n");
        sendAt(port, limit);
        WaitForSingleObject(thread, limit);
    }
    CloseHandle(thread);
    CancelIo(port);
    return returned;
}

void show(const char *what, const std::string &bytes)
{
    std::printf("%s:", what);
    for (const unsigned char byte : bytes)
        std::printf(byte >= ' ' && byte < 0x7f ? "%c" : "\\x%02x", byte);
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: commprobe COMn [seconds]\n");
        return 1;
    }
    const DWORD limit = DWORD(argc > 2 ? std::atoi(argv[2]) : 5) * 1000;
    const std::string path = std::string("\\\\.\\") + argv[1];
    HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        std::printf("cannot open %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    if (!setUp(port)) {
        std::printf("cannot set up %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }

    // The announcement is awaited from before the line leaves, as Qt does.
    DWORD mask = 0;
    DWORD count = 0;
    Overlapped wait;
    const bool waiting = started(WaitCommEvent(port, &mask, &wait));
    if (!waiting)
        std::printf("WaitCommEvent refused: error %lu\n", GetLastError());

    if (!sendAt(port, limit)) {
        std::printf("cannot write to %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    std::printf("wrote AT\n");

    bool announced = false;
    if (waiting && WaitForSingleObject(wait.hEvent, limit) != WAIT_OBJECT_0)
        std::printf("no announcement of received bytes within %lu ms\n", limit);
    else if (waiting && !GetOverlappedResult(port, &wait, &count, FALSE))
        std::printf("WaitCommEvent failed: error %lu\n", GetLastError());
    else if (waiting)
        std::printf("WaitCommEvent reported events %#lx\n", mask);
    announced = waiting && (mask & EV_RXCHAR);
    CancelIo(port);

    const std::string reply = readFor(port, limit);
    show("read", reply);
    if (reply.find("OK\r\n") == std::string::npos)
        return 4;
    if (!announced)
        return 3;
    const bool returns = qtStyleWaitReturns(port, limit);
    CloseHandle(port);
    return returns ? 0 : 5;
}
