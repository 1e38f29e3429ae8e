// Writes numbered lines "seq N" (N from 1) at a steady rate, as a busy server does, and prints
// the last N when done. To a file, it opens the path anew for every line (creating it when a
// rotation took it away), or with "hold" keeps it open and opens it anew only at a SIGHUP, as a
// daemon does after logrotate's create; to "unix:SOCKET", it sends each line to a syslog
// daemon's socket.
// Usage: rotation_writer PATH|unix:SOCKET LINES_PER_SECOND SECONDS [hold]
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
int ConnectTo(const char* socketPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath, sizeof address.sun_path - 1);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return -1;
    return fd;
}

int OpenLog(const char* path)
{
    return ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

// Whether a SIGHUP came since the last look; it is blocked, so it only waits to be taken.
bool Hangup(const sigset_t& hup)
{
    const timespec now{};
    return sigtimedwait(&hup, nullptr, &now) == SIGHUP;
}

// `held` is the open log of "hold", -1 otherwise.
bool WriteLine(const char* path, int socket, int& held, const sigset_t& hup, long n)
{
    const std::string line = "seq " + std::to_string(n) + '\n';
    if (socket >= 0) {
        const std::string message = "<13>bench: " + line.substr(0, line.size() - 1);
        return ::send(socket, message.data(), message.size(), 0) == ssize_t(message.size());
    }
    if (held >= 0 && Hangup(hup)) {
        ::close(held);
        held = OpenLog(path);
    }
    const int fd = held >= 0 ? held : OpenLog(path);
    const bool written = fd >= 0 && ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    if (fd >= 0 && fd != held)
        ::close(fd);
    return written;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const bool toSocket = std::strncmp(argv[1], "unix:", 5) == 0;
    const int socket = toSocket ? ConnectTo(argv[1] + 5) : -1;
    if (toSocket && socket < 0)
        return 1;
    sigset_t hup;
    sigemptyset(&hup);
    sigaddset(&hup, SIGHUP);
    sigprocmask(SIG_BLOCK, &hup, nullptr);
    int held = argc > 4 && std::strcmp(argv[4], "hold") == 0 ? OpenLog(argv[1]) : -1;
    const long rate = std::atol(argv[2]), lines = rate * std::atol(argv[3]);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    long n = 0;
    while (n < lines) {
        if (!WriteLine(argv[1], socket, held, hup, n + 1))
            break;
        ++n;
        next.tv_nsec += 1000000000L / rate;
        if (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            ++next.tv_sec;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
        }
    }
    std::printf("%ld\n", n);
    return n == lines ? 0 : 1;
}
